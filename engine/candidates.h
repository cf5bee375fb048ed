// Derived tables of a solver board and the two consistency checks.
#pragma once

#include <cstdint>

#include "engine/board.h"

namespace masuvo {

// The preparation sequence, run in this order before techniques read the board.
void CountDigits(KR_solver& board);
void RebuildCandidates(KR_solver& board);
void CountCandidates(KR_solver& board);
// CountDigits, RebuildCandidates, CountCandidates.
void PrepareBoard(KR_solver& board);

// The candidate side of a placement; does not write value.
void Place(KR_solver& board, int row, int col, int digit);

// Each stops at the first fault and leaves its message in errorText.
bool CheckDuplicates(KR_solver& board);
bool CheckCandidates(KR_solver& board);

// Candidates of a row-major grid in the layout of KR_solver::cand; returns the
// number of empty cells.
int ComputeCandidates(const int32_t grid[81], uint8_t candOut[81][10]);

}  // namespace masuvo
