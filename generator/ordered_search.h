// The ordered search shared by creation and drills: attempts run in parallel,
// and the lowest iteration that succeeds is kept, so the result does not
// depend on the machine or the number of threads.
#pragma once

#include <omp.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "generator/creation.h"

namespace masuvo {

// Seeds are sign-extended to 64 bits.
inline uint64_t SeedValue(int32_t seed) { return static_cast<uint64_t>(static_cast<int64_t>(seed)); }

inline bool Cancelled(const CreationRequest& request) {
    return request.cancel && request.cancel->load(std::memory_order_relaxed);
}

// Runs attempt(i, result) for i = 0..iterations-1 in parallel with ordered
// acceptance: the lowest iteration whose attempt succeeds is kept.
//
// Workers take iterations in increasing order from one counter. Once an
// iteration has succeeded, no worker starts a later one; the earlier ones
// still running finish, and the lowest success among them all is kept. A
// cancel ends every worker at its next iteration (and inside the attempt,
// which looks at the same flag): nothing waits for a turn, so a cancel is
// not held up by the iterations left.
template <typename Attempt>
CreationOutcome SearchInOrder(const CreationRequest& request, Attempt attempt,
                              int iterations = kCreationIterations) {
    const auto start = std::chrono::steady_clock::now();
    std::atomic<int> next{0};
    std::atomic<int> best{iterations};  // lowest successful iteration so far
    int finished = 0;                   // guarded by lock
    std::mutex lock;
    CreationOutcome outcome;
    const int threads = std::max(1, request.threads > 0 ? request.threads : omp_get_max_threads());

    auto work = [&] {
        for (;;) {
            if (Cancelled(request)) return;
            const int i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= iterations || i > best.load(std::memory_order_acquire)) return;
            KR_base candidate;
            const bool success = attempt(i, candidate);
            std::lock_guard<std::mutex> guard(lock);
            if (success && !Cancelled(request) && i < best.load(std::memory_order_relaxed)) {
                outcome.puzzle = candidate;
                outcome.iteration = i;
                best.store(i, std::memory_order_release);
            }
            // Counted under the lock so that the calls see increasing numbers.
            if (request.progress) request.progress(++finished);
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers) helper.join();
    const bool found = best.load() < iterations;
    // The iterations never started count as done, as they always have: a
    // progress bar ends full and counts up one by one.
    if (request.progress)
        while (finished < iterations) request.progress(++finished);

    outcome.seconds = static_cast<int>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count());
    if (Cancelled(request))
        outcome.status = CreationStatus::Cancelled;
    else
        outcome.status = found ? CreationStatus::Found : CreationStatus::Failed;
    return outcome;
}

}  // namespace masuvo
