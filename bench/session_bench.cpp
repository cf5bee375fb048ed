// What the player waits for after a keystroke: the state check alone, and a
// judged move (brute-force count, target search, then the state check), on
// the top95 puzzles as given and with half their empty cells filled from the
// solution. Each benchmark reports the median and the slowest puzzle.
// Run: build/bench/session_bench --benchmark_repetitions=3
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/brute_force.h"
#include "session/headless_view.h"
#include "session/play_session.h"

namespace {

using namespace masuvo;

// A window that shows nothing, answers every question with yes and keeps a
// fixed clock.
class SilentView : public HeadlessView {
public:
    SilentView() : HeadlessView(nullptr) {}
    bool AskYesNo(const std::string&) override { return true; }
    Answer AskYesNoCancel(const std::string&) override { return Answer::No; }
    int64_t MonotonicSeconds() override { return 1000; }
    int64_t WallClockSeconds() override { return 1767225600; }
};

struct Puzzle {
    std::string grid;
    KR_base solution;
    int row = -1;  // the cell of the move: the first empty one
    int col = -1;
};

std::vector<Puzzle> LoadTop95(bool halfFilled) {
    std::ifstream in(std::string(MASUVO_TEST_DATA) + "/top95.txt");
    std::vector<Puzzle> puzzles;
    std::string line;
    while (std::getline(in, line)) {
        KR_base grid;
        if (!ParseGrid(line, grid)) continue;
        Puzzle p;
        KR_solver counter;
        for (int r = 0; r < 9; ++r)
            for (int c = 0; c < 9; ++c) counter.value[r][c] = grid.value[r][c];
        if (CountSolutions(counter, &p.solution) != 1) continue;
        if (halfFilled) {
            int empty = 0;
            for (int k = 0; k < 81; ++k) {
                int32_t& v = grid.value[k / 9][k % 9];
                if (v == 0 && empty++ % 2 == 1) v = p.solution.value[k / 9][k % 9];
            }
        }
        p.grid = GridText(grid);
        const size_t first = p.grid.find('.');
        p.row = static_cast<int>(first / 9);
        p.col = static_cast<int>(first % 9);
        puzzles.push_back(p);
    }
    return puzzles;
}

// One session per puzzle, past its first start.
std::vector<std::unique_ptr<PlaySession>> StartSessions(SilentView& view, const std::vector<Puzzle>& puzzles) {
    std::vector<std::unique_ptr<PlaySession>> sessions;
    for (const Puzzle& p : puzzles) {
        auto session = std::make_unique<PlaySession>(view, DataFolders());
        session->ResetSession();
        session->PasteBoardText(p.grid);
        session->StartSolving();
        sessions.push_back(std::move(session));
    }
    return sessions;
}

void ReportSpread(benchmark::State& state, std::vector<double>& seconds) {
    if (seconds.empty()) return;
    std::sort(seconds.begin(), seconds.end());
    state.counters["median_ms"] = seconds[seconds.size() / 2] * 1e3;
    state.counters["slowest_ms"] = seconds.back() * 1e3;
    state.counters["puzzles"] = static_cast<double>(seconds.size());
}

void StateCheck(benchmark::State& state, bool halfFilled) {
    SilentView view;
    const auto puzzles = LoadTop95(halfFilled);
    auto sessions = StartSessions(view, puzzles);
    std::vector<double> fastest(sessions.size(), 1e9);
    for (auto _ : state) {
        for (size_t i = 0; i < sessions.size(); ++i) {
            const auto start = std::chrono::steady_clock::now();
            sessions[i]->CheckState(true, "");
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            fastest[i] = std::min(fastest[i], took.count());
        }
    }
    ReportSpread(state, fastest);
}

// A correct digit typed while solving, then taken back untimed.
void Keystroke(benchmark::State& state, bool halfFilled) {
    SilentView view;
    const auto puzzles = LoadTop95(halfFilled);
    auto sessions = StartSessions(view, puzzles);
    std::vector<double> fastest(sessions.size(), 1e9);
    for (auto _ : state) {
        for (size_t i = 0; i < sessions.size(); ++i) {
            const Puzzle& p = puzzles[i];
            PlaySession& s = *sessions[i];
            const auto start = std::chrono::steady_clock::now();
            s.SetCellValue(p.row, p.col, p.solution.value[p.row][p.col], true);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            fastest[i] = std::min(fastest[i], took.count());
            state.PauseTiming();
            s.UndoMove();
            state.ResumeTiming();
        }
    }
    ReportSpread(state, fastest);
}

}  // namespace

BENCHMARK_CAPTURE(StateCheck, top95_given, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(StateCheck, top95_half_filled, true)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Keystroke, top95_given, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Keystroke, top95_half_filled, true)->Unit(benchmark::kMillisecond)->Iterations(3);
