// Shared pieces of the eliminating techniques.
#pragma once

#include "engine/board.h"

namespace masuvo {

// Removes candidate digit from cell when it is present and, during a replay,
// the replay mask allows it; marks it 4 in the board's hint. Returns whether
// it removed the candidate.
inline bool Eliminate(KR_solver& board, int cell, int digit) {
    if (board.cand[cell][digit] == 0) return false;
    if (board.replayMode && board.replayMask[cell][digit] == 0) return false;
    board.cand[cell][digit] = 0;
    board.hint.candMark[cell][digit] = 4;
    return true;
}

// Writes the counter-th (0-based) combination of n indices from 0..8, in
// lexicographic order, and increments counter. False once the combinations
// are exhausted or for n outside 2..4.
bool NextCombination(int n, int out[], int& counter);

}  // namespace masuvo
