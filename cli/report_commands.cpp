#include "cli/report_commands.h"

#include "cli/puzzle_input.h"
#include "tools/solution_steps_report.h"

namespace masuvo::cli {

namespace {

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out.push_back(c);
    return out;
}

}  // namespace

int RunSteps() {
    return ForEachPuzzle(stdin, [](const KR_base& grid) {
        Write(WithLineFeeds(SolutionStepsReport(GridText(grid), grid)) + '\n');
    }) ? 0 : 1;
}

}  // namespace masuvo::cli
