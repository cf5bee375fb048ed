// Depth-first solution counting with the basic techniques between guesses:
// the fast counter on digit bit planes (bit_board.h) and the rebuilding
// reference that defines every result it gives.
#pragma once

#include "engine/board.h"

namespace masuvo {

// -1 for 16 or fewer givens (nothing searched), 0 no solution, 1 one (kept in
// solutionOut), 2 two or more (the second in the order of the row-major
// search is kept). The board's grid keeps the digits that the singles placed
// before the first guess; solutionOut is written only when a solution exists.
int CountSolutions(KR_solver& board, KR_base* solutionOut);

// The same count on the solver board's own tables, rebuilt after every
// placement: the reference the fast counter is tested against.
int CountSolutionsReference(KR_solver& board, KR_base* solutionOut);
// The earlier bit-set counter that rescans every cell after each placement:
// the speed baseline of the benchmarks.
int CountSolutionsRescan(KR_solver& board, KR_base* solutionOut);
void SearchSolutions(KR_solver& board, int depth, int& count, KR_base* solutionOut);

}  // namespace masuvo
