#include "cli/creation_commands.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/puzzle_input.h"
#include "engine/catalogue.h"
#include "engine/rating.h"
#include "generator/creation.h"
#include "generator/drill.h"

namespace masuvo::cli {

namespace {

std::atomic<bool> g_cancel{false};

extern "C" void OnInterrupt(int) { g_cancel.store(true); }

struct Options {
    int number = 1;
    int rank = 0;
    int symmetry = 0;
    int technique = -1;
    int threads = 0;
};

bool ParseInt(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

}  // namespace

bool ParseTechnique(const char* text, int& out) {
    if (ParseInt(text, 0, kTechniqueCount - 1, out)) return true;
    for (int t = 0; t < kTechniqueCount; ++t) {
        if (std::strcmp(text, TechniqueName(t)) == 0) {
            out = t;
            return true;
        }
    }
    return false;
}

void PrintRefusal(int rank, int technique) {
    std::string ranks;
    for (int r = 0; r < kRankCount; ++r)
        if (RankAllowsTechnique(r, technique)) {
            if (!ranks.empty()) ranks += ", ";
            ranks += std::to_string(r);
        }
    std::fprintf(stderr, "masuvo-cli: a puzzle of rank %d (%s) never needs technique %d (%s); ranks that can: %s\n",
                 rank, RankNameOfIndex(rank), technique, TechniqueName(technique), ranks.c_str());
}

namespace {

// Reads --number, --rank and --technique (when wanted), --symmetry and --threads.
bool ParseOptions(int argc, char** argv, bool wantRank, Options& options) {
    for (int i = 2; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "masuvo-cli: %s needs a value\n", name.c_str());
            return false;
        }
        const char* value = argv[++i];
        bool ok;
        if (name == "--number")
            ok = ParseInt(value, 0, 1000000, options.number);
        else if (name == "--rank" && wantRank)
            ok = ParseInt(value, 0, 9, options.rank);
        else if (name == "--technique" && wantRank)
            ok = ParseTechnique(value, options.technique);
        else if (name == "--symmetry")
            ok = ParseInt(value, 0, 2, options.symmetry);
        else if (name == "--threads")
            ok = ParseInt(value, 1, 256, options.threads);
        else {
            std::fprintf(stderr, "masuvo-cli: unknown option %s\n", name.c_str());
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "masuvo-cli: bad value for %s: %s\n", name.c_str(), value);
            return false;
        }
    }
    return true;
}

// Prints "iterations done / 10000, elapsed" at most a few times a second.
class ProgressLine {
public:
    void operator()(int done) {
        const auto now = std::chrono::steady_clock::now();
        if (done < kCreationIterations && now - last_ < std::chrono::milliseconds(250)) return;
        last_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        std::fprintf(stderr, "\r%5d / %d  %6.1f s", done, kCreationIterations, seconds);
        std::fflush(stderr);
        shown_ = true;
    }
    void Finish() {
        if (shown_) std::fputc('\n', stderr);
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_{};
    bool shown_ = false;
};

int Report(const CreationOutcome& outcome, const std::string& name) {
    switch (outcome.status) {
        case CreationStatus::Found:
            std::fprintf(stderr, "found at iteration %d\n", outcome.iteration);
            Write(GridText(outcome.puzzle) + '\t' + name + '\t' + std::to_string(outcome.seconds) + '\n');
            return 0;
        case CreationStatus::Cancelled:
            std::fputs("masuvo-cli: cancelled\n", stderr);
            return 130;
        case CreationStatus::Failed:
        default:
            std::fputs("作成に失敗しました。\n", stderr);
            return 1;
    }
}

template <typename Create>
int RunSearch(const Options& options, int rank, Create create, const std::string& name) {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    ProgressLine progress;
    CreationRequest request;
    request.number = options.number;
    request.rank = rank;
    request.symmetry = options.symmetry;
    request.technique = options.technique;
    request.threads = options.threads;
    request.cancel = &g_cancel;
    request.progress = [&progress](int done) { progress(done); };
    const CreationOutcome outcome = create(request);
    progress.Finish();
    return Report(outcome, name);
}

}  // namespace

int RunCreate(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, true, options)) return 2;
    if (options.technique >= 0 && !RankAllowsTechnique(options.rank, options.technique)) {
        PrintRefusal(options.rank, options.technique);
        return 2;
    }
    return RunSearch(options, options.rank, CreateRated,
                     RatedPuzzleName(options.rank, options.symmetry, options.number, options.technique));
}

int RunUnsolvable(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, false, options)) return 2;
    return RunSearch(options, 0, CreateUnsolvable, UnsolvablePuzzleName(options.symmetry, options.number));
}

int RunDrill(int argc, char** argv) {
    int technique = -1;
    int number = 1;
    int threads = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "masuvo-cli: %s needs a value\n", name.c_str());
            return 2;
        }
        const char* value = argv[++i];
        bool ok;
        if (name == "--technique")
            ok = ParseTechnique(value, technique);
        else if (name == "--number")
            ok = ParseInt(value, 0, 1000000, number);
        else if (name == "--threads")
            ok = ParseInt(value, 1, 256, threads);
        else {
            std::fprintf(stderr, "masuvo-cli: unknown option %s\n", name.c_str());
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "masuvo-cli: bad value for %s: %s\n", name.c_str(), value);
            return 2;
        }
    }
    if (technique < 0) {
        std::fputs("masuvo-cli: drill needs --technique\n", stderr);
        return 2;
    }
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    ProgressLine progress;
    DrillRequest request;
    request.technique = technique;
    request.number = number;
    request.threads = threads;
    request.cancel = &g_cancel;
    request.progress = [&progress](int done) { progress(done); };
    const DrillOutcome outcome = CreateDrill(request);
    progress.Finish();
    if (outcome.status == CreationStatus::Cancelled) {
        std::fputs("masuvo-cli: cancelled\n", stderr);
        return 130;
    }
    if (outcome.status != CreationStatus::Found) {
        std::fputs("作成に失敗しました。\n", stderr);
        return 1;
    }
    const Drill& drill = outcome.drill;
    std::string indices;
    for (int t : drill.techniques) {
        if (!indices.empty()) indices += ',';
        indices += std::to_string(t);
    }
    Write(GridText(drill.position) + '\t' + std::to_string(drill.row) + ',' + std::to_string(drill.col) + ',' +
          std::to_string(drill.digit) + '\t' + drill.texts + '\t' + indices + '\n');
    return 0;
}

}  // namespace masuvo::cli
