// The rule check of a reading: a board read from a picture is a puzzle, so
// its digits must not repeat in a unit and it must have exactly one
// solution. When the most-voted reading breaks that, the next most likely
// readings of the least certain cells are tried, fewest changes first.
#pragma once

#include <array>

namespace masuvo {

constexpr int kReadingCells = 81;

// How likely each reading of every cell is: for cell c and digit d (0 for
// empty) a non-negative weight; only the ratios within a cell matter.
using ReadingLikelihoods = std::array<std::array<double, 10>, kReadingCells>;

enum class RuleOutcome {
    kHolds,    // the reading as voted has exactly one solution
    kMended,   // some cells were read otherwise to give exactly one solution
    kBroken,   // a digit twice in a unit, or no solution, and no mend found
    kSeveral,  // no rule broken, but several solutions, and no mend found
};

struct RuleCheck {
    std::array<int, kReadingCells> digits{};     // the board to hand over
    std::array<bool, kReadingCells> changed{};   // cells read otherwise by the check
    std::array<bool, kReadingCells> conflict{};  // cells of a digit twice in a unit, as handed over
    RuleOutcome outcome = RuleOutcome::kHolds;
};

// The most changes the check tries at once.
constexpr int kMaxMendedCells = 3;

// Checks read (the most-voted digits) against the rules; likelihoods give
// the other readings to try. A mend changes at most kMaxMendedCells cells,
// each to a reading with a positive likelihood; sets of changes are tried
// by size and, within a size, the most likely first. The first board with
// exactly one solution is taken; without one the reading is kept as read.
RuleCheck CheckReadingRules(const std::array<int, kReadingCells>& read, const ReadingLikelihoods& likelihoods);

// True when no row, column or block holds a non-zero digit twice; conflict
// (may be null) receives the cells of every repeated digit.
bool UnitsHoldDistinctDigits(const std::array<int, kReadingCells>& digits,
                             std::array<bool, kReadingCells>* conflict = nullptr);

}  // namespace masuvo
