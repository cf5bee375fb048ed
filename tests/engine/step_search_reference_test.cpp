// The step search against the plain search of reference_search.h, on boards
// along the solutions of hard puzzles: the same result, placement and chain,
// step for step down to every mark of every hint, for the plain search, for
// target searches of right and wrong digits, and for whole rating runs.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/brute_force.h"
#include "engine/step_search.h"
#include "tests/engine/fixtures.h"
#include "tests/engine/reference_search.h"

namespace masuvo {
namespace {

KR_solver BoardOf(const KR_base& grid) {
    KR_solver board;
    std::memcpy(board.value, grid.value, sizeof board.value);
    return board;
}

// Why two boards differ after a search, or empty when they agree.
std::string Difference(const KR_solver& fast, const KR_solver& plain) {
    if (std::memcmp(fast.value, plain.value, sizeof fast.value) != 0) return "grid";
    if (fast.placeRow != plain.placeRow || fast.placeCol != plain.placeCol || fast.placeDigit != plain.placeDigit)
        return "placement";
    if (fast.targetMode || fast.replayMode) return "mode left set";
    if (fast.steps.size() != plain.steps.size()) return "number of steps";
    for (size_t i = 0; i < fast.steps.size(); ++i) {
        const Step& a = fast.steps[i];
        const Step& b = plain.steps[i];
        const std::string at = "step " + std::to_string(i) + ": ";
        if (a.text != b.text || a.technique != b.technique || a.routine != b.routine) return at + "technique";
        if (a.needed != b.needed) return at + "needed";
        if (std::memcmp(a.hint.cellMark, b.hint.cellMark, sizeof a.hint.cellMark) != 0) return at + "cell marks";
        if (std::memcmp(a.hint.candMark, b.hint.candMark, sizeof a.hint.candMark) != 0) return at + "candidate marks";
        if (std::memcmp(a.hint.candFlags, b.hint.candFlags, sizeof a.hint.candFlags) != 0) return at + "flags";
    }
    return "";
}

struct Solved {
    std::string puzzle;
    KR_base solution;
};

std::vector<Solved> Puzzles(const char* file, size_t stride) {
    std::vector<Solved> list;
    const auto lines = test::ReadDataLines(file);
    for (size_t i = 0; i < lines.size(); i += stride) {
        KR_solver board = test::BoardFrom(lines[i].puzzle);
        Solved entry{lines[i].puzzle, {}};
        if (CountSolutions(board, &entry.solution) == 1) list.push_back(entry);
    }
    return list;
}

// The givens, then the grid with every `step`-th empty cell (row-major) filled
// from the solution, again and again.
std::vector<KR_base> StatesAlong(const Solved& puzzle, int step) {
    KR_base grid;
    EXPECT_TRUE(ParseGrid(puzzle.puzzle, grid));
    std::vector<KR_base> states{grid};
    for (;;) {
        int filled = 0;
        for (int k = 0; k < 81 && filled < step; ++k) {
            if (grid.value[k / 9][k % 9] != 0) continue;
            grid.value[k / 9][k % 9] = puzzle.solution.value[k / 9][k % 9];
            ++filled;
        }
        if (filled < step) break;
        states.push_back(grid);
    }
    return states;
}

TEST(StepSearchAgainstPlainSearch, PlainAndTargetSearchesAlongSolutions) {
    std::mt19937 random(17);
    int searches = 0, chains = 0, failedTargets = 0;
    for (const char* file : {"hardest11.txt", "top95.txt"}) {
        for (const Solved& puzzle : Puzzles(file, file[0] == 'h' ? 2 : 6)) {
            for (const KR_base& state : StatesAlong(puzzle, 11)) {
                SCOPED_TRACE(GridText(state));
                KR_solver fast = BoardOf(state);
                KR_solver plain = BoardOf(state);
                ASSERT_EQ(StepSearch(fast, false), reference::StepSearch(plain, false));
                ASSERT_EQ(Difference(fast, plain), "");
                ++searches;
                chains += fast.steps.size() > 2;

                // Two empty cells, each with its solution digit and with another.
                std::vector<int> empty;
                for (int k = 0; k < 81; ++k)
                    if (state.value[k / 9][k % 9] == 0) empty.push_back(k);
                for (int probe = 0; probe < 2 && !empty.empty(); ++probe) {
                    const int k = empty[random() % empty.size()];
                    const int right = puzzle.solution.value[k / 9][k % 9];
                    for (int digit : {right, right % 9 + 1}) {
                        SCOPED_TRACE("target " + std::to_string(k) + "," + std::to_string(digit));
                        KR_solver fastTarget = BoardOf(state);
                        KR_solver plainTarget = BoardOf(state);
                        for (KR_solver* board : {&fastTarget, &plainTarget}) {
                            board->placeRow = k / 9;
                            board->placeCol = k % 9;
                            board->placeDigit = digit;
                        }
                        const int result = StepSearch(fastTarget, true);
                        ASSERT_EQ(result, reference::StepSearch(plainTarget, true));
                        ASSERT_EQ(Difference(fastTarget, plainTarget), "");
                        ++searches;
                        chains += fastTarget.steps.size() > 2;
                        failedTargets += result != 1;
                    }
                }
            }
        }
    }
    // Long chains to prune and targets that fail must both have come up.
    EXPECT_GT(searches, 500);
    EXPECT_GT(chains, 100);
    EXPECT_GT(failedTargets, 50);
}

TEST(StepSearchAgainstPlainSearch, RatingRunsGiveTheSameLogAndUsage) {
    std::vector<std::string> puzzles;
    const auto hard = test::ReadDataLines("top95.txt");
    for (size_t i = 0; i < hard.size(); i += 3) puzzles.push_back(hard[i].puzzle);
    for (const auto& line : test::ReadDataLines("sudoku17_sample1000.txt", 40)) puzzles.push_back(line.puzzle);
    // A board with a duplicate: the run still places what it can, then fails.
    puzzles.push_back("55...6.........7.13...........4..8..6......5...........418.........3..2...87.....");
    for (size_t i = 0; i < puzzles.size(); ++i) {
        SCOPED_TRACE(puzzles[i]);
        KR_solver fast = test::BoardFrom(puzzles[i]);
        KR_solver plain = test::BoardFrom(puzzles[i]);
        Usage fastUsage, plainUsage;
        ASSERT_EQ(SolveByLogic(fast, fastUsage), reference::SolveByLogic(plain, plainUsage));
        EXPECT_EQ(fast.logText, plain.logText);
        EXPECT_EQ(std::memcmp(&fastUsage, &plainUsage, sizeof fastUsage), 0);
        EXPECT_EQ(fast.errorText, plain.errorText);
        EXPECT_EQ(std::memcmp(fast.value, plain.value, sizeof fast.value), 0);
    }
}

}  // namespace
}  // namespace masuvo
