// A file size limit for this process while it lives: writes past it fail
// with EFBIG, as on a full disk, also for root (who writes into read-only
// folders).
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace masuvo::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        // Without this the kernel ends the process instead of failing the write.
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, signal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*signal_)(int) = nullptr;
};

}  // namespace masuvo::test
