// Published puzzles that stand in for a drill search that finds nothing.
#pragma once

namespace masuvo {

// The published puzzle drill number (1-based) of the technique comes from
// where the search has no puzzle for that number, as 81 characters ('.' for
// an empty cell); nullptr when there is none.
const char* PublishedDrillPuzzle(int technique, int number);

}  // namespace masuvo
