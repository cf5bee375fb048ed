// Faults of the disk while the program runs: a full disk, a read-only
// folder, a record file or finished folder that went away, a puzzle file
// that is cut short while it is read. Each gives its message, and no file
// that was there before is damaged.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "files/cp932.h"
#include "records/record_file.h"
#include "tests/faults/private_mounts.h"
#include "tests/files/temp_folder.h"
#include "tests/session/session_fixture.h"

namespace masuvo::test {
namespace {

namespace fs = std::filesystem;

#define REQUIRE_PRIVATE_MOUNTS()                                                          \
    if (!PrivateMountsAvailable()) GTEST_SKIP() << "no private mount namespace on this machine"

constexpr const char* kSaveFailed = "保存ファイルをオープンできません。：\n";
constexpr const char* kRecordFailed = "達成記録ファイルをオープンできません。：\n";
constexpr const char* kLoadFailed = "ファイルを読込めません。";

// The solution with its first cell emptied: one move completes it.
const std::string kOneMoveBoard = [] {
    std::string board = kSolution;
    board[0] = '.';
    return board;
}();

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// A session whose folders the test places; the window is scripted.
class FaultTest : public testing::Test {
protected:
    FaultTest() {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    void Open(const DataFolders& folders) {
        session_ = std::make_unique<PlaySession>(view, folders);
        session_->ResetSession();
        view.ClearRecords();
    }
    PlaySession& session() { return *session_; }

    DataFolders FoldersIn(const fs::path& data, const fs::path& records) {
        DataFolders f;
        f.dataFolder = data.string();
        f.finishedFolder = (data / "完成問題").string();
        f.tempFolder = (data / ".tmp").string();
        f.recordPath = (records / "達成記録.csv").string();
        fs::create_directories(f.finishedFolder);
        std::string message;
        EXPECT_TRUE(PrepareRecordFile(f.recordPath, message)) << message;
        return f;
    }

    void Paste(const std::string& grid) { ASSERT_TRUE(session().PasteBoardText(grid)); }
    // Plays the one-move board to its end.
    void PlayToTheEnd() {
        Paste(kOneMoveBoard);
        session().StartSolving();
        ASSERT_EQ(session().mode, 1);
        view.monotonic += 30;
        session().Tick();
        session().selRow = 0;
        session().selCol = 0;
        session().HandleKey({KeyKind::Digit, kSolution[0] - '0'}, false);
        ASSERT_EQ(session().mode, 3);
    }

    TempFolder temp;
    FakeView view;

private:
    std::unique_ptr<PlaySession> session_;
};

// Saving over a puzzle file on a full disk or in a read-only folder fails
// with the save message; the file keeps its bytes and no temporary file is
// left beside it.
TEST_F(FaultTest, SavingOnAFullOrReadOnlyDiskKeepsThePreviousFile) {
    REQUIRE_PRIVATE_MOUNTS();
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        SmallFilesystem disk(256 * 1024);
        ASSERT_TRUE(disk.mounted());
        Open(FoldersIn(temp.path(), temp.path()));
        const std::string path = disk / "問題.kzd";
        Paste(kNakedSingleBoard);
        ASSERT_TRUE(session().SavePuzzleCommand(path));
        const std::string before = ReadBytes(path);
        const std::string name = session().name;

        Paste(kCandidateBoard);
        ASSERT_TRUE(readOnly ? disk.MakeReadOnly() : disk.Fill());
        const std::set<std::string> files = Names(disk.path());
        view.ClearRecords();
        EXPECT_FALSE(session().SavePuzzleCommand(path));
        ASSERT_EQ(view.messageBoxes.size(), 1u);
        EXPECT_TRUE(StartsWith(view.messageBoxes[0], kSaveFailed)) << view.messageBoxes[0];
        EXPECT_TRUE(ReadBytes(path) == before) << "the puzzle file changed";
        EXPECT_EQ(Names(disk.path()), files);
        EXPECT_NE(session().name, "問題");  // the failed file does not name the puzzle
        // The board is still there to be saved elsewhere.
        EXPECT_TRUE(session().SavePuzzleCommand(temp / "elsewhere.kzd"));
    }
}

// A record that no longer fits on the disk is reported, and the record
// file keeps exactly the lines it had: no half line at its end.
TEST_F(FaultTest, ARecordThatDoesNotFitLeavesTheRecordFileWhole) {
    REQUIRE_PRIVATE_MOUNTS();
    SmallFilesystem disk(128 * 1024);
    ASSERT_TRUE(disk.mounted());
    Open(FoldersIn(temp.path(), disk.path()));
    const std::string records = session().folders.recordPath;
    // Pad the file with a deleted line so that its last page has room for
    // 50 bytes: a record line is longer, so the disk fills in the middle
    // of it.
    std::string bytes = ReadBytes(records);
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t target = page - 50;
    ASSERT_LT(bytes.size() + 4, target);
    const size_t padding = target - bytes.size() - 3;
    bytes += '#';
    bytes.append(padding, 'x');
    bytes += "\r\n";
    WriteBytes(records, bytes);
    ASSERT_EQ(fs::file_size(records), target);
    ASSERT_TRUE(disk.Fill());

    PlayToTheEnd();
    ASSERT_EQ(view.messageBoxes.size(), 1u);
    EXPECT_TRUE(StartsWith(view.messageBoxes[0], kRecordFailed)) << view.messageBoxes[0];
    const std::string after = ReadBytes(records);
    EXPECT_EQ(after.size(), bytes.size());
    EXPECT_TRUE(after == bytes) << "the record file changed";
    // The finished copy lies on the other disk and is still written.
    EXPECT_EQ(Names(session().folders.finishedFolder).size(), 1u);
    EXPECT_NE(view.Text(Field::Message).find("すべて完成しました。"), std::string::npos);
}

// The finished folder removed while the program runs: the copy cannot be
// written and says so; the record is still kept.
TEST_F(FaultTest, AMissingFinishedFolderAtCompletionKeepsTheRecord) {
    Open(FoldersIn(temp.path(), temp.path()));
    fs::remove_all(session().folders.finishedFolder);
    const std::string before = ReadBytes(session().folders.recordPath);

    PlayToTheEnd();
    ASSERT_EQ(view.messageBoxes.size(), 1u);
    EXPECT_TRUE(StartsWith(view.messageBoxes[0], kSaveFailed)) << view.messageBoxes[0];
    const std::string after = ReadBytes(session().folders.recordPath);
    EXPECT_EQ(after.compare(0, before.size(), before), 0);
    EXPECT_GT(after.size(), before.size());
    EXPECT_FALSE(fs::exists(session().folders.finishedFolder));
    EXPECT_NE(view.Text(Field::Message).find("すべて完成しました。"), std::string::npos);
}

// The record file deleted and replaced by a folder while the program runs:
// the record is reported as not written, and nothing else is touched.
TEST_F(FaultTest, ARecordFileReplacedByAFolderIsReported) {
    Open(FoldersIn(temp.path(), temp.path()));
    fs::remove(session().folders.recordPath);
    fs::create_directory(session().folders.recordPath);

    PlayToTheEnd();
    ASSERT_EQ(view.messageBoxes.size(), 1u);
    EXPECT_TRUE(StartsWith(view.messageBoxes[0], kRecordFailed)) << view.messageBoxes[0];
    EXPECT_TRUE(fs::is_directory(session().folders.recordPath));
    EXPECT_TRUE(fs::is_empty(session().folders.recordPath));
    EXPECT_EQ(Names(session().folders.finishedFolder).size(), 1u);
}

// A puzzle file that is cut short while it is being read (here a pipe whose
// writer stops half-way) is refused whole: the session keeps its play.
TEST_F(FaultTest, APuzzleFileCutShortWhileLoadingLeavesThePlayAsItWas) {
    Open(FoldersIn(temp.path(), temp.path()));
    Paste(kNakedSingleBoard);
    const std::string saved = temp / "whole.kzd";
    ASSERT_TRUE(session().SavePuzzleCommand(saved));
    const std::string whole = ReadBytes(saved);

    Paste(kCandidateBoard);
    session().StartSolving();
    const std::string board = session().BoardText();
    const std::string name = session().name;
    const std::string pipe = temp / "growing.kzd";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::thread writer([&] {
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return;
        const ssize_t half = static_cast<ssize_t>(whole.size() / 2);
        EXPECT_EQ(::write(fd, whole.data(), static_cast<size_t>(half)), half);
        ::close(fd);
    });
    view.ClearRecords();
    const bool loaded = session().LoadPuzzleCommand(pipe);
    writer.join();
    EXPECT_FALSE(loaded);
    ASSERT_EQ(view.messageBoxes.size(), 1u);
    EXPECT_TRUE(StartsWith(view.messageBoxes[0], kLoadFailed)) << view.messageBoxes[0];
    EXPECT_EQ(session().BoardText(), board);
    EXPECT_EQ(session().name, name);
    EXPECT_EQ(session().mode, 1);
}

}  // namespace
}  // namespace masuvo::test
