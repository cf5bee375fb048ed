// Reset, modes, the clock and the state check that follows every change of
// the board.
#include <algorithm>
#include <cstring>

#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/rating.h"
#include "engine/text_format.h"
#include "session/play_session.h"
#include "session/session_text.h"

namespace masuvo {

void LoadBoard(KR_solver& board, const int32_t grid[81]) {
    for (int k = 0; k < 81; ++k) board.value[k / 9][k % 9] = grid[k];
}

void FreshCandidateMarks(uint8_t marks[81][10]) {
    for (int k = 0; k < 81; ++k) {
        marks[k][0] = 0;
        std::memset(marks[k] + 1, 1, 9);
    }
}

Undo::Undo() {
    FreshCandidateMarks(candSnapshot);
    std::memset(memoSnapshot, 0, sizeof memoSnapshot);
}

Redo::Redo() {
    FreshCandidateMarks(candSnapshot);
    std::memset(memoSnapshot, 0, sizeof memoSnapshot);
}

PlaySession::PlaySession(SessionView& view, DataFolders dataFolders)
    : folders(std::move(dataFolders)), view_(view) {
    std::memset(values, 0, sizeof values);
    std::memset(solution, 0, sizeof solution);
    std::memset(origin, 0, sizeof origin);
    for (int32_t& c : colour) c = kColourNone;
    std::memset(prevDigitCounts, 0, sizeof prevDigitCounts);
    FreshCandidateMarks(candMarks);
    std::memset(memo, 0, sizeof memo);
    rememberedFolder = folders.dataFolder;
}

void PlaySession::StopClock() {
    if (timerId != 0) view_.StopTick();
    timerId = 0;
}

void PlaySession::ResetSession() {
    StopClock();
    DestroyHintDialog();

    selCol = selRow = -1;
    hintCol = hintRow = -1;
    hintStep = -1;
    hintDigit = 0;
    hints.clear();
    solutionCount = 2;
    solvable = prevSolvable = 0;
    difficulty = targetTime = candidateScore = execution = 0;
    hintCount = detailCount = execCount = candidateEase = 0;
    penalty = pendingDetail = pendingReduction = 0;
    clockStart = clockNow = elapsed = moveStart = moveBanked = 0;
    hintCharge = detailCharge = true;
    candidatesShown = detailShown = false;
    firstStart = true;
    overtime = false;
    overtimeArmed = true;

    // The stacks go first so that the menus of the new mode see them empty.
    undoStack.clear();
    redoStack.clear();

    SetMode(0);
    view_.SetText(Field::Status, "");
    view_.SetText(Field::Message, "");
    view_.SetText(Field::TargetTime, TimeText(0));
    view_.SetText(Field::TargetRank, "");
    view_.SetText(Field::Counts, Format("問題：%2d　　アシスト：%2d　　解答：%2d　　残り：%2d", 0, 0, 0, 81));
    for (int d = 1; d <= 9; ++d) view_.SetDigitCountText(d, "");
    ShowClock();
    ShowCounters();
    ShowPenalty();

    view_.EnableControl(Control::CreatePuzzleButton, true);
    view_.EnableControl(Control::StartButton, true);
    view_.EnableControl(Control::PauseButton, false);
    view_.EnableControl(Control::ResetButton, false);
    view_.EnableControl(Control::ElapsedFields, false);
    view_.EnableControl(Control::TargetFields, false);
    view_.EnableControl(Control::HintButton, false);
    view_.EnableControl(Control::ExecuteHintButton, false);
    view_.EnableControl(Control::CounterFields, false);
    view_.EnableControl(Control::CandidatesButton, false);
    view_.SetCandidatesPressed(false);
    view_.EnableControl(Control::ResetCandidatesButton, false);
    view_.EnableControl(Control::ReviewButton, false);

    std::memset(values, 0, sizeof values);
    std::memset(solution, 0, sizeof solution);
    std::memset(origin, 0, sizeof origin);
    for (int32_t& c : colour) c = kColourNone;
    std::memset(prevDigitCounts, 0, sizeof prevDigitCounts);
    FreshCandidateMarks(candMarks);
    std::memset(memo, 0, sizeof memo);
    std::fill(std::begin(doubtful), std::end(doubtful), false);
    usageNow = Usage();
    usageStart = Usage();
    usagePlayed = Usage();
    pendingLog.Reset();
    log.clear();
}

void PlaySession::SetMode(int m) {
    static const char* const kModeTexts[4] = {"モード：問題作成", "モード：解答", "モード：停止", "モード：完了"};
    mode = m;
    // Solving starts from the board as it stands: the import's doubts end.
    if (m != 0 && AnyDoubtfulCell()) {
        std::fill(std::begin(doubtful), std::end(doubtful), false);
        view_.Repaint();
    }
    view_.SetText(Field::Mode, m >= 0 && m < 4 ? kModeTexts[m] : "");
    UpdateMenus();
    view_.SetAcceptDrops(m == 0);
}

void PlaySession::MarkDoubtfulCells(const bool cells[81]) {
    if (mode != 0) return;
    std::copy(cells, cells + 81, doubtful);
    view_.Repaint();
}

bool PlaySession::AnyDoubtfulCell() const {
    return std::any_of(std::begin(doubtful), std::end(doubtful), [](bool d) { return d; });
}

void PlaySession::UpdateMenus() {
    view_.EnableControl(Control::UndoItem, mode <= 1 && !undoStack.empty());
    view_.EnableControl(Control::RedoItem, mode <= 1 && !redoStack.empty());
    const bool create = mode == 0;
    view_.EnableControl(Control::LoadItem, create);
    view_.EnableControl(Control::LoadImageItem, create);
    view_.EnableControl(Control::LoadClipboardImageItem, create);
    view_.EnableControl(Control::CameraItem, create);
    view_.EnableControl(Control::PasteItem, create);
    view_.EnableControl(Control::CreateDifficultItem, create);
    view_.EnableControl(Control::CreateUnsolvableItem, create);
}

void PlaySession::ShowClock() {
    const int64_t s = elapsed + clockNow - clockStart;
    if (s > targetTime && overtimeArmed) {
        overtime = true;
        overtimeArmed = false;
        view_.Repaint();
    }
    const double percentage = targetTime > 0 ? static_cast<double>(s) * 100.0 / targetTime : 0.0;
    if (timeDisplay) {
        view_.SetText(Field::ElapsedTime, TimeText(s));
        view_.SetText(Field::ElapsedRatio, OneDecimal(percentage) + "%");
    } else {
        view_.SetText(Field::ElapsedTime, "");
        view_.SetText(Field::ElapsedRatio, "");
    }
}

void PlaySession::Tick() {
    if (timerId == 0) return;  // a tick already queued when the clock stopped
    clockNow = view_.MonotonicSeconds();
    ShowClock();
}

void PlaySession::SetTimeDisplay(bool on) {
    timeDisplay = on;
    ShowClock();
}

void PlaySession::SetName(const std::string& newName) { name = newName; }

void PlaySession::ShowCounters() {
    view_.SetText(Field::HintCounts, Format("%d (%d) 回", hintCount, detailCount));
    view_.SetText(Field::ExecCount, Format("%d 回", execCount));
    view_.SetText(Field::CandidateEase, WithSeparators(candidateEase));
}

void PlaySession::ShowTarget() {
    view_.SetText(Field::TargetTime, TimeText(targetTime));
    view_.SetText(Field::TargetRank, RankName(targetTime));
}

void PlaySession::SetTargetTime(int32_t seconds) {
    targetTime = seconds;
    ShowTarget();
    ShowClock();
}

void PlaySession::ShowPenalty() { view_.SetText(Field::Penalty, WithSeparators(penalty)); }

void PlaySession::AddPenalty(int32_t seconds) {
    elapsed += seconds;
    penalty += seconds;
    ShowPenalty();
}

void PlaySession::EnableSolvingFields() {
    view_.EnableControl(Control::CreatePuzzleButton, false);
    view_.EnableControl(Control::ResetButton, true);
    view_.EnableControl(Control::ElapsedFields, true);
    view_.EnableControl(Control::TargetFields, true);
    view_.EnableControl(Control::CounterFields, true);
}

void PlaySession::StartSolving() {
    if (mode != 0 && mode != 2) return;
    if (firstStart) {
        if (solvable < 0) {
            if (!view_.AskYesNo("エラーがありますが、解答を開始しますか？")) return;
        } else if (solutionCount == 0) {
            if (!view_.AskYesNo("解が存在しませんが、解答を開始しますか？")) return;
        } else if (solutionCount != 1) {
            if (!view_.AskYesNo("解が複数存在しますが、解答を開始しますか？")) return;
        } else if (solvable != 1) {
            const Answer answer = view_.AskYesNoCancel("状態が可解ではありません。アシストを実行しますか？");
            if (answer == Answer::Cancel) return;
            if (answer == Answer::Yes) {
                const std::vector<int32_t> grid(solution, solution + 81);
                RunAssist(grid.data());
                // An assist that finished the board has completed the puzzle.
                if (mode == 3) return;
            }
        }
        EnableSolvingFields();
        targetTime = difficulty;
        usageStart = usageNow;
        ShowTarget();
        pendingLog.Reset();
        log.clear();
        execution = 0;
        ComputeCandidates(values, candMarks);
    }
    firstStart = false;
    view_.EnableControl(Control::StartButton, false);
    view_.EnableControl(Control::PauseButton, true);
    view_.EnableControl(Control::CandidatesButton, true);
    view_.EnableControl(Control::HintButton, true);
    SetMode(1);
    view_.Repaint();
    clockNow = clockStart = moveStart = view_.MonotonicSeconds();
    timerId = 1;
    view_.StartTick();
}

void PlaySession::PauseSolving() {
    StopClock();
    DestroyHintDialog();
    view_.EnableControl(Control::StartButton, true);
    view_.EnableControl(Control::PauseButton, false);
    view_.EnableControl(Control::HintButton, false);
    view_.EnableControl(Control::ExecuteHintButton, false);
    view_.EnableControl(Control::CandidatesButton, false);
    hintCol = hintRow = -1;
    hintDigit = 0;
    hintStep = -1;
    SetMode(2);
    view_.Repaint();
    // The last tick, not this moment, ends the segment.
    elapsed += clockNow - clockStart;
    clockStart = clockNow;
    moveBanked += clockNow - moveStart;
    moveStart = clockNow;
}

void PlaySession::ResetToGivens() {
    int32_t givens[81];
    for (int k = 0; k < 81; ++k) givens[k] = origin[k] == 1 ? values[k] : 0;
    ResetSession();
    for (int k = 0; k < 81; ++k) {
        if (givens[k] == 0) continue;
        values[k] = givens[k];
        origin[k] = 1;
    }
    CheckState(false, "");
}

void PlaySession::ClearAll() {
    ResetSession();
    view_.Repaint();
    name.clear();
    view_.SetText(Field::Name, "");
}

void PlaySession::FillBySearch() {
    if (mode == 0) {
        EnableSolvingFields();
        targetTime = difficulty;
        usageStart = usageNow;
        ShowTarget();
        firstStart = false;
    }
    int filled = 0;
    for (int v : values)
        if (v != 0) ++filled;
    if (filled > 16) {
        KR_solver board;
        LoadBoard(board, values);
        KR_base found;  // all zero: a cell the search gave no digit stays empty
        CountSolutions(board, &found);
        for (int k = 0; k < 81; ++k) {
            const int digit = found.value[k / 9][k % 9];
            if (values[k] != 0 || digit == 0) continue;
            values[k] = digit;
            origin[k] = 2;
        }
    }
    CheckState(false, "");
}

void PlaySession::CheckState(bool interactive, const std::string& messageIn, bool sound) {
    std::string message = messageIn;
    auto play = [&](Sound which) {
        if (sound) view_.PlaySound(which);
    };

    KR_solver counter;
    LoadBoard(counter, values);
    KR_base found;
    for (int k = 0; k < 81; ++k) found.value[k / 9][k % 9] = solution[k];
    const int count = CountSolutions(counter, &found);
    for (int k = 0; k < 81; ++k) solution[k] = found.value[k / 9][k % 9];
    solutionCount = count < 0 ? 2 : count;
    static const char* const kSolutionTexts[3] = {"無解", "単解", "複解"};
    const char* solutionText = kSolutionTexts[solutionCount];

    int given = 0, assisted = 0, solved = 0, remaining = 0;
    int digitCounts[10] = {};
    for (int k = 0; k < 81; ++k) {
        const int v = values[k];
        if (v == 0) {
            ++remaining;
        } else if (origin[k] == 1) {
            ++given;
        } else if (origin[k] == 2) {
            ++assisted;
        } else if (origin[k] == 0) {
            ++solved;
        }
        if (v >= 0 && v <= 9) ++digitCounts[v];
    }
    view_.SetText(Field::Counts,
                  Format("問題：%2d　　アシスト：%2d　　解答：%2d　　残り：%2d", given, assisted, solved, remaining));
    for (int d = 1; d <= 9; ++d) view_.SetDigitCountText(d, DigitCountText(digitCounts[d]));

    KR_solver board;
    LoadBoard(board, values);
    PrepareBoard(board);
    const char* stateText = "";
    if (!CheckDuplicates(board) || !CheckCandidates(board)) {
        solvable = -1;
        stateText = "不良";
        message += "エラー：" + board.errorText;
        play(Sound::Error);
    } else if (remaining == 0) {
        solvable = 1;
        stateText = "完成";
        usageNow = Usage();
        difficulty = 0;
        candidateScore = 0;
        PauseSolving();
        SetMode(3);
        ReleaseSelection();
        if (interactive) {
            play(Sound::Completion);
            pendingLog.Reset();
            pendingLog.text = "-";
            std::memcpy(pendingLog.values, values, sizeof values);
            std::memcpy(pendingLog.origin, origin, sizeof origin);
            log.push_back(pendingLog);
            std::string result;
            CompletePuzzle(result);
            message += result;
            completionMessage_ = message;
        }
        view_.EnableControl(Control::StartButton, false);
        view_.EnableControl(Control::ResetButton, true);
        view_.EnableControl(Control::ReviewButton, true);
    } else {
        solvable = SolveByLogic(board, usageNow);
        difficulty = DifficultyScore(usageNow);
        candidateScore = CandidateDisplayScore(usageNow);
        if (solvable == 1) {
            stateText = "可解";
        } else if (solvable == 0) {
            stateText = "不可解";
        } else {
            stateText = "不良";
            message += "エラー：" + board.errorText;
            play(Sound::Error);
        }
        if (solvable != -1) {
            for (int d = 1; d <= 9; ++d) {
                if (digitCounts[d] == 9 && prevDigitCounts[d] != 9) {
                    message += Format("%d が完了しました。", d);
                    play(Sound::Clear);
                    break;
                }
            }
        }
    }

    if (prevSolvable == 1 && solvable == 0) {
        message += "状態が、可解から不可解に変更しました。";
        play(Sound::Error);
    }

    view_.SetText(Field::Status, std::string("状態：") + stateText + "　" + solutionText + "　　難易度：" +
                                     WithSeparators(difficulty) + "　　" + RankName(difficulty));
    view_.SetText(Field::Message, message);

    hintCol = hintRow = -1;
    hintDigit = 0;
    hintStep = -1;
    detailShown = false;
    view_.EnableControl(Control::ExecuteHintButton, false);
    pendingDetail = pendingReduction = 0;
    hintCharge = detailCharge = true;
    prevSolvable = solvable;
    std::memcpy(prevDigitCounts, digitCounts, sizeof prevDigitCounts);
    DestroyHintDialog();
    view_.Repaint();
}

void PlaySession::ReleaseSelection() { selRow = selCol = -1; }

void PlaySession::ShowLogEntry(int index) {
    if (index < 0 || index >= static_cast<int>(log.size())) return;
    const Log& entry = log[static_cast<size_t>(index)];
    std::memcpy(values, entry.values, sizeof values);
    std::memcpy(origin, entry.origin, sizeof origin);
    selRow = entry.row;
    selCol = entry.col;
    CheckState(false, "", false);
    ComputeCandidates(values, candMarks);
    detailCharge = hintCharge = false;
}

void PlaySession::BeginReview() {
    candidatesShown = detailShown = false;
    hintCharge = detailCharge = false;
    std::memcpy(reviewSnapshot_.values, values, sizeof values);
    std::memcpy(reviewSnapshot_.origin, origin, sizeof origin);
    std::memcpy(reviewSnapshot_.candMarks, candMarks, sizeof candMarks);
    reviewSnapshot_.selRow = selRow;
    reviewSnapshot_.selCol = selCol;
}

void PlaySession::EndReview() {
    if (!log.empty() && log.back().text == "-") {
        ShowLogEntry(static_cast<int>(log.size()) - 1);
        // The score stays in view after the review, as it was before it.
        view_.SetText(Field::Message, completionMessage_);
        return;
    }
    // Without a completion entry the last move's board is not the board the
    // player left: show that one again.
    std::memcpy(values, reviewSnapshot_.values, sizeof values);
    std::memcpy(origin, reviewSnapshot_.origin, sizeof origin);
    selRow = reviewSnapshot_.selRow;
    selCol = reviewSnapshot_.selCol;
    CheckState(false, "", false);
    std::memcpy(candMarks, reviewSnapshot_.candMarks, sizeof candMarks);
    detailCharge = hintCharge = false;
}

}  // namespace masuvo
