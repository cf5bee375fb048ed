// The engine against the brute-force solution on real puzzles: no technique
// removes a solution digit, and no placement differs from the solution.
#include <gtest/gtest.h>

#include "engine/brute_force.h"
#include "engine/step_search.h"
#include "tests/engine/fixtures.h"

namespace masuvo {
namespace {

struct PuzzleSet {
    const char* file;
    size_t limit;
    size_t stride;  // every stride-th puzzle
};

std::vector<std::string> Puzzles(const PuzzleSet& set) {
    std::vector<std::string> puzzles;
    const auto lines = test::ReadDataLines(set.file, set.limit);
    for (size_t i = 0; i < lines.size(); i += set.stride) puzzles.push_back(lines[i].puzzle);
    return puzzles;
}

bool UniqueSolution(const std::string& puzzle, KR_base& solution) {
    KR_solver board = test::BoardFrom(puzzle);
    return CountSolutions(board, &solution) == 1;
}

// Applies every technique in the order of preference, one application at a
// time, checking each removal and placement against the solution.
void WalkTechniques(const std::string& puzzle, const KR_base& solution) {
    KR_solver board = test::BoardFrom(puzzle);
    auto checkCandidates = [&](int technique) {
        for (int k = 0; k < 81; ++k) {
            if (board.value[k / 9][k % 9] != 0) continue;
            ASSERT_EQ(board.cand[k][solution.value[k / 9][k % 9]], 1)
                << puzzle << ": technique " << technique << " removed the solution digit of cell " << k;
        }
    };
    auto placeIfFound = [&](int first) {
        for (int index = first; index <= 4; ++index) {
            if (!TryTechnique(board, Technique(index).routine)) continue;
            EXPECT_EQ(board.placeDigit, solution.value[board.placeRow][board.placeCol])
                << puzzle << ": technique " << index << " placed a wrong digit";
            board.value[board.placeRow][board.placeCol] = board.placeDigit;
            return true;
        }
        return false;
    };
    for (;;) {
        board.steps.clear();
        PrepareBoard(board);
        if (placeIfFound(0)) continue;
        bool placed = false;
        for (;;) {
            bool eliminated = false;
            for (int index : kPhase1Order) {
                if (!TryTechnique(board, Technique(index).routine)) continue;
                checkCandidates(index);
                if (testing::Test::HasFatalFailure()) return;
                eliminated = true;
                break;
            }
            if (!eliminated) break;
            CountCandidates(board);
            if (placeIfFound(2)) {
                placed = true;
                break;
            }
        }
        if (!placed) return;
    }
}

void SolveByLogicAgrees(const std::string& puzzle, const KR_base& solution) {
    KR_solver board = test::BoardFrom(puzzle);
    Usage usage;
    const int result = SolveByLogic(board, usage);
    EXPECT_NE(result, -1) << puzzle << ": " << board.errorText;
    int placed = 0;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            if (board.value[r][c] == 0) continue;
            EXPECT_EQ(board.value[r][c], solution.value[r][c]) << puzzle << " cell " << r << "," << c;
            ++placed;
        }
    if (result == 1) {
        EXPECT_EQ(placed, 81);
    }
    int placements = 0;
    for (int i = 0; i <= 4; ++i) placements += usage.count[i];
    int givens = 0;
    for (int k = 0; k < 81; ++k) givens += puzzle[k] != '.' && puzzle[k] != '0';
    EXPECT_EQ(placements, placed - givens) << puzzle << ": one placing step per placement";
}

class Soundness : public testing::TestWithParam<PuzzleSet> {};

TEST_P(Soundness, NoTechniqueRemovesASolutionDigit) {
    for (const std::string& puzzle : Puzzles(GetParam())) {
        KR_base solution;
        if (!UniqueSolution(puzzle, solution)) continue;
        WalkTechniques(puzzle, solution);
        if (HasFatalFailure()) return;
    }
}

TEST_P(Soundness, StepSearchPlacesOnlySolutionDigits) {
    for (const std::string& puzzle : Puzzles(GetParam())) {
        KR_base solution;
        if (!UniqueSolution(puzzle, solution)) continue;
        SolveByLogicAgrees(puzzle, solution);
    }
}

INSTANTIATE_TEST_SUITE_P(RealPuzzles, Soundness,
                         testing::Values(PuzzleSet{"top95.txt", SIZE_MAX, 1}, PuzzleSet{"hardest11.txt", SIZE_MAX, 1},
                                         PuzzleSet{"se_rated_sample2000.tsv", SIZE_MAX, 10},
                                         PuzzleSet{"graded_5000.csv", SIZE_MAX, 1},
                                         PuzzleSet{"sudoku17_sample1000.txt", SIZE_MAX, 5}),
                         [](const testing::TestParamInfo<PuzzleSet>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find_first_of("._"));
                         });

}  // namespace
}  // namespace masuvo
