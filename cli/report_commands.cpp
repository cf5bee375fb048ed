#include "cli/report_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/puzzle_input.h"
#include "session/headless_view.h"
#include "session/play_session.h"
#include "session/developer_tools.h"
#include "reports/solution_steps_report.h"

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

int RunEvaluate(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: masuvo-cli evaluate FILE.kzd...\n", stderr);
        return 2;
    }
    std::vector<std::string> paths(argv + 2, argv + argc);
    size_t current = 0;
    bool allRead = true;
    HeadlessView view([&](const std::string& message) {
        allRead = false;
        std::fprintf(stderr, "%s: %s\n", paths[current].c_str(), message.c_str());
    });
    PlaySession session(view, DataFolders());
    // The same batch as the developer tools' 全ファイル評価, so both reports agree.
    const std::string report = EvaluateFiles(session, paths, [&current](int index, int) {
        current = static_cast<size_t>(index);
        return true;
    });
    Write(WithLineFeeds(report));
    return allRead ? 0 : 1;
}

}  // namespace masuvo::cli
