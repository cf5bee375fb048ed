#include "records/record_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "files/user_error_text.h"

namespace masuvo {

RecordFileLock::RecordFileLock(const std::string& recordPath, int waitMilliseconds) {
    const std::string lockPath = recordPath + ".lock";
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        // A folder where nothing can be created cannot hold a rewrite's
        // temporary file either: an append there has no rewrite to fear.
        if (errno == EACCES || errno == EROFS || errno == EPERM) {
            unlockedAppend_ = true;
            return;
        }
        reason_ = UserErrorText(errno);
        return;
    }
    // flock has no timeout of its own: poll, sleeping briefly between tries.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            reason_ = UserErrorText(errno);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            reason_ = kRecordLockBusy;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::close(fd);
}

RecordFileLock::~RecordFileLock() {
    // Closing the descriptor releases the lock.
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace masuvo
