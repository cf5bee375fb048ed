// Completion: the result message, the record line and the finished copies.
#include <filesystem>

#include "files/puzzle_file.h"
#include "session/session_text.h"
#include "tests/session/session_fixture.h"

namespace masuvo::test {
namespace {

namespace fs = std::filesystem;

std::string Counts(std::initializer_list<std::pair<int, int>> nonZero) {
    std::string text;
    for (int i = 0; i < kTechniqueCount; ++i) {
        int value = 0;
        for (auto [index, count] : nonZero)
            if (index == i) value = count;
        if (i) text += ',';
        if (value < 10) text += ' ';
        text += std::to_string(value);
    }
    return text;
}

class CompletionTest : public SessionTest {
protected:
    void FinishRectangle(int secondsPerMove) {
        for (auto [row, col] : {std::pair{0, 3}, {0, 5}, {6, 3}, {6, 5}}) {
            Wait(secondsPerMove);
            Type(row, col, SolutionDigit(row, col));
        }
    }
    std::string Finished(const std::string& file) { return session.folders.finishedFolder + "/" + file; }
};

TEST_F(CompletionTest, FinishingAPlayScoresRecordsAndFilesIt) {
    StartRectangle();
    ASSERT_EQ(session.targetTime, 0);
    FinishRectangle(10);

    EXPECT_EQ(session.mode, 3);
    EXPECT_EQ(view.Text(Field::Mode), "モード：完了");
    ASSERT_EQ(session.log.size(), 5u);
    const char* texts[4] = {"推定できません。", "ブロックの完成です。", "列の完成です。", "ブロックの完成です。"};
    const int points[4] = {0, 10, 20, 10};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(session.log[i].text, texts[i]) << i;
        EXPECT_EQ(session.log[i].points, points[i]) << i;
        EXPECT_EQ(session.log[i].seconds, 10) << i;
    }
    EXPECT_EQ(session.log[4].text, "-");
    EXPECT_EQ(session.log[4].row, -1);
    EXPECT_EQ(session.elapsed, 40);
    EXPECT_EQ(view.CountSounds(Sound::Completion), 1);
    EXPECT_EQ(view.Text(Field::Message),
              "推定解法：ブロックの完成です。\r\nすべて完成しました。\r\n難易度：0、ペナルティ：0、解答時間：40、余力度：-40 "
              "(0.0%)\r\n実行度：40");
    EXPECT_EQ(view.Text(Field::Status), "状態：完成　単解　　難易度：0　　");
    EXPECT_TRUE(view.Enabled(Control::ReviewButton));
    EXPECT_TRUE(view.Enabled(Control::ResetButton));
    EXPECT_FALSE(view.Enabled(Control::StartButton));
    EXPECT_FALSE(view.ticking);
    EXPECT_EQ(session.selRow, -1);

    EXPECT_EQ(LastRecordLine(), "version 3.1.0,2026,01,01,0,00,貼り付け(20260101000000),0,40,0,40,0,0,0,0,-40,0.0,," +
                                    Counts({}) + ",," + Counts({{0, 2}, {1, 1}}));

    const std::string copy = Finished("貼り付け(20260101000000)_完成.kzd");
    PuzzleFileData data;
    std::string message;
    ASSERT_TRUE(ReadPuzzleData(copy, data, message)) << message;
    EXPECT_EQ(data.mode, 3);
    EXPECT_EQ(data.elapsed, 40);
    EXPECT_EQ(data.execution, 40);
    ASSERT_EQ(data.log.size(), 5u);
    EXPECT_EQ(data.log[1].text, "ブロックの完成です。");
    EXPECT_EQ(data.log[4].text, "-");
}

// A headless tool that plays puzzles to the end leaves no record line and
// no finished copy behind; the play is scored all the same.
TEST_F(CompletionTest, CompletionWithoutFilingWritesNothing) {
    session.fileCompletions = false;
    const size_t lines = RecordLineCount();
    StartRectangle();
    FinishRectangle(10);
    EXPECT_EQ(session.mode, 3);
    EXPECT_NE(view.Text(Field::Message).find("すべて完成しました。"), std::string::npos);
    EXPECT_EQ(RecordLineCount(), lines);
    EXPECT_TRUE(std::filesystem::is_empty(session.folders.finishedFolder));
    EXPECT_TRUE(view.messageBoxes.empty());
}

TEST_F(CompletionTest, EveryCompletionOfTheSamePuzzleGetsItsOwnCopy) {
    StartRectangle();
    session.SetName("例題1");
    FinishRectangle(1);
    session.ResetToGivens();
    view.answers.push_back(Answer::Yes);
    session.StartSolving();
    FinishRectangle(1);
    session.ResetToGivens();
    view.answers.push_back(Answer::Yes);
    session.StartSolving();
    FinishRectangle(1);
    EXPECT_TRUE(fs::exists(Finished("例題1_完成.kzd")));
    EXPECT_TRUE(fs::exists(Finished("例題1_完成(2).kzd")));
    EXPECT_TRUE(fs::exists(Finished("例題1_完成(3).kzd")));
    EXPECT_EQ(RecordLineCount(), 4u);
}

struct NameCase {
    const char* name;
    const char* file;
    const char* recorded;
};

class CompletionNameTest : public CompletionTest, public testing::WithParamInterface<NameCase> {};

TEST_P(CompletionNameTest, NameIsMadeSafeForTheFileOnly) {
    StartRectangle();
    session.SetName(GetParam().name);
    FinishRectangle(1);
    EXPECT_TRUE(fs::exists(Finished(GetParam().file))) << GetParam().file;
    const std::vector<std::string> fields = SplitRecordFields(LastRecordLine());
    ASSERT_GT(fields.size(), 6u);
    EXPECT_EQ(fields[6], GetParam().recorded);
    // Nothing was written beside the finished folder but the record and its lock.
    for (const auto& entry : fs::directory_iterator(session.folders.dataFolder))
        EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "達成記録.csv" ||
                    entry.path().filename() == "達成記録.csv.lock")
            << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Names, CompletionNameTest,
                         testing::Values(NameCase{"", "_完成.kzd", "-"}, NameCase{"a/b", "a_b_完成.kzd", "a/b"},
                                         NameCase{"..", "__完成.kzd", ".."},
                                         NameCase{"../up", ".._up_完成.kzd", "../up"},
                                         NameCase{"tab\there", "tab_here_完成.kzd", "tab\there"}));

struct ScoreCase {
    int64_t seconds;
    const char* spare;
};

class CompletionScoreTest : public CompletionTest, public testing::WithParamInterface<ScoreCase> {};

// Played in full: every move judged; the target is set as a player would
// have it for a puzzle of 1,200 seconds.
TEST_P(CompletionScoreTest, ResultMessageShowsSpareAndRate) {
    StartPlain(kNakedSingleBoard);
    session.targetTime = 1200;
    Wait(GetParam().seconds);
    for (int k = 0; k < 81; ++k)
        if (session.values[k] == 0) Type(k / 9, k % 9, kSolution[k] - '0');
    ASSERT_EQ(session.mode, 3);
    int32_t points = 0;
    for (size_t i = 0; i + 1 < session.log.size(); ++i) points += session.log[i].points;
    EXPECT_EQ(session.execution, points);
    const std::string message = view.Text(Field::Message);
    const std::string result = std::string("すべて完成しました。\r\n難易度：1,200、ペナルティ：0、解答時間：") +
                               WithSeparators(GetParam().seconds) + "、余力度：" + GetParam().spare +
                               "\r\n実行度：" + WithSeparators(points);
    EXPECT_NE(message.find(result), std::string::npos) << message;
    const std::vector<std::string> fields = SplitRecordFields(LastRecordLine());
    EXPECT_EQ(fields[7], "1200");
    EXPECT_EQ(fields[10], std::to_string(GetParam().seconds));
}

INSTANTIATE_TEST_SUITE_P(Times, CompletionScoreTest,
                         testing::Values(ScoreCase{900, "300 (25.0%)"}, ScoreCase{1500, "-300 (-25.0%)"},
                                         ScoreCase{1200, "0 (0.0%)"}));

TEST_F(CompletionTest, LastCellFilledWhilePausedCompletesThePuzzle) {
    StartRectangle();
    Wait(5);
    session.PauseSolving();
    for (auto [row, col] : {std::pair{0, 3}, {0, 5}, {6, 3}, {6, 5}}) Type(row, col, SolutionDigit(row, col));
    EXPECT_EQ(session.mode, 3);
    ASSERT_EQ(session.log.size(), 1u);  // moves made while paused are not judged
    EXPECT_EQ(session.log[0].text, "-");
    EXPECT_EQ(RecordLineCount(), 2u);
    EXPECT_EQ(session.elapsed, 5);
}

TEST_F(CompletionTest, CompleteGridPastedInCreateModeIsRecordedUnderItsName) {
    Paste(kSolution);
    EXPECT_EQ(session.mode, 3);
    EXPECT_EQ(view.Text(Field::Message),
              "すべて完成しました。\r\n難易度：0、ペナルティ：0、解答時間：0、余力度：0 (0.0%)\r\n実行度：0");
    const std::vector<std::string> fields = SplitRecordFields(LastRecordLine());
    EXPECT_EQ(fields[6], "貼り付け(20260101000000)");
    EXPECT_EQ(fields[16], "0.0");
    EXPECT_TRUE(fs::exists(Finished("貼り付け(20260101000000)_完成.kzd")));
}

TEST_F(CompletionTest, MissingRecordFileIsReportedAndTheCopyStillWritten) {
    fs::remove(session.folders.recordPath);
    StartRectangle();
    FinishRectangle(1);
    ASSERT_EQ(view.messageBoxes.size(), 1u);
    EXPECT_EQ(view.messageBoxes[0].rfind("達成記録ファイルをオープンできません。：\n", 0), 0u);
    EXPECT_FALSE(fs::exists(session.folders.recordPath));
    EXPECT_TRUE(fs::exists(Finished("貼り付け(20260101000000)_完成.kzd")));
    EXPECT_NE(view.Text(Field::Message).find("すべて完成しました。"), std::string::npos);
}

TEST_F(CompletionTest, LoadingAFinishedCopyCompletesNothingAgain) {
    StartRectangle();
    FinishRectangle(1);
    const std::string copy = Finished("貼り付け(20260101000000)_完成.kzd");
    view.ClearRecords();
    ASSERT_TRUE(session.LoadPuzzleCommand(copy));
    EXPECT_EQ(session.mode, 3);
    EXPECT_EQ(session.log.size(), 5u);
    EXPECT_EQ(RecordLineCount(), 2u);
    EXPECT_TRUE(view.sounds.empty());
    EXPECT_TRUE(view.Enabled(Control::ReviewButton));
    EXPECT_EQ(session.name, "貼り付け(20260101000000)_完成");
    EXPECT_FALSE(fs::exists(Finished("貼り付け(20260101000000)_完成_完成.kzd")));
}

}  // namespace
}  // namespace masuvo::test
