// 隠れた数字, 波及効果, the four subset families and the combination
// enumerator they share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/catalogue.h"
#include "tests/engine/soundness_walk.h"
#include "engine/elimination.h"
#include "engine/step_search.h"
#include "engine/techniques.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

using test::BoardFrom;
using test::KeepCandidates;

const std::string kEmptyGrid(81, '.');

using CandSet = std::set<std::pair<int, int>>;  // (cell, digit)

// Every (cell, digit) for the listed cells and digits.
CandSet Cands(std::initializer_list<std::pair<int, int>> cells, std::initializer_list<int> digits) {
    CandSet set;
    for (auto [r, c] : cells)
        for (int d : digits) set.insert({CellIndex(r, c), d});
    return set;
}

// Removes digit from the listed cells, then recounts.
void RemoveDigit(KR_solver& board, int digit, std::initializer_list<std::pair<int, int>> cells) {
    for (auto [r, c] : cells) board.cand[CellIndex(r, c)][digit] = 0;
    CountCandidates(board);
}

// The cells of a row outside the given columns.
std::vector<std::pair<int, int>> RowExcept(int row, std::initializer_list<int> keep) {
    std::vector<std::pair<int, int>> cells;
    for (int c = 0; c < 9; ++c)
        if (std::find(keep.begin(), keep.end(), c) == keep.end()) cells.push_back({row, c});
    return cells;
}

void RemoveDigitFrom(KR_solver& board, int digit, const std::vector<std::pair<int, int>>& cells) {
    for (auto [r, c] : cells) board.cand[CellIndex(r, c)][digit] = 0;
    CountCandidates(board);
}

// What one application did: the candidates it removed, the candidates and
// cells it marked.
struct Outcome {
    bool applied = false;
    CandSet removed;
    CandSet eliminatedMarks;
    CandSet patternMarks;
    std::set<int> markedCells;
};

template <typename Routine>
Outcome Apply(KR_solver& board, Routine routine) {
    uint8_t before[81][10];
    std::memcpy(before, board.cand, sizeof before);
    ResetHint(board.hint);
    Outcome outcome;
    outcome.applied = routine(board);
    for (int k = 0; k < 81; ++k) {
        if (board.hint.cellMark[k] == 1) outcome.markedCells.insert(k);
        for (int d = 1; d <= 9; ++d) {
            if (before[k][d] && !board.cand[k][d]) outcome.removed.insert({k, d});
            if (board.hint.candMark[k][d] == 4) outcome.eliminatedMarks.insert({k, d});
            if (board.hint.candMark[k][d] == 1) outcome.patternMarks.insert({k, d});
        }
    }
    return outcome;
}

std::set<int> CellSet(std::initializer_list<std::pair<int, int>> cells) {
    std::set<int> set;
    for (auto [r, c] : cells) set.insert(CellIndex(r, c));
    return set;
}

void ExpectNothing(const Outcome& outcome) {
    EXPECT_FALSE(outcome.applied);
    EXPECT_TRUE(outcome.removed.empty());
    EXPECT_TRUE(outcome.eliminatedMarks.empty());
    EXPECT_TRUE(outcome.patternMarks.empty());
    EXPECT_TRUE(outcome.markedCells.empty());
}

// ---- NextCombination ----

TEST(SubsetsNextCombination, EnumeratesEveryCombinationInLexicographicOrder) {
    for (int n = 2; n <= 4; ++n) {
        std::vector<std::vector<int>> expected;
        std::vector<int> current;
        // Reference: nested choice in increasing order.
        auto recurse = [&](auto&& self, int from) -> void {
            if (static_cast<int>(current.size()) == n) {
                expected.push_back(current);
                return;
            }
            for (int i = from; i < 9; ++i) {
                current.push_back(i);
                self(self, i + 1);
                current.pop_back();
            }
        };
        recurse(recurse, 0);

        int counter = 0;
        int out[4];
        std::vector<std::vector<int>> produced;
        while (NextCombination(n, out, counter)) produced.emplace_back(out, out + n);
        EXPECT_EQ(produced, expected) << "n = " << n;
        EXPECT_EQ(counter, static_cast<int>(expected.size())) << "n = " << n;
    }
}

TEST(SubsetsNextCombination, StopsAtTheEndAndRejectsOtherSizes) {
    int out[4] = {-1, -1, -1, -1};
    int counter = 35;
    ASSERT_TRUE(NextCombination(2, out, counter));
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 8);
    EXPECT_EQ(counter, 36);
    EXPECT_FALSE(NextCombination(2, out, counter));
    EXPECT_EQ(counter, 36);

    counter = 126;
    EXPECT_FALSE(NextCombination(4, out, counter));
    EXPECT_EQ(counter, 126);

    for (int n : {0, 1, 5, 9}) {
        counter = 0;
        EXPECT_FALSE(NextCombination(n, out, counter)) << "n = " << n;
        EXPECT_EQ(counter, 0);
    }
}

// ---- 隠れた数字 ----

TEST(SubsetsBlockConfinedToLine, RowOfTheBlockClearsTheRestOfTheBoardRow) {
    KR_solver board = BoardFrom(kEmptyGrid);
    // Digit 6 of block 4 only in row 4, and not in (4, 5).
    RemoveDigit(board, 6, {{3, 3}, {3, 4}, {3, 5}, {5, 3}, {5, 4}, {5, 5}, {4, 5}});
    const Outcome outcome = Apply(board, BlockConfinedToLine);
    ASSERT_TRUE(outcome.applied);
    const CandSet removed = Cands({{4, 0}, {4, 1}, {4, 2}, {4, 6}, {4, 7}, {4, 8}}, {6});
    EXPECT_EQ(outcome.removed, removed);
    EXPECT_EQ(outcome.eliminatedMarks, removed);
    EXPECT_EQ(outcome.patternMarks, Cands({{4, 3}, {4, 4}}, {6}));
    EXPECT_EQ(outcome.markedCells, CellSet({{4, 3}, {4, 4}}));
    EXPECT_EQ(board.stepText, "隠れた数字。");
    EXPECT_EQ(board.stepTechnique, 5);
}

TEST(SubsetsBlockConfinedToLine, ColumnOfTheBlockClearsTheRestOfTheBoardColumn) {
    KR_solver board = BoardFrom(kEmptyGrid);
    // Digit 2 of block 0 only in column 1.
    RemoveDigit(board, 2, {{0, 0}, {1, 0}, {2, 0}, {0, 2}, {1, 2}, {2, 2}});
    const Outcome outcome = Apply(board, BlockConfinedToLine);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}}, {2}));
    EXPECT_EQ(outcome.patternMarks, Cands({{0, 1}, {1, 1}, {2, 1}}, {2}));
    EXPECT_EQ(board.stepText, "隠れた数字。");
}

TEST(SubsetsBlockConfinedToLine, DoesNotFireWithoutSomethingToRemove) {
    {
        // One candidate left in the block is a placement, not this technique.
        KR_solver board = BoardFrom(kEmptyGrid);
        RemoveDigit(board, 6, {{3, 4}, {3, 5}, {4, 3}, {4, 4}, {4, 5}, {5, 3}, {5, 4}, {5, 5}});
        ExpectNothing(Apply(board, BlockConfinedToLine));
    }
    {
        // Confined to row 4 of block 4, but row 4 holds no 6 outside the block.
        KR_solver board = BoardFrom(kEmptyGrid);
        RemoveDigit(board, 6, {{3, 3}, {3, 4}, {3, 5}, {5, 3}, {5, 4}, {5, 5}});
        RemoveDigitFrom(board, 6, RowExcept(4, {3, 4, 5}));
        ExpectNothing(Apply(board, BlockConfinedToLine));
    }
}

TEST(SubsetsBlockConfinedToLine, BlocksBeforeDigitsAndSpentInstancesAreSkipped) {
    KR_solver board = BoardFrom(kEmptyGrid);
    // Digit 1 confined in block 4 (row 4), digit 9 confined in block 0 (row 0).
    RemoveDigit(board, 1, {{3, 3}, {3, 4}, {3, 5}, {5, 3}, {5, 4}, {5, 5}});
    RemoveDigit(board, 9, {{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}});

    // In a replay that may not touch block 0's removals, block 4 is next.
    board.replayMode = true;
    std::memset(board.replayMask, 0, sizeof board.replayMask);
    board.replayMask[CellIndex(4, 0)][1] = 1;
    KR_solver replay = board;
    Outcome outcome = Apply(replay, BlockConfinedToLine);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{4, 0}}, {1}));
    EXPECT_EQ(outcome.patternMarks, Cands({{4, 3}, {4, 4}, {4, 5}}, {1}));
    board.replayMode = false;

    outcome = Apply(board, BlockConfinedToLine);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}, {0, 8}}, {9}));

    CountCandidates(board);
    outcome = Apply(board, BlockConfinedToLine);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{4, 0}, {4, 1}, {4, 2}, {4, 6}, {4, 7}, {4, 8}}, {1}));

    CountCandidates(board);
    ExpectNothing(Apply(board, BlockConfinedToLine));
}

// ---- 波及効果 ----

TEST(SubsetsLineConfinedToBlock, RowInsideOneBlockClearsTheRestOfTheBlock) {
    KR_solver board = BoardFrom(kEmptyGrid);
    // Digit 3 of row 7 only in block 7, and not in (7, 4).
    RemoveDigitFrom(board, 3, RowExcept(7, {3, 5}));
    const Outcome outcome = Apply(board, LineConfinedToBlock);
    ASSERT_TRUE(outcome.applied);
    const CandSet removed = Cands({{6, 3}, {6, 4}, {6, 5}, {8, 3}, {8, 4}, {8, 5}}, {3});
    EXPECT_EQ(outcome.removed, removed);
    EXPECT_EQ(outcome.eliminatedMarks, removed);
    EXPECT_EQ(outcome.patternMarks, Cands({{7, 3}, {7, 5}}, {3}));
    EXPECT_EQ(outcome.markedCells, CellSet({{7, 3}, {7, 5}}));
    EXPECT_EQ(board.stepText, "波及効果。");
    EXPECT_EQ(board.stepTechnique, 6);
}

TEST(SubsetsLineConfinedToBlock, DigitsOuterColumnsAfterRows) {
    KR_solver board = BoardFrom(kEmptyGrid);
    // Digit 2 confined in row 8 (block 6), digit 1 confined in column 0 (block 0).
    RemoveDigitFrom(board, 2, RowExcept(8, {0, 1, 2}));
    RemoveDigit(board, 1, {{3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}});
    Outcome outcome = Apply(board, LineConfinedToBlock);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}}, {1}));
    EXPECT_EQ(outcome.patternMarks, Cands({{0, 0}, {1, 0}, {2, 0}}, {1}));

    CountCandidates(board);
    outcome = Apply(board, LineConfinedToBlock);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{6, 0}, {6, 1}, {6, 2}, {7, 0}, {7, 1}, {7, 2}}, {2}));

    // Both confinements are spent.
    CountCandidates(board);
    ExpectNothing(Apply(board, LineConfinedToBlock));
}

// ---- 定員確定n ----

TEST(SubsetsConfinedDigits, PairInABlockClearsItsTwoCells) {
    KR_solver board = BoardFrom(kEmptyGrid);
    // Block 0: digits 4 and 7 only in positions 0 and 4.
    for (int d : {4, 7}) RemoveDigit(board, d, {{0, 1}, {0, 2}, {1, 0}, {1, 2}, {2, 0}, {2, 1}, {2, 2}});
    const Outcome outcome = Apply(board, [](KR_solver& b) { return ConfinedDigitsInBlock(b, 2); });
    ASSERT_TRUE(outcome.applied);
    const CandSet removed = Cands({{0, 0}, {1, 1}}, {1, 2, 3, 5, 6, 8, 9});
    EXPECT_EQ(outcome.removed, removed);
    EXPECT_EQ(outcome.eliminatedMarks, removed);
    EXPECT_EQ(outcome.patternMarks, Cands({{0, 0}, {1, 1}}, {4, 7}));
    EXPECT_EQ(outcome.markedCells, CellSet({{0, 0}, {1, 1}}));
    EXPECT_EQ(board.stepText, "定員確定2(ブロック)。");
    EXPECT_EQ(board.stepTechnique, 7);
}

TEST(SubsetsConfinedDigits, EachSizeAndUnitKind) {
    struct Case {
        const char* unit;  // "block", "row" or "column"
        int n;
        std::vector<int> digits;
        std::vector<std::pair<int, int>> cells;  // where the digits stay
        const char* text;
        int technique;
        CandSet lacking = {};  // digits of the set also gone from one of its cells
    };
    const Case cases[] = {
        {"block", 3, {1, 5, 9}, {{6, 3}, {7, 4}, {8, 5}}, "定員確定3(ブロック)。", 8, Cands({{8, 5}}, {9})},
        {"block", 4, {2, 3, 6, 8}, {{3, 6}, {3, 8}, {4, 7}, {5, 6}}, "定員確定4(ブロック)。", 9},
        {"row", 2, {3, 8}, {{5, 1}, {5, 7}}, "定員確定2(行)。", 10},
        {"row", 3, {1, 2, 3}, {{2, 0}, {2, 4}, {2, 8}}, "定員確定3(行)。", 11},
        {"column", 2, {6, 9}, {{0, 4}, {8, 4}}, "定員確定2(列)。", 10},
        {"column", 4, {1, 4, 5, 7}, {{1, 6}, {2, 6}, {5, 6}, {7, 6}}, "定員確定4(列)。", 12,
         Cands({{1, 6}}, {4, 5})},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        KR_solver board = BoardFrom(kEmptyGrid);
        const auto [r0, c0] = test.cells[0];
        for (int i = 0; i < 9; ++i) {
            const int k = std::string(test.unit) == "block" ? BlockCell(BlockOf(r0, c0), i)
                          : std::string(test.unit) == "row" ? CellIndex(r0, i)
                                                            : CellIndex(i, c0);
            bool keep = false;
            for (auto [r, c] : test.cells) keep |= CellIndex(r, c) == k;
            if (!keep)
                for (int d : test.digits) board.cand[k][d] = 0;
        }
        for (auto [k, d] : test.lacking) board.cand[k][d] = 0;
        CountCandidates(board);
        // Only the routine of the right unit kind and size sees it.
        const bool onBlock = std::string(test.unit) == "block";
        KR_solver other = board;
        ExpectNothing(Apply(other, [&](KR_solver& b) {
            return onBlock ? ConfinedDigitsInLine(b, test.n) : ConfinedDigitsInBlock(b, test.n);
        }));
        if (test.n > 2) {
            KR_solver smaller = board;
            ExpectNothing(Apply(smaller, [&](KR_solver& b) {
                return onBlock ? ConfinedDigitsInBlock(b, test.n - 1) : ConfinedDigitsInLine(b, test.n - 1);
            }));
        }

        const Outcome outcome = Apply(board, [&](KR_solver& b) {
            return onBlock ? ConfinedDigitsInBlock(b, test.n) : ConfinedDigitsInLine(b, test.n);
        });
        ASSERT_TRUE(outcome.applied);
        CandSet removed;
        CandSet pattern;
        for (auto [r, c] : test.cells) {
            for (int d = 1; d <= 9; ++d) {
                const bool inSet = std::find(test.digits.begin(), test.digits.end(), d) != test.digits.end();
                if (!inSet)
                    removed.insert({CellIndex(r, c), d});
                else if (!test.lacking.count({CellIndex(r, c), d}))
                    pattern.insert({CellIndex(r, c), d});
            }
        }
        EXPECT_EQ(outcome.removed, removed);
        EXPECT_EQ(outcome.patternMarks, pattern);
        EXPECT_EQ(board.stepText, test.text);
        EXPECT_EQ(board.stepTechnique, test.technique);
    }
}

TEST(SubsetsConfinedDigits, RowsBeforeColumnsAndTheFirstCombinationWins) {
    KR_solver board = BoardFrom(kEmptyGrid);
    // Column 0: {1, 2} confined to rows 0 and 8. Row 8: {5, 6} confined to
    // columns 2 and 3, and {3, 4} too, to columns 4 and 5.
    for (int d : {1, 2}) RemoveDigit(board, d, {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}});
    for (int d : {5, 6}) RemoveDigitFrom(board, d, RowExcept(8, {2, 3}));
    for (int d : {3, 4}) RemoveDigitFrom(board, d, RowExcept(8, {4, 5}));
    auto pairInLine = [](KR_solver& b) { return ConfinedDigitsInLine(b, 2); };

    Outcome outcome = Apply(board, pairInLine);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.patternMarks, Cands({{8, 4}, {8, 5}}, {3, 4}));
    EXPECT_EQ(board.stepText, "定員確定2(行)。");

    CountCandidates(board);
    outcome = Apply(board, pairInLine);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.patternMarks, Cands({{8, 2}, {8, 3}}, {5, 6}));

    CountCandidates(board);
    outcome = Apply(board, pairInLine);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.patternMarks, Cands({{0, 0}, {8, 0}}, {1, 2}));
    EXPECT_EQ(board.stepText, "定員確定2(列)。");
}

TEST(SubsetsConfinedDigits, DigitPlacedInTheUnitNeverJoinsACombination) {
    // 5 is given at (0, 0); digit 4 is left in two cells of block 0 and of
    // row 0. {4, 5} then "occupies" two cells, which proves nothing.
    KR_solver board = BoardFrom("5" + std::string(80, '.'));
    RemoveDigit(board, 4, {{0, 1}, {0, 2}, {1, 0}, {1, 2}, {2, 0}, {2, 1}});
    RemoveDigitFrom(board, 4, RowExcept(0, {1, 7}));
    KR_solver copy = board;
    ExpectNothing(Apply(board, [](KR_solver& b) { return ConfinedDigitsInBlock(b, 2); }));
    ExpectNothing(Apply(copy, [](KR_solver& b) { return ConfinedDigitsInLine(b, 2); }));
}

// ---- 陰の定員確定n ----

TEST(SubsetsClosedCells, PairInARowClearsTheRestOfTheRow) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepCandidates(board, 3, 0, {2, 9});
    KeepCandidates(board, 3, 7, {2, 9});
    KR_solver blockOnly = board;
    ExpectNothing(Apply(blockOnly, [](KR_solver& b) { return ClosedCellsInBlock(b, 2); }));

    const Outcome outcome = Apply(board, [](KR_solver& b) { return ClosedCellsInLine(b, 2); });
    ASSERT_TRUE(outcome.applied);
    const CandSet removed = Cands({{3, 1}, {3, 2}, {3, 3}, {3, 4}, {3, 5}, {3, 6}, {3, 8}}, {2, 9});
    EXPECT_EQ(outcome.removed, removed);
    EXPECT_EQ(outcome.eliminatedMarks, removed);
    EXPECT_EQ(outcome.patternMarks, Cands({{3, 0}, {3, 7}}, {2, 9}));
    EXPECT_EQ(outcome.markedCells, CellSet({{3, 0}, {3, 7}}));
    EXPECT_EQ(board.stepText, "陰の定員確定2(行)。");
    EXPECT_EQ(board.stepTechnique, 16);
}

TEST(SubsetsClosedCells, EachSizeAndUnitKind) {
    struct Case {
        bool onBlock;
        int n;
        std::vector<std::pair<int, int>> cells;
        std::vector<std::vector<int>> cands;
        CandSet removed;
        const char* text;
        int technique;
    };
    const Case cases[] = {
        {true, 3, {{6, 6}, {7, 8}, {8, 7}}, {{1, 2}, {2, 3}, {1, 3}},
         Cands({{6, 7}, {6, 8}, {7, 6}, {7, 7}, {8, 6}, {8, 8}}, {1, 2, 3}), "陰の定員確定3(ブロック)。", 14},
        {true, 4, {{0, 3}, {0, 4}, {1, 5}, {2, 3}}, {{4, 5}, {5, 6}, {6, 7}, {4, 7}},
         Cands({{0, 5}, {1, 3}, {1, 4}, {2, 4}, {2, 5}}, {4, 5, 6, 7}), "陰の定員確定4(ブロック)。", 15},
        {false, 2, {{1, 5}, {7, 5}}, {{3, 4}, {3, 4}},
         Cands({{0, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {8, 5}}, {3, 4}), "陰の定員確定2(列)。", 16},
        {false, 3, {{4, 0}, {4, 4}, {4, 8}}, {{7, 8}, {8, 9}, {7, 9}},
         Cands({{4, 1}, {4, 2}, {4, 3}, {4, 5}, {4, 6}, {4, 7}}, {7, 8, 9}), "陰の定員確定3(行)。", 17},
        {false, 4, {{0, 2}, {3, 2}, {6, 2}, {8, 2}}, {{1, 2}, {2, 3}, {3, 4}, {1, 2, 3, 4}},
         Cands({{1, 2}, {2, 2}, {4, 2}, {5, 2}, {7, 2}}, {1, 2, 3, 4}), "陰の定員確定4(列)。", 18},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        KR_solver board = BoardFrom(kEmptyGrid);
        CandSet pattern;
        for (size_t i = 0; i < test.cells.size(); ++i) {
            const auto [r, c] = test.cells[i];
            uint8_t* cell = board.cand[CellIndex(r, c)];
            for (int d = 1; d <= 9; ++d) cell[d] = 0;
            for (int d : test.cands[i]) {
                cell[d] = 1;
                pattern.insert({CellIndex(r, c), d});
            }
        }
        CountCandidates(board);
        const Outcome outcome = Apply(board, [&](KR_solver& b) {
            return test.onBlock ? ClosedCellsInBlock(b, test.n) : ClosedCellsInLine(b, test.n);
        });
        ASSERT_TRUE(outcome.applied);
        EXPECT_EQ(outcome.removed, test.removed);
        EXPECT_EQ(outcome.patternMarks, pattern);
        EXPECT_EQ(board.stepText, test.text);
        EXPECT_EQ(board.stepTechnique, test.technique);
    }
}

TEST(SubsetsClosedCells, FilledCellNeverJoinsACombination) {
    // (0, 0) is given; (0, 5) holds {3, 6}. A filled cell has no candidates,
    // so with it the pair would look closed.
    KR_solver board = BoardFrom("1" + std::string(80, '.'));
    KeepCandidates(board, 0, 5, {3, 6});
    KeepCandidates(board, 1, 1, {3, 6});
    KR_solver line = board;
    ExpectNothing(Apply(board, [](KR_solver& b) { return ClosedCellsInBlock(b, 2); }));
    ExpectNothing(Apply(line, [](KR_solver& b) { return ClosedCellsInLine(b, 2); }));
}

TEST(SubsetsClosedCells, PairSharingRowAndBlockIsFoundAsTheBlockForm) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepCandidates(board, 3, 0, {2, 9});
    KeepCandidates(board, 3, 2, {2, 9});
    ResetHint(board.hint);
    int first = -1;
    for (int index : kPhase1Order) {
        if (TryTechnique(board, Technique(index).routine)) {
            first = index;
            break;
        }
    }
    EXPECT_EQ(first, 13);
    ASSERT_EQ(board.steps.size(), 1u);
    EXPECT_EQ(board.steps[0].text, "陰の定員確定2(ブロック)。");
    EXPECT_EQ(board.steps[0].technique, 13);
    // The block form leaves the rest of row 3 alone.
    EXPECT_TRUE(board.cand[CellIndex(3, 5)][2]);
    EXPECT_FALSE(board.cand[CellIndex(4, 1)][9]);
}

// ---- Soundness on real puzzles ----

TEST(SubsetsSoundness, NoSolutionDigitIsEverRemovedOnTop95) {
    test::ExpectSoundAcrossTop95({5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, 4, 4);
}

}  // namespace
}  // namespace masuvo
