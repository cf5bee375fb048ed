// The reasoning of a hint in words, for the help pages: each needed step of
// the chain as short numbered sentences (look here, this digit can only be
// there, so this candidate goes, so this cell has one place left), drawn
// from the step's own marks, and what else the pattern would let one remove.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/board.h"

namespace masuvo {

struct WalkStep {
    int technique = 0;
    std::string text;  // the step's sentence, "隠れた数字。"
    KR_hint hint;
};

// The numbered items of the whole chain, ending with the placement.
std::vector<std::string> WalkThrough(const std::string& grid, const std::vector<WalkStep>& steps, int row, int col,
                                     int digit);

// The pattern cells of step `index` (its shaded cells) that the items name,
// numbered 1, 2, … in reading order, so the picture can carry the same
// numbers; empty when there are more than nine (the items name them by
// row and column alone then).
std::map<int, int> PatternLabels(const std::vector<WalkStep>& steps, size_t index,
                                 const std::vector<std::string>& items);

// The items with every labelled cell named with its number first,
// "①セル(2,7)".
std::vector<std::string> WithLabels(std::vector<std::string> items, const std::map<int, int>& labels);

// "①" … "⑨".
std::string CircledNumber(int n);

// The candidates the pattern of step `index` would remove besides those its
// picture shows, as "セル(1,2)の6、…"; empty when it removes nothing more.
std::string FurtherRemovals(const std::string& grid, const std::vector<WalkStep>& steps, size_t index);

// "行" or "列" for the line techniques whose form the marks show (隠れた数字,
// 波及効果, 対角線, マトリックス); empty for the others.
std::string LineForm(const WalkStep& step);

// A chain of bivalue links that joins candidates of a row or column inside a
// block into one end (drawn as a capsule).
bool HasGroupLink(const KR_hint& hint);

std::string CellName(int cell);

}  // namespace masuvo
