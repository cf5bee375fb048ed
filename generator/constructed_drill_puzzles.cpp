// Built puzzles for the drills of the techniques that neither the drill
// search nor the published collections reach often enough: the naked four
// in a block (never met in the collections), the naked four in a line and
// the four-line fish (met in three and one of their puzzles). Each row is
// the attempt of ConstructDrillPuzzle that gives the puzzle and the puzzle
// itself, in attempt order, as masuvo-make-constructed-drills prints them;
// the comment is the chain of the drill's placement (catalogue entries).
#include "generator/constructed_drill_puzzles.h"

#include <cstddef>

namespace masuvo {
namespace {

struct ConstructedPuzzle {
    int technique;
    int attempt;
    const char* puzzle;
};

const ConstructedPuzzle kConstructed[] = {
    // clang-format off
    {15, 33, ".7.......164.....2..9...6..42....51...6.9.2..9.72.48...9156...8.328.197...5.2.3.1"},  // 15 3
    {15, 53, "9...82...4...1....32...7...8.26...47.417.8.9.7....98..179....242.4.9...6.63.7.918"},  // 15 3
    {15, 57, "..24.....6....3...7..62.....79...38..6..894.72..3......26.14.9..5...263..1...62.8"},  // 15 3
    {15, 61, "..17....33.514..2..8.6354...36957...5....6....9...2...65.27..8..2.591.67.1...3..."},  // 16 15 3
    {15, 75, ".....6.9....5...14...84.5..179.8....2.4.5.3675......89...2.89.3.3..1.6.8...3..47."},  // 15 3
    {18, 15, "5.6....928.7..56.1.4..6.......73.284..85...79....18563..........846.....7.9481.26"},  // 18 2
    {18, 16, "1....9.5.5978.1623..25...1..654.7.9.27.9...46.1...2...9.13...82.24.9..6.........."},  // 18 2
    {22, 67, "..9.856.3.5.9...8.4....275.......9..39.6.4.27.....9.36..8...47..2...73..73.....95"},  // 22 4
    {22, 121, ".243...1791..72..6.....5...6......9127961...5....596..3.5.2....14.53.2....2.....3"},  // 5 22 4
    {22, 266, "1.748........57.145..3.67..8.45.....65..7....7....3.454.1.....3.8...5471...1...2."},  // 16 22 4
    {22, 295, "2.98..1......9.....81..2..9.1.3.6..2.24......7.6..891..9...4.8.1.7..9..6862..34.1"},  // 7 22 4
    // clang-format on
};

}  // namespace

const char* ConstructedDrillPuzzle(int technique, int index, int* attempt) {
    int seen = 0;
    for (const ConstructedPuzzle& entry : kConstructed) {
        if (entry.technique != technique) continue;
        if (seen++ == index) {
            if (attempt) *attempt = entry.attempt;
            return entry.puzzle;
        }
    }
    return nullptr;
}

}  // namespace masuvo
