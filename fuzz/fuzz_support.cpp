#include "fuzz/fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace masuvo::fuzz {

namespace {

std::string MakeScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/masuvo-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    static std::string removed;
    removed = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(removed, ignored);
    });
    return pattern;
}

}  // namespace

const std::string& ScratchFolder() {
    static const std::string folder = MakeScratchFolder();
    return folder;
}

void ClearScratchFolder() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder(), ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

void WriteScratchFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    Require(static_cast<bool>(out), "the scratch file could not be written");
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

MemoryFile::MemoryFile(const uint8_t* data, size_t size) {
    fd_ = ::memfd_create("masuvo-fuzz-input", MFD_CLOEXEC);
    Require(fd_ >= 0, "memfd_create failed");
    size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd_, data + done, size - done);
        Require(written > 0, "writing the memory file failed");
        done += static_cast<size_t>(written);
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
    if (fd_ >= 0) ::close(fd_);
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace masuvo::fuzz
