#include "session/practice_run.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "engine/catalogue.h"
#include "engine/rating.h"
#include "engine/step_search.h"
#include "engine/text_format.h"
#include "session/session_text.h"

namespace masuvo {

int32_t AnswerEstimate(const Drill& drill) {
    // Judged as the session judges a placement: the needed steps towards
    // that cell and digit, weighted; a board no chain reaches has none.
    KR_solver board;
    std::memcpy(board.value, drill.position.value, sizeof board.value);
    board.value[drill.row][drill.col] = 0;
    board.placeRow = drill.row;
    board.placeCol = drill.col;
    board.placeDigit = drill.digit;
    Usage usage;
    if (StepSearch(board, true) == 1) TallyUsage(board, usage);
    return DifficultyScore(usage);
}

PracticeRun::PracticeRun(std::vector<DrillChoice> choices) : choices_(std::move(choices)) {}

std::string PracticeRun::Header() const {
    if (Finished()) return "練習";
    return Format("練習 %d/%d ・ %s", index_ + 1, Count(), TechniqueName(Current().technique));
}

void PracticeRun::Begin(PlaySession& session, const Drill& drill) {
    if (Finished()) return;
    if (!playing_ && index_ == 0) filedBefore_ = session.fileCompletions;
    session.fileCompletions = false;
    drill_ = drill;
    LoadCreatedPuzzle(session, drill.position, Header());
    session.StartSolving();
    playing_ = session.mode == 1;
    if (playing_) session.SetTargetTime(AnswerEstimate(drill));
}

bool PracticeRun::Answered(const PlaySession& session) const {
    return playing_ && session.values[drill_.row * 9 + drill_.col] == drill_.digit;
}

PracticeEntry PracticeRun::EndDrill(PlaySession& session, bool solved, int64_t wallClockSeconds) {
    PracticeEntry entry;
    if (!playing_) return entry;
    // The last tick ends the drill's time, as a pause would end a segment.
    session.Tick();
    int64_t seconds = session.elapsed;
    if (session.timerId != 0) seconds += session.clockNow - session.clockStart;
    if (session.mode == 1) session.PauseSolving();
    entry.when = PracticeTimeText(wallClockSeconds);
    entry.technique = Current().technique;
    entry.number = Current().number;
    entry.seconds = static_cast<int>(std::max<int64_t>(0, seconds));
    entry.hints = session.hintCount;
    entry.details = session.detailCount;
    entry.hintExecutions = session.execCount;
    entry.solved = solved;
    // The judging of the answer's placement is the last one the session made.
    entry.estimatedSeconds = solved ? session.lastJudgement.points : 0;
    entries_.push_back(entry);
    playing_ = false;
    ++index_;
    return entry;
}

bool PracticeRun::OnBoard(const PlaySession& session) const {
    if (!playing_) return false;
    for (int k = 0; k < 81; ++k) {
        const int given = drill_.position.value[k / 9][k % 9];
        if ((session.origin[k] == 1) != (given != 0)) return false;
        if (given != 0 && session.values[k] != given) return false;
    }
    return true;
}

void PracticeRun::Skip() {
    if (Finished()) return;
    playing_ = false;
    ++index_;
}

void PracticeRun::Release(PlaySession& session) {
    session.fileCompletions = filedBefore_;
    playing_ = false;
}

std::string PracticeRecordPath(const DataFolders& folders) {
    return (std::filesystem::path(folders.dataFolder) / kPracticeRecordName).string();
}

namespace {

// One ■ per tenth of the estimate, up to three times the estimate.
std::string TimeBar(int seconds, int estimate) {
    if (estimate <= 0) return "";
    const int tenths = std::min(30, (seconds * 10 + estimate / 2) / estimate);
    std::string bar;
    for (int i = 0; i < tenths; ++i) bar += "■";
    if (seconds > estimate * 3) bar += "▶";
    return bar;
}

}  // namespace

std::string PracticeSummaryText(const std::vector<PracticeEntry>& entries) {
    int solved = 0;
    int within = 0;
    long long total = 0;
    for (const PracticeEntry& entry : entries) {
        solved += entry.solved ? 1 : 0;
        within += entry.solved && entry.estimatedSeconds > 0 && entry.seconds <= entry.estimatedSeconds ? 1 : 0;
        total += entry.seconds;
    }
    std::string text = Format("練習の結果：%d 問中 %d 問正解、目安以内 %d 問、合計 %s\r\n", static_cast<int>(entries.size()),
                              solved, within, TimeText(total).c_str());
    text += "（■ 1 つが目安の 10%、目安は正解の手の推定秒数）\r\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        const PracticeEntry& entry = entries[i];
        text += Format("\r\n%d/%d  %s (%d)\r\n", static_cast<int>(i + 1), static_cast<int>(entries.size()),
                       TechniqueName(entry.technique), entry.number);
        if (!entry.solved) {
            text += Format("    未完了  %d 秒\r\n", entry.seconds);
            continue;
        }
        if (entry.estimatedSeconds > 0)
            text += Format("    %d 秒 / 目安 %d 秒 (%d%%)  %s", entry.seconds, entry.estimatedSeconds,
                           (entry.seconds * 100 + entry.estimatedSeconds / 2) / entry.estimatedSeconds,
                           TimeBar(entry.seconds, entry.estimatedSeconds).c_str());
        else
            text += Format("    %d 秒 / 目安なし", entry.seconds);
        if (entry.hints + entry.details + entry.hintExecutions > 0)
            text += Format("  ヒント %d・詳細 %d・ヒント実行 %d", entry.hints, entry.details, entry.hintExecutions);
        text += "\r\n";
    }
    return text;
}

}  // namespace masuvo
