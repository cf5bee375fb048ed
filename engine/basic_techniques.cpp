// The five placing techniques. In target mode each succeeds only at an
// instance that places exactly the target digit in the target cell.
#include "engine/techniques.h"

namespace masuvo {

namespace {

bool Report(KR_solver& board, int row, int col, int digit, const char* text, int technique) {
    if (board.targetMode) {
        if (board.placeRow != row || board.placeCol != col || board.placeDigit != digit) return false;
    } else {
        board.placeRow = row;
        board.placeCol = col;
        board.placeDigit = digit;
    }
    board.stepText = text;
    board.stepTechnique = technique;
    return true;
}

// The digit missing from a unit's counts; with two missing (a board with a
// duplicate) the larger one.
int MissingDigit(const int32_t count[10]) {
    int missing = 0;
    for (int d = 1; d <= 9; ++d)
        if (count[d] == 0) missing = d;
    return missing;
}

}  // namespace

bool BlockCompletion(KR_solver& board) {
    for (int b = 0; b < 9; ++b) {
        if (board.blockCount[b][0] != 1) continue;
        for (int i = 0; i < 9; ++i) {
            const int k = BlockCell(b, i);
            if (board.value[k / 9][k % 9] != 0) continue;
            if (Report(board, k / 9, k % 9, MissingDigit(board.blockCount[b]), "ブロックの完成です。", 0))
                return true;
            break;
        }
    }
    return false;
}

bool LineCompletion(KR_solver& board) {
    for (int r = 0; r < 9; ++r) {
        if (board.rowCount[r][0] != 1) continue;
        for (int c = 0; c < 9; ++c) {
            if (board.value[r][c] != 0) continue;
            if (Report(board, r, c, MissingDigit(board.rowCount[r]), "行の完成です。", 1)) return true;
            break;
        }
    }
    for (int c = 0; c < 9; ++c) {
        if (board.colCount[c][0] != 1) continue;
        for (int r = 0; r < 9; ++r) {
            if (board.value[r][c] != 0) continue;
            if (Report(board, r, c, MissingDigit(board.colCount[c]), "列の完成です。", 1)) return true;
            break;
        }
    }
    return false;
}

bool BlockSinglePlace(KR_solver& board) {
    for (int b = 0; b < 9; ++b) {
        for (int d = 1; d <= 9; ++d) {
            if (board.blockCand[b][d] != 1) continue;
            for (int i = 0; i < 9; ++i) {
                const int k = BlockCell(b, i);
                if (!board.cand[k][d]) continue;
                if (Report(board, k / 9, k % 9, d, "ブロック内の配置です。", 2)) return true;
                break;
            }
        }
    }
    return false;
}

bool LineSinglePlace(KR_solver& board) {
    for (int r = 0; r < 9; ++r) {
        for (int d = 1; d <= 9; ++d) {
            if (board.rowCand[r][d] != 1) continue;
            for (int c = 0; c < 9; ++c) {
                if (!board.cand[CellIndex(r, c)][d]) continue;
                if (Report(board, r, c, d, "行内の配置です。", 3)) return true;
                break;
            }
        }
    }
    for (int c = 0; c < 9; ++c) {
        for (int d = 1; d <= 9; ++d) {
            if (board.colCand[c][d] != 1) continue;
            for (int r = 0; r < 9; ++r) {
                if (!board.cand[CellIndex(r, c)][d]) continue;
                if (Report(board, r, c, d, "列内の配置です。", 3)) return true;
                break;
            }
        }
    }
    return false;
}

bool CellCompletion(KR_solver& board) {
    for (int k = 0; k < 81; ++k) {
        if (board.cellCand[k] != 1) continue;
        for (int d = 1; d <= 9; ++d) {
            if (!board.cand[k][d]) continue;
            if (Report(board, k / 9, k % 9, d, "セルの完成です。", 4)) return true;
            break;
        }
    }
    return false;
}

}  // namespace masuvo
