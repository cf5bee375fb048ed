#include <gtest/gtest.h>

#include "engine/brute_force.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

int Givens(const std::string& puzzle) {
    int n = 0;
    for (int k = 0; k < 81; ++k) n += puzzle[k] >= '1' && puzzle[k] <= '9';
    return n;
}

// What CountSolutions must answer for a puzzle with the given number of solutions.
int ExpectedCount(const std::string& puzzle, long solutions) {
    if (Givens(puzzle) <= 16) return -1;
    return solutions > 2 ? 2 : static_cast<int>(solutions);
}

bool IsValidSolutionOf(const KR_base& solution, const std::string& puzzle) {
    for (int u = 0; u < 9; ++u) {
        int rowSeen = 0, colSeen = 0, blockSeen = 0;
        for (int i = 0; i < 9; ++i) {
            rowSeen |= 1 << solution.value[u][i];
            colSeen |= 1 << solution.value[i][u];
            const int k = BlockCell(u, i);
            blockSeen |= 1 << solution.value[k / 9][k % 9];
        }
        if (rowSeen != 0x3FE || colSeen != 0x3FE || blockSeen != 0x3FE) return false;
    }
    for (int k = 0; k < 81; ++k)
        if (puzzle[k] >= '1' && puzzle[k] <= '9' && solution.value[k / 9][k % 9] != puzzle[k] - '0') return false;
    return true;
}

int Count(const std::string& puzzle, KR_base* solution = nullptr) {
    KR_solver board = test::BoardFrom(puzzle);
    return CountSolutions(board, solution);
}

TEST(BruteForce, CountingCases) {
    for (const auto& line : test::ReadDataLines("counting_cases.txt")) {
        KR_base solution;
        const int count = Count(line.puzzle, &solution);
        EXPECT_EQ(count, ExpectedCount(line.puzzle, std::stol(line.second))) << line.puzzle;
        if (!line.third.empty() && count == 1) {
            EXPECT_EQ(GridText(solution), line.third) << line.puzzle;
        }
    }
}

TEST(BruteForce, ValidityCases) {
    const auto lines = test::ReadDataLines("validity_cases.txt");
    ASSERT_EQ(lines.size(), 19u);
    for (const auto& line : lines) {
        // ">=1000" stands for many solutions.
        const long solutions = line.second.rfind(">=", 0) == 0 ? 1000 : std::stol(line.second);
        EXPECT_EQ(Count(line.puzzle), ExpectedCount(line.puzzle, solutions)) << line.puzzle;
    }
}

TEST(BruteForce, MultiSolutionSample) {
    const auto lines = test::ReadDataLines("multi_solution_sample300.tsv");
    ASSERT_EQ(lines.size(), 300u);
    for (const auto& line : lines) {
        KR_base solution;
        const int count = Count(line.puzzle, &solution);
        EXPECT_EQ(count, ExpectedCount(line.puzzle, std::stol(line.second))) << line.puzzle;
        if (count == 2) {
            EXPECT_TRUE(IsValidSolutionOf(solution, line.puzzle)) << line.puzzle;
        }
    }
}

TEST(BruteForce, SeventeenCluePuzzlesHaveOneSolution) {
    const auto lines = test::ReadDataLines("sudoku17_sample1000.txt");
    ASSERT_EQ(lines.size(), 1000u);
    for (const auto& line : lines) {
        KR_base solution;
        ASSERT_EQ(Count(line.puzzle, &solution), 1) << line.puzzle;
        EXPECT_TRUE(IsValidSolutionOf(solution, line.puzzle)) << line.puzzle;
    }
}

TEST(BruteForce, SixteenGivensAreRefusedEvenWhenInconsistent) {
    std::string grid(81, '.');
    for (int k = 0; k < 16; ++k) grid[k * 5] = '1';  // many duplicates
    EXPECT_EQ(Count(grid), -1);
    grid[2] = '1';
    EXPECT_EQ(Count(grid), 0) << "with 17 digits the search runs and finds the duplicates";
}

TEST(BruteForce, CompleteGridAndDuplicates) {
    const std::string solved =
        "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    KR_base solution;
    EXPECT_EQ(Count(solved, &solution), 1);
    EXPECT_EQ(GridText(solution), solved);
    std::string duplicate = solved;
    duplicate[0] = '3';
    EXPECT_EQ(Count(duplicate), 0);
}

TEST(BruteForce, DeadlyPatternKeepsSecondSolution) {
    const std::string solved =
        "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    KR_base grid;
    ASSERT_TRUE(ParseGrid(solved, grid));
    // Find a rectangle in one band, two stacks, whose digits can swap.
    for (int r1 = 0; r1 < 9; ++r1)
        for (int r2 = r1 + 1; r2 < 3 * (r1 / 3) + 3; ++r2)
            for (int c1 = 0; c1 < 9; ++c1)
                for (int c2 = 3 * (c1 / 3) + 3; c2 < 9; ++c2) {
                    const int a = grid.value[r1][c1], b = grid.value[r1][c2];
                    if (grid.value[r2][c1] != b || grid.value[r2][c2] != a) continue;
                    std::string puzzle = solved;
                    for (int k : {CellIndex(r1, c1), CellIndex(r1, c2), CellIndex(r2, c1), CellIndex(r2, c2)})
                        puzzle[k] = '.';
                    KR_base solution;
                    ASSERT_EQ(Count(puzzle, &solution), 2);
                    EXPECT_EQ(solution.value[r1][c1], std::max(a, b)) << "the larger first guess is kept";
                    return;
                }
    FAIL() << "no deadly rectangle in the fixture";
}

TEST(BruteForce, SinglesOnlyPuzzleIsCompletedOnTheBoard) {
    const auto line = test::ReadDataLines("validity_cases.txt")[2];  // naked singles
    KR_solver board = test::BoardFrom(line.puzzle);
    ASSERT_EQ(CountSolutions(board, nullptr), 1);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) EXPECT_NE(board.value[r][c], 0);
}

}  // namespace
}  // namespace masuvo

namespace masuvo {
namespace {

// The bit-set counter against the reference on every kind of puzzle: the
// count, the kept solution and the digits left on the board agree.
TEST(BruteForce, FastCounterAgreesWithTheReference) {
    std::vector<std::string> puzzles;
    for (const char* file : {"counting_cases.txt", "validity_cases.txt", "multi_solution_sample300.tsv", "top95.txt",
                             "hardest11.txt"})
        for (const auto& line : test::ReadDataLines(file)) puzzles.push_back(line.puzzle);
    const auto seventeen = test::ReadDataLines("sudoku17_sample1000.txt");
    for (size_t i = 0; i < seventeen.size(); i += 4) puzzles.push_back(seventeen[i].puzzle);
    // Boards that contradict themselves at once, and a duplicate among the givens.
    std::string broken = puzzles.back();
    broken[0] = broken[0] == '.' ? '1' : '.';
    puzzles.push_back(broken);
    puzzles.push_back("11" + std::string(puzzles[0].begin() + 2, puzzles[0].end()));

    for (const std::string& puzzle : puzzles) {
        KR_solver fast = test::BoardFrom(puzzle);
        KR_solver reference = test::BoardFrom(puzzle);
        KR_base fastSolution, referenceSolution;
        ASSERT_EQ(CountSolutions(fast, &fastSolution), CountSolutionsReference(reference, &referenceSolution))
            << puzzle;
        EXPECT_EQ(GridText(fastSolution), GridText(referenceSolution)) << puzzle;
        KR_base fastBoard, referenceBoard;
        std::memcpy(fastBoard.value, fast.value, sizeof fast.value);
        std::memcpy(referenceBoard.value, reference.value, sizeof reference.value);
        EXPECT_EQ(GridText(fastBoard), GridText(referenceBoard)) << puzzle;
    }
}

}  // namespace
}  // namespace masuvo
