#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/brute_force.h"
#include "engine/catalogue.h"
#include "engine/step_search.h"
#include "generator/constructed_drill.h"
#include "generator/constructed_drill_puzzles.h"
#include "generator/drill.h"
#include "generator/published_drill_puzzles.h"

namespace masuvo {
namespace {

Drill Made(int technique, int number, int threads) {
    DrillRequest request;
    request.technique = technique;
    request.number = number;
    request.threads = threads;
    const DrillOutcome outcome = CreateDrill(request);
    EXPECT_EQ(outcome.status, CreationStatus::Found) << technique << "/" << number;
    return outcome.drill;
}

// What a drill promises: one solution, which places the answer; the hint on
// the position places the answer and names the technique; the position is
// the puzzle with some of the puzzle's own solution filled in.
void ExpectSoundDrill(const Drill& drill, int technique) {
    KR_solver counter;
    std::memcpy(counter.value, drill.position.value, sizeof counter.value);
    KR_base solution;
    ASSERT_EQ(CountSolutions(counter, &solution), 1);
    EXPECT_EQ(drill.position.value[drill.row][drill.col], 0);
    EXPECT_EQ(solution.value[drill.row][drill.col], drill.digit);

    KR_solver board;
    std::memcpy(board.value, drill.position.value, sizeof board.value);
    ASSERT_EQ(StepSearch(board, false), 1);
    EXPECT_EQ(board.placeRow, drill.row);
    EXPECT_EQ(board.placeCol, drill.col);
    EXPECT_EQ(board.placeDigit, drill.digit);
    bool named = false;
    for (const Step& step : board.steps)
        if (step.needed != 0 && step.technique == technique) named = true;
    EXPECT_TRUE(named) << technique;
    EXPECT_NE(std::find(drill.techniques.begin(), drill.techniques.end(), technique), drill.techniques.end());

    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            if (drill.puzzle.value[r][c] != 0) {
                EXPECT_EQ(drill.position.value[r][c], drill.puzzle.value[r][c]);
            }
            if (drill.position.value[r][c] != 0) {
                EXPECT_EQ(drill.position.value[r][c], solution.value[r][c]);
            }
        }
}

TEST(Drill, DrillsAskForTheirTechnique) {
    // One technique of each family, two numbers each; the whole set of
    // drills 1–5 of every technique is checked by bench/drill_times.sh.
    for (int technique : {2, 4, 5, 7, 19, 23, 27}) {
        for (int number : {1, 2}) {
            const Drill drill = Made(technique, number, 2);
            ExpectSoundDrill(drill, technique);
        }
    }
}

TEST(Drill, SameDrillWithOneAndTwoThreads) {
    const Drill one = Made(5, 2, 1);
    const Drill two = Made(5, 2, 2);
    EXPECT_EQ(GridText(one.position), GridText(two.position));
    EXPECT_EQ(one.row * 100 + one.col * 10 + one.digit, two.row * 100 + two.col * 10 + two.digit);
    EXPECT_EQ(one.texts, two.texts);
}

// The table of the rare techniques' first drills stands for the search: each
// tabled drill is sound and carries its iteration, and a number the search
// finds nothing for comes from a kept puzzle (published, or built for the
// technique). Every tabled number has a drill.
TEST(Drill, TabledAndKeptDrillsAreSound) {
    int tabled = 0;
    int fromKept = 0;
    for (int technique = 0; technique < kTechniqueCount; ++technique)
        for (int number = 1; number <= 5; ++number) {
            int iteration = 0;
            if (!KnownDrillIteration(technique, number, iteration)) continue;
            ++tabled;
            DrillRequest request;
            request.technique = technique;
            request.number = number;
            request.threads = 1;
            int progressed = 0;
            request.progress = [&](int done) { progressed = done; };
            const DrillOutcome outcome = CreateDrill(request);
            EXPECT_EQ(progressed, kDrillIterations);  // the bar ends full, as after a search
            ASSERT_EQ(outcome.status, CreationStatus::Found) << technique << "/" << number;
            if (iteration < 0) {
                const char* kept = KeptDrillPuzzle(technique, number);
                ASSERT_NE(kept, nullptr) << technique << "/" << number;
                ++fromKept;
                EXPECT_EQ(outcome.iteration, -1);
                KR_base grid;
                ParseGrid(kept, grid);
                EXPECT_EQ(GridText(outcome.drill.puzzle), GridText(grid));
                ExpectSoundDrill(outcome.drill, technique);
                continue;
            }
            EXPECT_EQ(outcome.iteration, iteration);
            ExpectSoundDrill(outcome.drill, technique);
        }
    EXPECT_GT(tabled, 0);
    EXPECT_GT(fromKept, 0);
    int iteration = 0;
    EXPECT_FALSE(KnownDrillIteration(5, 1, iteration));  // a common technique is searched
}

// Published puzzles come first, the built ones after them; a number beyond
// both has none.
TEST(Drill, KeptPuzzlesArePublishedThenBuilt) {
    EXPECT_STREQ(KeptDrillPuzzle(18, 3), PublishedDrillPuzzle(18, 3));
    EXPECT_STREQ(KeptDrillPuzzle(18, 4), ConstructedDrillPuzzle(18, 0));
    EXPECT_STREQ(KeptDrillPuzzle(15, 1), ConstructedDrillPuzzle(15, 0));
    EXPECT_EQ(KeptDrillPuzzle(15, 0), nullptr);
    EXPECT_EQ(KeptDrillPuzzle(5, 1), nullptr);
    EXPECT_EQ(ConstructedDrillPuzzle(15, 1000), nullptr);
}

// The built puzzles are what the construction gives for their attempts: one
// of each kind (a block, a line, a digit kept empty) is built again.
TEST(Drill, BuiltPuzzlesComeFromTheirAttempts) {
    for (int technique : {15, 18, 22}) {
        int attempt = -1;
        const char* tabled = ConstructedDrillPuzzle(technique, 0, &attempt);
        ASSERT_NE(tabled, nullptr) << technique;
        KR_base built;
        ASSERT_TRUE(ConstructDrillPuzzle(technique, attempt, built)) << technique;
        EXPECT_EQ(GridText(built), tabled) << technique;
    }
}

TEST(Drill, TheTableGivesTheDrillTheSearchFinds) {
    // Entries whose search ends within a few hundred attempts, one at the highest ceiling.
    for (const auto& [technique, number] : {std::pair{11, 1}, std::pair{8, 1}, std::pair{29, 2}}) {
        DrillRequest request;
        request.technique = technique;
        request.number = number;
        request.threads = 2;
        const DrillOutcome tabled = CreateDrill(request);
        request.search = true;
        const DrillOutcome searched = CreateDrill(request);
        ASSERT_EQ(searched.status, CreationStatus::Found) << technique << "/" << number;
        ASSERT_EQ(tabled.status, CreationStatus::Found) << technique << "/" << number;
        EXPECT_EQ(tabled.iteration, searched.iteration);
        EXPECT_EQ(GridText(tabled.drill.position), GridText(searched.drill.position));
        EXPECT_EQ(tabled.drill.row * 100 + tabled.drill.col * 10 + tabled.drill.digit,
                  searched.drill.row * 100 + searched.drill.col * 10 + searched.drill.digit);
    }
}

TEST(Drill, APuzzleThatNeverNeedsTheTechniqueGivesNoPosition) {
    KR_base easy;
    ASSERT_TRUE(ParseGrid(
        ".23456789456789123789123456214365897365897214897214365531642978642978531978531642", easy));
    Drill drill;
    EXPECT_FALSE(FindDrillPosition(easy, 19, drill));
    // The one empty cell is placed by a basic technique, and the drill is the puzzle itself.
    bool found = false;
    for (int basic = 0; basic <= 4 && !found; ++basic) found = FindDrillPosition(easy, basic, drill);
    ASSERT_TRUE(found);
    EXPECT_EQ(GridText(drill.position), GridText(easy));
    EXPECT_EQ(drill.row, 0);
    EXPECT_EQ(drill.col, 0);
    EXPECT_EQ(drill.digit, 1);
}

}  // namespace
}  // namespace masuvo
