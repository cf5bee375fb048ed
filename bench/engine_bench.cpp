// Engine speed over the real puzzle sets: solution counting and rating runs.
// Run: build/bench/engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "engine/brute_force.h"
#include "engine/rating.h"
#include "engine/step_search.h"

namespace {

std::vector<masuvo::KR_base> LoadSet(const char* file, size_t limit) {
    std::ifstream in(std::string(MASUVO_TEST_DATA) + "/" + file);
    std::vector<masuvo::KR_base> puzzles;
    std::string line;
    while (puzzles.size() < limit && std::getline(in, line)) {
        masuvo::KR_base grid;
        if (masuvo::ParseGrid(line, grid)) puzzles.push_back(grid);
    }
    return puzzles;
}

void Load(masuvo::KR_solver& board, const masuvo::KR_base& grid) {
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) board.value[r][c] = grid.value[r][c];
}

using Counter = int (*)(masuvo::KR_solver&, masuvo::KR_base*);

// Counting with per-puzzle timing: every pass times each puzzle on its own
// (filling the board is outside the timed part), a puzzle's time is its
// median over the passes, and the counters give the median and the mean of
// those times over the set, in microseconds. A median over the set says how
// a typical puzzle fares; the mean carries the few hard ones.
void CountPerPuzzle(benchmark::State& state, Counter count, const char* file) {
    const auto puzzles = LoadSet(file, SIZE_MAX);
    std::vector<std::vector<double>> times(puzzles.size());
    masuvo::KR_solver board;
    masuvo::KR_base solution;
    for (auto _ : state) {
        for (size_t i = 0; i < puzzles.size(); ++i) {
            Load(board, puzzles[i]);
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(count(board, &solution));
            const auto end = std::chrono::steady_clock::now();
            times[i].push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
    }
    std::vector<double> perPuzzle;
    for (auto& t : times) {
        std::sort(t.begin(), t.end());
        perPuzzle.push_back(t[t.size() / 2]);
    }
    std::sort(perPuzzle.begin(), perPuzzle.end());
    state.counters["median_us"] = perPuzzle[perPuzzle.size() / 2];
    state.counters["mean_us"] = std::accumulate(perPuzzle.begin(), perPuzzle.end(), 0.0) / perPuzzle.size();
    state.counters["max_us"] = perPuzzle.back();
}

void RateOver(benchmark::State& state, const char* file, size_t limit) {
    const auto puzzles = LoadSet(file, limit);
    for (auto _ : state) {
        for (const auto& grid : puzzles) {
            masuvo::KR_solver board;
            Load(board, grid);
            masuvo::Usage usage;
            benchmark::DoNotOptimize(masuvo::SolveByLogic(board, usage));
            benchmark::DoNotOptimize(masuvo::DifficultyScore(usage));
        }
    }
    state.counters["puzzles/s"] =
        benchmark::Counter(static_cast<double>(puzzles.size()), benchmark::Counter::kIsIterationInvariantRate);
}


}  // namespace

// Counting over three sets, the bit-plane counter ("planes") beside the
// earlier rescanning counter ("rescan", the baseline) and the rebuilding
// reference, so one run gives the ratios.
#define MASUVO_COUNT_BENCH(name, counter, set, file) \
    BENCHMARK_CAPTURE(CountPerPuzzle, name##_##set, counter, file)->Unit(benchmark::kMillisecond)
MASUVO_COUNT_BENCH(planes, masuvo::CountSolutions, sudoku17_1000, "sudoku17_sample1000.txt");
MASUVO_COUNT_BENCH(rescan, masuvo::CountSolutionsRescan, sudoku17_1000, "sudoku17_sample1000.txt");
MASUVO_COUNT_BENCH(reference, masuvo::CountSolutionsReference, sudoku17_1000, "sudoku17_sample1000.txt");
MASUVO_COUNT_BENCH(planes, masuvo::CountSolutions, top95, "top95.txt");
MASUVO_COUNT_BENCH(rescan, masuvo::CountSolutionsRescan, top95, "top95.txt");
MASUVO_COUNT_BENCH(reference, masuvo::CountSolutionsReference, top95, "top95.txt");
MASUVO_COUNT_BENCH(planes, masuvo::CountSolutions, hardest11, "hardest11.txt");
MASUVO_COUNT_BENCH(rescan, masuvo::CountSolutionsRescan, hardest11, "hardest11.txt");
MASUVO_COUNT_BENCH(reference, masuvo::CountSolutionsReference, hardest11, "hardest11.txt");

BENCHMARK_CAPTURE(RateOver, graded_500, "graded_5000.csv", 500)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RateOver, top95, "top95.txt", 95)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RateOver, se_rated_100, "se_rated_sample2000.tsv", 100)->Unit(benchmark::kMillisecond);
