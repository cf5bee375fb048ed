// Hints, detail and execution with their penalties, the candidate display,
// the assist, the hint dialog's text and the review's explanation.
#include <cstring>

#include "engine/brute_force.h"
#include "engine/rating.h"
#include "session/session_text.h"
#include "tests/session/session_fixture.h"

namespace masuvo::test {
namespace {

// H = 300, R = 240, no candidates shown: a third at the hint, a third at the
// detail, the last third at the execution.
TEST_F(SessionTest, HintDetailAndExecutionChargeThirdsOfTheMove) {
    StartPlain(kNakedSingleBoard);
    session.RequestHint();
    EXPECT_EQ(view.Text(Field::Message), "ヒント：セルの完成です。");
    EXPECT_FALSE(view.hintDialog);  // one sentence, no dialog
    EXPECT_TRUE(view.Enabled(Control::ExecuteHintButton));
    EXPECT_EQ(session.hintRow, 1);
    EXPECT_EQ(session.hintCol, 4);
    EXPECT_EQ(session.hintDigit, 1);
    EXPECT_EQ(session.selRow, 1);
    EXPECT_EQ(session.selCol, 4);
    EXPECT_EQ(session.hints.size(), 1u);
    EXPECT_EQ(session.penalty, 100);
    EXPECT_EQ(session.elapsed, 100);
    EXPECT_EQ(session.pendingReduction, 160);
    EXPECT_EQ(session.pendingDetail, 200);
    EXPECT_EQ(session.hintCount, 1);
    EXPECT_EQ(view.Text(Field::HintCounts), "1 (0) 回");
    EXPECT_EQ(view.Text(Field::Penalty), "100");

    session.RequestHint();  // the same position again is free
    EXPECT_EQ(session.penalty, 100);
    EXPECT_EQ(session.hintCount, 1);

    session.SetDetail(true);
    EXPECT_EQ(session.penalty, 200);
    EXPECT_EQ(view.Text(Field::HintCounts), "1 (1) 回");
    EXPECT_FALSE(view.Enabled(Control::CandidatesButton));
    session.SetDetail(false);
    session.SetDetail(true);  // charged once
    EXPECT_EQ(session.penalty, 200);

    session.ExecuteHint();
    EXPECT_EQ(session.penalty, 300);
    EXPECT_EQ(session.elapsed, 300);
    EXPECT_EQ(view.Text(Field::ExecCount), "1 回");
    EXPECT_EQ(session.values[CellIndex(1, 4)], 1);
    EXPECT_EQ(session.origin[CellIndex(1, 4)], 2);
    ASSERT_EQ(session.log.size(), 1u);
    EXPECT_TRUE(session.log[0].hinted);
    EXPECT_TRUE(session.log[0].detailed);
    EXPECT_TRUE(session.log[0].executed);
    EXPECT_EQ(session.log[0].points, 0);
    EXPECT_EQ(session.execution, 300);  // the move's worth, hints notwithstanding
    EXPECT_EQ(view.Text(Field::Counts), "問題：32　　アシスト： 1　　解答： 0　　残り：48");

    // A new position charges again.
    session.RequestHint();
    EXPECT_EQ(session.hintCount, 2);
    EXPECT_GT(session.penalty, 300);
}

TEST_F(SessionTest, HintedAndDetailedMovesLoseAThirdThenHalf) {
    StartPlain(kNakedSingleBoard);
    session.RequestHint();
    Type(1, 4, 1);
    ASSERT_EQ(session.log.size(), 1u);
    EXPECT_EQ(session.log[0].points, 200);
    EXPECT_TRUE(session.log[0].hinted);
    EXPECT_FALSE(session.log[0].detailed);

    session.RequestHint();
    session.SetDetail(true);
    Type(session.hintRow, session.hintCol, session.hintDigit);
    ASSERT_EQ(session.log.size(), 2u);
    EXPECT_EQ(session.log[1].points, 100);
    EXPECT_TRUE(session.log[1].detailed);
}

TEST_F(SessionTest, CandidateDisplayIsChargedOnceForTheBoardItShows) {
    StartPlain(kCandidateBoard);
    ASSERT_EQ(session.candidateScore, 900);
    session.ToggleCandidates(true);
    EXPECT_EQ(session.candidateEase, 1400);  // 900 + 50 empty cells × 10
    EXPECT_EQ(session.penalty, 1400);
    EXPECT_EQ(view.Text(Field::CandidateEase), "1,400");
    EXPECT_EQ(view.Text(Field::Penalty), "1,400");
    EXPECT_TRUE(view.Enabled(Control::ResetCandidatesButton));
    session.ToggleCandidates(false);
    EXPECT_FALSE(view.Enabled(Control::ResetCandidatesButton));
    EXPECT_FALSE(session.candidatesShown);
    session.ToggleCandidates(true);
    EXPECT_EQ(session.penalty, 1400);
}

// The hint keeps two thirds of R for later; showing candidates credits it
// once, and the detail then takes nothing off again.
TEST_F(SessionTest, HintReductionIsCreditedOnceByTheCandidateDisplay) {
    StartPlain(kNakedSingleBoard);
    const int32_t score = session.candidateScore;
    session.RequestHint();
    ASSERT_EQ(session.pendingReduction, 160);
    session.ToggleCandidates(true);
    EXPECT_EQ(session.candidateEase, score + 49 * 10 - 160);
    EXPECT_EQ(session.pendingReduction, 0);
    session.SetDetail(true);
    EXPECT_EQ(session.pendingDetail, 100);
    session.ExecuteHint();
    EXPECT_EQ(session.penalty, 300 + session.candidateEase);
}

TEST_F(SessionTest, HintWithCandidatesShownCostsTheMoveLessItsDisplayWeight) {
    StartPlain(kNakedSingleBoard);
    session.ToggleCandidates(true);
    const int32_t ease = session.candidateEase;
    session.RequestHint();
    EXPECT_EQ(session.penalty - ease, 20);  // 300/3 - 240/3
    EXPECT_EQ(session.pendingReduction, 0);
    session.SetDetail(true);
    EXPECT_EQ(session.penalty - ease, 40);
    session.ExecuteHint();
    EXPECT_EQ(session.penalty - ease, 60);  // H - R
}

TEST_F(SessionTest, SeveralSentencesOpenTheHintDialog) {
    StartPlain(kTwoStepBoard);
    session.RequestHint();
    EXPECT_EQ(view.Text(Field::Message), "ヒント：隠れた数字。ブロック内の配置です。");
    ASSERT_TRUE(view.hintDialog);
    EXPECT_EQ(view.hintDialogText, "隠れた数字;ブロック内の配置です");
    EXPECT_EQ(view.hintDialogOwner, HintDialogOwner::Main);
    EXPECT_EQ(session.hintStep, 0);
    EXPECT_EQ(session.hints.size(), 2u);
    EXPECT_EQ(session.penalty, 90);
    EXPECT_EQ(session.pendingReduction, 40);

    session.SelectHintStep(1);
    EXPECT_EQ(session.hintStep, 1);
    session.RequestHint();  // the open dialog stays the only one
    EXPECT_TRUE(view.hintDialog);

    // 閉じる forgets the hint.
    session.SetDetail(true);
    view.hintDialog = false;  // the player's 閉じる
    session.HintDialogClosed();
    EXPECT_FALSE(session.detailShown);
    EXPECT_EQ(session.hintRow, -1);
    EXPECT_EQ(session.hintStep, -1);
    EXPECT_FALSE(view.Enabled(Control::ExecuteHintButton));
    EXPECT_TRUE(view.Enabled(Control::CandidatesButton));

    // A move's state check closes a dialog that is open.
    session.RequestHint();
    ASSERT_TRUE(view.hintDialog);
    Type(8, 2, 2);
    EXPECT_FALSE(view.hintDialog);
    EXPECT_FALSE(session.hintDialogOpen);
    EXPECT_EQ(session.log.back().text, "隠れた数字。ブロック内の配置です。");
}

TEST(HintDialogTextTest, ListConclusionAndHelpTopics) {
    EXPECT_EQ(HintDialogText("ブロックの完成です。"), "");
    const std::string text = HintDialogText("定員確定3(行)。隠れた数字。定員確定2(列)。ブロック内の配置です。");
    EXPECT_EQ(text, "定員確定3(行);隠れた数字;定員確定2(列);ブロック内の配置です");
    std::vector<std::string> items;
    std::string conclusion;
    SplitHintDialogText(text, items, conclusion);
    EXPECT_EQ(items, (std::vector<std::string>{"定員確定3(行)", "隠れた数字", "定員確定2(列)"}));
    EXPECT_EQ(conclusion, " ブロック内の配置です");
    const std::vector<HelpTopic> topics = HintHelpTopics(items, conclusion);
    ASSERT_EQ(topics.size(), 3u);
    EXPECT_EQ(topics[0].name, "定員確定");
    EXPECT_EQ(topics[0].page, "問題の解法_定員確定.htm");
    EXPECT_EQ(topics[1].name, "隠れた数字");
    EXPECT_EQ(topics[2].name, "ブロック内の配置");
    EXPECT_EQ(topics[2].page, "問題の解法_ブロック内の配置.htm");
}

TEST_F(SessionTest, HintWithoutANextMoveChargesNothing) {
    StartRectangle();
    view.ClearRecords();
    session.RequestHint();
    EXPECT_EQ(view.Text(Field::Message), "ヒント：次の一手が見つかりません。");
    EXPECT_EQ(view.sounds, std::vector<Sound>{Sound::Error});
    EXPECT_EQ(session.penalty, 0);
    EXPECT_EQ(session.hintCount, 0);
    EXPECT_FALSE(view.Enabled(Control::ExecuteHintButton));
}

TEST_F(SessionTest, HintOnAContradictedBoardShowsTheError) {
    // A board with one wrong given on which the step search meets the contradiction.
    std::string board;
    KR_solver found;
    for (const char* base : {kNakedSingleBoard, kTwoStepBoard, kCandidateBoard, kBeyondLogicBoard}) {
        KR_solver counter;
        KR_base grid;
        ParseGrid(base, grid);
        std::memcpy(counter.value, grid.value, sizeof grid.value);
        KR_base solution;
        ASSERT_EQ(CountSolutions(counter, &solution), 1);
        for (int k = 0; k < 81 && board.empty(); ++k) {
            if (base[k] != '.') continue;
            for (int d = 1; d <= 9 && board.empty(); ++d) {
                if (d == solution.value[k / 9][k % 9]) continue;
                KR_solver probe;
                std::memcpy(probe.value, grid.value, sizeof grid.value);
                probe.value[k / 9][k % 9] = d;
                if (StepSearch(probe, false) != -1) continue;
                board = base;
                board[static_cast<size_t>(k)] = static_cast<char>('0' + d);
                found = probe;
            }
        }
        if (!board.empty()) break;
    }
    ASSERT_FALSE(board.empty());
    Paste(board);
    view.answers.push_back(Answer::Yes);
    session.StartSolving();
    ASSERT_EQ(session.mode, 1);
    view.ClearRecords();
    session.RequestHint();
    EXPECT_EQ(view.Text(Field::Message), "エラー：" + found.errorText);
    EXPECT_EQ(view.sounds, std::vector<Sound>{Sound::Error});
    EXPECT_EQ(session.hintCount, 0);
    EXPECT_EQ(session.penalty, 0);
    EXPECT_FALSE(view.Enabled(Control::ExecuteHintButton));
}

TEST_F(SessionTest, AssistFillsTheSameCellsUntilLogicCanFinish) {
    Paste(kBeyondLogicBoard);
    ASSERT_EQ(session.solutionCount, 1);
    ASSERT_EQ(session.solvable, 0);
    view.answers.push_back(Answer::Yes);
    session.StartSolving();
    EXPECT_EQ(session.mode, 1);
    EXPECT_EQ(session.solvable, 1);
    std::vector<int> assisted;
    for (int k = 0; k < 81; ++k) {
        if (session.origin[k] != 2) continue;
        assisted.push_back(k);
        EXPECT_EQ(session.values[k], session.solution[k]);
    }
    ASSERT_FALSE(assisted.empty());
    EXPECT_EQ(session.targetTime, session.difficulty);

    // The same puzzle gets the same cells: the generator restarts each call.
    FakeView otherView;
    PlaySession other(otherView, session.folders);
    other.ResetSession();
    ASSERT_TRUE(other.PasteBoardText(kBeyondLogicBoard));
    other.RunAssist(other.solution);
    std::vector<int> again;
    for (int k = 0; k < 81; ++k)
        if (other.origin[k] == 2) again.push_back(k);
    EXPECT_EQ(again, assisted);
}

TEST_F(SessionTest, ExplainLogEntryRebuildsTheLoggedChainOnly) {
    StartPlain(kTwoStepBoard);
    Type(8, 2, 2);
    ASSERT_EQ(session.log.size(), 1u);
    const std::string text = session.log[0].text;
    session.ShowLogEntry(0);
    EXPECT_FALSE(session.ExplainLogEntry(0, "隠れた数字。"));
    EXPECT_EQ(session.hintRow, -1);
    EXPECT_TRUE(session.ExplainLogEntry(0, text));
    EXPECT_EQ(session.hintRow, 8);
    EXPECT_EQ(session.hintCol, 2);
    EXPECT_EQ(session.hintDigit, 2);
    EXPECT_EQ(session.hints.size(), 2u);
    EXPECT_FALSE(session.ExplainLogEntry(5, text));
    // An entry from a damaged file whose digit is not 1..9 is never explained.
    for (int digit : {0, -1, 10}) {
        session.log[0].digit = digit;
        EXPECT_FALSE(session.ExplainLogEntry(0, text)) << digit;
        EXPECT_EQ(session.hintRow, -1);
        EXPECT_EQ(session.hintDigit, 0);
    }
}

TEST_F(SessionTest, ReviewShowsMovesAndReturnsToTheCompletedBoard) {
    StartRectangle();
    for (auto [row, col] : {std::pair{0, 3}, {0, 5}, {6, 3}, {6, 5}}) Type(row, col, SolutionDigit(row, col));
    ASSERT_EQ(session.mode, 3);
    ASSERT_EQ(session.log.size(), 5u);
    const int32_t penalty = session.penalty;
    const std::string result = view.texts[Field::Message];
    ASSERT_NE(result.find("実行度："), std::string::npos);

    view.ClearRecords();
    session.BeginReview();
    EXPECT_FALSE(session.hintCharge);
    session.ShowLogEntry(1);
    EXPECT_EQ(session.values[CellIndex(6, 3)], 0);
    EXPECT_EQ(session.values[CellIndex(0, 5)], 7);
    EXPECT_EQ(session.selRow, 0);
    EXPECT_EQ(session.selCol, 5);
    EXPECT_TRUE(session.ShowReviewHint(1, session.log[1].text));
    EXPECT_FALSE(view.hintDialog);  // one sentence
    session.SetDetail(true);
    EXPECT_EQ(session.penalty, penalty);  // the review charges nothing
    EXPECT_TRUE(view.sounds.empty());

    EXPECT_EQ(view.texts[Field::Message], "");

    session.EndReview();
    EXPECT_EQ(session.BoardText(), kSolution);
    EXPECT_EQ(session.mode, 3);
    EXPECT_FALSE(view.Enabled(Control::CandidatesButton));
    // The score is back in the message area, whole.
    EXPECT_EQ(view.texts[Field::Message], result);
}

TEST_F(SessionTest, ReviewWithoutACompletionEntryReturnsToTheBoardItLeft) {
    StartPlain(kNakedSingleBoard);
    Type(1, 4, 1);
    session.FillBySearch();  // completes without the player: no "-" entry
    ASSERT_EQ(session.mode, 3);
    ASSERT_EQ(session.log.size(), 1u);
    session.BeginReview();
    session.ShowLogEntry(0);
    EXPECT_EQ(session.values[0], 0);
    session.EndReview();
    EXPECT_EQ(session.BoardText(), kSolution);
    EXPECT_EQ(session.origin[0], 2);
    EXPECT_EQ(session.mode, 3);
}

}  // namespace
}  // namespace masuvo::test
