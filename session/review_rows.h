// What the review list shows of the play log: one row per move, the sort
// comparison of each column, and the help topics of a move's techniques.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "files/play_record.h"
#include "records/list_sort.h"
#include "session/session_text.h"

namespace masuvo {

constexpr int kReviewColumns = 10;
using ReviewRow = std::array<std::string, kReviewColumns>;

// The moves listed: every entry but a final completion entry "-".
int ReviewedMoveCount(const std::vector<Log>& log);

// Column texts of log entry k: (hidden), 番号 k + 1, 推定解法, 推定時間,
// 実行時間, 差分, then "○" or "－" for ヒント, 詳細ヒント, ヒント実行, 候補表示.
ReviewRow ReviewRowOf(const Log& entry, int k);

SortKind ReviewSortKind(int column);

// The techniques of a move's text for the help popup: its sentences without
// a final "です", cut before the first "(" and without a final digit, each
// name once, with the page "問題の解法_<name>.htm".
std::vector<HelpTopic> ReviewHelpTopics(const std::string& text);

}  // namespace masuvo
