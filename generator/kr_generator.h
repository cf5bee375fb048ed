// The seeded generator: a fixed solution grid, shuffled under a 64-bit
// xorshift stream, then dug out one cell (or symmetric pair) at a time.
// Nothing here reads the clock or a global random source.
#pragma once

#include <atomic>
#include <cstdint>

namespace masuvo {

enum Symmetry : int { kPointSymmetry = 0, kLineSymmetry = 1, kNoSymmetry = 2 };

const char* SymmetryName(int symmetry);  // "点対称", "線対称", "非対称"

struct KR_generator {
    int board[9][9] = {};
    uint64_t state = 0;
    int saved[9][9] = {};

    void Reset();
    void Seed(uint64_t v);
    uint64_t Next();
    void Permute(uint32_t mask);

    // Leaves in saved the most-emptied board that the limited run solves
    // with a score below ceilingScore. A set cancel flag ends the digging
    // between two cells, so a search can stop inside a long dig; the board
    // left then is of no use.
    void DigRated(int ceiling, int32_t ceilingScore, int symmetry, const std::atomic<bool>* cancel = nullptr);
    // True when board holds a puzzle with one solution that the catalogue
    // cannot finish; false as well when the cancel flag is set.
    bool DigUnsolvable(int symmetry, const std::atomic<bool>* cancel = nullptr);

    // Reset, then two permutations drawn from the stream.
    void StartDigging();
    // Draws a filled cell and empties it with its symmetric partner.
    void EmptyDrawnCell(int symmetry);
};

}  // namespace masuvo
