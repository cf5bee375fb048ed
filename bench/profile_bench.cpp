// The technique profile over 200 finished copies: puzzles of graded_5000
// (every 25th, so every level) played to the end along their logical
// solution, each move logged with its board, some seconds and now and then a
// hint, 詳細 or ヒント実行, written by the program's own writer. Measures
// building the profile (every move judged again), and a folder of 10,000
// files that are not puzzle files (the skipping alone).
//
// Run:   build/bench/profile_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// Keep the 200 files for timing `masuvo-cli profile`:
//        build/bench/profile_bench --write-finished-copies=FOLDER
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/board.h"
#include "engine/step_search.h"
#include "files/puzzle_file.h"
#include "reports/technique_profile_builder.h"

namespace {

using namespace masuvo;
namespace fs = std::filesystem;

constexpr int kFiles = 200;

std::vector<std::string> Puzzles() {
    std::ifstream in(std::string(MASUVO_TEST_DATA) + "/graded_5000.csv");
    std::vector<std::string> puzzles;
    std::string line;
    for (int n = 0; std::getline(in, line);) {
        if (line.size() < 81 || line[0] == 'p') continue;
        if (n++ % 25 == 0) puzzles.push_back(line.substr(0, 81));
    }
    return puzzles;
}

void WriteCopies(const fs::path& folder) {
    fs::create_directories(folder);
    uint32_t stream = 12345;
    const auto next = [&] { return stream = stream * 1664525u + 1013904223u; };
    int written = 0;
    for (const std::string& puzzle : Puzzles()) {
        if (written == kFiles) break;
        PuzzleFileData data;
        for (int k = 0; k < 81; ++k) {
            data.values[k] = puzzle[k] >= '1' && puzzle[k] <= '9' ? puzzle[k] - '0' : 0;
            data.origin[k] = data.values[k] ? 1 : 0;
        }
        while (true) {
            KR_solver board;
            for (int k = 0; k < 81; ++k) board.value[k / 9][k % 9] = data.values[k];
            if (StepSearch(board, false) != 1) break;
            int cell = -1;
            for (int k = 0; k < 81 && cell < 0; ++k)
                if (board.value[k / 9][k % 9] != data.values[k]) cell = k;
            if (cell < 0) break;
            data.values[cell] = board.value[cell / 9][cell % 9];
            Log log;
            std::memcpy(log.values, data.values, sizeof log.values);
            std::memcpy(log.origin, data.origin, sizeof log.origin);
            log.row = cell / 9;
            log.col = cell % 9;
            log.digit = data.values[cell];
            // The text and points the play would have logged.
            const MoveTechniques judged = JudgeLoggedMove(log);
            log.text = judged.text;
            log.points = judged.estimatedSeconds;
            log.seconds = static_cast<int32_t>(next() % 300);
            const uint32_t help = next() % 20;
            log.hinted = help == 0;
            log.detailed = help == 1;
            log.executed = help == 2;
            if (log.hinted) log.points -= log.points / 3;
            if (log.detailed) log.points /= 2;
            if (log.executed) log.points = 0;
            data.log.push_back(log);
        }
        std::string message;
        if (!WritePuzzleData((folder / ("問題" + std::to_string(written) + "_完成.kzd")).string(), data, message)) {
            std::fprintf(stderr, "%s\n", message.c_str());
            std::exit(1);
        }
        ++written;
    }
}

fs::path ScratchFolder(const char* name) {
    return fs::temp_directory_path() / ("masuvo_profile_bench_" + std::to_string(::getpid())) / name;
}

void BM_Profile200FinishedCopies(benchmark::State& state) {
    const fs::path folder = ScratchFolder("finished");
    if (!fs::exists(folder)) WriteCopies(folder);
    int moves = 0;
    for (auto _ : state) {
        const TechniqueProfile profile = BuildTechniqueProfile({{folder}, {}});
        moves = 0;
        for (const TechniqueFigures& f : profile.techniques) moves += f.moves;
        benchmark::DoNotOptimize(moves);
    }
    state.counters["technique_moves"] = moves;
}
BENCHMARK(BM_Profile200FinishedCopies)->Unit(benchmark::kMillisecond);

void BM_Profile10000ForeignFiles(benchmark::State& state) {
    const fs::path folder = ScratchFolder("foreign");
    if (!fs::exists(folder)) {
        fs::create_directories(folder);
        for (int i = 0; i < 10000; ++i) std::ofstream(folder / (std::to_string(i) + ".txt")) << "not a puzzle\n";
    }
    for (auto _ : state) benchmark::DoNotOptimize(BuildTechniqueProfile({{folder}, {}}).filesSkipped);
}
BENCHMARK(BM_Profile10000ForeignFiles)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-finished-copies=", 24) == 0) {
            WriteCopies(argv[i] + 24);
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    fs::remove_all(ScratchFolder(""), error);
    return 0;
}
