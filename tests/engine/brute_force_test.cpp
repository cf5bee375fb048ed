#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

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

using Counter = int (*)(KR_solver&, KR_base*);

// What a counter leaves behind: the count, the solution grid and the board's
// own grid. The solution starts as a full grid that is no solution, so a
// counter that writes it when it should not shows.
struct Outcome {
    int count;
    std::string solution;
    std::string board;
};

Outcome Run(Counter counter, const std::string& puzzle) {
    KR_solver board = test::BoardFrom(puzzle);
    KR_base solution;
    for (int k = 0; k < 81; ++k) solution.value[k / 9][k % 9] = k % 9 + 1;
    const int count = counter(board, &solution);
    KR_base grid;
    std::memcpy(grid.value, board.value, sizeof grid.value);
    return {count, GridText(solution), GridText(grid)};
}

// The bit-plane counter and the earlier rescanning one against the
// reference: same count, same kept solution (the second one of a row-major
// search when there are several), same digits left on the board, and the
// solution untouched when there is none.
void ExpectAgreement(const std::string& puzzle) {
    const Outcome reference = Run(CountSolutionsReference, puzzle);
    const std::pair<const char*, Counter> counters[] = {{"planes", CountSolutions}, {"rescan", CountSolutionsRescan}};
    for (const auto& [name, counter] : counters) {
        const Outcome fast = Run(counter, puzzle);
        EXPECT_EQ(fast.count, reference.count) << name << " " << puzzle;
        EXPECT_EQ(fast.solution, reference.solution) << name << " " << puzzle;
        EXPECT_EQ(fast.board, reference.board) << name << " " << puzzle;
    }
}

class CountersAgreeOnSet : public testing::TestWithParam<const char*> {};

TEST_P(CountersAgreeOnSet, EveryPuzzle) {
    const auto lines = test::ReadDataLines(GetParam());
    ASSERT_FALSE(lines.empty());
    for (const auto& line : lines) ExpectAgreement(line.puzzle);
}

INSTANTIATE_TEST_SUITE_P(BruteForce, CountersAgreeOnSet,
                         testing::Values("counting_cases.txt", "validity_cases.txt", "multi_solution_sample300.tsv",
                                         "sudoku17_sample1000.txt", "top95.txt", "hardest11.txt", "graded_5000.csv"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// Boards that contradict themselves at once, and a duplicate among the givens.
TEST(BruteForce, CountersAgreeOnBrokenBoards) {
    const std::string puzzle = test::ReadDataLines("top95.txt")[0].puzzle;
    std::string broken = puzzle;
    broken[0] = broken[0] == '.' ? '1' : '.';
    ExpectAgreement(broken);
    ExpectAgreement("11" + puzzle.substr(2));
}

// Seeded random boards: a shuffled solution grid dug down to 17..30 givens,
// either at random (mostly several solutions) or only while the solution
// stays unique; one board in four then gets a given changed, which mostly
// leaves no solution, sometimes at once (a duplicate or an empty cell
// before the first guess), sometimes only deep in the search.
class DugBoards {
public:
    explicit DugBoards(uint64_t seed) : state_(seed) {}

    std::string Next() {
        std::string grid = ShuffledSolution();
        const int givens = 17 + static_cast<int>(Draw(14));
        const bool keepUnique = Draw(2) == 0;
        int order[81];
        for (int k = 0; k < 81; ++k) order[k] = k;
        for (int k = 80; k > 0; --k) std::swap(order[k], order[Draw(k + 1)]);
        int left = 81;
        for (int i = 0; i < 81 && left > givens; ++i) {
            const char kept = grid[order[i]];
            grid[order[i]] = '.';
            if (keepUnique && left <= 40 && Count(grid) != 1) {
                grid[order[i]] = kept;
                continue;
            }
            --left;
        }
        if (Draw(4) == 0) {
            int k = static_cast<int>(Draw(81));
            while (grid[k] == '.') k = (k + 1) % 81;
            grid[k] = static_cast<char>('1' + (grid[k] - '1' + 1 + Draw(8)) % 9);
        }
        return grid;
    }

private:
    // xorshift64: the same boards on every platform.
    uint64_t Draw(uint64_t n) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_ % n;
    }

    // Digging only shapes the mix; the agreement is checked afterwards.
    static int Count(const std::string& puzzle) {
        KR_solver board = test::BoardFrom(puzzle);
        return CountSolutions(board, nullptr);
    }

    // Relabelled digits, rows shuffled within bands and bands among
    // themselves, the same for columns, and sometimes transposed.
    std::string ShuffledSolution() {
        const std::string base =
            "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
        int digit[9], row[9], col[9];
        for (int i = 0; i < 9; ++i) digit[i] = i;
        for (int i = 8; i > 0; --i) std::swap(digit[i], digit[Draw(i + 1)]);
        for (int* line : {row, col}) {
            int bands[3] = {0, 1, 2};
            for (int i = 2; i > 0; --i) std::swap(bands[i], bands[Draw(i + 1)]);
            for (int b = 0; b < 3; ++b) {
                int inner[3] = {0, 1, 2};
                for (int i = 2; i > 0; --i) std::swap(inner[i], inner[Draw(i + 1)]);
                for (int i = 0; i < 3; ++i) line[3 * b + i] = 3 * bands[b] + inner[i];
            }
        }
        const bool transpose = Draw(2) == 0;
        std::string grid(81, '.');
        for (int r = 0; r < 9; ++r)
            for (int c = 0; c < 9; ++c) {
                const int from = transpose ? CellIndex(col[c], row[r]) : CellIndex(row[r], col[c]);
                grid[CellIndex(r, c)] = static_cast<char>('1' + digit[base[from] - '1']);
            }
        return grid;
    }

    uint64_t state_;
};

TEST(BruteForce, CountersAgreeOnDugBoards) {
    DugBoards boards(0x9E3779B97F4A7C15ull);
    int counts[3] = {};
    for (int i = 0; i < 1500; ++i) {
        const std::string puzzle = boards.Next();
        ExpectAgreement(puzzle);
        KR_solver board = test::BoardFrom(puzzle);
        ++counts[CountSolutions(board, nullptr)];
    }
    // The mix the boards are made for.
    EXPECT_GT(counts[0], 150) << counts[0] << " " << counts[1] << " " << counts[2];
    EXPECT_GT(counts[1], 200) << counts[0] << " " << counts[1] << " " << counts[2];
    EXPECT_GT(counts[2], 500) << counts[0] << " " << counts[1] << " " << counts[2];
}

}  // namespace
}  // namespace masuvo
