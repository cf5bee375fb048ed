// What every fuzz target shares: a private scratch folder (the only place a
// target writes), inputs handed to path-taking readers without touching the
// disk, and a check that stops the run when a reader breaks its promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace masuvo::fuzz {

// A folder made once per process under $TMPDIR (or /tmp) and removed at exit.
const std::string& ScratchFolder();

// Removes everything inside the scratch folder, keeping the folder.
void ClearScratchFolder();

// Writes bytes to a file (replacing it); aborts when that fails, since the
// run would test nothing.
void WriteScratchFile(const std::string& path, std::string_view bytes);

// The whole content of a file, or an empty string when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// An input held in an anonymous memory file, reachable through a path for
// readers that only take a path. The path has no extension.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// Aborts with the message when the condition does not hold: a reader that
// accepted an input must not lose or change what it read.
void Require(bool condition, const char* what);

}  // namespace masuvo::fuzz
