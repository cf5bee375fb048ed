// Hints, the detail and the execution with their penalties, the candidate
// display, the assist before solving, and the review's explanation of a move.
// Penalties are seconds added to both penalty and elapsed, so the running
// time includes them at once.
#include <cstring>

#include "engine/candidates.h"
#include "engine/rating.h"
#include "session/play_session.h"
#include "session/session_text.h"

namespace masuvo {

namespace {

std::string NeededTexts(const KR_solver& board) {
    std::string text;
    for (const Step& step : board.steps)
        if (step.needed != 0) text += step.text;
    return text;
}

}  // namespace

void PlaySession::DestroyHintDialog() {
    if (!hintDialogOpen) return;
    hintDialogOpen = false;
    view_.CloseHintDialog();
    HintDialogGone();
}

void PlaySession::HintDialogClosed() {
    if (!hintDialogOpen) return;
    hintDialogOpen = false;
    HintDialogGone();
}

void PlaySession::HintDialogGone() {
    detailShown = false;
    // 候補表示 belongs to solving; a dialog of the review closing in the
    // complete mode must not enable it.
    view_.EnableControl(Control::CandidatesButton, mode == 1);
    hintCol = hintRow = -1;
    hintDigit = 0;
    hintStep = -1;
    view_.EnableControl(Control::ExecuteHintButton, false);
    view_.Repaint();
}

void PlaySession::SelectHintStep(int index) {
    hintStep = index;
    view_.Repaint();
}

void PlaySession::RequestHint() {
    if (mode != 1) return;
    KR_solver board;
    LoadBoard(board, values);
    view_.EnableControl(Control::ExecuteHintButton, false);
    hintCol = hintRow = -1;
    hintDigit = 0;

    const int result = StepSearch(board, false);
    if (result == 0) {
        view_.SetText(Field::Message, "ヒント：次の一手が見つかりません。");
        view_.PlaySound(Sound::Error);
        view_.Repaint();
        return;
    }
    if (result < 0) {
        view_.SetText(Field::Message, "エラー：" + board.errorText);
        view_.PlaySound(Sound::Error);
        view_.Repaint();
        return;
    }

    view_.EnableControl(Control::ExecuteHintButton, true);
    hintRow = selRow = board.placeRow;
    hintCol = selCol = board.placeCol;
    hintDigit = board.placeDigit;
    BuildHintList(board, hints);
    const std::string text = NeededTexts(board);
    view_.SetText(Field::Message, "ヒント：" + text);

    if (hintCharge) {
        ++hintCount;
        ShowCounters();
        Usage u;
        TallyUsage(board, u);
        const int32_t h = DifficultyScore(u);
        const int32_t r = CandidateDisplayScore(u);
        pendingDetail = h / 3;
        if (candidateEase > 0) {
            pendingDetail -= r / 3;
            pendingReduction = 0;
        } else {
            // Kept for the detail, or credited when candidates are shown later.
            pendingReduction = (r / 3) * 2;
        }
        AddPenalty(pendingDetail);
        pendingDetail *= 2;
        detailShown = false;
        hintCharge = false;
        pendingLog.hinted = true;
    }

    if (!hintDialogOpen) {
        const std::string dialogText = HintDialogText(text);
        if (!dialogText.empty()) {
            hintDialogOpen = true;
            view_.OpenHintDialog(dialogText, HintDialogOwner::Main);
            hintStep = 0;
        }
    }
    view_.Repaint();
}

void PlaySession::SetDetail(bool on) {
    detailShown = on;
    view_.EnableControl(Control::CandidatesButton, !on && mode == 1);
    if (on && detailCharge) {
        ++detailCount;
        ShowCounters();
        if (candidateEase > 0) pendingDetail -= pendingReduction;
        pendingDetail /= 2;
        AddPenalty(pendingDetail);
        detailCharge = false;
        pendingLog.detailed = true;
    }
    view_.Repaint();
}

void PlaySession::ExecuteHint() {
    if (mode != 1 || hintDigit == 0 || hintRow < 0 || hintCol < 0) return;
    const int row = hintRow;
    const int col = hintCol;
    const int digit = hintDigit;
    origin[CellIndex(row, col)] = 2;
    ++execCount;
    ShowCounters();
    AddPenalty(pendingDetail);
    pendingDetail = pendingReduction = 0;
    pendingLog.executed = true;
    SetCellValue(row, col, digit, true);
}

void PlaySession::ToggleCandidates(bool pressed) {
    if (!pressed) {
        candidatesShown = false;
        view_.EnableControl(Control::ResetCandidatesButton, false);
        view_.Repaint();
        return;
    }
    candidatesShown = true;
    if (candidateEase == 0) {
        const int empty = ComputeCandidates(values, candMarks);
        candidateEase = candidateScore + empty * 10 - pendingReduction;
        // The reduction is now credited; the detail must not credit it again.
        pendingReduction = 0;
        ShowCounters();
        AddPenalty(candidateEase);
    }
    view_.EnableControl(Control::ResetCandidatesButton, true);
    view_.Repaint();
}

void PlaySession::ResetCandidates() {
    if (detailShown) return;
    PushMarksUndo(kUndoCandidates, true);
    ComputeCandidates(values, candMarks);
    view_.Repaint();
}

void PlaySession::RunAssist(const int32_t solutionGrid[81]) {
    uint64_t x = 0x841575BA5A1A91F9ULL;
    auto next = [&x]() {
        x ^= x << 14;
        x ^= x >> 29;
        x ^= x << 11;
        return x;
    };
    for (;;) {
        bool anyEmpty = false;
        for (int v : values) anyEmpty = anyEmpty || v == 0;
        if (!anyEmpty) break;  // nothing left to assist with
        int row = 0, col = 0;
        do {
            row = static_cast<int>(next() % 9);
            col = static_cast<int>(next() % 9);
        } while (values[CellIndex(row, col)] != 0);
        const int cell = CellIndex(row, col);
        values[cell] = solutionGrid[cell];
        origin[cell] = 2;

        KR_solver board;
        LoadBoard(board, values);
        Usage usage;
        const int result = SolveByLogic(board, usage);
        if (result < 0) {
            view_.ShowMessageBox("アシスト中にエラーが発生しました。アシストを取り止めます。");
            return;
        }
        if (result == 1) break;
    }
    CheckState(true, "");
}

bool PlaySession::ExplainLogEntry(int index, const std::string& text) {
    hintCol = hintRow = -1;
    hintDigit = 0;
    bool explained = false;
    if (index >= 0 && index < static_cast<int>(log.size())) {
        const Log& entry = log[static_cast<size_t>(index)];
        if (entry.row >= 0 && entry.row < 9 && entry.col >= 0 && entry.col < 9 && entry.digit >= 1 && entry.digit <= 9) {
            KR_solver board;
            LoadBoard(board, values);
            board.value[entry.row][entry.col] = 0;
            board.placeRow = entry.row;
            board.placeCol = entry.col;
            board.placeDigit = entry.digit;
            if (StepSearch(board, true) == 1 && NeededTexts(board) == text) {
                BuildHintList(board, hints);
                hintRow = entry.row;
                hintCol = entry.col;
                hintDigit = entry.digit;
                explained = true;
            }
        }
    }
    view_.Repaint();
    return explained;
}

bool PlaySession::ShowReviewHint(int index, const std::string& text) {
    if (!ExplainLogEntry(index, text)) return false;
    if (CountSentences(text) > 1 && !hintDialogOpen) {
        hintDialogOpen = true;
        view_.OpenHintDialog(HintDialogText(text), HintDialogOwner::Review);
        hintStep = 0;
        view_.Repaint();
    }
    return true;
}

}  // namespace masuvo
