// The creation searches: 10,000 seeds tried in parallel, accepted strictly in
// seed order, so the same request gives the same puzzle on any machine and
// with any number of threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/board.h"
#include "engine/step_search.h"

namespace masuvo {

constexpr int kCreationIterations = 10000;

enum class CreationStatus { Found, Failed, Cancelled };

struct CreationRequest {
    int number = 1;
    int rank = 0;      // rank index 0..9 (rank-targeted creation only)
    int symmetry = 0;  // 0 point, 1 line, 2 none
    // A catalogue index the rating run must use at least once, or -1 for none
    // (rank-targeted creation only).
    int technique = -1;
    int threads = 0;   // 0: OpenMP's default
    // Set from another thread to stop the search; iterations not yet begun skip their work.
    const std::atomic<bool>* cancel = nullptr;
    // Called with the number of iterations finished, from the search threads
    // (one call at a time, with increasing numbers).
    std::function<void(int)> progress;
};

struct CreationOutcome {
    CreationStatus status = CreationStatus::Failed;
    KR_base puzzle;
    int iteration = -1;  // the seed index that was accepted
    int seconds = 0;     // whole seconds of the search
};

// The seed of one attempt; the sums wrap around as 32-bit signed values.
int32_t RatedSeed(int number, int symmetry, int rank, int iteration);
int32_t UnsolvableSeed(int number, int symmetry, int iteration);
// RatedSeed with a term for the technique; without one (-1) it is RatedSeed.
int32_t TargetedSeed(int number, int symmetry, int rank, int technique, int iteration);

// Whether a rating's technique counts fit the rank's condition.
bool MeetsRankCondition(int rank, const Usage& usage);

// Whether a puzzle of the rank can need the technique: the rank's digging
// ceiling admits it and the rank's condition does not exclude it.
bool RankAllowsTechnique(int rank, int technique);
// The lowest rank that allows the technique.
int LowestRankAllowing(int technique);

CreationOutcome CreateRated(const CreationRequest& request);
CreationOutcome CreateUnsolvable(const CreationRequest& request);

// "自動作成(%s)[%s]_%d" ("自動作成(%s・%s)[%s]_%d" with a technique) and "自動作成(解けない問題)[%s]_%d".
std::string RatedPuzzleName(int rank, int symmetry, int number, int technique = -1);
std::string UnsolvablePuzzleName(int symmetry, int number);

}  // namespace masuvo
