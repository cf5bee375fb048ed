// Pruning of a placement's chain, internal to the step search.
#pragma once

#include "engine/board.h"

namespace masuvo {

// PruneSteps, able to give up early when the caller only wants the chain if
// it comes down to one elimination and the placement. With onlyTwo set it
// returns false as soon as that is ruled out, leaving steps, needed flags and
// the placement exactly as they were before the call; otherwise (and whenever
// it returns true) the chain is pruned exactly as PruneSteps prunes it.
bool PruneChain(KR_solver& board, bool onlyTwo);

}  // namespace masuvo
