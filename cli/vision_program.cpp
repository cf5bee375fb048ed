#include "cli/vision_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace masuvo::cli {

namespace {

constexpr const char* kProgramName = "masuvo-recognize";

}  // namespace

int RunVisionProgram(int argc, char** argv) {
    (void)argc;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        std::fprintf(stderr, "masuvo-cli: cannot find its own program file: %s\n", ec.message().c_str());
        return 1;
    }
    const std::filesystem::path folder = self.parent_path();
    const std::filesystem::path candidates[] = {folder / kProgramName,
                                                folder / ".." / "libexec" / "masuvo" / kProgramName};
    setenv(kCliPathVariable, self.c_str(), 1);
    int error = ENOENT;
    for (const std::filesystem::path& candidate : candidates) {
        ::execv(candidate.c_str(), argv);
        // A missing candidate passes on to the next; any other failure is the one to report.
        if (errno != ENOENT) {
            error = errno;
            break;
        }
    }
    std::fprintf(stderr, "masuvo-cli: cannot start %s (%s or %s): %s\n", kProgramName, candidates[0].c_str(),
                 candidates[1].c_str(), std::strerror(error));
    return 1;
}

}  // namespace masuvo::cli
