// 一問練習: a position that asks for one technique. A drill of technique t and
// number n comes from the first seed of its own search whose puzzle (dug with
// point symmetry as deep as t's ceiling lets the limited run solve) needs t:
// the board just before the first placement of its logical solution whose
// needed steps use t, every earlier placement turned into a given. Drills are
// not held to a rank's score band, which made the rare technique/rank pairs
// search thousands of seeds. The first five drills of the rarest techniques
// are known in advance (a table of the search's accepting iterations), so
// they cost one attempt; a number the search finds nothing for takes a
// published puzzle that needs the technique where one is kept
// (published_drill_puzzles.h) or else one built for the technique
// (constructed_drill_puzzles.h), and otherwise fails at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/board.h"
#include "generator/creation.h"

namespace masuvo {

constexpr int kDrillIterations = 10000;

struct DrillRequest {
    int technique = 0;
    int number = 1;
    int threads = 0;  // 0: OpenMP's default
    const std::atomic<bool>* cancel = nullptr;
    std::function<void(int)> progress;  // as CreationRequest::progress
    // Searches even where the table of found drills knows the answer: the
    // search defines the table, and this is how it is made and checked.
    bool search = false;
};

struct Drill {
    KR_base puzzle;    // the created puzzle the drill comes from
    int rank = 0;      // the rank of the puzzle's score
    KR_base position;  // the drill's givens
    int row = 0;       // the answer, 0-based
    int col = 0;
    int digit = 0;
    std::string texts;            // the needed steps' texts of the answer
    std::vector<int> techniques;  // their catalogue indices, in order
};

struct DrillOutcome {
    CreationStatus status = CreationStatus::Failed;
    Drill drill;
    int iteration = -1;  // the search's accepting iteration; -1 for a published puzzle
};

DrillOutcome CreateDrill(const DrillRequest& request);

// The search's outcome for the first drills of the rare techniques, found
// offline: the accepting iteration, or -1 when none of the kDrillIterations
// succeeds; false when the pair is not in the table.
bool KnownDrillIteration(int technique, int number, int& iteration);

// The puzzle that stands in for drill `number` where the table says the
// search has none: the technique's published puzzles first, then the built
// ones; nullptr when neither has one for the number.
const char* KeptDrillPuzzle(int technique, int number);

// The seed of one attempt of the drill search, and the puzzle it digs; false
// when a cancel cut the digging short.
int32_t DrillSeed(int technique, int number, int iteration);
bool DrillPuzzle(int technique, int number, int iteration, KR_base& puzzle,
                 const std::atomic<bool>* cancel = nullptr);

// Walks the logical solution of a puzzle to the first placement whose needed
// steps use the technique; false when none does.
bool FindDrillPosition(const KR_base& puzzle, int technique, Drill& drill);

}  // namespace masuvo
