// Small and read-only filesystems for the fault tests: the test process
// enters a mount namespace of its own at start-up (as root, or as the
// namespace's root through a user namespace), so the tests can mount tiny
// tmpfs folders and turn them read-only without touching the machine's
// mounts.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace masuvo::test {

// Called once from main before any thread starts. False when this machine
// lets the process make no mount namespace of its own.
bool EnterPrivateMounts();
bool PrivateMountsAvailable();

// A tmpfs of the given size mounted on a fresh folder, unmounted and
// removed at the end of the scope.
class SmallFilesystem {
public:
    explicit SmallFilesystem(size_t bytes);
    ~SmallFilesystem();
    SmallFilesystem(const SmallFilesystem&) = delete;
    SmallFilesystem& operator=(const SmallFilesystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // Fills the free space with a filler file; true when the disk is full.
    bool Fill();
    // Remounts the filesystem read-only.
    bool MakeReadOnly();

private:
    std::filesystem::path path_;
    size_t bytes_;
    bool mounted_ = false;
};

}  // namespace masuvo::test
