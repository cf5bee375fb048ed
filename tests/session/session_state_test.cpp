// Reset, modes and their enabling, the start questions, the clock, and what
// the state check reports.
#include <cstring>

#include "engine/rating.h"
#include "session/session_text.h"
#include "tests/session/session_fixture.h"

namespace masuvo::test {
namespace {

TEST(SessionTextTest, TimesNumbersAndRates) {
    EXPECT_EQ(TimeText(1234), "20分 34秒");
    EXPECT_EQ(TimeText(0), "0分 00秒");
    EXPECT_STREQ(RankName(1234), "中級");
    EXPECT_STREQ(RankName(0), "");
    const struct {
        int64_t value;
        const char* text;
    } numbers[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}, {-300, "-300"},
                   {-1234, "-1,234"}, {1000000000, "1,000,000,000"}};
    for (const auto& n : numbers) EXPECT_EQ(WithSeparators(n.value), n.text) << n.value;
    EXPECT_EQ(OneDecimal(25.0), "25.0");
    EXPECT_EQ(OneDecimal(-25.0), "-25.0");
    EXPECT_EQ(OneDecimal(33.333), "33.3");
    EXPECT_EQ(DigitCountText(9), "○");
    EXPECT_EQ(DigitCountText(8), "△");
    EXPECT_EQ(DigitCountText(0), "－");
    EXPECT_EQ(DigitCountText(10), "！");
    EXPECT_EQ(DigitCountText(3), "3");
}

TEST_F(SessionTest, NewWindowShowsAnEmptyCreateSession) {
    EXPECT_EQ(view.Text(Field::Mode), "モード：問題作成");
    EXPECT_EQ(view.Text(Field::TargetTime), "0分 00秒");
    EXPECT_EQ(view.Text(Field::TargetRank), "");
    EXPECT_EQ(view.Text(Field::Counts), "問題： 0　　アシスト： 0　　解答： 0　　残り：81");
    EXPECT_EQ(view.Text(Field::ElapsedTime), "0分 00秒");
    EXPECT_EQ(view.Text(Field::ElapsedRatio), "0.0%");
    EXPECT_EQ(view.Text(Field::HintCounts), "0 (0) 回");
    EXPECT_EQ(view.Text(Field::ExecCount), "0 回");
    EXPECT_EQ(view.Text(Field::Penalty), "0");
    for (Control on : {Control::CreatePuzzleButton, Control::StartButton, Control::LoadItem, Control::PasteItem,
                       Control::CreateDifficultItem})
        EXPECT_TRUE(view.Enabled(on)) << static_cast<int>(on);
    for (Control off : {Control::PauseButton, Control::ResetButton, Control::HintButton, Control::ExecuteHintButton,
                        Control::CandidatesButton, Control::ResetCandidatesButton, Control::ReviewButton,
                        Control::ElapsedFields, Control::TargetFields, Control::CounterFields, Control::UndoItem,
                        Control::RedoItem})
        EXPECT_FALSE(view.Enabled(off)) << static_cast<int>(off);
    EXPECT_TRUE(view.acceptDrops);
    EXPECT_FALSE(view.candidatesPressed);
}

TEST_F(SessionTest, TypingInCreateModeMakesGivensAndRepeatsChangeNothing) {
    Type(0, 0, 5);
    EXPECT_EQ(session.values[0], 5);
    EXPECT_EQ(session.origin[0], 1);
    ASSERT_EQ(session.undoStack.size(), 1u);
    EXPECT_EQ(session.undoStack.back().kind, kUndoCreateDigit);
    EXPECT_TRUE(view.Enabled(Control::UndoItem));
    EXPECT_EQ(view.Text(Field::Counts), "問題： 1　　アシスト： 0　　解答： 0　　残り：80");

    Type(0, 0, 5);
    EXPECT_EQ(session.undoStack.size(), 1u);
}

struct StartCase {
    const char* name;
    const char* board;
    const char* question;
    Answer answer;
    int modeAfter;
};

class StartQuestionTest : public SessionTest, public testing::WithParamInterface<StartCase> {};

TEST_P(StartQuestionTest, AsksOnceAndStartsOnlyWhenTheAnswerAllows) {
    const StartCase& c = GetParam();
    Paste(c.board);
    view.ClearRecords();
    view.answers.push_back(c.answer);
    session.StartSolving();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], c.question);
    EXPECT_EQ(session.mode, c.modeAfter);
    EXPECT_EQ(session.firstStart, c.modeAfter == 0);
    EXPECT_EQ(view.ticking, c.modeAfter == 1);
}

std::string DuplicateBoard() {
    std::string board = kNakedSingleBoard;
    board[0] = '4';  // a second 4 in the first row
    return board;
}

const std::string kDuplicate = DuplicateBoard();

INSTANTIATE_TEST_SUITE_P(
    Boards, StartQuestionTest,
    testing::Values(
        StartCase{"ErrorNo", kDuplicate.c_str(), "エラーがありますが、解答を開始しますか？", Answer::No, 0},
        StartCase{"ErrorYes", kDuplicate.c_str(), "エラーがありますが、解答を開始しますか？", Answer::Yes, 1},
        StartCase{"NoSolutionNo", kNoSolutionBoard, "解が存在しませんが、解答を開始しますか？", Answer::No, 0},
        StartCase{"TwoSolutionsNo", kRectangleBoard, "解が複数存在しますが、解答を開始しますか？", Answer::No, 0},
        StartCase{"TwoSolutionsYes", kRectangleBoard, "解が複数存在しますが、解答を開始しますか？", Answer::Yes, 1},
        StartCase{"BeyondLogicCancel", kBeyondLogicBoard, "状態が可解ではありません。アシストを実行しますか？",
                  Answer::Cancel, 0},
        StartCase{"BeyondLogicNo", kBeyondLogicBoard, "状態が可解ではありません。アシストを実行しますか？", Answer::No,
                  1}),
    [](const testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST_F(SessionTest, FirstStartFreezesTheTargetAndEnablesTheSolvingControls) {
    Paste(kNakedSingleBoard);
    ASSERT_EQ(session.solvable, 1);
    ASSERT_EQ(session.solutionCount, 1);
    const int32_t difficulty = session.difficulty;
    session.candMarks[0][1] = 3;  // a strike-out from create mode is lost
    session.StartSolving();
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(session.targetTime, difficulty);
    EXPECT_EQ(std::memcmp(&session.usageStart, &session.usageNow, sizeof(Usage)), 0);
    EXPECT_EQ(view.Text(Field::TargetTime), TimeText(difficulty));
    EXPECT_EQ(view.Text(Field::TargetRank), RankName(difficulty));
    EXPECT_EQ(session.candMarks[0][1], 0);  // 1 is in the cell's block
    EXPECT_EQ(view.Text(Field::Mode), "モード：解答");
    for (Control on : {Control::PauseButton, Control::ResetButton, Control::HintButton, Control::CandidatesButton,
                       Control::ElapsedFields, Control::TargetFields, Control::CounterFields})
        EXPECT_TRUE(view.Enabled(on)) << static_cast<int>(on);
    for (Control off : {Control::StartButton, Control::CreatePuzzleButton, Control::LoadItem, Control::PasteItem})
        EXPECT_FALSE(view.Enabled(off)) << static_cast<int>(off);
    EXPECT_FALSE(view.acceptDrops);
}

TEST_F(SessionTest, PauseBanksTimeUpToTheLastTickAndResumeKeepsTheTarget) {
    StartPlain(kNakedSingleBoard);
    const int32_t target = session.targetTime;
    Wait(10);
    EXPECT_EQ(view.Text(Field::ElapsedTime), "0分 10秒");
    view.monotonic += 3;  // no tick reports these seconds
    session.PauseSolving();
    EXPECT_EQ(session.elapsed, 10);
    EXPECT_EQ(session.moveBanked, 10);
    EXPECT_FALSE(view.ticking);
    EXPECT_EQ(view.Text(Field::Mode), "モード：停止");
    EXPECT_TRUE(view.Enabled(Control::StartButton));

    view.monotonic += 100;  // paused time does not count
    session.Tick();         // a late tick changes nothing
    session.StartSolving();
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(session.targetTime, target);
    Wait(5);
    EXPECT_EQ(view.Text(Field::ElapsedTime), "0分 15秒");
    EXPECT_EQ(view.Text(Field::ElapsedRatio), OneDecimal(15 * 100.0 / target) + "%");

    // The move's seconds exclude the pause.
    Type(1, 4, 1);
    ASSERT_EQ(session.log.size(), 1u);
    EXPECT_EQ(session.log[0].seconds, 15);
}

TEST_F(SessionTest, HiddenElapsedTimeStaysEmptyWhileTheClockRuns) {
    StartPlain(kNakedSingleBoard);
    session.SetTimeDisplay(false);
    Wait(42);
    EXPECT_EQ(view.Text(Field::ElapsedTime), "");
    EXPECT_EQ(view.Text(Field::ElapsedRatio), "");
}

TEST_F(SessionTest, OvertimeIsThrownOnceWhenTheTargetIsPassed) {
    StartPlain(kNakedSingleBoard);
    session.elapsed = session.targetTime - 1;
    Wait(1);
    EXPECT_FALSE(session.overtime);
    Wait(1);
    EXPECT_TRUE(session.overtime);
    EXPECT_FALSE(session.overtimeArmed);
}

TEST_F(SessionTest, PauseDisablesTheHintControlsEvenWithTheHintDialogOpen) {
    StartPlain(kTwoStepBoard);
    session.RequestHint();
    ASSERT_TRUE(view.hintDialog);
    session.PauseSolving();
    EXPECT_FALSE(view.hintDialog);
    EXPECT_FALSE(session.hintDialogOpen);
    for (Control off : {Control::HintButton, Control::ExecuteHintButton, Control::CandidatesButton})
        EXPECT_FALSE(view.Enabled(off)) << static_cast<int>(off);
    EXPECT_EQ(session.hintRow, -1);
    EXPECT_EQ(session.hintStep, -1);
}

TEST_F(SessionTest, NinthCopyOfADigitIsReportedEachTimeItIsReached) {
    StartRectangle();
    Type(0, 3, 4);
    EXPECT_EQ(view.digitCounts[4], "△");
    view.ClearRecords();
    Type(6, 5, 4);
    EXPECT_EQ(view.digitCounts[4], "○");
    EXPECT_NE(view.Text(Field::Message).find("4 が完了しました。"), std::string::npos);
    EXPECT_EQ(view.CountSounds(Sound::Clear), 1);

    Erase(6, 5);
    EXPECT_EQ(view.digitCounts[4], "△");
    view.ClearRecords();
    Type(6, 5, 4);
    EXPECT_NE(view.Text(Field::Message).find("4 が完了しました。"), std::string::npos);
    EXPECT_EQ(view.CountSounds(Sound::Clear), 1);
}

TEST_F(SessionTest, LosingSolvabilityIsReported) {
    StartRectangle();
    Type(0, 3, 4);
    ASSERT_EQ(session.solvable, 1);
    view.ClearRecords();
    Erase(0, 3);
    EXPECT_EQ(session.solvable, 0);
    EXPECT_EQ(view.Text(Field::Message), "状態が、可解から不可解に変更しました。");
    EXPECT_EQ(view.CountSounds(Sound::Error), 1);
    EXPECT_EQ(view.Text(Field::Status), "状態：不可解　複解　　難易度：0　　");
}

TEST_F(SessionTest, ContradictionIsReportedWithTheCheckText) {
    Paste(kDuplicate);
    EXPECT_EQ(session.solvable, -1);
    EXPECT_EQ(view.Text(Field::Message), "エラー：行1に、4 が重複します。");
    EXPECT_EQ(view.Text(Field::Status).rfind("状態：不良　", 0), 0u);
    EXPECT_EQ(view.CountSounds(Sound::Error), 1);
}

TEST_F(SessionTest, StatusShowsStateSolutionDifficultyAndRank) {
    Paste(kNakedSingleBoard);
    const std::string expected = "状態：可解　単解　　難易度：" + WithSeparators(session.difficulty) + "　　" +
                                 RankName(session.difficulty);
    EXPECT_EQ(view.Text(Field::Status), expected);
    EXPECT_EQ(session.difficulty, 2390);
    EXPECT_EQ(view.Text(Field::Status), "状態：可解　単解　　難易度：2,390　　上級");
}

TEST_F(SessionTest, FillBySearchInCreateModeEndsTheFirstStartAndFillsAssistedCells) {
    Paste(kBeyondLogicBoard);
    const int32_t difficulty = session.difficulty;
    session.FillBySearch();
    EXPECT_FALSE(session.firstStart);
    EXPECT_EQ(session.targetTime, difficulty);
    EXPECT_EQ(session.mode, 3);  // complete, yet no completion without a player
    EXPECT_TRUE(session.log.empty());
    EXPECT_EQ(RecordLineCount(), 1u);
    for (int k = 0; k < 81; ++k) {
        EXPECT_NE(session.values[k], 0);
        EXPECT_EQ(session.origin[k], kBeyondLogicBoard[k] == '.' ? 2 : 1) << k;
    }
    EXPECT_EQ(view.Text(Field::Status), "状態：完成　単解　　難易度：0　　");
    EXPECT_TRUE(view.Enabled(Control::ReviewButton));
    EXPECT_FALSE(view.Enabled(Control::StartButton));
}

TEST_F(SessionTest, FillBySearchWithFewGivensFillsNothingButStillEndsTheFirstStart) {
    Type(0, 0, 1);
    Type(4, 4, 2);
    session.FillBySearch();
    EXPECT_FALSE(session.firstStart);
    EXPECT_EQ(session.mode, 0);
    int filled = 0;
    for (int v : session.values) filled += v != 0;
    EXPECT_EQ(filled, 2);
    // The next 解答開始 resumes: no questions although there are many solutions.
    session.StartSolving();
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(session.mode, 1);
}

TEST_F(SessionTest, ResetKeepsOnlyTheGivensAndTheName) {
    StartPlain(kNakedSingleBoard);
    const std::string name = session.name;
    Type(1, 4, 1);
    session.colour[0] = kColourRed;
    session.ResetToGivens();
    EXPECT_EQ(session.mode, 0);
    EXPECT_TRUE(session.firstStart);
    EXPECT_EQ(session.values[CellIndex(1, 4)], 0);
    EXPECT_EQ(session.BoardText(), kNakedSingleBoard);
    EXPECT_EQ(session.colour[0], kColourNone);
    EXPECT_TRUE(session.log.empty());
    EXPECT_EQ(session.name, name);
    EXPECT_EQ(session.solvable, 1);
}

TEST_F(SessionTest, ClearAllForgetsTheName) {
    Paste(kNakedSingleBoard);
    session.ClearAll();
    EXPECT_EQ(session.name, "");
    EXPECT_EQ(view.Text(Field::Name), "");
    EXPECT_EQ(session.BoardText(), std::string(81, '.'));
}

}  // namespace
}  // namespace masuvo::test
