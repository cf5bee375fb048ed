#include <gtest/gtest.h>

#include "engine/techniques.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

// A solved grid to cut holes into.
const std::string kSolution = "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

std::string WithHoles(std::initializer_list<int> cells) {
    std::string grid = kSolution;
    for (int k : cells) grid[k] = '.';
    return grid;
}

struct Placement {
    int row, col, digit;
};

Placement PlacementOf(const KR_solver& board) { return {board.placeRow, board.placeCol, board.placeDigit}; }

TEST(BasicTechniques, BlockCompletionTakesLowerBlock) {
    KR_solver board = test::BoardFrom(WithHoles({CellIndex(4, 4), CellIndex(0, 0)}));
    ASSERT_TRUE(BlockCompletion(board));
    EXPECT_EQ(board.placeRow, 0);
    EXPECT_EQ(board.placeCol, 0);
    EXPECT_EQ(board.placeDigit, 5);
    EXPECT_EQ(board.stepText, "ブロックの完成です。");
    EXPECT_EQ(board.stepTechnique, 0);
}

TEST(BasicTechniques, LineCompletionRowsBeforeColumns) {
    std::string grid = WithHoles({CellIndex(0, 8), CellIndex(1, 8), CellIndex(1, 7), CellIndex(6, 0)});
    KR_solver board = test::BoardFrom(grid);
    ASSERT_TRUE(LineCompletion(board));
    EXPECT_EQ(board.stepText, "行の完成です。");
    EXPECT_EQ(board.placeRow, 0);
    EXPECT_EQ(board.placeCol, 8);
    EXPECT_EQ(board.placeDigit, 2);
    EXPECT_EQ(board.stepTechnique, 1);

    board.targetMode = true;
    board.placeRow = 6;
    board.placeCol = 0;
    board.placeDigit = 9;
    ASSERT_TRUE(LineCompletion(board));
    EXPECT_EQ(board.stepText, "行の完成です。");

    // Row 1 has two holes; column 7 has only this one, so the column form confirms it.
    board.placeRow = 1;
    board.placeCol = 7;
    board.placeDigit = 4;
    ASSERT_TRUE(LineCompletion(board));
    EXPECT_EQ(board.stepText, "列の完成です。");
}

TEST(BasicTechniques, CompletionTakesLargerMissingDigitOnDuplicates) {
    // Row 0 with one hole and a duplicate 5: 3 and 4 are missing; the larger is taken.
    std::string grid(81, '.');
    const std::string row = "55.678912";  // 3 and 4 missing
    for (int c = 0; c < 9; ++c) grid[c] = row[c];
    KR_solver board = test::BoardFrom(grid);
    ASSERT_TRUE(LineCompletion(board));
    EXPECT_EQ(board.placeDigit, 4);
}

TEST(BasicTechniques, SinglePlacesAndCellCompletion) {
    // Holes whose digits are forced in several ways; each technique reports its first instance.
    KR_solver board = test::BoardFrom(WithHoles({0, 1, 9, 10, 40, 41, 49, 50}));
    ASSERT_TRUE(BlockSinglePlace(board));
    EXPECT_EQ(board.stepText, "ブロック内の配置です。");
    EXPECT_EQ(board.stepTechnique, 2);
    EXPECT_EQ(board.placeRow, 0);
    EXPECT_EQ(board.placeCol, 1) << "digit 3 of block 0 has one place; digits are the inner loop";
    EXPECT_EQ(board.placeDigit, 3);

    ASSERT_TRUE(LineSinglePlace(board));
    EXPECT_EQ(board.stepText, "行内の配置です。");
    EXPECT_EQ(board.stepTechnique, 3);
    EXPECT_EQ(board.placeRow, 0);
    EXPECT_EQ(board.placeCol, 1);

    ASSERT_TRUE(CellCompletion(board));
    EXPECT_EQ(board.stepText, "セルの完成です。");
    EXPECT_EQ(board.stepTechnique, 4);
    EXPECT_EQ(board.placeRow, 0);
    EXPECT_EQ(board.placeCol, 0);
    EXPECT_EQ(board.placeDigit, 5);
}

TEST(BasicTechniques, TargetModeConfirmsOnlyTheTarget) {
    KR_solver board = test::BoardFrom(WithHoles({0, 1, 9, 10, 40, 41, 49, 50}));
    board.targetMode = true;
    // A valid single place in block 4 succeeds although block 0 has one first.
    board.placeRow = 4;
    board.placeCol = 4;
    board.placeDigit = 5;
    ASSERT_TRUE(BlockSinglePlace(board));
    EXPECT_EQ(PlacementOf(board).row, 4);
    EXPECT_EQ(PlacementOf(board).col, 4);
    // A wrong digit is confirmed by nothing, and the fields stay.
    board.stepText = "before";
    board.placeDigit = 6;
    EXPECT_FALSE(BlockSinglePlace(board));
    EXPECT_FALSE(LineSinglePlace(board));
    EXPECT_FALSE(CellCompletion(board));
    EXPECT_EQ(board.placeDigit, 6);
    EXPECT_EQ(board.stepText, "before");
}

}  // namespace
}  // namespace masuvo
