// A practice run on the scripted window: drills played one after another,
// their entries, and nothing filed as a real play.
#include <filesystem>

#include "session/practice_run.h"
#include "session/session_text.h"
#include "tests/session/session_fixture.h"

namespace masuvo::test {
namespace {

namespace fs = std::filesystem;

Drill DrillOf(const char* grid, int row, int col, int digit) {
    Drill drill;
    EXPECT_TRUE(ParseGrid(grid, drill.position));
    drill.puzzle = drill.position;
    drill.row = row;
    drill.col = col;
    drill.digit = digit;
    return drill;
}

// The solution with its last cell emptied: answering it completes the board.
std::string LastCellBoard() {
    std::string grid = kSolution;
    grid[80] = '.';
    return grid;
}

class PracticeRunTest : public SessionTest {
protected:
    int FinishedFiles() {
        int files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(session.folders.finishedFolder)) ++files;
        return files;
    }
};

TEST_F(PracticeRunTest, DrillsPlayOneAfterAnotherAndKeepTheirEntries) {
    const size_t recordLines = RecordLineCount();
    PracticeRun run({{4, 1}, {5, 3}, {0, 2}});
    EXPECT_EQ(run.Header(), "練習 1/3 ・ セルの完成");

    std::vector<int> placements;  // row * 100 + col * 10 + digit of every judged placement
    session.onSolvingPlacement = [&](int row, int col, int digit) { placements.push_back(row * 100 + col * 10 + digit); };

    // Typed after seven seconds, with no help.
    run.Begin(session, DrillOf(kNakedSingleBoard, 1, 4, 1));
    ASSERT_TRUE(run.Playing());
    EXPECT_TRUE(run.OnBoard(session));
    EXPECT_EQ(session.mode, 1);
    EXPECT_EQ(session.name, "練習 1/3 ・ セルの完成");
    // 目標時間 is the answer's estimate, not the whole position's difficulty.
    const int32_t estimate = AnswerEstimate(DrillOf(kNakedSingleBoard, 1, 4, 1));
    EXPECT_GT(estimate, 0);
    EXPECT_LT(estimate, session.difficulty);
    EXPECT_EQ(session.targetTime, estimate);
    EXPECT_EQ(view.texts[Field::TargetTime], TimeText(estimate));
    Wait(7);
    Type(1, 4, 2);  // a wrong digit is marked and does not end the drill
    EXPECT_FALSE(run.Answered(session));
    EXPECT_EQ(session.lastJudgement.text, "不明です。");
    Type(1, 4, 1);
    ASSERT_TRUE(run.Answered(session));
    EXPECT_EQ(placements, (std::vector<int>{142, 141}));
    PracticeEntry first = run.EndDrill(session, true, view.wall);
    EXPECT_EQ(first.technique, 4);
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(first.seconds, 7);
    EXPECT_EQ(first.hints + first.details + first.hintExecutions, 0);
    EXPECT_TRUE(first.solved);
    EXPECT_EQ(first.estimatedSeconds, session.lastJudgement.points);
    EXPECT_EQ(first.estimatedSeconds, estimate);  // unaided, the boxes compare with what the clock showed
    EXPECT_EQ(first.when, "2026/01/01 00:00:00");
    EXPECT_NE(session.mode, 1);  // the clock stopped with the drill
    EXPECT_FALSE(view.ticking);

    // A fresh clock and fresh counters; the hint and its execution count.
    EXPECT_EQ(run.Header(), "練習 2/3 ・ 隠れた数字");
    run.Begin(session, DrillOf(kTwoStepBoard, 8, 2, 2));
    EXPECT_EQ(session.hintCount, 0);
    EXPECT_EQ(session.targetTime, AnswerEstimate(DrillOf(kTwoStepBoard, 8, 2, 2)));
    Wait(3);
    session.RequestHint();
    session.SetDetail(true);
    session.ExecuteHint();
    EXPECT_EQ(placements.back(), 822);
    ASSERT_TRUE(run.Answered(session));
    PracticeEntry second = run.EndDrill(session, true, view.wall + 60);
    EXPECT_EQ(second.technique, 5);
    EXPECT_EQ(second.number, 3);
    EXPECT_EQ(second.hints, 1);
    EXPECT_EQ(second.details, 1);
    EXPECT_EQ(second.hintExecutions, 1);
    EXPECT_GE(second.seconds, 3);

    // The last drill completes the board: a completion, but nothing filed.
    run.Begin(session, DrillOf(LastCellBoard().c_str(), 8, 8, 8));
    Type(8, 8, 8);
    EXPECT_EQ(session.mode, 3);
    ASSERT_TRUE(run.Answered(session));
    run.EndDrill(session, true, view.wall);
    EXPECT_TRUE(run.Finished());
    run.Release(session);

    EXPECT_EQ(run.Entries().size(), 3u);
    EXPECT_EQ(RecordLineCount(), recordLines);
    EXPECT_EQ(FinishedFiles(), 0);
    EXPECT_TRUE(session.fileCompletions);
}

TEST_F(PracticeRunTest, ARunCutShortEndsItsDrillUnsolved) {
    PracticeRun run({{4, 1}, {4, 2}});
    run.Begin(session, DrillOf(kNakedSingleBoard, 1, 4, 1));
    Wait(12);
    const PracticeEntry entry = run.EndDrill(session, false, view.wall);
    EXPECT_FALSE(entry.solved);
    EXPECT_EQ(entry.seconds, 12);
    EXPECT_EQ(entry.estimatedSeconds, 0);
    run.Release(session);
    EXPECT_FALSE(run.Finished());
    EXPECT_FALSE(run.OnBoard(session));
    EXPECT_FALSE(run.Playing());
    // Ending again without a drill on the board keeps nothing.
    run.EndDrill(session, false, view.wall);
    EXPECT_EQ(run.Entries().size(), 1u);
}

TEST_F(PracticeRunTest, APuzzleLoadedOverTheDrillIsNotTheDrill) {
    PracticeRun run({{4, 1}, {4, 2}});
    run.Begin(session, DrillOf(kNakedSingleBoard, 1, 4, 1));
    LoadCreatedPuzzle(session, DrillOf(kTwoStepBoard, 8, 2, 2).position, "other");
    EXPECT_FALSE(run.OnBoard(session));
    run.Skip();
    EXPECT_FALSE(run.Playing());
    EXPECT_EQ(run.Index(), 1);
    EXPECT_TRUE(run.Entries().empty());
}

TEST(PracticeSummary, EachDrillAgainstItsEstimate) {
    PracticeEntry fast{"2026/01/01 00:00:00", 19, 2, 30, 0, 0, 0, true, 60};
    PracticeEntry helped{"2026/01/01 00:01:00", 0, 1, 25, 1, 1, 0, true, 10};
    PracticeEntry slow{"2026/01/01 00:02:00", 4, 1, 500, 0, 0, 0, true, 100};
    PracticeEntry open{"2026/01/01 00:03:00", 5, 7, 40, 0, 0, 0, false, 0};
    EXPECT_EQ(PracticeSummaryText({fast, helped, slow, open}),
              "練習の結果：4 問中 3 問正解、目安以内 1 問、合計 9分 55秒\r\n"
              "（■ 1 つが目安の 10%、目安は正解の手の推定秒数）\r\n"
              "\r\n1/4  対角線 (2)\r\n    30 秒 / 目安 60 秒 (50%)  ■■■■■\r\n"
              "\r\n2/4  ブロックの完成 (1)\r\n    25 秒 / 目安 10 秒 (250%)  ■■■■■■■■■■■■■■■■■■■■■■■■■  "
              "ヒント 1・詳細 1・ヒント実行 0\r\n"
              "\r\n3/4  セルの完成 (1)\r\n    500 秒 / 目安 100 秒 (500%)  "
              "■■■■■■■■■■■■■■■■■■■■■■■■■■■■■■▶\r\n"
              "\r\n4/4  隠れた数字 (7)\r\n    未完了  40 秒\r\n");
}

}  // namespace
}  // namespace masuvo::test
