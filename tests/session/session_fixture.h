// A session on a scripted window, with its data folders in a fresh temporary
// folder, and the boards the session tests play.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "records/record_file.h"
#include "session/play_session.h"
#include "tests/files/temp_folder.h"
#include "tests/session/fake_view.h"

namespace masuvo::test {

// Solution of the boards below.
constexpr const char* kSolution = "618427359359618472247593681172946835893175264465832197931784526786251943524369718";
// 49 empty cells; the next move, (1,4) = 1, is a cell completion alone
// (H 300, R 240), and the whole board needs only the five placing techniques.
constexpr const char* kNakedSingleBoard =
    "...4...5..59.....2...5.3.8.1...4.83....17526..6..3.19....78.5.6....5.9..524.6...8";
// The solution with the rectangle (0,3) (0,5) (6,3) (6,5) of 4 and 7 emptied:
// two solutions, and no technique places anything.
constexpr const char* kRectangleBoard =
    "618.2.359359618472247593681172946835893175264465832197931.8.526786251943524369718";
// 50 empty cells and a candidate-display score of 900.
constexpr const char* kCandidateBoard =
    "4.6..9...3.985.....5...2.3....1.63...6.7..8....3.98..6.3.9.1..2.9.28...36...4.9..";
// The next move, (8,2) = 2, takes 隠れた数字 and ブロック内の配置 (H 270, R 60).
constexpr const char* kTwoStepBoard =
    "4.63.9...3.9854....5.6.2439.4.1263...6.7358.4..3498..6.3.961..2.9.287..36..5439..";
// One solution that the techniques cannot reach.
constexpr const char* kBeyondLogicBoard =
    "..53.....8......2..7..1.5..4....53...1..7...6..32...8..6.5....9..4....3......97..";
// The same with a wrong 6 in the first cell: no solution, yet no technique
// finds the contradiction.
constexpr const char* kNoSolutionBoard =
    "6.53.....8......2..7..1.5..4....53...1..7...6..32...8..6.5....9..4....3......97..";

inline int SolutionDigit(int row, int col) { return kSolution[9 * row + col] - '0'; }

class SessionTest : public testing::Test {
protected:
    SessionTest() : session(view, MakeFolders()) {
        // Record lines and pasted names carry local time; fix the zone.
        setenv("TZ", "UTC", 1);
        tzset();
        session.ResetSession();
        view.ClearRecords();
    }

    DataFolders MakeFolders() {
        DataFolders f;
        f.dataFolder = folder.path().string();
        f.finishedFolder = folder / "完成問題";
        f.tempFolder = folder / ".tmp";
        f.recordPath = folder / "達成記録.csv";
        std::filesystem::create_directories(f.finishedFolder);
        std::string message;
        EXPECT_TRUE(PrepareRecordFile(f.recordPath, message)) << message;
        return f;
    }

    // A puzzle typed in create mode, as givens.
    void Paste(const std::string& grid) { ASSERT_TRUE(session.PasteBoardText(grid)); }

    void Select(int row, int col) {
        session.selRow = row;
        session.selCol = col;
    }
    void Type(int row, int col, int digit) {
        Select(row, col);
        session.HandleKey({KeyKind::Digit, digit}, false);
    }
    void Erase(int row, int col) {
        Select(row, col);
        session.HandleKey({KeyKind::Delete, 0}, false);
    }
    // The clock moves by seconds, and one tick reports it.
    void Wait(int64_t seconds) {
        view.monotonic += seconds;
        session.Tick();
    }
    // Starts a board whose first start asks nothing.
    void StartPlain(const std::string& grid) {
        Paste(grid);
        session.StartSolving();
        ASSERT_EQ(session.mode, 1);
    }
    // Plays the rectangle board: starts it through its question.
    void StartRectangle() {
        Paste(kRectangleBoard);
        view.answers.push_back(Answer::Yes);
        session.StartSolving();
        ASSERT_EQ(session.mode, 1);
    }
    std::string LastRecordLine() {
        std::vector<std::string> lines;
        std::string message;
        EXPECT_TRUE(ReadRecordLines(session.folders.recordPath, lines, message)) << message;
        return lines.empty() ? std::string() : lines.back();
    }
    size_t RecordLineCount() {
        std::vector<std::string> lines;
        std::string message;
        ReadRecordLines(session.folders.recordPath, lines, message);
        return lines.size();
    }

    TempFolder folder;
    FakeView view;
    PlaySession session;
};

}  // namespace masuvo::test
