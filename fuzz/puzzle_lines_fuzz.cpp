// The command-line tool's puzzle lines (standard input of count, rate, log
// and hint): every line is skipped, reported or handed over as a puzzle,
// and each puzzle is counted as masuvo-cli count counts it, checked against
// the slow reference counter.
#include <cstdio>
#include <string>

#include "cli/puzzle_input.h"
#include "engine/brute_force.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace masuvo;

constexpr size_t kMaxInput = 16 * 1024;

// The puzzles the input holds by the tool's rules, worked out separately.
int ExpectedPuzzles(const std::string& text, bool& allGood) {
    int puzzles = 0;
    allGood = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        bool puzzle = line.size() >= 81;
        for (size_t i = 0; puzzle && i < 81; ++i) puzzle = line[i] == '.' || (line[i] >= '0' && line[i] <= '9');
        if (puzzle)
            ++puzzles;
        else
            allGood = false;
    }
    return puzzles;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput || size == 0) return 0;
    static std::FILE* discard = std::fopen("/dev/null", "w");
    std::FILE* input = ::fmemopen(const_cast<uint8_t*>(data), size, "rb");
    fuzz::Require(input != nullptr, "fmemopen failed");

    int handled = 0;
    const bool good = cli::ForEachPuzzle(
        input,
        [&](const KR_base& grid) {
            ++handled;
            for (int r = 0; r < 9; ++r)
                for (int c = 0; c < 9; ++c)
                    fuzz::Require(grid.value[r][c] >= 0 && grid.value[r][c] <= 9, "a puzzle holds digits");
            KR_solver fast;
            KR_solver slow;
            for (int r = 0; r < 9; ++r)
                for (int c = 0; c < 9; ++c) fast.value[r][c] = slow.value[r][c] = grid.value[r][c];
            KR_base fastSolution;
            KR_base slowSolution;
            const int count = CountSolutions(fast, &fastSolution);
            fuzz::Require(count == CountSolutionsReference(slow, &slowSolution), "both counters agree");
        },
        discard);
    std::fclose(input);

    bool expectedGood = true;
    const int expected = ExpectedPuzzles(std::string(reinterpret_cast<const char*>(data), size), expectedGood);
    fuzz::Require(handled == expected, "every puzzle line is handed over once");
    fuzz::Require(good == expectedGood, "bad lines are reported");
    return 0;
}
