#include "vision/rule_check.h"

#include <gtest/gtest.h>

#include <string>

namespace masuvo {
namespace {

using Digits = std::array<int, kReadingCells>;

// The first puzzle of top95 (17 givens, one solution).
const char* const kPuzzle = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";

Digits Parse(const std::string& text) {
    Digits digits{};
    for (int cell = 0; cell < kReadingCells; ++cell) digits[cell] = text[cell] == '.' ? 0 : text[cell] - '0';
    return digits;
}

// Every cell certain of what was read.
ReadingLikelihoods Certain(const Digits& read) {
    ReadingLikelihoods l{};
    for (int cell = 0; cell < kReadingCells; ++cell) l[cell][read[cell]] = 1.0;
    return l;
}

TEST(RuleCheck, ABoardWithOneSolutionHolds) {
    const Digits puzzle = Parse(kPuzzle);
    const RuleCheck check = CheckReadingRules(puzzle, Certain(puzzle));
    EXPECT_EQ(check.outcome, RuleOutcome::kHolds);
    EXPECT_EQ(check.digits, puzzle);
    EXPECT_EQ(check.changed, (std::array<bool, kReadingCells>{}));
}

// Misreadings the check mends from the cells' second readings: a digit read
// into a duplicate, and a given lost to an empty reading (16 digits: the
// count cannot even start).
TEST(RuleCheck, MendsAMisreadCellFromItsSecondReading) {
    const Digits puzzle = Parse(kPuzzle);
    struct Case {
        const char* name;
        int cell;
        int misread;
    };
    // Cell 0 holds 4; row 0 also holds 8 (cell 6), so 8 there is a duplicate.
    for (const Case& c : {Case{"a duplicate in a row", 0, 8}, Case{"a lost given", 6, 0}}) {
        Digits read = puzzle;
        read[c.cell] = c.misread;
        ReadingLikelihoods l = Certain(read);
        l[c.cell][c.misread] = 0.6;
        l[c.cell][puzzle[c.cell]] = 0.4;
        // A cheaper decoy elsewhere that does not give one solution.
        l[40][3] = 0.9;
        const RuleCheck check = CheckReadingRules(read, l);
        EXPECT_EQ(check.outcome, RuleOutcome::kMended) << c.name;
        EXPECT_EQ(check.digits, puzzle) << c.name;
        for (int cell = 0; cell < kReadingCells; ++cell)
            EXPECT_EQ(check.changed[cell], cell == c.cell) << c.name << " cell " << cell;
    }
}

// A duplicate whose true digit no run ever saw: handed over as read, the
// clashing cells named.
TEST(RuleCheck, UnmendableBoardIsKeptAsRead) {
    Digits read = Parse(kPuzzle);
    read[1] = 4;  // row 0 already holds 4 in cell 0
    const RuleCheck check = CheckReadingRules(read, Certain(read));
    EXPECT_EQ(check.outcome, RuleOutcome::kBroken);
    EXPECT_EQ(check.digits, read);
    for (int cell = 0; cell < kReadingCells; ++cell) EXPECT_EQ(check.conflict[cell], cell == 0 || cell == 1) << cell;
    EXPECT_EQ(check.changed, (std::array<bool, kReadingCells>{}));
}

TEST(RuleCheck, DistinctDigitsPerUnit) {
    const Digits puzzle = Parse(kPuzzle);
    EXPECT_TRUE(UnitsHoldDistinctDigits(puzzle));
    struct Case {
        const char* name;
        int cell;
        int digit;
        int other;  // the cell it clashes with
    };
    // 4 at cell 0; 3 at cell 10 (row 1, col 1); 7 at cell 21 (row 2, col 3).
    for (const Case& c : {Case{"row", 2, 4, 0}, Case{"column", 73, 3, 10}, Case{"block", 22, 7, 21}}) {
        Digits digits = puzzle;
        digits[c.cell] = c.digit;
        std::array<bool, kReadingCells> conflict{};
        EXPECT_FALSE(UnitsHoldDistinctDigits(digits, &conflict)) << c.name;
        EXPECT_TRUE(conflict[c.cell] && conflict[c.other]) << c.name;
    }
}

}  // namespace
}  // namespace masuvo
