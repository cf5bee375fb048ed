#include "engine/candidates.h"

#include <array>
#include <cstring>

#include "engine/prepared_tables.h"
#include "engine/text_format.h"

namespace masuvo {

namespace {

constexpr std::array<uint8_t, 81> MakeBlockOfCell() {
    std::array<uint8_t, 81> table{};
    for (int k = 0; k < 81; ++k) table[k] = static_cast<uint8_t>(BlockOf(k / 9, k % 9));
    return table;
}
constexpr std::array<uint8_t, 81> kBlockOfCell = MakeBlockOfCell();

// Bit i of the index becomes byte i (0 or 1) of the entry.
constexpr std::array<std::array<uint8_t, 8>, 256> MakeByteOfBit() {
    std::array<std::array<uint8_t, 8>, 256> table{};
    for (unsigned bits = 0; bits < 256; ++bits)
        for (int i = 0; i < 8; ++i) table[bits][i] = static_cast<uint8_t>((bits >> i) & 1);
    return table;
}
constexpr std::array<std::array<uint8_t, 8>, 256> kByteOfBit = MakeByteOfBit();

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

namespace {

// The digits placed in each row, column and block, as bits 1..9.
struct PlacedDigits {
    unsigned rows[9] = {};
    unsigned cols[9] = {};
    unsigned blocks[9] = {};

    explicit PlacedDigits(const KR_solver& board) {
        for (int r = 0; r < 9; ++r) {
            for (int c = 0; c < 9; ++c) {
                const int v = board.value[r][c];
                if (v < 1 || v > 9) continue;
                rows[r] |= 1u << v;
                cols[c] |= 1u << v;
                blocks[kBlockOfCell[CellIndex(r, c)]] |= 1u << v;
            }
        }
    }
};

// The candidate entries of cell (r, c) as placing every digit of the grid in
// turn leaves them: a filled cell holds only entry 0, an empty one every digit
// that its row, column and block lack.
void CellEntries(const KR_solver& board, const PlacedDigits& placed, int r, int c, uint8_t cell[10]) {
    if (board.value[r][c] != 0) {
        cell[0] = 1;
        std::memset(cell + 1, 0, 9);
        return;
    }
    const unsigned open = ~(placed.rows[r] | placed.cols[c] | placed.blocks[kBlockOfCell[CellIndex(r, c)]]);
    cell[0] = 0;
    std::memcpy(cell + 1, kByteOfBit[(open >> 1) & 0xFF].data(), 8);
    cell[9] = static_cast<uint8_t>((open >> 9) & 1);
}

// Every entry is 0 or 1 and no unit has more than nine cells, so the ten
// counts of a unit fit in the bytes of two words, and one addition per cell
// and unit counts all ten digits at once.
struct UnitSums {
    uint64_t rowLow[9] = {}, colLow[9] = {}, blockLow[9] = {};     // entries 0..7
    uint16_t rowHigh[9] = {}, colHigh[9] = {}, blockHigh[9] = {};  // entries 8, 9

    // Adds the cell's entries; returns how many of its digits 1..9 are candidates.
    int Add(int r, int c, const uint8_t cell[10]) {
        uint64_t low;
        uint16_t high;
        std::memcpy(&low, cell, sizeof low);
        std::memcpy(&high, cell + 8, sizeof high);
        const int b = kBlockOfCell[CellIndex(r, c)];
        rowLow[r] += low;
        colLow[c] += low;
        blockLow[b] += low;
        rowHigh[r] = static_cast<uint16_t>(rowHigh[r] + high);
        colHigh[c] = static_cast<uint16_t>(colHigh[c] + high);
        blockHigh[b] = static_cast<uint16_t>(blockHigh[b] + high);
        // The sum of a word's bytes collects in its top byte.
        return static_cast<int>((low * 0x0101010101010101ull) >> 56) - cell[0] + (high & 0xFF) + (high >> 8);
    }

    // The unit count tables; a digit placed in a unit is marked -1 there,
    // whatever its count.
    void Write(KR_solver& board) const {
        auto unpack = [](uint64_t low, uint16_t high, int32_t out[10]) {
            uint8_t bytes[10];
            std::memcpy(bytes, &low, sizeof low);
            std::memcpy(bytes + 8, &high, sizeof high);
            for (int d = 0; d <= 9; ++d) out[d] = bytes[d];
        };
        for (int u = 0; u < 9; ++u) {
            unpack(rowLow[u], rowHigh[u], board.rowCand[u]);
            unpack(colLow[u], colHigh[u], board.colCand[u]);
            unpack(blockLow[u], blockHigh[u], board.blockCand[u]);
        }
        for (int r = 0; r < 9; ++r) {
            for (int c = 0; c < 9; ++c) {
                const int v = board.value[r][c];
                if (v == 0) continue;
                board.blockCand[kBlockOfCell[CellIndex(r, c)]][v] = -1;
                board.rowCand[r][v] = -1;
                board.colCand[c][v] = -1;
            }
        }
    }
};

}  // namespace

void RebuildCandidates(KR_solver& board) {
    const PlacedDigits placed(board);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) CellEntries(board, placed, r, c, board.cand[CellIndex(r, c)]);
}

void CountCandidates(KR_solver& board) {
    UnitSums sums;
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const int k = CellIndex(r, c);
            const int digits = sums.Add(r, c, board.cand[k]);
            board.cellCand[k] = board.cand[k][0] ? -1 : digits;
        }
    }
    sums.Write(board);
}

void PrepareBoard(KR_solver& board) {
    // CountDigits, RebuildCandidates and CountCandidates, the last two in one
    // pass over the cells: every step search starts with it.
    CountDigits(board);
    const PlacedDigits placed(board);
    UnitSums sums;
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) {
            const int k = CellIndex(r, c);
            uint8_t* cell = board.cand[k];
            CellEntries(board, placed, r, c, cell);
            const int digits = sums.Add(r, c, cell);
            board.cellCand[k] = cell[0] ? -1 : digits;
        }
    }
    sums.Write(board);
}

void PreparedTables::Save(const KR_solver& board) {
    std::memcpy(blockCount, board.blockCount, sizeof blockCount);
    std::memcpy(rowCount, board.rowCount, sizeof rowCount);
    std::memcpy(colCount, board.colCount, sizeof colCount);
    std::memcpy(cand, board.cand, sizeof cand);
    std::memcpy(blockCand, board.blockCand, sizeof blockCand);
    std::memcpy(rowCand, board.rowCand, sizeof rowCand);
    std::memcpy(colCand, board.colCand, sizeof colCand);
    std::memcpy(cellCand, board.cellCand, sizeof cellCand);
}

void PreparedTables::Restore(KR_solver& board) const {
    std::memcpy(board.blockCount, blockCount, sizeof blockCount);
    std::memcpy(board.rowCount, rowCount, sizeof rowCount);
    std::memcpy(board.colCount, colCount, sizeof colCount);
    std::memcpy(board.cand, cand, sizeof cand);
    std::memcpy(board.blockCand, blockCand, sizeof blockCand);
    std::memcpy(board.rowCand, rowCand, sizeof rowCand);
    std::memcpy(board.colCand, colCand, sizeof colCand);
    std::memcpy(board.cellCand, cellCand, sizeof cellCand);
}

void PreparedTables::Place(int row, int col, int digit) {
    const int k = CellIndex(row, col);
    const int block = kBlockOfCell[k];
    int32_t* const units[2][3] = {{blockCount[block], rowCount[row], colCount[col]},
                            {blockCand[block], rowCand[row], colCand[col]}};
    for (int u = 0; u < 3; ++u) {
        --units[0][u][0];
        ++units[0][u][digit];
    }
    // A count of -1 marks a digit placed in the unit, which no cell there
    // can have as a candidate: only the other counts move.
    auto lose = [&](int cell, int x) {
        cand[cell][x] = 0;
        for (int32_t* count : {blockCand[kBlockOfCell[cell]], rowCand[cell / 9], colCand[cell % 9]})
            if (count[x] != -1) --count[x];
    };
    for (int x = 1; x <= 9; ++x)
        if (cand[k][x]) lose(k, x);
    cand[k][0] = 1;
    for (int u = 0; u < 3; ++u) ++units[1][u][0];
    cellCand[k] = -1;
    for (int i = 0; i < 9; ++i) {
        const int peers[3] = {CellIndex(row, i), CellIndex(i, col), BlockCell(block, i)};
        for (int peer : peers) {
            if (peer == k || !cand[peer][digit]) continue;
            lose(peer, digit);
            --cellCand[peer];
        }
    }
    for (int u = 0; u < 3; ++u) units[1][u][digit] = -1;
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
