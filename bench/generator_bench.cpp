// Generator speed: one DigRated call per rank ceiling, and the heap
// allocations made per removal attempt (counted by a replaced operator new);
// the unsolvable creation with the bit-plane counter and with the earlier
// rescanning counter, side by side.
// Run: build/bench/generator_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//      build/bench/generator_bench --benchmark_filter=Unsolvable   (the creation before and after)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/brute_force.h"
#include "engine/rating.h"
#include "generator/creation.h"
#include "generator/kr_generator.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// The replacement pair below is matched (malloc with free); GCC cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// One DigRated call for the rank, over a fixed set of seeds; the counters
// give the allocations per removal attempt after the first call warmed up.
void DigRatedForRank(benchmark::State& state) {
    const int rank = static_cast<int>(state.range(0));
    const int32_t hi = rank + 1 < masuvo::kRankCount ? masuvo::kRankLowerBound[rank + 1] : INT32_MAX;
    int seed = 0;
    {
        masuvo::KR_generator warm;
        warm.Seed(12345);
        warm.DigRated(rank, hi, 0);
    }
    long allocations = 0;
    for (auto _ : state) {
        masuvo::KR_generator generator;
        generator.Reset();
        generator.Seed(static_cast<uint64_t>(masuvo::RatedSeed(1, 0, rank, seed++ % 64)));
        const long before = g_allocations.load();
        generator.DigRated(rank, hi, 0);
        allocations += g_allocations.load() - before;
        benchmark::DoNotOptimize(generator.saved);
    }
    state.counters["allocations/call"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

using Counter = int (*)(masuvo::KR_solver&, masuvo::KR_base*);

// KR_generator::DigUnsolvable step by step with the solution counter as a
// parameter, so that the earlier counter digs the same boards, on a fresh
// counting board for every attempt as the generator used to; checked
// against the real one before anything is timed.
bool DigUnsolvableWith(masuvo::KR_generator& generator, int symmetry, Counter count) {
    generator.StartDigging();
    for (int attempts = 0;;) {
        std::memcpy(generator.saved, generator.board, sizeof generator.saved);
        generator.EmptyDrawnCell(symmetry);
        masuvo::KR_solver counter;
        std::memcpy(counter.value, generator.board, sizeof counter.value);
        const int solutions = count(counter, nullptr);
        if (solutions == -1) return false;
        if (solutions == 1) {
            masuvo::KR_solver solver;
            std::memcpy(solver.value, generator.board, sizeof solver.value);
            masuvo::Usage usage;
            if (masuvo::SolveByLogicLimited(solver, usage, 7) != 1) return true;
        } else {
            std::memcpy(generator.board, generator.saved, sizeof generator.board);
        }
        if (++attempts >= 1000) return false;
    }
}

masuvo::KR_generator SeededForUnsolvable(int number, int iteration) {
    masuvo::KR_generator generator;
    generator.Reset();
    generator.Seed(static_cast<uint64_t>(static_cast<int64_t>(masuvo::UnsolvableSeed(number, 0, iteration))));
    return generator;
}

// The unsolvable creation of one number with point symmetry on one thread:
// the seeds in order up to the first puzzle, as `masuvo-cli unsolvable
// --number N --symmetry 0 --threads 1` tries them; fastest_s sums each
// seed's fastest of three runs. Without a counter the generator's own
// DigUnsolvable runs (the bit-plane counter, one counting board for all
// attempts); "rescan" is the creation as it was, "planes_fresh" the
// bit-plane counter alone in that loop.
void UnsolvableCreation(benchmark::State& state, Counter count) {
    const int number = static_cast<int>(state.range(0));
    for (int i = 0; i < 4; ++i) {
        masuvo::KR_generator real = SeededForUnsolvable(number, i);
        masuvo::KR_generator copy = real;
        const bool found = real.DigUnsolvable(0);
        if (DigUnsolvableWith(copy, 0, masuvo::CountSolutions) != found ||
            std::memcmp(real.board, copy.board, sizeof real.board) != 0) {
            state.SkipWithError("the benchmark's digging differs from DigUnsolvable");
            return;
        }
    }
    // Each seed is dug three times and its fastest run kept: on a shared
    // machine the sum of those minima moves far less than the wall time.
    int iteration = 0;
    double fastest = 0;
    for (auto _ : state) {
        fastest = 0;
        for (iteration = 0; iteration < masuvo::kCreationIterations; ++iteration) {
            bool found = false;
            double best = 1e300;
            for (int run = 0; run < 3; ++run) {
                masuvo::KR_generator generator = SeededForUnsolvable(number, iteration);
                const auto start = std::chrono::steady_clock::now();
                found = count ? DigUnsolvableWith(generator, 0, count) : generator.DigUnsolvable(0);
                best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            }
            fastest += best;
            if (found) break;
        }
    }
    state.counters["found_at"] = iteration;
    state.counters["fastest_s"] = fastest;
}

}  // namespace

BENCHMARK(DigRatedForRank)->DenseRange(0, 9)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(UnsolvableCreation, planes, nullptr)->DenseRange(1, 3)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(UnsolvableCreation, planes_fresh, masuvo::CountSolutions)
    ->DenseRange(1, 3)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(UnsolvableCreation, rescan, masuvo::CountSolutionsRescan)
    ->DenseRange(1, 3)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
