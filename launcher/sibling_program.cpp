#include "launcher/sibling_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace masuvo {

const char* OwnProgramPath() {
    static const std::string path = [] {
        std::error_code ec;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
        return ec ? std::string() : self.string();
    }();
    return path.c_str();
}

void RunSiblingProgram(const char* caller, const char* name, char** argv) {
    const std::string self = OwnProgramPath();
    if (self.empty()) {
        std::fprintf(stderr, "%s: cannot find its own program file: %s\n", caller, std::strerror(errno));
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(self).parent_path();
    const std::filesystem::path candidates[] = {folder / name, folder / ".." / "libexec" / "masuvo" / name};
    int error = ENOENT;
    for (const std::filesystem::path& candidate : candidates) {
        ::execv(candidate.c_str(), argv);
        // A missing candidate passes on to the next; any other failure is the one to report.
        if (errno != ENOENT) {
            error = errno;
            break;
        }
    }
    std::fprintf(stderr, "%s: cannot start %s (%s or %s): %s\n", caller, name, candidates[0].c_str(),
                 candidates[1].c_str(), std::strerror(error));
}

}  // namespace masuvo
