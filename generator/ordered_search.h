// The ordered search shared by creation and drills: attempts run in parallel,
// and the lowest iteration that succeeds is kept, so the result does not
// depend on the machine or the number of threads.
#pragma once

#include <omp.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "generator/creation.h"

namespace masuvo {

// Seeds are sign-extended to 64 bits.
inline uint64_t SeedValue(int32_t seed) { return static_cast<uint64_t>(static_cast<int64_t>(seed)); }

inline bool Cancelled(const CreationRequest& request) {
    return request.cancel && request.cancel->load(std::memory_order_relaxed);
}

// Runs attempt(i, result) for i = 0..iterations-1 in parallel with ordered
// acceptance: the lowest iteration whose attempt succeeds is kept.
template <typename Attempt>
CreationOutcome SearchInOrder(const CreationRequest& request, Attempt attempt,
                              int iterations = kCreationIterations) {
    const auto start = std::chrono::steady_clock::now();
    std::atomic<bool> found{false};
    int finished = 0;  // guarded by progressLock
    std::mutex progressLock;
    CreationOutcome outcome;
    const int threads = request.threads > 0 ? request.threads : omp_get_max_threads();

#pragma omp parallel for ordered schedule(dynamic, 1) num_threads(threads)
    for (int i = 0; i < iterations; ++i) {
        // An iteration that begins after a cancel or a success skips its work
        // and the ordered region too: waiting for its turn would only pass the
        // turn on, one iteration at a time.
        if (!Cancelled(request) && !found.load(std::memory_order_relaxed)) {
            KR_base candidate;
            const bool success = attempt(i, candidate);
#pragma omp ordered
            {
                // Earlier iterations have all left this region by now, so the
                // lowest successful iteration is the one that stores its puzzle.
                if (success && !found.load(std::memory_order_relaxed)) {
                    outcome.puzzle = candidate;
                    outcome.iteration = i;
                    found.store(true);
                }
            }
        }
        if (request.progress) {
            // Counted under the lock so that the calls see increasing numbers:
            // a thread counting first may otherwise report after one counting later.
            std::lock_guard<std::mutex> lock(progressLock);
            request.progress(++finished);
        }
    }

    outcome.seconds = static_cast<int>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count());
    if (Cancelled(request))
        outcome.status = CreationStatus::Cancelled;
    else
        outcome.status = found ? CreationStatus::Found : CreationStatus::Failed;
    return outcome;
}

}  // namespace masuvo
