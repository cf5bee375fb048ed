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

// Whether a rating's technique counts fit the rank's condition.
bool MeetsRankCondition(int rank, const Usage& usage);

CreationOutcome CreateRated(const CreationRequest& request);
CreationOutcome CreateUnsolvable(const CreationRequest& request);

// "自動作成(%s)[%s]_%d" and "自動作成(解けない問題)[%s]_%d".
std::string RatedPuzzleName(int rank, int symmetry, int number);
std::string UnsolvablePuzzleName(int symmetry, int number);

}  // namespace masuvo
