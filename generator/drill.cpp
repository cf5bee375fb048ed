#include "generator/drill.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "engine/catalogue.h"
#include "engine/rating.h"
#include "engine/step_search.h"
#include "generator/constructed_drill_puzzles.h"
#include "generator/kr_generator.h"
#include "generator/ordered_search.h"
#include "generator/published_drill_puzzles.h"

namespace masuvo {

bool FindDrillPosition(const KR_base& puzzle, int technique, Drill& drill) {
    KR_base grid = puzzle;
    // Each placement is searched from its own board, as the hint searches it,
    // so the position found is one on which the hint names the technique.
    for (int placed = 0; placed < 81; ++placed) {
        KR_solver board;
        for (int r = 0; r < 9; ++r)
            for (int c = 0; c < 9; ++c) board.value[r][c] = grid.value[r][c];
        if (StepSearch(board, false) != 1) return false;
        bool uses = false;
        std::vector<int> techniques;
        std::string texts;
        for (const Step& step : board.steps) {
            if (step.needed == 0) continue;
            techniques.push_back(step.technique);
            texts += step.text;
            uses = uses || step.technique == technique;
        }
        if (uses) {
            drill.position = grid;
            drill.row = board.placeRow;
            drill.col = board.placeCol;
            drill.digit = board.placeDigit;
            drill.texts = texts;
            drill.techniques = techniques;
            return true;
        }
        grid.value[board.placeRow][board.placeCol] = board.placeDigit;
    }
    return false;
}

int32_t DrillSeed(int technique, int number, int iteration) {
    // Odd factors apart from the creation seeds' (and an offset), so drills do
    // not repeat the puzzles of the creation dialog.
    const uint32_t sum = static_cast<uint32_t>(technique + 1) * 2654435761u + static_cast<uint32_t>(number) * 1000003u +
                         static_cast<uint32_t>(iteration) * 99709u + 0x9e3779b9u;
    return static_cast<int32_t>(sum);
}

bool DrillPuzzle(int technique, int number, int iteration, KR_base& puzzle, const std::atomic<bool>* cancel) {
    KR_generator generator;
    generator.Reset();
    generator.Seed(SeedValue(DrillSeed(technique, number, iteration)));
    generator.StartDigging();
    // Every point-symmetric pair is tried once, in an order drawn from the
    // seed, and stays empty when the limited run at the technique's ceiling
    // still solves the board: the deepest board that ceiling admits is the
    // one most likely to ask for the technique.
    int order[41];
    for (int k = 0; k < 41; ++k) order[k] = k;
    for (int k = 40; k > 0; --k) std::swap(order[k], order[generator.Next() % static_cast<uint64_t>(k + 1)]);
    const int ceiling = Technique(technique).ceiling;
    KR_solver solver;
    Usage usage;
    for (int k : order) {
        if (cancel && cancel->load(std::memory_order_relaxed)) return false;
        const int row = k / 9, col = k % 9;
        const int digit = generator.board[row][col];
        const int partner = generator.board[8 - row][8 - col];
        generator.board[row][col] = 0;
        generator.board[8 - row][8 - col] = 0;
        std::memcpy(solver.value, generator.board, sizeof solver.value);
        if (SolveByLogicLimited(solver, usage, ceiling, cancel) != 1) {
            generator.board[row][col] = digit;
            generator.board[8 - row][8 - col] = partner;
        }
    }
    // The rating run uses the technique exactly when the hint's walk meets
    // it, and costs a fraction of the walk.
    std::memcpy(solver.value, generator.board, sizeof solver.value);
    if (SolveByLogic(solver, usage, cancel) != 1 || usage.count[technique] < 1) return false;
    std::memcpy(puzzle.value, generator.board, sizeof puzzle.value);
    return true;
}

namespace {

// The first five drills of the techniques whose search takes seconds to
// minutes: their accepting iterations, so that those drills are one attempt
// instead of thousands. Rows are (technique, number, iteration); made with
// DrillRequest::search, and a test searches a few of them again.
struct KnownDrill {
    int technique;
    int number;
    int iteration;
};

const KnownDrill kKnownDrills[] = {
    // clang-format off
    {8, 1, 154}, {8, 2, 1453}, {8, 3, 983}, {8, 4, 2281}, {8, 5, 1311},
    {9, 1, 2109}, {9, 2, -1}, {9, 3, -1}, {9, 4, 5871}, {9, 5, -1},
    {11, 1, 142}, {11, 2, 479}, {11, 3, 411}, {11, 4, 582}, {11, 5, 651},
    {12, 1, -1}, {12, 2, -1}, {12, 3, -1}, {12, 4, -1}, {12, 5, -1},
    {14, 1, -1}, {14, 2, -1}, {14, 3, 1576}, {14, 4, -1}, {14, 5, -1},
    {15, 1, -1}, {15, 2, -1}, {15, 3, -1}, {15, 4, -1}, {15, 5, -1},
    {17, 1, 1251}, {17, 2, -1}, {17, 3, 5030}, {17, 4, 1849}, {17, 5, 7652},
    {18, 1, -1}, {18, 2, -1}, {18, 3, -1}, {18, 4, -1}, {18, 5, -1},
    {21, 1, 501}, {21, 2, 1699}, {21, 3, 1578}, {21, 4, 945}, {21, 5, 10},
    {22, 1, -1}, {22, 2, -1}, {22, 3, -1}, {22, 4, -1}, {22, 5, -1},
    {24, 1, 159}, {24, 2, 190}, {24, 3, 131}, {24, 4, 127}, {24, 5, 456},
    {25, 1, 1863}, {25, 2, 421}, {25, 3, 234}, {25, 4, 116}, {25, 5, 375},
    {26, 1, 227}, {26, 2, 271}, {26, 3, 145}, {26, 4, 585}, {26, 5, 134},
    {29, 1, 135}, {29, 2, 9}, {29, 3, 17}, {29, 4, 467}, {29, 5, 54},
    // clang-format on
};

// One attempt of the search, as the search makes it.
bool Attempt(int technique, int number, int iteration, KR_base& puzzle, const std::atomic<bool>* cancel) {
    Drill drill;
    return DrillPuzzle(technique, number, iteration, puzzle, cancel) && FindDrillPosition(puzzle, technique, drill);
}

bool KeptPuzzle(int technique, int number, KR_base& puzzle) {
    const char* text = KeptDrillPuzzle(technique, number);
    return text != nullptr && ParseGrid(text, puzzle);
}

}  // namespace

const char* KeptDrillPuzzle(int technique, int number) {
    if (number < 1) return nullptr;
    if (const char* published = PublishedDrillPuzzle(technique, number)) return published;
    int published = 0;
    while (PublishedDrillPuzzle(technique, published + 1) != nullptr) ++published;
    return ConstructedDrillPuzzle(technique, number - published - 1);
}

bool KnownDrillIteration(int technique, int number, int& iteration) {
    for (const KnownDrill& known : kKnownDrills)
        if (known.technique == technique && known.number == number) {
            iteration = known.iteration;
            return true;
        }
    return false;
}

DrillOutcome CreateDrill(const DrillRequest& request) {
    DrillOutcome outcome;
    if (request.technique < 0 || request.technique >= kTechniqueCount) return outcome;
    CreationOutcome found;
    int known = -1;
    if (!request.search && KnownDrillIteration(request.technique, request.number, known)) {
        found.iteration = known;
        if (known >= 0 && Attempt(request.technique, request.number, known, found.puzzle, request.cancel))
            found.status = CreationStatus::Found;
        // Where the search has nothing, a kept puzzle that needs the technique, if there is one.
        Drill kept;
        if (known < 0 && KeptPuzzle(request.technique, request.number, found.puzzle) &&
            FindDrillPosition(found.puzzle, request.technique, kept))
            found.status = CreationStatus::Found;
        if (request.cancel && request.cancel->load(std::memory_order_relaxed)) found.status = CreationStatus::Cancelled;
        // The bar ends full, as after a search.
        if (request.progress)
            for (int done = 1; done <= kDrillIterations; ++done) request.progress(done);
    } else {
        CreationRequest search;
        search.threads = request.threads;
        search.cancel = request.cancel;
        search.progress = request.progress;
        found = SearchInOrder(
            search,
            [&](int i, KR_base& puzzle) { return Attempt(request.technique, request.number, i, puzzle, request.cancel); },
            kDrillIterations);
    }
    outcome.status = found.status;
    if (found.status != CreationStatus::Found) return outcome;
    outcome.iteration = found.iteration;
    outcome.drill.puzzle = found.puzzle;
    // The walk is repeated for the accepted puzzle only: the attempts keep no more than the puzzle.
    FindDrillPosition(found.puzzle, request.technique, outcome.drill);
    KR_solver rater;
    std::memcpy(rater.value, found.puzzle.value, sizeof rater.value);
    Usage usage;
    SolveByLogic(rater, usage);
    outcome.drill.rank = RankOfScore(DifficultyScore(usage));
    return outcome;
}

}  // namespace masuvo
