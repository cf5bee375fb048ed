// Engine speed over the real puzzle sets: solution counting and rating runs.
// Run: build/bench/engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <fstream>
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

template <int (*Count)(masuvo::KR_solver&, masuvo::KR_base*)>
void CountWith(benchmark::State& state, const char* file, size_t limit) {
    const auto puzzles = LoadSet(file, limit);
    for (auto _ : state) {
        for (const auto& grid : puzzles) {
            masuvo::KR_solver board;
            Load(board, grid);
            masuvo::KR_base solution;
            benchmark::DoNotOptimize(Count(board, &solution));
        }
    }
    state.counters["puzzles/s"] =
        benchmark::Counter(static_cast<double>(puzzles.size()), benchmark::Counter::kIsIterationInvariantRate);
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


// The bit-set counter and the rebuilding reference, side by side.
void CountSolutionsOver(benchmark::State& state, const char* file, size_t limit) {
    CountWith<masuvo::CountSolutions>(state, file, limit);
}
void CountSolutionsReferenceOver(benchmark::State& state, const char* file, size_t limit) {
    CountWith<masuvo::CountSolutionsReference>(state, file, limit);
}

}  // namespace

BENCHMARK_CAPTURE(CountSolutionsOver, sudoku17_1000, "sudoku17_sample1000.txt", 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CountSolutionsReferenceOver, sudoku17_1000, "sudoku17_sample1000.txt", 1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CountSolutionsOver, top95, "top95.txt", 95)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CountSolutionsReferenceOver, top95, "top95.txt", 95)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RateOver, graded_500, "graded_5000.csv", 500)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RateOver, top95, "top95.txt", 95)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RateOver, se_rated_100, "se_rated_sample2000.tsv", 100)->Unit(benchmark::kMillisecond);
