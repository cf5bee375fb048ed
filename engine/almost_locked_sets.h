// Almost-locked sets: s empty cells of one unit whose candidates together are
// exactly s + 1 digits, and the relations between two of them that ほぼ確定n(二組)
// and ほぼ確定(三組) build on.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/board.h"

namespace masuvo {

// One almost-locked set. Only the first cellCount entries of each array are
// used; a cell is identified by its band, stack and position within the block.
struct KR_ALS {
    int32_t cellCount = 0;  // 1..4
    int32_t band[4] = {};
    int32_t stack[4] = {};
    int32_t rowInBlock[4] = {};
    int32_t colInBlock[4] = {};
    uint8_t cellCands[4][10] = {};  // the cell's candidates when the set was found; entry 0 is 0
};

// Appends every almost-locked set of at most maxSize (up to 4) cells: first the
// empty cells with two candidates in row-major order, then for each size from 2
// the lexicographic combinations of blocks 0..8, rows 0..8, columns 0..8. A
// group of cells that is a set in a block and in a line is listed twice.
void BuildALSList(int maxSize, const KR_solver& board, std::vector<KR_ALS>& list);

// The digits, increasing, that both sets a and b hold and whose cells in both
// sets all lie in one block, row or column; returns how many (out needs room for 9).
int RestrictedCommon(const std::vector<KR_ALS>& list, int a, int b, int out[]);

// Sets in map (81 cells, row-major, cleared by the caller) every cell outside
// the set of each block, row and column that contains all cells of the set
// holding z. False when the set has no z or those cells share no unit.
bool UnitPeers(const KR_ALS& set, int z, uint8_t map[81]);

}  // namespace masuvo
