// The solver board: the grid, its derived candidate tables and the record of
// the technique application under way. Every engine operation takes one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/step_text.h"

namespace masuvo {

// A puzzle grid, row-major, 0 for an empty cell.
struct KR_base {
    int32_t value[9][9];
    KR_base() { Clear(); }
    void Clear();
};

// A chain endpoint (band, stack, row/column within the block, digit, group mask).
struct KR_set {
    int32_t band = 0;
    int32_t stack = 0;
    int32_t rowInBlock = 0;
    int32_t colInBlock = 0;
    int32_t digit = 0;
    int32_t groupMask = 0;
};

// The marks of one technique application, drawn by the hint overlay.
struct KR_hint {
    uint8_t cellMark[81];
    uint8_t candFlags[81][10];
    uint8_t candMark[81][10];
    std::vector<KR_set> setList1;
    std::vector<KR_set> setList2;
    KR_hint() { ResetHint(*this); }
    friend void ResetHint(KR_hint& hint);
};

void ResetHint(KR_hint& hint);
void CopyHint(KR_hint& destination, const KR_hint& source);

struct KR_solver;
using TechniqueRoutine = bool (*)(KR_solver&);

// One technique application in the chain of a placement.
struct Step {
    StepText text;
    TechniqueRoutine routine = nullptr;
    int32_t technique = 0;
    KR_hint hint;
    uint8_t needed = 0;  // 1 needed, 0 dropped by pruning, 2 transient inside pruning
};

struct KR_solver : KR_base {
    std::string errorText;
    std::string logText;
    int32_t placeDigit = 0;
    int32_t placeCol = 0;
    int32_t placeRow = 0;
    StepText stepText;
    int32_t stepTechnique = 0;
    KR_hint hint;
    std::vector<Step> steps;
    int32_t blockCount[9][10];
    int32_t rowCount[9][10];
    int32_t colCount[9][10];
    uint8_t cand[81][10];
    int32_t blockCand[9][10];
    int32_t rowCand[9][10];
    int32_t colCand[9][10];
    int32_t cellCand[81];
    bool replayMode = false;
    uint8_t replayMask[81][10];
    bool targetMode = false;

    KR_solver();
};

// The part of a board that a guess of the brute-force search saves and restores:
// grid, candidates and the unit and cell candidate counts.
struct SolverState {
    int32_t value[9][9];
    uint8_t cand[81][10];
    int32_t blockCand[9][10];
    int32_t rowCand[9][10];
    int32_t colCand[9][10];
    int32_t cellCand[81];
};

// Copies exactly value, cand and the four candidate count tables.
void CopyState(KR_solver& destination, const KR_solver& source);
void SaveState(SolverState& destination, const KR_solver& source);
void RestoreState(KR_solver& destination, const SolverState& source);

// The number of set bits. std::popcount is a library call on the baseline
// x86-64 instruction set, and the techniques count bits in inner loops.
constexpr int CountBits(uint64_t x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}
static_assert(CountBits(0) == 0 && CountBits(0x3FE) == 9 && CountBits(~uint64_t{0}) == 64);

// Unit arithmetic.
constexpr int CellIndex(int row, int col) { return 9 * row + col; }
constexpr int BlockOf(int row, int col) { return 3 * (row / 3) + col / 3; }
constexpr int BlockTopRow(int block) { return 3 * (block / 3); }
constexpr int BlockLeftCol(int block) { return 3 * (block % 3); }
// The i-th cell (0..8) of a block, row by row.
constexpr int BlockCell(int block, int i) {
    return CellIndex(BlockTopRow(block) + i / 3, BlockLeftCol(block) + i % 3);
}

// Reads a puzzle of 81 characters ('1'-'9', '.' or '0') into a grid.
bool ParseGrid(const std::string& text, KR_base& grid);
// 81 characters, '.' for an empty cell.
std::string GridText(const KR_base& grid);

}  // namespace masuvo
