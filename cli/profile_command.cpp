#include "cli/profile_command.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli/puzzle_input.h"
#include "cli/stats_command.h"
#include "records/practice_record.h"
#include "reports/technique_profile_builder.h"

namespace masuvo::cli {

namespace {

int Usage() {
    std::fputs("usage: masuvo-cli profile [--record FILE] [FOLDER...]\n", stderr);
    return 2;
}

}  // namespace

int RunProfile(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path data = fs::path(DocumentsFolder()) / "マスヴォ２";
    ProfileSources sources;
    sources.practiceRecord = data / kPracticeRecordName;
    bool options = true;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--record") {
            if (++i >= argc || argv[i][0] == '\0') return Usage();
            sources.practiceRecord = argv[i];
        } else if (options && arg.size() > 1 && arg.front() == '-') {
            return Usage();
        } else {
            if (arg.empty()) return Usage();
            sources.folders.emplace_back(arg);
        }
    }
    if (sources.folders.empty()) sources.folders.push_back(data / "完成問題");
    for (const fs::path& folder : sources.folders) {
        std::error_code error;
        if (!fs::is_directory(folder, error)) {
            std::fprintf(stderr, "masuvo-cli: %s: not a folder\n", folder.c_str());
            return 1;
        }
    }

    const TechniqueProfile profile = BuildTechniqueProfile(sources);
    Write(FormatProfileRows(profile));
    if (profile.filesSkipped > 0)
        std::fprintf(stderr, "masuvo-cli: %d file(s) skipped: damaged or not puzzle files\n", profile.filesSkipped);
    if (profile.recordLinesSkipped > 0)
        std::fprintf(stderr, "masuvo-cli: %s: %d unreadable line(s) skipped\n", sources.practiceRecord.c_str(),
                     profile.recordLinesSkipped);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("masuvo-cli: standard output");
        return 1;
    }
    return 0;
}

}  // namespace masuvo::cli
