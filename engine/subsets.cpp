// 隠れた数字, 波及効果 and the four subset families.
#include <bit>

#include "engine/elimination.h"
#include "engine/techniques.h"

namespace masuvo {

namespace {

// The nine cells of a unit in unit order: a block row by row, a row left to
// right, a column top to bottom.
struct Unit {
    int cell[9];
};

Unit BlockUnit(int block) {
    Unit unit;
    for (int i = 0; i < 9; ++i) unit.cell[i] = BlockCell(block, i);
    return unit;
}

Unit RowUnit(int row) {
    Unit unit;
    for (int i = 0; i < 9; ++i) unit.cell[i] = CellIndex(row, i);
    return unit;
}

Unit ColUnit(int col) {
    Unit unit;
    for (int i = 0; i < 9; ++i) unit.cell[i] = CellIndex(i, col);
    return unit;
}

// Bit d set for each candidate digit d of the cell.
unsigned CandidateBits(const KR_solver& board, int cell) {
    unsigned bits = 0;
    for (int d = 1; d <= 9; ++d)
        if (board.cand[cell][d]) bits |= 1u << d;
    return bits;
}

// Bit d set for each digit with a count above zero.
unsigned PlacedBits(const int32_t count[10]) {
    unsigned bits = 0;
    for (int d = 1; d <= 9; ++d)
        if (count[d] > 0) bits |= 1u << d;
    return bits;
}

void MarkCell(KR_solver& board, int cell, int digit) {
    board.hint.cellMark[cell] = 1;
    board.hint.candMark[cell][digit] = 1;
}

bool Succeed(KR_solver& board, const char* text, int technique) {
    board.stepText = text;
    board.stepTechnique = technique;
    return true;
}

// The message pattern takes the subset size n.
bool SucceedWithSize(KR_solver& board, const char* pattern, int n, int technique) {
    board.stepText.Format(pattern, n);
    board.stepTechnique = technique;
    return true;
}

// The first combination of n digits of the unit that lives in exactly n
// cells and still has foreign candidates there to remove.
bool ConfinedDigitsInUnit(KR_solver& board, const Unit& unit, unsigned placed, int n) {
    unsigned bits[9];
    for (int i = 0; i < 9; ++i) bits[i] = CandidateBits(board, unit.cell[i]);

    int combination[4];
    int counter = 0;
    while (NextCombination(n, combination, counter)) {
        unsigned digits = 0;
        for (int i = 0; i < n; ++i) digits |= 1u << (combination[i] + 1);
        if (digits & placed) continue;

        int collected[9];
        int size = 0;
        for (int i = 0; i < 9; ++i)
            if (bits[i] & digits) collected[size++] = unit.cell[i];
        if (size != n) continue;

        bool removed = false;
        for (int j = 0; j < size; ++j)
            for (int d = 1; d <= 9; ++d)
                if (!(digits & (1u << d))) removed |= Eliminate(board, collected[j], d);
        if (!removed) continue;

        for (int j = 0; j < size; ++j) {
            board.hint.cellMark[collected[j]] = 1;
            for (int d = 1; d <= 9; ++d)
                if ((digits & (1u << d)) && board.cand[collected[j]][d]) board.hint.candMark[collected[j]][d] = 1;
        }
        return true;
    }
    return false;
}

// The first combination of n empty cells of the unit whose candidates are
// exactly n digits and whose digits still appear elsewhere in the unit.
bool ClosedCellsInUnit(KR_solver& board, const Unit& unit, int n) {
    unsigned bits[9];
    bool filled[9];
    for (int i = 0; i < 9; ++i) {
        const int k = unit.cell[i];
        bits[i] = CandidateBits(board, k);
        filled[i] = board.value[k / 9][k % 9] != 0;
    }

    int combination[4];
    int counter = 0;
    while (NextCombination(n, combination, counter)) {
        unsigned chosen = 0;
        unsigned digits = 0;
        bool anyFilled = false;
        for (int i = 0; i < n; ++i) {
            chosen |= 1u << combination[i];
            digits |= bits[combination[i]];
            anyFilled |= filled[combination[i]];
        }
        if (anyFilled || std::popcount(digits) != n) continue;

        bool removed = false;
        for (int i = 0; i < 9; ++i) {
            if (chosen & (1u << i)) continue;
            for (int d = 1; d <= 9; ++d)
                if (digits & (1u << d)) removed |= Eliminate(board, unit.cell[i], d);
        }
        if (!removed) continue;

        for (int i = 0; i < n; ++i) {
            const int k = unit.cell[combination[i]];
            board.hint.cellMark[k] = 1;
            for (int d = 1; d <= 9; ++d)
                if ((digits & (1u << d)) && board.cand[k][d]) board.hint.candMark[k][d] = 1;
        }
        return true;
    }
    return false;
}

}  // namespace

bool BlockConfinedToLine(KR_solver& board) {
    for (int b = 0; b < 9; ++b) {
        const int top = BlockTopRow(b);
        const int left = BlockLeftCol(b);
        for (int d = 1; d <= 9; ++d) {
            if (board.blockCount[b][d] > 0) continue;
            int inRow[3] = {};
            int inCol[3] = {};
            for (int i = 0; i < 9; ++i) {
                if (!board.cand[BlockCell(b, i)][d]) continue;
                ++inRow[i / 3];
                ++inCol[i % 3];
            }
            const int total = inRow[0] + inRow[1] + inRow[2];
            // A single candidate is a placement, not a confinement.
            if (total < 2) continue;

            for (int i = 0; i < 3; ++i) {
                if (inRow[i] != total) continue;
                const int row = top + i;
                bool removed = false;
                for (int c = 0; c < 9; ++c)
                    if (c < left || c >= left + 3) removed |= Eliminate(board, CellIndex(row, c), d);
                if (!removed) continue;
                for (int c = left; c < left + 3; ++c)
                    if (board.cand[CellIndex(row, c)][d]) MarkCell(board, CellIndex(row, c), d);
                return Succeed(board, "隠れた数字。", 5);
            }
            for (int i = 0; i < 3; ++i) {
                if (inCol[i] != total) continue;
                const int col = left + i;
                bool removed = false;
                for (int r = 0; r < 9; ++r)
                    if (r < top || r >= top + 3) removed |= Eliminate(board, CellIndex(r, col), d);
                if (!removed) continue;
                for (int r = top; r < top + 3; ++r)
                    if (board.cand[CellIndex(r, col)][d]) MarkCell(board, CellIndex(r, col), d);
                return Succeed(board, "隠れた数字。", 5);
            }
        }
    }
    return false;
}

bool LineConfinedToBlock(KR_solver& board) {
    for (int d = 1; d <= 9; ++d) {
        for (int row = 0; row < 9; ++row) {
            int inBlock[3] = {};
            for (int c = 0; c < 9; ++c)
                if (board.cand[CellIndex(row, c)][d]) ++inBlock[c / 3];
            const int total = inBlock[0] + inBlock[1] + inBlock[2];
            bool removed = false;
            for (int s = 0; s < 3; ++s) {
                if (total == 0 || inBlock[s] != total) continue;
                const int top = 3 * (row / 3);
                for (int r = top; r < top + 3; ++r) {
                    if (r == row) continue;
                    for (int c = 3 * s; c < 3 * s + 3; ++c) removed |= Eliminate(board, CellIndex(r, c), d);
                }
            }
            if (!removed) continue;
            for (int c = 0; c < 9; ++c)
                if (board.cand[CellIndex(row, c)][d]) MarkCell(board, CellIndex(row, c), d);
            return Succeed(board, "波及効果。", 6);
        }
        for (int col = 0; col < 9; ++col) {
            int inBlock[3] = {};
            for (int r = 0; r < 9; ++r)
                if (board.cand[CellIndex(r, col)][d]) ++inBlock[r / 3];
            const int total = inBlock[0] + inBlock[1] + inBlock[2];
            bool removed = false;
            for (int band = 0; band < 3; ++band) {
                if (total == 0 || inBlock[band] != total) continue;
                const int left = 3 * (col / 3);
                for (int r = 3 * band; r < 3 * band + 3; ++r) {
                    for (int c = left; c < left + 3; ++c) {
                        if (c == col) continue;
                        removed |= Eliminate(board, CellIndex(r, c), d);
                    }
                }
            }
            if (!removed) continue;
            for (int r = 0; r < 9; ++r)
                if (board.cand[CellIndex(r, col)][d]) MarkCell(board, CellIndex(r, col), d);
            return Succeed(board, "波及効果。", 6);
        }
    }
    return false;
}

bool ConfinedDigitsInBlock(KR_solver& board, int n) {
    for (int b = 0; b < 9; ++b)
        if (ConfinedDigitsInUnit(board, BlockUnit(b), PlacedBits(board.blockCount[b]), n))
            return SucceedWithSize(board, "定員確定%d(ブロック)。", n, n + 5);
    return false;
}

bool ConfinedDigitsInLine(KR_solver& board, int n) {
    for (int row = 0; row < 9; ++row)
        if (ConfinedDigitsInUnit(board, RowUnit(row), PlacedBits(board.rowCount[row]), n))
            return SucceedWithSize(board, "定員確定%d(行)。", n, n + 8);
    for (int col = 0; col < 9; ++col)
        if (ConfinedDigitsInUnit(board, ColUnit(col), PlacedBits(board.colCount[col]), n))
            return SucceedWithSize(board, "定員確定%d(列)。", n, n + 8);
    return false;
}

bool ClosedCellsInBlock(KR_solver& board, int n) {
    for (int b = 0; b < 9; ++b)
        if (ClosedCellsInUnit(board, BlockUnit(b), n))
            return SucceedWithSize(board, "陰の定員確定%d(ブロック)。", n, n + 11);
    return false;
}

bool ClosedCellsInLine(KR_solver& board, int n) {
    for (int row = 0; row < 9; ++row)
        if (ClosedCellsInUnit(board, RowUnit(row), n))
            return SucceedWithSize(board, "陰の定員確定%d(行)。", n, n + 14);
    for (int col = 0; col < 9; ++col)
        if (ClosedCellsInUnit(board, ColUnit(col), n))
            return SucceedWithSize(board, "陰の定員確定%d(列)。", n, n + 14);
    return false;
}

}  // namespace masuvo
