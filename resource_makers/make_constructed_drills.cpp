// masuvo-make-constructed-drills: prints the rows of the table of built
// drill puzzles (generator/constructed_drill_puzzles.cpp): the first COUNT
// attempts from FIRST_ATTEMPT on that give a puzzle on which the step
// search's walk meets the technique, with the chain of that placement.
//
//   masuvo-make-constructed-drills TECHNIQUE COUNT [FIRST_ATTEMPT]
#include <cstdio>
#include <cstdlib>

#include "engine/catalogue.h"
#include "generator/constructed_drill.h"
#include "generator/drill.h"

using namespace masuvo;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: masuvo-make-constructed-drills TECHNIQUE COUNT [FIRST_ATTEMPT]\n");
        return 2;
    }
    const int technique = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    const int first = argc > 3 ? std::atoi(argv[3]) : 0;
    if (technique < 5 || technique >= kTechniqueCount || count < 1) {
        std::fprintf(stderr, "masuvo-make-constructed-drills: no such eliminating technique or count\n");
        return 2;
    }
    int found = 0;
    for (int attempt = first; found < count; ++attempt) {
        KR_base puzzle;
        if (!ConstructDrillPuzzle(technique, attempt, puzzle)) continue;
        Drill drill;
        if (!FindDrillPosition(puzzle, technique, drill)) {
            std::fprintf(stderr, "attempt %d: built, but the step search's walk does not use it\n", attempt);
            continue;
        }
        std::printf("{%d, %d, \"%s\"},  //", technique, attempt, GridText(puzzle).c_str());
        for (int t : drill.techniques) std::printf(" %d", t);
        std::printf("\n");
        std::fflush(stdout);
        ++found;
    }
    return 0;
}
