// Built puzzles that stand in for drills no search or published puzzle has.
#pragma once

namespace masuvo {

// The index-th (0-based) built puzzle of the technique, as 81 characters,
// with the attempt of ConstructDrillPuzzle it comes from; nullptr when
// there are no more.
const char* ConstructedDrillPuzzle(int technique, int index, int* attempt = nullptr);

}  // namespace masuvo
