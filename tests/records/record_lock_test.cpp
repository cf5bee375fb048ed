#include "records/record_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "files/cp932.h"
#include "records/record_file.h"
#include "records/record_list.h"
#include "tests/files/temp_folder.h"

using namespace masuvo;
using masuvo::test::TempFolder;

namespace {

// A record line whose name is the given text, the counts all 1.
std::string Record(const std::string& name) {
    std::string line = "version 3.1.0,2024,03,09,7,05," + name + ",1200,850,60,1140,1,2,3,40,60,5.0,,";
    for (int list = 0; list < 2; ++list) {
        for (int i = 0; i < 30; ++i) line += " 1,";
        line += ",";
    }
    line.resize(line.size() - 2);
    return line;
}

// A child process that appends count records named "<tag>-<i>"; its exit
// status says whether every append succeeded.
pid_t StartAppender(const std::string& path, const std::string& tag, int count) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    std::string message;
    for (int i = 0; i < count; ++i)
        if (!AppendRecordLine(path, Record(tag + "-" + std::to_string(i)), message)) ::_exit(1);
    ::_exit(0);
}

}  // namespace

// Two programs append 1,000 records each while this one deletes records
// through 履歴管理's re-read and rewrite: every appended record is there
// exactly once and every deletion took.
TEST(RecordFileLock, AppendsAndRewritesOfSeveralProgramsLoseNothing) {
    TempFolder folder;
    const std::string path = folder / "達成記録.csv";
    std::string message;
    ASSERT_TRUE(PrepareRecordFile(path, message)) << message;
    constexpr int kFillers = 40;
    for (int i = 0; i < kFillers; ++i) ASSERT_TRUE(AppendRecordLine(path, Record("filler-" + std::to_string(i)), message));

    constexpr int kAppends = 1000;
    const pid_t first = StartAppender(path, "A", kAppends);
    const pid_t second = StartAppender(path, "B", kAppends);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    // Each filler on its own rewrite, interleaved with the appends.
    for (int i = 0; i < kFillers; ++i) {
        RecordList list;
        ASSERT_TRUE(list.Load(path, message)) << message;
        ASSERT_TRUE(list.Delete(1 + i));
        ASSERT_TRUE(list.Save(message)) << message;
    }
    for (pid_t child : {first, second}) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::vector<std::string> lines;
    ASSERT_TRUE(ReadRecordLines(path, lines, message)) << message;
    std::map<std::string, int> seen;
    for (size_t i = 1; i < lines.size(); ++i) ++seen[lines[i]];
    for (const char* tag : {"A", "B"})
        for (int i = 0; i < kAppends; ++i)
            ASSERT_EQ(seen[Record(std::string(tag) + "-" + std::to_string(i))], 1) << tag << i;
    for (int i = 0; i < kFillers; ++i) EXPECT_EQ(seen["#" + Record("filler-" + std::to_string(i))], 1) << i;
    EXPECT_EQ(lines.size(), 1u + kFillers + 2 * kAppends);
}

// A lock that another holder keeps is given up after the wait, with a
// reason for the player; once released it can be had again.
TEST(RecordFileLock, BoundedWaitAndRelease) {
    TempFolder folder;
    const std::string path = folder / "達成記録.csv";
    {
        const RecordFileLock held(path);
        ASSERT_TRUE(held.locked()) << held.reason();
        const RecordFileLock waiting(path, 50);
        EXPECT_FALSE(waiting.locked());
        EXPECT_EQ(waiting.reason(), kRecordLockBusy);
    }
    const RecordFileLock again(path, 50);
    EXPECT_TRUE(again.locked());
}
