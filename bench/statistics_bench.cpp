// The history statistics report over a long history: 10,000 record lines
// over 24 months, every rank, a few deleted lines. Measures the record table
// alone, each kind of page, all seventeen pages, and reading the file.
//
// Run:   build/bench/statistics_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// Write the same history as a record file (code page 932, CR LF) for timing
// the command-line tool or the windows:
//        build/bench/statistics_bench --write-record-file=PATH [--rows=N]
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/catalogue.h"
#include "engine/rating.h"
#include "engine/text_format.h"
#include "files/cp932.h"
#include "records/record_file.h"
#include "reports/history_statistics.h"

namespace {

using namespace masuvo;

constexpr int kRows = 10000;

// A fixed xorshift stream, so every run and every machine gets the same history.
class Stream {
public:
    uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }

private:
    uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

// Most players solve the easy ranks; a few records reach 神 and above.
int PickRank(Stream& s) {
    static const int kWeights[kRankCount] = {20, 22, 20, 15, 10, 7, 4, 1, 1, 0};
    int roll = s.Below(100);
    for (int rank = 0; rank < kRankCount; ++rank) {
        if (roll < kWeights[rank]) return rank;
        roll -= kWeights[rank];
    }
    return 0;
}

// One record line as completion writes it, in UTF-8.
std::string RecordLineFor(int index, int rows, Stream& s) {
    const int month = index * 24 / rows;  // 2023.01 … 2024.12, in file order
    const int year = 2023 + month / 12;
    const int rank = PickRank(s);
    const int low = kRankLowerBound[rank];
    const int high = rank + 1 < kRankCount ? kRankLowerBound[rank + 1] - 1 : low * 2;
    const int difficulty = s.Between(std::max(low, 60), high);
    const int seconds = difficulty / 3 + s.Below(difficulty + 1);
    const int hints = s.Below(10) < 7 ? 0 : s.Between(1, 4);
    const int detailedHints = hints > 0 ? s.Below(hints + 1) : 0;
    const int penalty = hints * 60 + detailedHints * 120;
    const int execution = std::max(0, difficulty - penalty - s.Below(difficulty / 4 + 1));
    const int candidateDisplay = rank >= 2 ? s.Below(difficulty / 2 + 1) : 0;
    const int spare = difficulty - seconds;

    std::string line = Format("version 3.1.0,%d,%02d,%02d,%d,%02d,", year, month % 12 + 1, s.Between(1, 28),
                              s.Below(24), s.Below(60));
    // Names as the creation dialogs and the example folder give them.
    line += index % 3 == 0 ? Format("例題_%s_%d", RankNameOfIndex(rank), index) : Format("%05d_%d", index, s.Below(9));
    line += Format(",%d,%d,%d,%d,%d,%d,%d,%d,%d,%.1f,,", difficulty, execution, penalty, seconds, hints, detailedHints,
                   hints, candidateDisplay, spare, spare * 100.0 / difficulty);
    // Placements mostly by the simple techniques; the harder ones now and then.
    std::array<int, kTechniqueCount> expected{};
    for (int t = 0; t < kTechniqueCount; ++t) {
        const int reach = t < 7 ? 30 : (t <= 3 + 3 * rank ? 4 : 0);
        expected[t] = reach > 0 && s.Below(3) > 0 ? s.Below(reach) : 0;
        line += Format("%2d,", expected[t]);
    }
    line += ',';
    for (int t = 0; t < kTechniqueCount; ++t) {
        line += Format("%2d", std::max(0, expected[t] - s.Below(3)));
        if (t + 1 < kTechniqueCount) line += ',';
    }
    return line;
}

// The file's lines: the header, the records, and every 97th record deleted.
std::vector<std::string> HistoryLines(int rows) {
    Stream s;
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(rows) + 1);
    lines.push_back(RecordHeader());
    for (int i = 0; i < rows; ++i) {
        std::string line = RecordLineFor(i, rows, s);
        if (i % 97 == 96) line.insert(line.begin(), '#');
        lines.push_back(std::move(line));
    }
    return lines;
}

const std::vector<std::string>& History() {
    static const std::vector<std::string> lines = HistoryLines(kRows);
    return lines;
}

void BM_RecordTable(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(BuildRecordTable(History()));
}
BENCHMARK(BM_RecordTable)->Unit(benchmark::kMillisecond);

// One page of each kind over a prepared table.
void BM_Page(benchmark::State& state) {
    const HistoryStatistics report(History(), "2025.01.01");
    const int page = static_cast<int>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(report.Page(page));
}
BENCHMARK(BM_Page)->Arg(0)->Arg(1)->Arg(8)->Arg(9)->Arg(16)->Unit(benchmark::kMillisecond);

// What the window waits for: the table and all seventeen pages.
void BM_AllPages(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        const HistoryStatistics report(History(), "2025.01.01");
        bytes = 0;
        for (int page = 0; page < report.PageCount(); ++page) bytes += report.Page(page).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["report_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_AllPages)->Unit(benchmark::kMillisecond);

// Reading and decoding the record file that precedes the report.
void BM_ReadRecordFile(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("masuvo_statistics_bench_" + std::to_string(::getpid()) + ".csv"))
            .string();
    std::string message;
    if (!RewriteRecordFile(path, History(), message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    for (auto _ : state) {
        std::vector<std::string> lines;
        if (!ReadRecordLines(path, lines, message)) state.SkipWithError(message.c_str());
        benchmark::DoNotOptimize(lines);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadRecordFile)->Unit(benchmark::kMillisecond);

int WriteRecordFile(const std::string& path, int rows) {
    std::string message;
    if (!RewriteRecordFile(path, HistoryLines(rows), message)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), message.c_str());
        return 1;
    }
    std::fprintf(stderr, "%s: header and %d records written\n", path.c_str(), rows);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    int rows = kRows;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-record-file=", 20) == 0) path = argv[i] + 20;
        if (std::strncmp(argv[i], "--rows=", 7) == 0) rows = std::max(0, std::atoi(argv[i] + 7));
    }
    if (!path.empty()) return WriteRecordFile(path, rows);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
