#include <gtest/gtest.h>

#include "engine/board.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

TEST(Board, BlockNumbering) {
    EXPECT_EQ(BlockOf(4, 7), 5);
    EXPECT_EQ(BlockOf(8, 0), 6);
    for (int b = 0; b < 9; ++b) {
        EXPECT_EQ(BlockCell(b, 0), CellIndex(3 * (b / 3), 3 * (b % 3)));
        EXPECT_EQ(BlockCell(b, 8), CellIndex(3 * (b / 3) + 2, 3 * (b % 3) + 2));
    }
}

TEST(Board, FreshBoardIsEmpty) {
    KR_solver board;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) EXPECT_EQ(board.value[r][c], 0);
    EXPECT_TRUE(board.errorText.empty());
    EXPECT_TRUE(board.logText.empty());
    EXPECT_TRUE(board.stepText.empty());
    EXPECT_TRUE(board.steps.empty());
    EXPECT_FALSE(board.replayMode);
    EXPECT_FALSE(board.targetMode);
    EXPECT_EQ(board.placeRow, 0);
    EXPECT_EQ(board.placeCol, 0);
}

TEST(Board, CopyStateCopiesGridAndCandidatesOnly) {
    KR_solver source = test::BoardFrom(
        "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......");
    source.errorText = "source";
    KR_solver destination;
    destination.errorText = "kept";
    destination.logText = "kept log";
    destination.hint.cellMark[3] = 1;
    destination.steps.emplace_back();
    destination.blockCount[0][0] = 42;

    CopyState(destination, source);

    EXPECT_EQ(std::memcmp(destination.value, source.value, sizeof source.value), 0);
    EXPECT_EQ(std::memcmp(destination.cand, source.cand, sizeof source.cand), 0);
    EXPECT_EQ(std::memcmp(destination.rowCand, source.rowCand, sizeof source.rowCand), 0);
    EXPECT_EQ(std::memcmp(destination.cellCand, source.cellCand, sizeof source.cellCand), 0);
    EXPECT_EQ(destination.errorText, "kept");
    EXPECT_EQ(destination.logText, "kept log");
    EXPECT_EQ(destination.hint.cellMark[3], 1);
    EXPECT_EQ(destination.steps.size(), 1u);
    EXPECT_EQ(destination.blockCount[0][0], 42);
}

TEST(Board, ParseGridAcceptsDotsAndZerosAndRejectsOthers) {
    KR_base grid;
    const std::string puzzle = "4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......";
    ASSERT_TRUE(ParseGrid(puzzle, grid));
    EXPECT_EQ(grid.value[0][0], 4);
    EXPECT_EQ(GridText(grid), puzzle);
    std::string zeros = puzzle;
    for (char& c : zeros)
        if (c == '.') c = '0';
    KR_base fromZeros;
    ASSERT_TRUE(ParseGrid(zeros, fromZeros));
    EXPECT_EQ(GridText(fromZeros), puzzle);
    EXPECT_FALSE(ParseGrid(puzzle.substr(0, 80), grid));
    std::string letter = puzzle;
    letter[0] = 'x';
    EXPECT_FALSE(ParseGrid(letter, grid));
}

}  // namespace
}  // namespace masuvo
