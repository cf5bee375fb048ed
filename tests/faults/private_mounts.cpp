#include "tests/faults/private_mounts.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace masuvo::test {

namespace {

bool available = false;

bool WriteProcFile(const std::string& path, const std::string& text) {
    std::ofstream file(path);
    file << text;
    return static_cast<bool>(file.flush());
}

}  // namespace

bool EnterPrivateMounts() {
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWNS) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
        // Root inside the new namespace, the caller outside it.
        WriteProcFile("/proc/self/setgroups", "deny");
        if (!WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1")) return false;
        if (!WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) return false;
    }
    // Mounts made here must not reach the machine's namespace.
    available = ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return available;
}

bool PrivateMountsAvailable() { return available; }

SmallFilesystem::SmallFilesystem(size_t bytes) : bytes_(bytes) {
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::path(testing::TempDir()) /
            ("masuvo_small_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    std::error_code error;
    std::filesystem::create_directories(path_, error);
    const std::string options = "size=" + std::to_string(bytes_) + ",mode=0777";
    mounted_ = available && ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallFilesystem::~SmallFilesystem() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

bool SmallFilesystem::Fill() {
    const int fd = ::open((path_ / ".filler").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return errno == ENOSPC;
    const std::vector<char> block(4096, 'x');
    bool full = false;
    // Whole blocks first, then single bytes into the last partial block.
    for (size_t size : {block.size(), size_t{1}}) {
        while (true) {
            const ssize_t written = ::write(fd, block.data(), size);
            if (written < 0) {
                full = errno == ENOSPC;
                break;
            }
        }
    }
    ::close(fd);
    return full;
}

bool SmallFilesystem::MakeReadOnly() {
    const std::string options = "size=" + std::to_string(bytes_);
    return ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, options.c_str()) == 0;
}

}  // namespace masuvo::test
