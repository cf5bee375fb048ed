#include "cli/report_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/puzzle_input.h"
#include "session/headless_view.h"
#include "session/play_session.h"
#include "tools/evaluation_report.h"
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

// The file name after the last '/' with the extension (from the last '.') removed.
std::string FileTitle(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = title.find_last_of('.');
    if (dot != std::string::npos) title.erase(dot);
    return title;
}

int RunEvaluate(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: masuvo-cli evaluate FILE.kzd...\n", stderr);
        return 2;
    }
    std::string currentPath;
    bool allRead = true;
    HeadlessView view([&currentPath](const std::string& message) {
        std::fprintf(stderr, "%s: %s\n", currentPath.c_str(), message.c_str());
    });
    PlaySession session(view, DataFolders());
    std::vector<EvaluatedFile> files;
    for (int i = 2; i < argc; ++i) {
        currentPath = argv[i];
        if (!session.ReadPuzzleFile(currentPath)) {
            allRead = false;
            continue;
        }
        EvaluatedFile file;
        file.title = FileTitle(currentPath);
        file.solutionCount = session.solutionCount;
        file.solvable = session.solvable;
        file.difficulty = session.difficulty;
        file.usage = session.usageNow;
        files.push_back(file);
    }
    Write(WithLineFeeds(EvaluationReport(files)));
    return allRead ? 0 : 1;
}

}  // namespace masuvo::cli
