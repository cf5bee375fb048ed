// The rating of one puzzle (the full step-solving run, as `masuvo-cli rate`
// and every state check do it) over top95 and the 17-clue sample. Each
// puzzle is rated once per iteration on a fresh board; the report gives the
// median, mean and slowest puzzle of each one's fastest rating.
// Run: OMP_NUM_THREADS=1 build/bench/rating_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "engine/rating.h"
#include "engine/step_search.h"

namespace {

std::vector<masuvo::KR_base> LoadSet(const char* file) {
    std::ifstream in(std::string(MASUVO_TEST_DATA) + "/" + file);
    std::vector<masuvo::KR_base> puzzles;
    std::string line;
    while (std::getline(in, line)) {
        masuvo::KR_base grid;
        if (masuvo::ParseGrid(line, grid)) puzzles.push_back(grid);
    }
    return puzzles;
}

void RatePerPuzzle(benchmark::State& state, const char* file) {
    const auto puzzles = LoadSet(file);
    std::vector<double> fastest(puzzles.size(), 1e9);
    for (auto _ : state) {
        for (size_t i = 0; i < puzzles.size(); ++i) {
            const auto start = std::chrono::steady_clock::now();
            masuvo::KR_solver board;
            for (int r = 0; r < 9; ++r)
                for (int c = 0; c < 9; ++c) board.value[r][c] = puzzles[i].value[r][c];
            masuvo::Usage usage;
            benchmark::DoNotOptimize(masuvo::SolveByLogic(board, usage));
            benchmark::DoNotOptimize(masuvo::DifficultyScore(usage));
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            fastest[i] = std::min(fastest[i], took.count());
        }
    }
    if (fastest.empty()) return;
    const double total = std::accumulate(fastest.begin(), fastest.end(), 0.0);
    std::sort(fastest.begin(), fastest.end());
    state.counters["median_ms"] = fastest[fastest.size() / 2] * 1e3;
    state.counters["mean_ms"] = total / static_cast<double>(fastest.size()) * 1e3;
    state.counters["slowest_ms"] = fastest.back() * 1e3;
    state.counters["puzzles"] = static_cast<double>(fastest.size());
}

}  // namespace

BENCHMARK_CAPTURE(RatePerPuzzle, top95, "top95.txt")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(RatePerPuzzle, sudoku17_1000, "sudoku17_sample1000.txt")->Unit(benchmark::kMillisecond)->Iterations(5);
