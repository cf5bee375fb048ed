// Saving and loading the session through the puzzle file.
#include <cstring>
#include <filesystem>

#include "files/puzzle_file.h"
#include "session/session_text.h"
#include "tests/session/session_fixture.h"

namespace masuvo::test {
namespace {

namespace fs = std::filesystem;

TEST_F(SessionTest, SavedWhileSolvingComesBackPausedWithTheSameTime) {
    StartPlain(kNakedSingleBoard);
    Wait(30);
    Type(1, 4, 1);
    session.RequestHint();
    session.ToggleCandidates(true);
    Select(0, 0);
    session.HandleKey({KeyKind::Digit, 3}, true);  // a strike-out
    session.HandleKey({KeyKind::Letter, 'R'}, false);
    session.ToggleCandidates(false);
    session.HandleKey({KeyKind::Digit, 7}, true);  // a memo
    Wait(4);
    const int64_t shown = session.elapsed + session.clockNow - session.clockStart;
    const std::string path = folder / "solving.kzd";
    ASSERT_TRUE(session.SavePuzzleCommand(path));
    EXPECT_EQ(session.name, "solving");
    EXPECT_EQ(session.mode, 1);  // saving changes nothing
    EXPECT_TRUE(view.ticking);

    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(path, data, message)) << message;
    EXPECT_EQ(data.mode, 1);
    EXPECT_EQ(data.elapsed, shown);

    FakeView otherView;
    PlaySession loaded(otherView, session.folders);
    loaded.ResetSession();
    ASSERT_TRUE(loaded.LoadPuzzleCommand(path));
    EXPECT_EQ(loaded.name, "solving");
    EXPECT_EQ(otherView.Text(Field::Name), "solving");
    EXPECT_EQ(loaded.rememberedFolder, folder.path().string());
    EXPECT_EQ(loaded.mode, 2);
    EXPECT_EQ(otherView.Text(Field::Mode), "モード：停止");
    EXPECT_EQ(loaded.elapsed, shown);
    EXPECT_EQ(otherView.Text(Field::ElapsedTime), TimeText(shown));
    EXPECT_EQ(loaded.targetTime, session.targetTime);
    EXPECT_EQ(otherView.Text(Field::TargetTime), TimeText(session.targetTime));
    EXPECT_EQ(otherView.Text(Field::Penalty), WithSeparators(session.penalty));
    EXPECT_EQ(otherView.Text(Field::HintCounts), "1 (0) 回");
    EXPECT_EQ(loaded.execution, session.execution);
    EXPECT_EQ(loaded.candidateEase, session.candidateEase);
    EXPECT_EQ(std::memcmp(loaded.values, session.values, sizeof loaded.values), 0);
    EXPECT_EQ(std::memcmp(loaded.origin, session.origin, sizeof loaded.origin), 0);
    EXPECT_EQ(std::memcmp(loaded.candMarks, session.candMarks, sizeof loaded.candMarks), 0);
    EXPECT_EQ(loaded.memo[0][7], 1);
    EXPECT_EQ(loaded.colour[0], kColourRed);
    EXPECT_EQ(loaded.colour[1], kColourNone);
    ASSERT_EQ(loaded.log.size(), 1u);
    EXPECT_EQ(loaded.log[0].text, "セルの完成です。");
    EXPECT_EQ(loaded.log[0].seconds, 30);
    EXPECT_EQ(loaded.usagePlayed.count[4], 1);
    EXPECT_FALSE(loaded.firstStart);
    EXPECT_TRUE(otherView.Enabled(Control::ResetButton));
    EXPECT_TRUE(otherView.Enabled(Control::CounterFields));
    EXPECT_TRUE(otherView.Enabled(Control::StartButton));
    EXPECT_FALSE(otherView.Enabled(Control::CreatePuzzleButton));

    // 解答開始 resumes: no questions, the target and the log stay.
    loaded.StartSolving();
    EXPECT_TRUE(otherView.questions.empty());
    EXPECT_EQ(loaded.mode, 1);
    EXPECT_EQ(loaded.targetTime, session.targetTime);
    EXPECT_EQ(loaded.log.size(), 1u);
}

TEST_F(SessionTest, FileSavedInCreateModeStartsAfresh) {
    Paste(kRectangleBoard);
    const std::string path = folder / "create.kzd";
    ASSERT_TRUE(session.WritePuzzleFile(path));
    session.ClearAll();
    ASSERT_TRUE(session.ReadPuzzleFile(path));
    EXPECT_EQ(session.mode, 0);
    EXPECT_TRUE(session.firstStart);
    EXPECT_EQ(session.BoardText(), kRectangleBoard);
    view.answers.push_back(Answer::No);
    session.StartSolving();
    EXPECT_EQ(view.questions.back(), "解が複数存在しますが、解答を開始しますか？");
}

TEST_F(SessionTest, LoadingChecksTheBoardWithoutSound) {
    std::string duplicate = kNakedSingleBoard;
    duplicate[0] = '4';
    Paste(duplicate);
    const std::string path = folder / "bad.kzd";
    ASSERT_TRUE(session.WritePuzzleFile(path));
    session.ClearAll();
    view.ClearRecords();
    ASSERT_TRUE(session.ReadPuzzleFile(path));
    EXPECT_EQ(session.solvable, -1);
    EXPECT_EQ(view.Text(Field::Message), "エラー：行1に、4 が重複します。");
    EXPECT_TRUE(view.sounds.empty());
}

TEST_F(SessionTest, FailedLoadLeavesTheSessionAsItWas) {
    StartPlain(kNakedSingleBoard);
    Type(1, 4, 1);
    const std::string name = session.name;
    const std::string board = session.BoardText();

    const std::string malformed = folder / "malformed.kzd";
    WriteBytes(malformed, std::string("\x83\x7d\x83\x58\x83\x94\x83\x48\r\nFile format version 3\r\n\r\n1,2\r\n"));
    const std::string notPuzzle = folder / "other.kzd";
    WriteBytes(notPuzzle, "hello\r\n");
    const struct {
        std::string path;
        const char* messagePrefix;
    } cases[] = {{folder / "missing.kzd", "読込ファイルをオープンできません。：\n"},
                 {malformed, "ファイルを読込めません。"},
                 {notPuzzle, "ファイルを読込めません。"}};
    for (const auto& c : cases) {
        view.ClearRecords();
        EXPECT_FALSE(session.LoadPuzzleCommand(c.path)) << c.path;
        ASSERT_EQ(view.messageBoxes.size(), 1u) << c.path;
        EXPECT_EQ(view.messageBoxes[0].rfind(c.messagePrefix, 0), 0u) << view.messageBoxes[0];
        EXPECT_EQ(session.mode, 1);
        EXPECT_EQ(session.name, name);
        EXPECT_EQ(session.BoardText(), board);
        EXPECT_EQ(session.log.size(), 1u);
        EXPECT_TRUE(view.ticking);
    }
}

TEST_F(SessionTest, FailedSaveKeepsTheNameAndShowsTheMessage) {
    Paste(kNakedSingleBoard);
    const std::string name = session.name;
    EXPECT_FALSE(session.SavePuzzleCommand(folder / "no-such-folder/x.kzd"));
    ASSERT_EQ(view.messageBoxes.size(), 1u);
    EXPECT_EQ(view.messageBoxes[0].rfind("保存ファイルをオープンできません。：\n", 0), 0u);
    EXPECT_EQ(session.name, name);
}

}  // namespace
}  // namespace masuvo::test
