// Two running programs share one record file: every append and every
// rewrite holds an advisory lock on "<record file>.lock" beside it, so a
// record appended by one is never lost under the other's rewrite. The lock
// file itself is never removed (removing it would let a third program lock
// a different file of the same name).
#pragma once

#include <string>

namespace masuvo {

// How long an append or a rewrite waits for the other program.
constexpr int kRecordLockWaitMilliseconds = 5000;

// The text after "達成記録ファイルをオープンできません。：\n" when the lock
// could not be had in time.
constexpr const char* kRecordLockBusy =
    "別のマスヴォが達成記録を書き込み中です。しばらくしてからもう一度お試しください。";

class RecordFileLock {
public:
    // Waits up to waitMilliseconds for the lock of recordPath.
    explicit RecordFileLock(const std::string& recordPath, int waitMilliseconds = kRecordLockWaitMilliseconds);
    ~RecordFileLock();
    RecordFileLock(const RecordFileLock&) = delete;
    RecordFileLock& operator=(const RecordFileLock&) = delete;

    // True when the lock is held, or when the folder allows no lock file
    // (and so no rewrite either).
    bool locked() const { return fd_ >= 0 || unlockedAppend_; }
    // When not locked: the reason, for the player.
    const std::string& reason() const { return reason_; }

private:
    int fd_ = -1;
    bool unlockedAppend_ = false;
    std::string reason_;
};

}  // namespace masuvo
