// Generator speed: one DigRated call per rank ceiling, and the heap
// allocations made per removal attempt (counted by a replaced operator new).
// Run: build/bench/generator_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

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

}  // namespace

BENCHMARK(DigRatedForRank)->DenseRange(0, 9)->Unit(benchmark::kMillisecond);
