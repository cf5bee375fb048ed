// Drill puzzles built to order for the rarest techniques.
#pragma once

#include "engine/board.h"

namespace masuvo {

// The puzzle of the attempt (0, 1, ...) for an eliminating technique: givens
// of one solution on which the run of the techniques the step search tries
// first stalls where the technique applies and a single follows at once.
// False when the attempt's annealing ends without one. The same technique
// and attempt always give the same puzzle.
bool ConstructDrillPuzzle(int technique, int attempt, KR_base& puzzle);

}  // namespace masuvo
