#include <gtest/gtest.h>

#include "engine/elimination.h"
#include "engine/step_search.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

const std::string kSolution = "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

TEST(StepSearch, SingleCandidateIsOneStep) {
    std::string grid = kSolution;
    grid[CellIndex(4, 4)] = '.';
    KR_solver board = test::BoardFrom(grid);
    ASSERT_EQ(StepSearch(board, false), 1);
    ASSERT_EQ(board.steps.size(), 1u);
    EXPECT_EQ(board.steps[0].needed, 1);
    EXPECT_EQ(board.steps[0].technique, 0);
    EXPECT_EQ(board.value[4][4], 5);
}

TEST(StepSearch, CompleteGridHasNothingToPlace) {
    KR_solver board = test::BoardFrom(kSolution);
    EXPECT_EQ(StepSearch(board, false), 0);
    Usage usage;
    usage.count[3] = 7;
    EXPECT_EQ(SolveByLogic(board, usage), 1);
    EXPECT_TRUE(board.logText.empty());
    for (int i = 0; i < kTechniqueCount; ++i) EXPECT_EQ(usage.count[i], 0);
}

TEST(StepSearch, TargetThatNoChainDerives) {
    std::string grid = kSolution;
    for (int k : {0, 1, 9, 10}) grid[k] = '.';
    KR_solver board = test::BoardFrom(grid);
    board.placeRow = 0;
    board.placeCol = 0;
    board.placeDigit = 3;  // the cell's only candidate is 5
    EXPECT_EQ(StepSearch(board, true), 0);
    EXPECT_FALSE(board.targetMode);
    EXPECT_EQ(board.value[0][0], 0);

    board.placeDigit = 5;
    EXPECT_EQ(StepSearch(board, true), 1);
    EXPECT_FALSE(board.targetMode);
    EXPECT_EQ(board.value[0][0], 0) << "a confirmed target is not written";
}

TEST(StepSearch, SolveByLogicWritesNumberedLog) {
    std::string grid = kSolution;
    grid[0] = '.';
    grid[80] = '.';
    KR_solver board = test::BoardFrom(grid);
    Usage usage;
    ASSERT_EQ(SolveByLogic(board, usage), 1);
    EXPECT_EQ(board.logText, " 1: ブロックの完成です。\r\n 2: ブロックの完成です。\r\n");
    EXPECT_EQ(usage.count[0], 2);
}

TEST(StepSearch, SolveByLogicReportsDuplicatesAtTheEnd) {
    std::string grid = kSolution;
    grid[1] = '5';  // two 5s in row 0
    grid[2] = '.';
    KR_solver board = test::BoardFrom(grid);
    Usage usage;
    EXPECT_EQ(SolveByLogic(board, usage), -1);
    EXPECT_FALSE(board.errorText.empty());
}

TEST(StepSearch, TallyUsageCountsFollowers) {
    KR_solver board;
    for (int technique : {5, 5, 2}) {
        Step step;
        step.technique = technique;
        step.needed = 1;
        board.steps.push_back(step);
    }
    Step dropped;
    dropped.technique = 9;
    dropped.needed = 0;
    board.steps.insert(board.steps.begin() + 1, dropped);
    Usage usage;
    usage.count[9] = 4;
    TallyUsage(board, usage);
    EXPECT_EQ(usage.count[5], 2);
    EXPECT_EQ(usage.count[2], 1);
    EXPECT_EQ(usage.count[9], 0);
    EXPECT_EQ(usage.follow[5], 3);
    EXPECT_EQ(usage.follow[2], 0);

    Usage total;
    AddUsage(usage, total);
    AddUsage(usage, total);
    EXPECT_EQ(total.count[5], 4);
    EXPECT_EQ(total.follow[5], 6);
}

// Two fixture techniques on a board where 1 fits block 0 only in row 0 (1s at
// (1,3) and (2,6)): one removes an unrelated 2, the other clears 1 from (0,1)
// and (0,2) (so it must go to (0,0)) and also from (8,8), which the
// placement does not need.
bool RemoveUnrelated(KR_solver& board) {
    const bool removed = Eliminate(board, CellIndex(5, 5), 2);
    board.stepText = "A";
    board.stepTechnique = 5;
    return removed;
}

bool RemoveFromRowZero(KR_solver& board) {
    bool removed = false;
    for (int cell : {CellIndex(0, 1), CellIndex(0, 2), CellIndex(8, 8)}) removed |= Eliminate(board, cell, 1);
    board.stepText = "B";
    board.stepTechnique = 6;
    return removed;
}

TEST(StepSearch, PruningDropsUnneededStepsAndRemovals) {
    std::string grid(81, '.');
    grid[CellIndex(1, 3)] = '1';
    grid[CellIndex(2, 6)] = '1';
    KR_solver board = test::BoardFrom(grid);
    ASSERT_TRUE(TryTechnique(board, RemoveUnrelated));
    ASSERT_TRUE(TryTechnique(board, RemoveFromRowZero));
    CountCandidates(board);
    ASSERT_TRUE(TryTechnique(board, Technique(2).routine));
    ASSERT_EQ(board.placeRow, 0);
    ASSERT_EQ(board.placeCol, 0);
    ASSERT_EQ(board.placeDigit, 1);

    PruneSteps(board);

    ASSERT_EQ(board.steps.size(), 3u);
    EXPECT_EQ(board.steps[0].needed, 0);
    EXPECT_EQ(board.steps[1].needed, 1);
    EXPECT_EQ(board.steps[2].needed, 1);
    const KR_hint& kept = board.steps[1].hint;
    EXPECT_EQ(kept.candMark[CellIndex(0, 1)][1], 4);
    EXPECT_EQ(kept.candMark[CellIndex(0, 2)][1], 4);
    EXPECT_EQ(kept.candMark[CellIndex(8, 8)][1], 0) << "the removal the placement does not need is dropped";
    EXPECT_FALSE(board.replayMode);
    EXPECT_EQ(board.placeRow, 0);
    EXPECT_EQ(board.placeCol, 0);
    EXPECT_EQ(board.placeDigit, 1);

    std::vector<KR_hint> hints;
    BuildHintList(board, hints);
    ASSERT_EQ(hints.size(), 2u);
    EXPECT_EQ(hints[0].candFlags[CellIndex(0, 1)][1], 0);
    EXPECT_EQ(hints[1].candFlags[CellIndex(0, 1)][1], 2);
    EXPECT_EQ(hints[1].candFlags[CellIndex(0, 2)][1], 2);
    EXPECT_EQ(hints[1].candFlags[CellIndex(8, 8)][1], 0);
}

}  // namespace
}  // namespace masuvo
