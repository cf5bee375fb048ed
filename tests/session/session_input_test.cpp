// Entering digits with the judging of each move, marks, keys, mouse and
// number pad, undo and redo, and the board as text.
#include "engine/rating.h"
#include "tests/session/session_fixture.h"

namespace masuvo::test {
namespace {

TEST_F(SessionTest, JudgedMovesAreLoggedWithTheirTechniqueTimeAndPoints) {
    StartPlain(kNakedSingleBoard);
    Wait(7);
    view.ClearRecords();
    Type(1, 4, 1);
    ASSERT_EQ(session.log.size(), 1u);
    const Log& first = session.log[0];
    EXPECT_EQ(first.text, "セルの完成です。");
    EXPECT_EQ(first.seconds, 7);
    EXPECT_EQ(first.points, 300);
    EXPECT_EQ(first.row, 1);
    EXPECT_EQ(first.col, 4);
    EXPECT_EQ(first.digit, 1);
    EXPECT_FALSE(first.hinted || first.detailed || first.executed || first.candidatesShown);
    EXPECT_EQ(first.values[CellIndex(1, 4)], 1);
    EXPECT_EQ(session.execution, 300);
    EXPECT_EQ(session.usagePlayed.count[4], 1);
    EXPECT_EQ(view.Text(Field::Message), "推定解法：セルの完成です。\r\n");
    EXPECT_TRUE(view.sounds.empty());
    EXPECT_EQ(session.origin[CellIndex(1, 4)], 0);

    // With candidates shown the move earns its difficulty less its
    // candidate-display weight.
    session.ToggleCandidates(true);
    Wait(3);
    Type(4, 8, 4);
    ASSERT_EQ(session.log.size(), 2u);
    EXPECT_EQ(session.log[1].text, "セルの完成です。");
    EXPECT_EQ(session.log[1].seconds, 3);
    EXPECT_TRUE(session.log[1].candidatesShown);
    EXPECT_EQ(session.log[1].points, 60);
    EXPECT_EQ(session.execution, 360);
}

TEST_F(SessionTest, MoveAgainstTheSolutionIsPlacedButNotLogged) {
    StartPlain(kNakedSingleBoard);
    ASSERT_NE(SolutionDigit(0, 0), 1);
    view.ClearRecords();
    Type(0, 0, 1);
    EXPECT_EQ(session.values[0], 1);
    EXPECT_TRUE(session.log.empty());
    EXPECT_EQ(session.execution, 0);
    EXPECT_EQ(view.Text(Field::Message).rfind("推定解法：不明です。\r\n", 0), 0u) << view.Text(Field::Message);
    ASSERT_FALSE(view.sounds.empty());
    EXPECT_EQ(view.sounds[0], Sound::Error);
    // Still a move of the player: undo takes it back.
    ASSERT_EQ(session.undoStack.back().kind, kUndoSolvingDigit);
}

TEST_F(SessionTest, MoveNoChainDerivesIsLoggedWithoutPoints) {
    StartRectangle();
    view.ClearRecords();
    Type(0, 3, 4);
    ASSERT_EQ(session.log.size(), 1u);
    EXPECT_EQ(session.log[0].text, "推定できません。");
    EXPECT_EQ(session.log[0].points, 0);
    EXPECT_EQ(session.execution, 0);
    for (int i = 0; i < kTechniqueCount; ++i) EXPECT_EQ(session.usagePlayed.count[i], 0) << i;
    EXPECT_EQ(view.Text(Field::Message), "推定解法：推定できません。\r\n");
    EXPECT_EQ(view.CountSounds(Sound::Error), 1);

    // The board is unique now: the next move is judged normally.
    Type(0, 5, 7);
    ASSERT_EQ(session.log.size(), 2u);
    EXPECT_EQ(session.log[1].text, "ブロックの完成です。");
    EXPECT_EQ(session.log[1].points, 10);
}

// Tools read each judged move back: its text, points and the techniques of
// its chain, as the log has them; keys that judge nothing leave it alone.
TEST_F(SessionTest, LastJudgementDescribesEachJudgedMove) {
    StartPlain(kTwoStepBoard);
    EXPECT_EQ(session.lastJudgement.serial, 0);
    Type(8, 2, 2);
    EXPECT_EQ(session.lastJudgement.serial, 1);
    EXPECT_EQ(session.lastJudgement.text, "隠れた数字。ブロック内の配置です。");
    EXPECT_EQ(session.lastJudgement.points, 270);
    EXPECT_EQ(session.lastJudgement.techniques, (std::vector<int>{5, 2}));
    ASSERT_EQ(session.log.size(), 1u);
    EXPECT_EQ(session.log[0].text, session.lastJudgement.text);
    EXPECT_EQ(session.log[0].points, session.lastJudgement.points);

    Type(8, 2, 2);  // the same digit again: nothing to judge
    Type(0, 0, 4);  // a given cell
    EXPECT_EQ(session.lastJudgement.serial, 1);

    // Against the solution: no points, no techniques, no log entry.
    int wrong = 0;
    for (int k = 0; k < 81 && wrong == 0; ++k)
        if (session.values[k] == 0) wrong = k;
    const int digit = SolutionDigit(wrong / 9, wrong % 9) % 9 + 1;
    Type(wrong / 9, wrong % 9, digit);
    EXPECT_EQ(session.lastJudgement.serial, 2);
    EXPECT_EQ(session.lastJudgement.text, "不明です。");
    EXPECT_EQ(session.lastJudgement.points, 0);
    EXPECT_TRUE(session.lastJudgement.techniques.empty());
    EXPECT_EQ(session.log.size(), 1u);
}

TEST_F(SessionTest, LastJudgementOfAMoveNoChainDerives) {
    StartRectangle();
    Type(0, 3, 4);
    EXPECT_EQ(session.lastJudgement.text, "推定できません。");
    EXPECT_EQ(session.lastJudgement.points, 0);
    EXPECT_TRUE(session.lastJudgement.techniques.empty());
}

TEST_F(SessionTest, GivenAndAssistedCellsAreLockedWhileSolving) {
    StartPlain(kNakedSingleBoard);
    session.RequestHint();
    session.ExecuteHint();  // (1,4) becomes assisted
    ASSERT_EQ(session.origin[CellIndex(1, 4)], 2);
    const size_t undos = session.undoStack.size();
    Type(0, 3, 9);   // a given
    Erase(0, 3);
    Type(1, 4, 9);   // assisted
    Erase(1, 4);
    EXPECT_EQ(session.values[CellIndex(0, 3)], 4);
    EXPECT_EQ(session.values[CellIndex(1, 4)], 1);
    EXPECT_EQ(session.undoStack.size(), undos);
}

TEST_F(SessionTest, OverwritingOwnDigitRecomputesCandidatesButKeepsStrikeOuts) {
    StartPlain(kNakedSingleBoard);
    session.ToggleCandidates(true);
    // Ctrl+3 with candidates shown strikes 3 out in an empty cell.
    const int cell = CellIndex(0, 0);
    ASSERT_EQ(session.candMarks[cell][3] & 1, 1);
    Select(0, 0);
    session.HandleKey({KeyKind::Digit, 3}, true);
    EXPECT_EQ(session.candMarks[cell][3], 3);
    EXPECT_EQ(session.undoStack.back().kind, kUndoCandidates);

    Type(1, 4, 1);  // placement rule only
    EXPECT_EQ(session.candMarks[cell][3], 3);
    EXPECT_EQ(session.candMarks[CellIndex(1, 4)][0], 1);
    EXPECT_EQ(session.candMarks[CellIndex(1, 5)][1], 0);
    Type(1, 4, 2);  // over the player's own digit: full recompute
    EXPECT_EQ(session.undoStack.back().kind, kUndoSolvingDigit);
    EXPECT_EQ(session.undoStack.back().oldDigit, 1);
    EXPECT_EQ(session.candMarks[cell][3], 3);
    EXPECT_EQ(session.candMarks[CellIndex(1, 5)][1], 1);  // 1 may stand there again
}

TEST_F(SessionTest, DeleteRemovesTheColourToo) {
    StartPlain(kNakedSingleBoard);
    Type(1, 4, 1);
    Select(1, 4);
    session.HandleKey({KeyKind::Letter, 'G'}, false);
    EXPECT_EQ(session.colour[CellIndex(1, 4)], kColourGreen);
    Erase(1, 4);
    EXPECT_EQ(session.values[CellIndex(1, 4)], 0);
    EXPECT_EQ(session.colour[CellIndex(1, 4)], kColourNone);
}

TEST_F(SessionTest, UndoAndRedoOfAJudgedMoveRestoreScoresAndTheMoveTime) {
    StartPlain(kNakedSingleBoard);
    Wait(12);
    Type(1, 4, 1);
    ASSERT_EQ(session.log.size(), 1u);
    Wait(30);
    session.UndoMove();
    EXPECT_EQ(session.values[CellIndex(1, 4)], 0);
    EXPECT_TRUE(session.log.empty());
    EXPECT_EQ(session.execution, 0);
    EXPECT_EQ(session.usagePlayed.count[4], 0);
    EXPECT_EQ(session.moveStart, 5000);
    ASSERT_EQ(session.redoStack.size(), 1u);
    EXPECT_TRUE(view.Enabled(Control::RedoItem));

    Wait(30);
    session.RedoMove();
    ASSERT_EQ(session.log.size(), 1u);
    EXPECT_EQ(session.log[0].text, "セルの完成です。");
    EXPECT_EQ(session.log[0].seconds, 12);  // the removed entry's, not the 72 since the last move
    EXPECT_EQ(session.execution, 300);
    EXPECT_TRUE(session.redoStack.empty());
    EXPECT_EQ(session.undoStack.size(), 1u);
    EXPECT_FALSE(view.Enabled(Control::RedoItem));
}

TEST_F(SessionTest, RedoneHintExecutionIsStillAnExecution) {
    StartPlain(kNakedSingleBoard);
    session.RequestHint();
    session.ExecuteHint();
    ASSERT_EQ(session.log.size(), 1u);
    ASSERT_TRUE(session.log[0].executed);
    const int32_t penalty = session.penalty;
    session.UndoMove();
    EXPECT_EQ(session.origin[CellIndex(1, 4)], 0);
    session.RedoMove();
    ASSERT_EQ(session.log.size(), 1u);
    EXPECT_TRUE(session.log[0].executed);
    EXPECT_TRUE(session.log[0].hinted);
    EXPECT_EQ(session.log[0].points, 0);
    EXPECT_EQ(session.origin[CellIndex(1, 4)], 2);
    EXPECT_EQ(session.penalty, penalty);  // nothing charged again
}

TEST_F(SessionTest, UndoOfCreateRecordsIsRefusedOnceSolving) {
    Paste(kNakedSingleBoard);
    Type(8, 3, 3);  // a given typed after the paste
    ASSERT_EQ(session.undoStack.size(), 1u);
    session.UndoMove();
    EXPECT_EQ(session.values[CellIndex(8, 3)], 0);
    EXPECT_EQ(session.origin[CellIndex(8, 3)], 0);
    session.RedoMove();
    EXPECT_EQ(session.values[CellIndex(8, 3)], 3);
    EXPECT_EQ(session.origin[CellIndex(8, 3)], 1);

    session.StartSolving();
    ASSERT_EQ(session.mode, 1);
    view.ClearRecords();
    session.UndoMove();
    EXPECT_EQ(view.sounds, std::vector<Sound>{Sound::Error});
    EXPECT_EQ(session.undoStack.size(), 1u);
    EXPECT_EQ(session.values[CellIndex(8, 3)], 3);
}

TEST_F(SessionTest, MemoAndCandidateMarksUndoInTheirModes) {
    // Memos: undo and redo in create mode.
    Select(0, 0);
    session.HandleKey({KeyKind::Digit, 7}, true);
    EXPECT_EQ(session.memo[0][7], 1);
    session.UndoMove();
    EXPECT_EQ(session.memo[0][7], 0);
    session.RedoMove();
    EXPECT_EQ(session.memo[0][7], 1);
    EXPECT_EQ(session.undoStack.back().kind, kUndoMemo);

    // 数字メモクリア is undoable too.
    Paste(kNakedSingleBoard);
    session.StartSolving();
    Select(0, 0);
    session.PadToggleMark(2);
    session.ClearMemos();
    EXPECT_EQ(session.memo[0][2], 0);
    session.UndoMove();
    EXPECT_EQ(session.memo[0][2], 1);

    // Candidate marks: undo and redo only while solving.
    session.ToggleCandidates(true);
    session.ResetCandidates();
    session.PadToggleMark(2);
    const uint8_t struck = session.candMarks[0][2];
    session.UndoMove();
    EXPECT_NE(session.candMarks[0][2], struck);
    session.RedoMove();
    EXPECT_EQ(session.candMarks[0][2], struck);
    session.PauseSolving();
    view.ClearRecords();
    session.UndoMove();
    session.RedoMove();
    EXPECT_EQ(view.CountSounds(Sound::Error), 2);
    EXPECT_FALSE(view.Enabled(Control::UndoItem));
}

TEST_F(SessionTest, EmptyStacksPlayTheErrorSound) {
    session.UndoMove();
    session.RedoMove();
    EXPECT_EQ(view.CountSounds(Sound::Error), 2);
}

TEST_F(SessionTest, NewChangeEmptiesTheRedoStack) {
    Type(0, 0, 5);
    session.UndoMove();
    ASSERT_EQ(session.redoStack.size(), 1u);
    Type(0, 1, 6);
    EXPECT_TRUE(session.redoStack.empty());
}

TEST_F(SessionTest, KeysNeedASelectionAndArrowsStopAtTheEdges) {
    EXPECT_FALSE(session.HandleKey({KeyKind::Digit, 5}, false));
    EXPECT_FALSE(session.HandleKey({KeyKind::Up, 0}, false));
    Select(0, 8);
    EXPECT_TRUE(session.HandleKey({KeyKind::Up, 0}, false));
    EXPECT_TRUE(session.HandleKey({KeyKind::Right, 0}, false));
    EXPECT_EQ(session.selRow, 0);
    EXPECT_EQ(session.selCol, 8);
    session.HandleKey({KeyKind::Down, 0}, false);
    session.HandleKey({KeyKind::Left, 0}, false);
    EXPECT_EQ(session.selRow, 1);
    EXPECT_EQ(session.selCol, 7);
    EXPECT_FALSE(session.HandleKey({KeyKind::Letter, 'Z'}, true));  // left to the accelerators
    EXPECT_TRUE(session.HandleKey({KeyKind::Escape, 0}, false));
    EXPECT_EQ(session.selRow, -1);
    EXPECT_EQ(view.padHidden, 1);
}

TEST_F(SessionTest, ControlQXJOpensTheDeveloperTools) {
    for (char c : {'Q', 'X', 'J'}) session.HandleKey({KeyKind::Letter, c}, false);
    EXPECT_EQ(view.developerTools, 0);
    session.HandleKey({KeyKind::Letter, 'Q'}, true);
    session.HandleKey({KeyKind::Letter, 'X'}, true);
    EXPECT_TRUE(session.HandleKey({KeyKind::Letter, 'J'}, true));
    EXPECT_EQ(view.developerTools, 1);
    // The sequence starts over after it fired.
    session.HandleKey({KeyKind::Letter, 'J'}, true);
    EXPECT_EQ(view.developerTools, 1);
    // An accelerator between the letters breaks it.
    session.HandleKey({KeyKind::Letter, 'Q'}, true);
    session.HandleKey({KeyKind::Letter, 'X'}, true);
    session.ClearControlState();
    session.HandleKey({KeyKind::Letter, 'J'}, true);
    EXPECT_EQ(view.developerTools, 1);
}

TEST_F(SessionTest, ColourKeysWorkInEveryModeThePadOnlyOnPlayerCells) {
    StartRectangle();
    Select(0, 0);  // a given
    session.PadSetColour(kColourRed);
    EXPECT_EQ(session.colour[0], kColourNone);
    session.HandleKey({KeyKind::Letter, 'R'}, false);
    EXPECT_EQ(session.colour[0], kColourRed);
    session.HandleKey({KeyKind::Letter, 'W'}, false);
    EXPECT_EQ(session.colour[0], kColourNone);
    Select(0, 3);
    session.PadSetColour(kColourBlue);
    EXPECT_EQ(session.colour[CellIndex(0, 3)], kColourBlue);

    for (auto [row, col] : {std::pair{0, 3}, {0, 5}, {6, 3}, {6, 5}}) Type(row, col, SolutionDigit(row, col));
    ASSERT_EQ(session.mode, 3);
    // A completed puzzle keeps its digits; colours still change.
    Select(0, 3);
    session.HandleKey({KeyKind::Delete, 0}, false);
    session.PadSetDigit(9);
    EXPECT_EQ(session.values[CellIndex(0, 3)], 4);
    session.HandleKey({KeyKind::Letter, 'B'}, false);
    EXPECT_EQ(session.colour[CellIndex(0, 3)], kColourBlue);
    session.ClearColours();
    EXPECT_EQ(session.colour[CellIndex(0, 3)], kColourNone);
}

TEST_F(SessionTest, NumberPadMarksOnlyOnEmptyCellsAndNotDuringTheDetail) {
    StartPlain(kTwoStepBoard);
    Select(0, 0);  // a given
    session.PadToggleMark(5);
    EXPECT_EQ(session.memo[0][5], 0);
    Select(0, 1);
    session.PadToggleMark(5);
    session.PadToggleMark(6);
    EXPECT_EQ(session.memo[1][5], 1);
    session.PadClearMarks();
    EXPECT_EQ(session.memo[1][5], 0);
    EXPECT_EQ(session.memo[1][6], 0);

    session.RequestHint();
    session.SetDetail(true);
    Select(0, 1);
    session.PadToggleMark(5);
    session.HandleKey({KeyKind::Digit, 5}, true);
    EXPECT_EQ(session.memo[1][5], 0);
}

TEST_F(SessionTest, MouseSelectsOnlyInCreateAndSolvingModes) {
    StartPlain(kNakedSingleBoard);
    NumberPadRequest pad = session.RightClickCell(0, 3);  // a given
    EXPECT_FALSE(pad.open);
    EXPECT_EQ(session.selRow, 0);
    pad = session.RightClickCell(0, 0);
    EXPECT_TRUE(pad.open);
    EXPECT_TRUE(pad.memoSideEnabled);

    // Control-click on a sub-square strikes out that candidate while shown.
    session.ToggleCandidates(true);
    const BoardHit hit = HitTestBoard(0 * 50 + 40, 0 * 50 + 5, 50);  // top-right third: digit 3
    EXPECT_EQ(hit.subDigit, 3);
    const uint8_t before = session.candMarks[0][3];
    session.LeftClickCell(hit.row, hit.col, hit.subDigit, true);
    EXPECT_EQ(session.candMarks[0][3], before ^ 2);
    EXPECT_EQ(session.undoStack.size(), 0u);  // no undo record for a click

    session.PauseSolving();
    session.LeftClickCell(4, 4, 5, false);
    EXPECT_NE(session.selRow, 4);
    EXPECT_FALSE(session.RightClickCell(4, 4).open);
    session.LeftClickOutside();
    EXPECT_EQ(session.selRow, -1);
}

TEST(HitTestBoardTest, OnlyTheNineByNineCellsAreHit) {
    const struct {
        double x, y;
        int row, col, subDigit;
    } cases[] = {
        {0, 0, 0, 0, 1},      {449.9, 449.9, 8, 8, 9}, {450, 10, -1, -1, 0}, {10, 450, -1, -1, 0},
        {-1, 10, -1, -1, 0},  {75, 125, 2, 1, 5},      {99, 49, 0, 1, 9},
    };
    for (const auto& c : cases) {
        const BoardHit hit = HitTestBoard(c.x, c.y, 50);
        EXPECT_EQ(hit.row, c.row) << c.x << "," << c.y;
        EXPECT_EQ(hit.col, c.col) << c.x << "," << c.y;
        EXPECT_EQ(hit.subDigit, c.subDigit) << c.x << "," << c.y;
    }
}

TEST_F(SessionTest, CopyGivesTheBoardAsEightyOneCharacters) {
    Type(0, 0, 5);
    EXPECT_EQ(session.BoardText(), "5" + std::string(80, '.'));
}

TEST_F(SessionTest, PasteLoadsABoardAndNamesItAfterTheTime) {
    std::string text = kNakedSingleBoard;
    text[0] = '0';
    text += "trailing text is ignored";
    EXPECT_TRUE(session.PasteBoardText(text));
    EXPECT_EQ(session.BoardText(), kNakedSingleBoard);
    EXPECT_EQ(session.origin[CellIndex(0, 3)], 1);
    EXPECT_EQ(session.name, "貼り付け(20260101000000)");
    EXPECT_EQ(view.Text(Field::Name), "貼り付け(20260101000000)");
    EXPECT_EQ(session.solvable, 1);

    Type(8, 3, 3);
    std::string withLetter = kNakedSingleBoard;
    withLetter[5] = 'x';
    EXPECT_FALSE(session.PasteBoardText(std::string(kNakedSingleBoard, 80)));
    EXPECT_FALSE(session.PasteBoardText(withLetter));
    EXPECT_EQ(session.values[CellIndex(8, 3)], 3);  // nothing happened

    session.StartSolving();
    EXPECT_FALSE(session.PasteBoardText(kRectangleBoard));  // create mode only
    EXPECT_EQ(session.values[CellIndex(8, 3)], 3);
}

}  // namespace
}  // namespace masuvo::test
