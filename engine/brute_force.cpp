#include "engine/brute_force.h"

#include <cstring>

#include "engine/candidates.h"
#include "engine/techniques.h"

namespace masuvo {

namespace {

// The basic techniques in catalogue order; their first success is placed.
// They never touch the hint, so it needs no reset between calls.
bool PlaceBySingles(KR_solver& board) {
    if (BlockCompletion(board) || LineCompletion(board) || BlockSinglePlace(board) || LineSinglePlace(board) ||
        CellCompletion(board)) {
        board.value[board.placeRow][board.placeCol] = board.placeDigit;
        return true;
    }
    return false;
}

}  // namespace

int CountSolutions(KR_solver& board, KR_base* solutionOut) {
    int filled = 0;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            if (board.value[r][c] != 0) ++filled;
    if (filled <= 16) return -1;
    int count = 0;
    SearchSolutions(board, 0, count, solutionOut);
    return count;
}

void SearchSolutions(KR_solver& board, int depth, int& count, KR_base* solutionOut) {
    SolverState saved;
    do {
        PrepareBoard(board);
        if (!CheckDuplicates(board) || !CheckCandidates(board)) return;
    } while (PlaceBySingles(board));

    while (depth <= 80) {
        const int cell = depth++;
        if (board.cellCand[cell] == -1) continue;
        if (board.cellCand[cell] == 0) return;
        for (int d = 1; d <= 9; ++d) {
            if (!board.cand[cell][d]) continue;
            SaveState(saved, board);
            board.value[cell / 9][cell % 9] = d;
            SearchSolutions(board, depth, count, solutionOut);
            RestoreState(board, saved);
            if (count > 1) return;
        }
        return;
    }

    // Every cell is filled.
    if (CheckDuplicates(board)) {
        if (solutionOut) std::memcpy(solutionOut->value, board.value, sizeof board.value);
        ++count;
    }
}

}  // namespace masuvo
