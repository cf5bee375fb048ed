#include "engine/candidates.h"

#include <cstring>

#include "engine/text_format.h"

namespace masuvo {

namespace {

// Clears digit from every cell of the block, row and column of (row, col).
void ClearPeers(uint8_t cand[81][10], int row, int col, int digit) {
    for (int i = 0; i < 9; ++i) {
        cand[CellIndex(row, i)][digit] = 0;
        cand[CellIndex(i, col)][digit] = 0;
    }
    const int top = 3 * (row / 3);
    const int left = 3 * (col / 3);
    for (int r = top; r < top + 3; ++r)
        for (int c = left; c < left + 3; ++c) cand[CellIndex(r, c)][digit] = 0;
}

void PlaceInto(uint8_t cand[81][10], int row, int col, int digit) {
    uint8_t* cell = cand[CellIndex(row, col)];
    cell[0] = 1;
    std::memset(cell + 1, 0, 9);
    ClearPeers(cand, row, col, digit);
}

void FillAllCandidates(uint8_t cand[81][10]) {
    for (int k = 0; k < 81; ++k) {
        cand[k][0] = 0;
        std::memset(cand[k] + 1, 1, 9);
    }
}

}  // namespace

void CountDigits(KR_solver& board) {
    std::memset(board.blockCount, 0, sizeof board.blockCount);
    std::memset(board.rowCount, 0, sizeof board.rowCount);
    std::memset(board.colCount, 0, sizeof board.colCount);
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const int v = board.value[r][c];
            ++board.blockCount[BlockOf(r, c)][v];
            ++board.rowCount[r][v];
            ++board.colCount[c][v];
        }
    }
}

void RebuildCandidates(KR_solver& board) {
    FillAllCandidates(board.cand);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            if (board.value[r][c] != 0) PlaceInto(board.cand, r, c, board.value[r][c]);
}

void CountCandidates(KR_solver& board) {
    std::memset(board.blockCand, 0, sizeof board.blockCand);
    std::memset(board.rowCand, 0, sizeof board.rowCand);
    std::memset(board.colCand, 0, sizeof board.colCand);
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const uint8_t* cell = board.cand[CellIndex(r, c)];
            int32_t* block = board.blockCand[BlockOf(r, c)];
            int32_t* row = board.rowCand[r];
            int32_t* col = board.colCand[c];
            for (int d = 0; d <= 9; ++d) {
                block[d] += cell[d];
                row[d] += cell[d];
                col[d] += cell[d];
            }
        }
    }
    // A digit placed in a unit is marked -1 there, whatever its count.
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const int v = board.value[r][c];
            if (v == 0) continue;
            board.blockCand[BlockOf(r, c)][v] = -1;
            board.rowCand[r][v] = -1;
            board.colCand[c][v] = -1;
        }
    }
    for (int k = 0; k < 81; ++k) {
        if (board.cand[k][0]) {
            board.cellCand[k] = -1;
            continue;
        }
        int count = 0;
        for (int d = 1; d <= 9; ++d) count += board.cand[k][d];
        board.cellCand[k] = count;
    }
}

void PrepareBoard(KR_solver& board) {
    CountDigits(board);
    RebuildCandidates(board);
    CountCandidates(board);
}

void Place(KR_solver& board, int row, int col, int digit) { PlaceInto(board.cand, row, col, digit); }

bool CheckDuplicates(KR_solver& board) {
    for (int u = 0; u < 9; ++u) {
        for (int d = 1; d <= 9; ++d) {
            if (board.blockCount[u][d] > 1) {
                board.errorText = Format("ブロック%dに、%d が重複します。", u + 1, d);
                return false;
            }
            if (board.rowCount[u][d] > 1) {
                board.errorText = Format("行%dに、%d が重複します。", u + 1, d);
                return false;
            }
            if (board.colCount[u][d] > 1) {
                board.errorText = Format("列%dに、%d が重複します。", u + 1, d);
                return false;
            }
        }
    }
    return true;
}

bool CheckCandidates(KR_solver& board) {
    struct Pass {
        const int32_t (*table)[10];
        const char* message;
    };
    const Pass passes[3] = {
        {board.blockCand, "ブロック%dに、%d の候補がありません。"},
        {board.rowCand, "行%dに、%d の候補がありません。"},
        {board.colCand, "列%dに、%d の候補がありません。"},
    };
    for (const Pass& pass : passes) {
        for (int u = 0; u < 9; ++u) {
            for (int d = 1; d <= 9; ++d) {
                if (pass.table[u][d] == 0) {
                    board.errorText = Format(pass.message, u + 1, d);
                    return false;
                }
            }
        }
    }
    for (int k = 0; k < 81; ++k) {
        if (board.cellCand[k] == 0) {
            board.errorText = Format("セル(%d,%d)に、候補がありません。", k / 9 + 1, k % 9 + 1);
            return false;
        }
    }
    return true;
}

int ComputeCandidates(const int32_t grid[81], uint8_t candOut[81][10]) {
    FillAllCandidates(candOut);
    int empty = 0;
    for (int k = 0; k < 81; ++k) {
        if (grid[k] != 0)
            PlaceInto(candOut, k / 9, k % 9, grid[k]);
        else
            ++empty;
    }
    return empty;
}

}  // namespace masuvo
