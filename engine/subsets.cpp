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
    unsigned where[10] = {};  // per digit, the unit positions holding it
    for (int i = 0; i < 9; ++i) {
        bits[i] = CandidateBits(board, unit.cell[i]);
        for (unsigned b = bits[i]; b != 0; b &= b - 1) where[std::countr_zero(b)] |= 1u << i;
    }

    // Combinations holding a digit placed in the unit are passed over.
    const unsigned open = ~(placed >> 1) & 0x1FFu;
    return ForEachCombinationOf(open, n, [&](const int* combination) {
        unsigned digits = 0;
        unsigned positions = 0;
        for (int i = 0; i < n; ++i) {
            digits |= 1u << (combination[i] + 1);
            positions |= where[combination[i] + 1];
        }
        if (CountBits(positions) != n) return false;
        // Only foreign candidates of those cells can go.
        unsigned foreign = 0;
        for (unsigned p = positions; p != 0; p &= p - 1) foreign |= bits[std::countr_zero(p)] & ~digits;
        if (foreign == 0) return false;

        int collected[9];
        int size = 0;
        for (unsigned p = positions; p != 0; p &= p - 1) collected[size++] = unit.cell[std::countr_zero(p)];

        bool removed = false;
        for (int j = 0; j < size; ++j)
            for (int d = 1; d <= 9; ++d)
                if (!(digits & (1u << d))) removed |= Eliminate(board, collected[j], d);
        if (!removed) return false;

        for (int j = 0; j < size; ++j) {
            board.hint.cellMark[collected[j]] = 1;
            for (int d = 1; d <= 9; ++d)
                if ((digits & (1u << d)) && board.cand[collected[j]][d]) board.hint.candMark[collected[j]][d] = 1;
        }
        return true;
    });
}

// The first combination of n empty cells of the unit whose candidates are
// exactly n digits and whose digits still appear elsewhere in the unit.
bool ClosedCellsInUnit(KR_solver& board, const Unit& unit, int n) {
    unsigned bits[9];
    unsigned filled = 0;
    unsigned where[10] = {};  // per digit, the unit positions holding it
    for (int i = 0; i < 9; ++i) {
        const int k = unit.cell[i];
        bits[i] = CandidateBits(board, k);
        if (board.value[k / 9][k % 9] != 0) filled |= 1u << i;
        for (unsigned b = bits[i]; b != 0; b &= b - 1) where[std::countr_zero(b)] |= 1u << i;
    }

    // Combinations with a filled cell are passed over.
    return ForEachCombinationOf(~filled & 0x1FFu, n, [&](const int* combination) {
        unsigned chosen = 0;
        unsigned digits = 0;
        for (int i = 0; i < n; ++i) {
            chosen |= 1u << combination[i];
            digits |= bits[combination[i]];
        }
        if (CountBits(digits) != n) return false;
        // Only the other cells' candidates of those digits can go.
        unsigned others = 0;
        for (unsigned b = digits; b != 0; b &= b - 1) others |= where[std::countr_zero(b)];
        if ((others & ~chosen) == 0) return false;

        bool removed = false;
        for (int i = 0; i < 9; ++i) {
            if (chosen & (1u << i)) continue;
            for (int d = 1; d <= 9; ++d)
                if (digits & (1u << d)) removed |= Eliminate(board, unit.cell[i], d);
        }
        if (!removed) return false;

        for (int i = 0; i < n; ++i) {
            const int k = unit.cell[combination[i]];
            board.hint.cellMark[k] = 1;
            for (int d = 1; d <= 9; ++d)
                if ((digits & (1u << d)) && board.cand[k][d]) board.hint.candMark[k][d] = 1;
        }
        return true;
    });
}

}  // namespace

bool BlockConfinedToLine(KR_solver& board) {
    const Removable removable(board);
    for (int b = 0; b < 9; ++b) {
        const int top = BlockTopRow(b);
        const int left = BlockLeftCol(b);
        for (int d = 1; d <= 9; ++d) {
            if (board.blockCount[b][d] > 0 || !removable.Digit(d)) continue;
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
    const Removable removable(board);
    for (int d = 1; d <= 9; ++d) {
        if (!removable.Digit(d)) continue;
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
    const Removable removable(board);
    for (int b = 0; b < 9; ++b)
        if (removable.Unit(b) && ConfinedDigitsInUnit(board, BlockUnit(b), PlacedBits(board.blockCount[b]), n))
            return SucceedWithSize(board, "定員確定%d(ブロック)。", n, n + 5);
    return false;
}

bool ConfinedDigitsInLine(KR_solver& board, int n) {
    const Removable removable(board);
    for (int row = 0; row < 9; ++row)
        if (removable.Unit(9 + row) && ConfinedDigitsInUnit(board, RowUnit(row), PlacedBits(board.rowCount[row]), n))
            return SucceedWithSize(board, "定員確定%d(行)。", n, n + 8);
    for (int col = 0; col < 9; ++col)
        if (removable.Unit(18 + col) && ConfinedDigitsInUnit(board, ColUnit(col), PlacedBits(board.colCount[col]), n))
            return SucceedWithSize(board, "定員確定%d(列)。", n, n + 8);
    return false;
}

bool ClosedCellsInBlock(KR_solver& board, int n) {
    const Removable removable(board);
    for (int b = 0; b < 9; ++b)
        if (removable.Unit(b) && ClosedCellsInUnit(board, BlockUnit(b), n))
            return SucceedWithSize(board, "陰の定員確定%d(ブロック)。", n, n + 11);
    return false;
}

bool ClosedCellsInLine(KR_solver& board, int n) {
    const Removable removable(board);
    for (int row = 0; row < 9; ++row)
        if (removable.Unit(9 + row) && ClosedCellsInUnit(board, RowUnit(row), n))
            return SucceedWithSize(board, "陰の定員確定%d(行)。", n, n + 14);
    for (int col = 0; col < 9; ++col)
        if (removable.Unit(18 + col) && ClosedCellsInUnit(board, ColUnit(col), n))
            return SucceedWithSize(board, "陰の定員確定%d(列)。", n, n + 14);
    return false;
}

}  // namespace masuvo
