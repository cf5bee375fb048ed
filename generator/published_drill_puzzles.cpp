// Published puzzles for the drills the search finds no puzzle for.
//
// The drill search digs easy boards: a technique that is only ever the first
// step found when a whole unit is empty, or a digit is nearly unplaced, while
// nothing simpler moves (the fours and threes of 定員確定 / 陰の定員確定, the
// larger マトリックス) is met once in tens of thousands of its attempts.
// Hard published puzzles meet it in play. For each such technique, the
// first published puzzles whose logical solution reaches a placement that
// needs it, in the order of the collections they come from: the "diabolical"
// list of the sudoku-exchange puzzle bank (public domain), then a graded set
// of 5,000 puzzles taken from a public 3-million-puzzle collection (CC0).
#include "generator/published_drill_puzzles.h"

#include <cstddef>
#include <vector>

namespace masuvo {
namespace {

struct PublishedPuzzles {
    int technique;
    std::vector<const char*> puzzles;
};

const PublishedPuzzles kPublished[] = {
    {9, {
        "....1....143..9...6..24.7..915.....2.........8.....136..1.24..9...6..824....3....",
        "93.....65.........1..7.6..26.42.73.129.....473.......9.6.....2....182......3.5...",
        "73.....52.6.4.7.8..........6.9...3.8..39285....8...7.....149......8.2....9..5..1.",
        "5...8.63.9......4...3..2.58...84..7....1.3....7..29...85.2..7...3......5.92.6...1",
        "1.......6.2..6..8...7...1.....6.7...25.....79.1.492.3.....4.......935....83...25.",
    }},
    {12, {
        "....7.....9.4.1.2...3...1...6.....4.8..7.3..11..5.9..7..6.9.8..5.16.87.4.........",
        "7.5.8.1.98.......2..3...5....27.58...5..2..6.....1........3......42.96..3.7.5.2.1",
        ".6.....72.92..1..4...3.9...7...6.....5.94.........7..894.8..5...1...2..........43",
        "....2639..........2.83.....7.9....8.35...9.1....2....6....516..4.......7......53.",
        "......2..8..57.....7..8..15.58....4116.....8..4...........2.3..6..73....2..4..1.9",
    }},
    {14, {
        "56...7.917.......4..29..7..6...8.5.....516.....4.7...8..5..81..3.......792.7...35",
        "9.......74..2.7..6.2.1.9.8..59...13..........3.8...7.9.3..2..5.2..4.5..8...7.6...",
        "..62.14...7.....8.....3....581...632..3...9..2.......4..7.2.5.....8.7...9..543..6",
        "..8.....543.19...6....32...91...8.....5...1.....5...73...25....2...71.545.....9..",
        ".4..2..3....5.4.....36.78...8.....1.9.......6..1.4.2..43..5..98.5.1.3.4.2.......5",
    }},
    {17, {
        "...2.4...3..869..1.........564...123..2...8..7...4...58..1.5..9.5.....8.....2....",
        "7.......8.6.9.2.7..49...56.4..7.5..1..1.4.6...3.....5.....8....6..129..5..25.68..",
        "52..7..8...75.1.2......2.9.7..32.61...........12.46..5.6.1......9.4.37...7..6..41",
        ".9..6..5....4.3.....1.9.3..8.......4.4.832.9.6.......7.7.....6....1.9...1...7...8",
        "..........3.1.5.6.15..6..2357.....199.6.1.3.8..2...4.....721.......9.....9.5.6.3.",
    }},
    {18, {
        "1.2...3.96..324..5.5.....7..619.825.8...5...7....................3.7.5...1.2.5.4.",
        ".1.7.........4...1..756..29.852.........79.56.......4..4..2....5......3...9.....7",
        ".4.9..5..7......93.............1....4.5..68..3.8....7..8..7....23...14......63..2",
    }},
    {22, {
        "..38...45.8.4.........9....6......3..583.........5.6.1....3....9...7..2.71.58...3",
    }},
};

}  // namespace

const char* PublishedDrillPuzzle(int technique, int number) {
    for (const PublishedPuzzles& entry : kPublished)
        if (entry.technique == technique && number >= 1 && number <= static_cast<int>(entry.puzzles.size()))
            return entry.puzzles[static_cast<std::size_t>(number - 1)];
    return nullptr;
}

}  // namespace masuvo
