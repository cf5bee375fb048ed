// 対角線, マトリックスn and 三すくみ.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/catalogue.h"
#include "tests/engine/soundness_walk.h"
#include "engine/step_search.h"
#include "engine/techniques.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

using test::BoardFrom;
using test::KeepCandidates;

const std::string kEmptyGrid(81, '.');

using CandSet = std::set<std::pair<int, int>>;  // (cell, digit)
using CellList = std::vector<std::pair<int, int>>;

CandSet Cands(const CellList& cells, std::initializer_list<int> digits) {
    CandSet set;
    for (auto [r, c] : cells)
        for (int d : digits) set.insert({CellIndex(r, c), d});
    return set;
}

CellList Column(int col, std::initializer_list<int> rows) {
    CellList cells;
    for (int r : rows) cells.push_back({r, col});
    return cells;
}

CellList Row(int row, std::initializer_list<int> cols) {
    CellList cells;
    for (int c : cols) cells.push_back({row, c});
    return cells;
}

CellList Join(std::initializer_list<CellList> parts) {
    CellList cells;
    for (const CellList& part : parts) cells.insert(cells.end(), part.begin(), part.end());
    return cells;
}

// Leaves digit in the row only at the given columns, then recounts.
void KeepInRow(KR_solver& board, int digit, int row, std::initializer_list<int> cols) {
    for (int c = 0; c < 9; ++c) board.cand[CellIndex(row, c)][digit] = 0;
    for (int c : cols) board.cand[CellIndex(row, c)][digit] = 1;
    CountCandidates(board);
}

void KeepInColumn(KR_solver& board, int digit, int col, std::initializer_list<int> rows) {
    for (int r = 0; r < 9; ++r) board.cand[CellIndex(r, col)][digit] = 0;
    for (int r : rows) board.cand[CellIndex(r, col)][digit] = 1;
    CountCandidates(board);
}

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

std::set<int> CellSet(const CellList& cells) {
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

bool Matrix3(KR_solver& board) { return LinePattern(board, 3); }
bool Matrix4(KR_solver& board) { return LinePattern(board, 4); }

// ---- 対角線 ----

TEST(LinePatternsTwoLine, TwoRowsClearTheirTwoColumns) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepInRow(board, 5, 1, {2, 7});
    KeepInRow(board, 5, 4, {2, 7});
    const Outcome outcome = Apply(board, TwoLinePattern);
    ASSERT_TRUE(outcome.applied);
    const CandSet removed =
        Cands(Join({Column(2, {0, 2, 3, 5, 6, 7, 8}), Column(7, {0, 2, 3, 5, 6, 7, 8})}), {5});
    EXPECT_EQ(outcome.removed, removed);
    EXPECT_EQ(outcome.eliminatedMarks, removed);
    const CellList corners = {{1, 2}, {1, 7}, {4, 2}, {4, 7}};
    EXPECT_EQ(outcome.patternMarks, Cands(corners, {5}));
    EXPECT_EQ(outcome.markedCells, CellSet(corners));
    EXPECT_EQ(board.stepText, "対角線。");
    EXPECT_EQ(board.stepTechnique, 19);
}

TEST(LinePatternsTwoLine, TwoRowsOfOneBandAlsoClearTheThirdRowInBothBlocks) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepInRow(board, 5, 0, {1, 5});
    KeepInRow(board, 5, 2, {1, 5});
    const Outcome outcome = Apply(board, TwoLinePattern);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands(Join({Column(1, {1, 3, 4, 5, 6, 7, 8}), Column(5, {1, 3, 4, 5, 6, 7, 8}),
                                           Row(1, {0, 2, 3, 4})}),
                                     {5}));
    EXPECT_EQ(outcome.patternMarks, Cands({{0, 1}, {0, 5}, {2, 1}, {2, 5}}, {5}));
}

TEST(LinePatternsTwoLine, TwoColumnsOfOneStackAlsoClearTheThirdColumnInBothBands) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepInColumn(board, 8, 3, {2, 6});
    KeepInColumn(board, 8, 5, {2, 6});
    const Outcome outcome = Apply(board, TwoLinePattern);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands(Join({Row(2, {0, 1, 2, 4, 6, 7, 8}), Row(6, {0, 1, 2, 4, 6, 7, 8}),
                                           Column(4, {0, 1, 7, 8})}),
                                     {8}));
    EXPECT_EQ(outcome.patternMarks, Cands({{2, 3}, {2, 5}, {6, 3}, {6, 5}}, {8}));
    EXPECT_EQ(board.stepText, "対角線。");
}

TEST(LinePatternsTwoLine, RowWithAThirdCandidateIsNoBaseLine) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepInRow(board, 5, 1, {2, 7});
    KeepInRow(board, 5, 4, {2, 7, 8});
    ExpectNothing(Apply(board, TwoLinePattern));
}

TEST(LinePatternsTwoLine, RowPassBeforeColumnPassAndSpentPatternsAreSkipped) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepInColumn(board, 1, 0, {3, 7});
    KeepInColumn(board, 1, 8, {3, 7});
    KeepInRow(board, 9, 2, {0, 4});
    KeepInRow(board, 9, 5, {0, 4});

    Outcome outcome = Apply(board, TwoLinePattern);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.patternMarks, Cands({{2, 0}, {2, 4}, {5, 0}, {5, 4}}, {9}));

    CountCandidates(board);
    outcome = Apply(board, TwoLinePattern);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.patternMarks, Cands({{3, 0}, {3, 8}, {7, 0}, {7, 8}}, {1}));

    CountCandidates(board);
    ExpectNothing(Apply(board, TwoLinePattern));
}

// ---- マトリックスn ----

TEST(LinePatternsMatrix, ThreeRowsInThreeColumnsMarkEveryEmptyCrossing) {
    // (4, 1) holds a given, so that crossing is not marked.
    std::string grid = kEmptyGrid;
    grid[CellIndex(4, 1)] = '3';
    KR_solver board = BoardFrom(grid);
    KeepInRow(board, 7, 0, {1, 4});
    KeepInRow(board, 7, 4, {4, 7});
    KeepInRow(board, 7, 8, {1, 7});
    KR_solver twoLine = board;
    ExpectNothing(Apply(twoLine, TwoLinePattern));

    const Outcome outcome = Apply(board, Matrix3);
    ASSERT_TRUE(outcome.applied);
    const std::initializer_list<int> others = {1, 2, 3, 5, 6, 7};
    const CandSet removed = Cands(Join({Column(1, others), Column(4, others), Column(7, others)}), {7});
    EXPECT_EQ(outcome.removed, removed);
    EXPECT_EQ(outcome.eliminatedMarks, removed);
    // Crossings without the digit are part of the frame too.
    const CellList crossings = {{0, 1}, {0, 4}, {0, 7}, {4, 4}, {4, 7}, {8, 1}, {8, 4}, {8, 7}};
    EXPECT_EQ(outcome.patternMarks, Cands(crossings, {7}));
    EXPECT_EQ(outcome.markedCells, CellSet(crossings));
    EXPECT_EQ(board.stepText, "マトリックス3。");
    EXPECT_EQ(board.stepTechnique, 21);
}

TEST(LinePatternsMatrix, FourColumnsInFourRows) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepInColumn(board, 2, 1, {0, 3});
    KeepInColumn(board, 2, 2, {3, 5});
    KeepInColumn(board, 2, 5, {5, 8});
    KeepInColumn(board, 2, 6, {0, 8});
    KR_solver smaller = board;
    ExpectNothing(Apply(smaller, Matrix3));

    const Outcome outcome = Apply(board, Matrix4);
    ASSERT_TRUE(outcome.applied);
    const std::initializer_list<int> others = {0, 3, 4, 7, 8};
    EXPECT_EQ(outcome.removed, Cands(Join({Row(0, others), Row(3, others), Row(5, others), Row(8, others)}), {2}));
    EXPECT_EQ(outcome.markedCells.size(), 16u);
    EXPECT_EQ(board.stepText, "マトリックス4。");
    EXPECT_EQ(board.stepTechnique, 22);
}

TEST(LinePatternsMatrix, RowHoldingTheDigitNeverJoinsACombination) {
    // 6 is given in row 0; rows 3 and 6 keep it in three columns. Two rows
    // in three columns confine nothing.
    KR_solver board = BoardFrom("6" + std::string(80, '.'));
    KeepInRow(board, 6, 3, {2, 4});
    KeepInRow(board, 6, 6, {4, 8});
    ExpectNothing(Apply(board, Matrix3));
}

// ---- 三すくみ ----

TEST(LinePatternsThreeCells, PincersClearTheFourthCorner) {
    KR_solver board = BoardFrom(kEmptyGrid);
    KeepCandidates(board, 4, 4, {1, 2});
    KeepCandidates(board, 4, 8, {2, 3});
    KeepCandidates(board, 0, 4, {1, 3});
    const Outcome outcome = Apply(board, ThreeBivalueCells);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{0, 8}}, {3}));
    EXPECT_EQ(outcome.eliminatedMarks, Cands({{0, 8}}, {3}));
    CandSet pattern = Cands({{4, 4}}, {1, 2});
    pattern.merge(Cands({{4, 8}}, {2, 3}));
    pattern.merge(Cands({{0, 4}}, {1, 3}));
    EXPECT_EQ(outcome.patternMarks, pattern);
    EXPECT_EQ(outcome.markedCells, CellSet({{4, 4}, {4, 8}, {0, 4}}));
    EXPECT_EQ(board.stepText, "三すくみ。");
    EXPECT_EQ(board.stepTechnique, 20);
}

TEST(LinePatternsThreeCells, EachCornerAsPivot) {
    // Rectangle rows 2, 6 and columns 1, 5: A (2,1), B (2,5), C (6,1), D (6,5).
    struct Case {
        std::pair<int, int> pivot, pincer1, pincer2, target;
    };
    const Case cases[] = {
        {{6, 5}, {2, 5}, {6, 1}, {2, 1}},
        {{6, 1}, {2, 1}, {6, 5}, {2, 5}},
        {{2, 5}, {2, 1}, {6, 5}, {6, 1}},
        {{2, 1}, {2, 5}, {6, 1}, {6, 5}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << "pivot " << test.pivot.first << "," << test.pivot.second);
        KR_solver board = BoardFrom(kEmptyGrid);
        KeepCandidates(board, test.pivot.first, test.pivot.second, {4, 9});
        KeepCandidates(board, test.pincer1.first, test.pincer1.second, {4, 6});
        KeepCandidates(board, test.pincer2.first, test.pincer2.second, {6, 9});
        const Outcome outcome = Apply(board, ThreeBivalueCells);
        ASSERT_TRUE(outcome.applied);
        EXPECT_EQ(outcome.removed, Cands({test.target}, {6}));
        EXPECT_EQ(outcome.markedCells, CellSet({test.pivot, test.pincer1, test.pincer2}));
    }
}

TEST(LinePatternsThreeCells, NoPatternOrNothingToRemove) {
    {
        // The fourth corner lacks the pincers' digit.
        KR_solver board = BoardFrom(kEmptyGrid);
        KeepCandidates(board, 4, 4, {1, 2});
        KeepCandidates(board, 4, 8, {2, 3});
        KeepCandidates(board, 0, 4, {1, 3});
        KeepCandidates(board, 0, 8, {1, 2, 4});
        ExpectNothing(Apply(board, ThreeBivalueCells));
    }
    {
        // Pincer linked to the pivot through their block, not a rectangle corner.
        KR_solver board = BoardFrom(kEmptyGrid);
        KeepCandidates(board, 4, 4, {1, 2});
        KeepCandidates(board, 4, 8, {2, 3});
        KeepCandidates(board, 3, 3, {1, 3});
        ExpectNothing(Apply(board, ThreeBivalueCells));
    }
    {
        // Three bivalue corners, but the pincers share no digit.
        KR_solver board = BoardFrom(kEmptyGrid);
        KeepCandidates(board, 4, 4, {1, 2});
        KeepCandidates(board, 4, 8, {1, 3});
        KeepCandidates(board, 0, 4, {2, 4});
        ExpectNothing(Apply(board, ThreeBivalueCells));
    }
}

TEST(LinePatternsThreeCells, RectanglesByFirstRowThenFirstColumn) {
    KR_solver board = BoardFrom(kEmptyGrid);
    // Rectangle rows 0, 1 and columns 5, 6, digits 4..6.
    KeepCandidates(board, 1, 6, {4, 5});
    KeepCandidates(board, 0, 6, {4, 6});
    KeepCandidates(board, 1, 5, {5, 6});
    // Rectangle rows 0, 8 and columns 2, 3, digits 1..3: reached first,
    // since its first column comes earlier.
    KeepCandidates(board, 8, 3, {1, 2});
    KeepCandidates(board, 0, 3, {1, 3});
    KeepCandidates(board, 8, 2, {2, 3});

    Outcome outcome = Apply(board, ThreeBivalueCells);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{0, 2}}, {3}));

    CountCandidates(board);
    outcome = Apply(board, ThreeBivalueCells);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ(outcome.removed, Cands({{0, 5}}, {6}));
}

// ---- Soundness on real puzzles ----

TEST(LinePatternsSoundness, NoSolutionDigitIsEverRemovedOnTop95) {
    test::ExpectSoundAcrossTop95({19, 20, 21, 22}, 4, 2);
}

}  // namespace
}  // namespace masuvo
