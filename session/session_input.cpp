// Keys, mouse, number pad, entering digits with the judging of each move,
// marks, undo and redo, and the board as text.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "engine/brute_force.h"
#include "engine/candidates.h"
#include "engine/rating.h"
#include "session/play_session.h"

namespace masuvo {

namespace {

// The placement rule on the player's marks: the cell loses its candidates,
// its row, column and block lose the digit.
void PlaceIntoMarks(uint8_t marks[81][10], int row, int col, int digit) {
    uint8_t* cell = marks[CellIndex(row, col)];
    cell[0] = 1;
    std::memset(cell + 1, 0, 9);
    const int block = BlockOf(row, col);
    for (int i = 0; i < 9; ++i) {
        marks[CellIndex(row, i)][digit] = 0;
        marks[CellIndex(i, col)][digit] = 0;
        marks[BlockCell(block, i)][digit] = 0;
    }
}

std::string NeededStepTexts(const KR_solver& board) {
    std::string text;
    for (const Step& step : board.steps)
        if (step.needed != 0) text += step.text;
    return text;
}

}  // namespace

BoardHit HitTestBoard(double x, double y, double cellSize) {
    BoardHit hit;
    if (cellSize <= 0 || x < 0 || y < 0 || x >= 9 * cellSize || y >= 9 * cellSize) return hit;
    hit.col = static_cast<int>(x / cellSize);
    hit.row = static_cast<int>(y / cellSize);
    const int i = std::min(2, static_cast<int>((x - hit.col * cellSize) * 3 / cellSize));
    const int j = std::min(2, static_cast<int>((y - hit.row * cellSize) * 3 / cellSize));
    hit.subDigit = 1 + i + 3 * j;
    return hit;
}

// ---- Keys ----

bool PlaySession::HandleKey(Key key, bool control) {
    if (key.kind == KeyKind::Escape) {
        ReleaseSelection();
        view_.HideNumberPad();
        view_.Repaint();
        return true;
    }
    if (key.kind == KeyKind::Letter && control) {
        keyHistory_[0] = keyHistory_[1];
        keyHistory_[1] = keyHistory_[2];
        keyHistory_[2] = static_cast<char>(key.value);
        if (keyHistory_[0] == 'Q' && keyHistory_[1] == 'X' && keyHistory_[2] == 'J') {
            ClearControlState();
            view_.OpenDeveloperTools();
            return true;
        }
    }
    if (selRow < 0 || selCol < 0) return false;

    switch (key.kind) {
        case KeyKind::Up:
        case KeyKind::Down:
        case KeyKind::Left:
        case KeyKind::Right:
            if (key.kind == KeyKind::Up && selRow > 0) --selRow;
            if (key.kind == KeyKind::Down && selRow < 8) ++selRow;
            if (key.kind == KeyKind::Left && selCol > 0) --selCol;
            if (key.kind == KeyKind::Right && selCol < 8) ++selCol;
            view_.Repaint();
            return true;
        case KeyKind::Delete:
            DeleteKey();
            return true;
        case KeyKind::Digit:
            if (key.value < 1 || key.value > 9) return false;
            if (control)
                MarkKey(key.value);
            else
                DigitKey(key.value);
            return true;
        case KeyKind::Letter: {
            if (control) return false;
            const int cell = CellIndex(selRow, selCol);
            switch (key.value) {
                case 'B': colour[cell] = kColourBlue; break;
                case 'G': colour[cell] = kColourGreen; break;
                case 'R': colour[cell] = kColourRed; break;
                case 'W': colour[cell] = kColourNone; break;
                default: return false;
            }
            view_.Repaint();
            return true;
        }
        default:
            return false;
    }
}

void PlaySession::ClearControlState() { keyHistory_[0] = keyHistory_[1] = keyHistory_[2] = 0; }

bool PlaySession::CellLocked(int cell) const { return mode >= 1 && origin[cell] != 0; }

void PlaySession::DigitKey(int digit) {
    // A completed puzzle changes only through リセット, オールクリア or loading.
    if (mode == 3) return;
    const int cell = CellIndex(selRow, selCol);
    if (CellLocked(cell)) return;
    if (mode == 0) origin[cell] = 1;
    if (mode == 1) origin[cell] = 0;
    SetCellValue(selRow, selCol, digit, true);
}

void PlaySession::DeleteKey() {
    if (mode == 3) return;
    const int cell = CellIndex(selRow, selCol);
    if (CellLocked(cell)) return;
    origin[cell] = 0;
    colour[cell] = kColourNone;
    SetCellValue(selRow, selCol, 0, true);
}

void PlaySession::MarkKey(int digit) {
    const int cell = CellIndex(selRow, selCol);
    if (CellLocked(cell)) return;
    if (detailShown) return;
    if (candidatesShown) {
        PushMarksUndo(kUndoCandidates, true);
        candMarks[cell][digit] ^= 2;
    } else {
        PushMarksUndo(kUndoMemo, true);
        memo[cell][digit] ^= 1;
    }
    view_.Repaint();
}

// ---- Mouse ----

void PlaySession::LeftClickCell(int row, int col, int subDigit, bool control) {
    if (mode == 0 || mode == 1) {
        selRow = row;
        selCol = col;
        if (control && (candidatesShown || detailShown) && subDigit >= 1 && subDigit <= 9)
            candMarks[CellIndex(row, col)][subDigit] ^= 2;
    }
    view_.Repaint();
}

NumberPadRequest PlaySession::RightClickCell(int row, int col) {
    NumberPadRequest request;
    if (mode == 0 || mode == 1) {
        selRow = row;
        selCol = col;
        const int cell = CellIndex(row, col);
        if (mode == 0 || origin[cell] == 0) {
            request.open = true;
            request.memoSideEnabled = values[cell] == 0;
        }
    }
    view_.Repaint();
    return request;
}

void PlaySession::LeftClickOutside() {
    ReleaseSelection();
    view_.Repaint();
}

void PlaySession::RightClickOutside() {
    ReleaseSelection();
    view_.HideNumberPad();
    view_.Repaint();
}

// ---- Number pad ----

void PlaySession::PadSetDigit(int digit) {
    if (selRow < 0 || selCol < 0 || digit < 1 || digit > 9) return;
    DigitKey(digit);
}

void PlaySession::PadErase() {
    if (selRow < 0 || selCol < 0) return;
    DeleteKey();
}

void PlaySession::PadToggleMark(int digit) {
    if (selRow < 0 || selCol < 0 || digit < 1 || digit > 9) return;
    if (values[CellIndex(selRow, selCol)] != 0 || detailShown) return;
    MarkKey(digit);
}

void PlaySession::PadClearMarks() {
    if (selRow < 0 || selCol < 0) return;
    const int cell = CellIndex(selRow, selCol);
    if (values[cell] != 0 || detailShown) return;
    if (candidatesShown) {
        PushMarksUndo(kUndoCandidates, true);
        for (int d = 1; d <= 9; ++d) candMarks[cell][d] &= static_cast<uint8_t>(~2);
    } else {
        PushMarksUndo(kUndoMemo, true);
        for (int d = 1; d <= 9; ++d) memo[cell][d] = 0;
    }
    view_.Repaint();
}

void PlaySession::PadSetColour(int32_t newColour) {
    if (selRow < 0 || selCol < 0) return;
    const int cell = CellIndex(selRow, selCol);
    if (mode == 0 || origin[cell] == 0) colour[cell] = newColour;
    view_.Repaint();
}

// ---- Entering a digit ----

void PlaySession::SetCellValue(int row, int col, int digit, bool recordUndo) {
    SetCellValueJudged(row, col, digit, recordUndo, nullptr);
}

void PlaySession::SetCellValueJudged(int row, int col, int digit, bool recordUndo, const Redo* replay) {
    const int cell = CellIndex(row, col);
    const int old = values[cell];
    // Typing over a doubtful cell settles it, even with the digit it had.
    if (doubtful[cell]) {
        doubtful[cell] = false;
        view_.Repaint();
    }
    if (digit == old) return;

    if (mode == 0 || mode == 1) {
        Undo u;
        u.kind = mode == 0 ? kUndoCreateDigit : kUndoSolvingDigit;
        u.digit = static_cast<uint8_t>(digit);
        u.row = static_cast<uint8_t>(row);
        u.col = static_cast<uint8_t>(col);
        u.oldDigit = static_cast<uint8_t>(old);
        if (mode == 1) {
            u.logCount = static_cast<int32_t>(log.size());
            u.moveStart = moveStart;
            u.moveBanked = moveBanked;
            u.execution = execution;
            u.usage = usagePlayed;
            std::memcpy(u.candSnapshot, candMarks, sizeof candMarks);
            u.move.cellOrigin = origin[cell];
            u.move.hinted = pendingLog.hinted;
            u.move.detailed = pendingLog.detailed;
            u.move.executed = pendingLog.executed;
            u.move.candidatesShown = replay ? replay->move.candidatesShown : candidatesShown;
        }
        undoStack.push_back(u);
    }
    if (recordUndo) redoStack.clear();
    UpdateMenus();

    std::string message;
    const bool judged = mode == 1 && digit != 0;
    if (judged) message = JudgeMove(row, col, digit, replay);

    values[cell] = digit;
    CheckState(true, message);
    UpdateCandidateMarks(cell, old, digit);
    if (judged && onSolvingPlacement) onSolvingPlacement(row, col, digit);
}

std::string PlaySession::JudgeMove(int row, int col, int digit, const Redo* replay) {
    const int cell = CellIndex(row, col);
    std::string text;

    KR_solver counter;
    LoadBoard(counter, values);
    counter.value[row][col] = 0;
    KR_base unique;
    ++lastJudgement.serial;
    lastJudgement.techniques.clear();
    if (CountSolutions(counter, &unique) == 1 && unique.value[row][col] != digit) {
        lastJudgement.text = "不明です。";
        lastJudgement.points = 0;
        view_.PlaySound(Sound::Error);
        return "推定解法：不明です。\r\n";
    }

    KR_solver board;
    LoadBoard(board, values);
    board.value[row][col] = 0;
    board.placeRow = row;
    board.placeCol = col;
    board.placeDigit = digit;
    Usage u;  // stays empty for a move no chain justifies
    if (StepSearch(board, true) == 1) {
        text = NeededStepTexts(board);
        TallyUsage(board, u);
        for (const Step& step : board.steps)
            if (step.needed != 0) lastJudgement.techniques.push_back(step.technique);
    } else {
        text = "推定できません。";
        view_.PlaySound(Sound::Error);
    }

    const bool shown = replay ? replay->move.candidatesShown : candidatesShown;
    const int32_t h = DifficultyScore(u);
    const int32_t r = CandidateDisplayScore(u);
    pendingLog.text = text;
    pendingLog.seconds = replay && replay->hasLog ? replay->seconds
                                                  : static_cast<int32_t>(moveBanked + clockNow - moveStart);
    pendingLog.points = h;
    pendingLog.candidatesShown = shown;
    std::memcpy(pendingLog.values, values, sizeof values);
    pendingLog.values[cell] = digit;
    std::memcpy(pendingLog.origin, origin, sizeof origin);
    pendingLog.row = row;
    pendingLog.col = col;
    pendingLog.digit = digit;

    if (pendingLog.candidatesShown) pendingLog.points -= r;
    if (pendingLog.hinted) pendingLog.points -= pendingLog.points / 3;
    if (pendingLog.detailed) pendingLog.points /= 2;
    if (pendingLog.executed) pendingLog.points = 0;

    lastJudgement.text = text;
    lastJudgement.points = pendingLog.points;
    log.push_back(pendingLog);
    pendingLog.Reset();
    moveStart = clockNow;
    moveBanked = 0;
    execution += h - (shown ? r : 0);
    AddUsage(u, usagePlayed);
    return "推定解法：" + text + "\r\n";
}

void PlaySession::UpdateCandidateMarks(int cell, int oldDigit, int digit) {
    bool struck[81][10];
    for (int k = 0; k < 81; ++k)
        for (int d = 0; d < 10; ++d) struck[k][d] = (candMarks[k][d] & 2) != 0;
    if (oldDigit == 0)
        PlaceIntoMarks(candMarks, cell / 9, cell % 9, digit);
    else
        ComputeCandidates(values, candMarks);
    for (int k = 0; k < 81; ++k)
        for (int d = 0; d < 10; ++d)
            if (struck[k][d]) candMarks[k][d] |= 2;
}

// ---- Undo and redo ----

void PlaySession::PushMarksUndo(int kind, bool clearRedo) {
    Undo u;
    u.kind = static_cast<uint8_t>(kind);
    if (kind == kUndoMemo)
        std::memcpy(u.memoSnapshot, memo, sizeof memo);
    else
        std::memcpy(u.candSnapshot, candMarks, sizeof candMarks);
    undoStack.push_back(u);
    if (clearRedo) redoStack.clear();
    UpdateMenus();
}

void PlaySession::UndoMove() {
    if (mode > 1 || undoStack.empty()) {
        view_.PlaySound(Sound::Error);
        return;
    }
    const Undo u = undoStack.back();
    Redo r;
    const int cell = CellIndex(u.row, u.col);
    if (u.kind == kUndoSolvingDigit && mode == 1) {
        origin[cell] = 0;
        values[cell] = u.oldDigit;
        CheckState(false, "");
        execution = u.execution;
        usagePlayed = u.usage;
        std::memcpy(candMarks, u.candSnapshot, sizeof candMarks);
        r.kind = kUndoSolvingDigit;
        r.digit = u.digit;
        r.row = u.row;
        r.col = u.col;
        r.move = u.move;
        if (static_cast<int32_t>(log.size()) > u.logCount) {
            moveStart = u.moveStart;
            moveBanked = u.moveBanked;
            r.seconds = log.back().seconds;
            r.hasLog = true;
            log.pop_back();
        }
    } else if (u.kind == kUndoMemo) {
        r.kind = kUndoMemo;
        std::memcpy(r.memoSnapshot, memo, sizeof memo);
        std::memcpy(memo, u.memoSnapshot, sizeof memo);
        view_.Repaint();
    } else if (u.kind == kUndoCandidates && mode == 1) {
        r.kind = kUndoCandidates;
        std::memcpy(r.candSnapshot, candMarks, sizeof candMarks);
        std::memcpy(candMarks, u.candSnapshot, sizeof candMarks);
        view_.Repaint();
    } else if (u.kind == kUndoCreateDigit && mode == 0) {
        values[cell] = u.oldDigit;
        origin[cell] = u.oldDigit != 0 ? 1 : 0;
        CheckState(false, "");
        r.kind = kUndoCreateDigit;
        r.digit = u.digit;
        r.row = u.row;
        r.col = u.col;
    } else {
        view_.PlaySound(Sound::Error);
        return;
    }
    redoStack.push_back(r);
    undoStack.pop_back();
    UpdateMenus();
}

void PlaySession::RedoMove() {
    if (mode > 1 || redoStack.empty()) {
        view_.PlaySound(Sound::Error);
        return;
    }
    const Redo r = redoStack.back();
    if (r.kind == kUndoSolvingDigit && mode == 1) {
        const int cell = CellIndex(r.row, r.col);
        origin[cell] = r.move.cellOrigin;
        pendingLog.hinted = r.move.hinted;
        pendingLog.detailed = r.move.detailed;
        pendingLog.executed = r.move.executed;
        // The redone move's entry takes the seconds of the entry the undo
        // removed; it is given them before completion can file the log.
        SetCellValueJudged(r.row, r.col, r.digit, false, &r);
    } else if (r.kind == kUndoMemo) {
        PushMarksUndo(kUndoMemo, false);
        std::memcpy(memo, r.memoSnapshot, sizeof memo);
        view_.Repaint();
    } else if (r.kind == kUndoCandidates && mode == 1) {
        PushMarksUndo(kUndoCandidates, false);
        std::memcpy(candMarks, r.candSnapshot, sizeof candMarks);
        view_.Repaint();
    } else if (r.kind == kUndoCreateDigit && mode == 0) {
        origin[CellIndex(r.row, r.col)] = r.digit != 0 ? 1 : 0;
        SetCellValue(r.row, r.col, r.digit, false);
    } else {
        view_.PlaySound(Sound::Error);
        return;
    }
    redoStack.pop_back();
    UpdateMenus();
}

// ---- Colours, memos, board text ----

void PlaySession::ClearColours() {
    for (int32_t& c : colour) c = kColourNone;
    view_.Repaint();
}

void PlaySession::ClearMemos() {
    PushMarksUndo(kUndoMemo, true);
    std::memset(memo, 0, sizeof memo);
    view_.Repaint();
}

std::string PlaySession::BoardText() const {
    std::string text(81, '.');
    for (int k = 0; k < 81; ++k)
        if (values[k] >= 1 && values[k] <= 9) text[k] = static_cast<char>('0' + values[k]);
    return text;
}

bool PlaySession::PasteBoardText(const std::string& text) {
    if (mode != 0 || text.size() < 81) return false;
    for (size_t i = 0; i < 81; ++i)
        if (text[i] != '.' && (text[i] < '0' || text[i] > '9')) return false;
    ResetSession();
    for (int k = 0; k < 81; ++k) {
        const char c = text[static_cast<size_t>(k)];
        if (c >= '1' && c <= '9') {
            values[k] = c - '0';
            origin[k] = 1;
        }
    }
    // Named before the check: a complete pasted grid is recorded and filed
    // under its own name, not the previous puzzle's.
    const std::time_t now = static_cast<std::time_t>(view_.WallClockSeconds());
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "(%Y%m%d%H%M%S)", &local);
    name = std::string("貼り付け") + stamp;
    view_.SetText(Field::Name, name);
    CheckState(true, "");
    return true;
}

}  // namespace masuvo
