// The board of the fast solution counter: one candidate plane per digit,
// each kept as three 27-bit bands (three rows of nine cells), so that a
// placement is a few AND-NOTs, the singles of all cells come out of nine
// words at once, and a digit's rows and blocks inside a band sit in one word.
// A guess copies the whole board: 228 bytes.
#pragma once

#include <cstdint>

namespace masuvo {

class BitBoard {
public:
    // Places the givens (digits 1..9, 0 for an empty cell); false when two
    // givens that see each other hold the same digit.
    bool Load(const int32_t grid[9][9]);

    // Naked and hidden singles until none is left: the fixed point the
    // basic techniques reach. False when an empty cell or a unit runs out
    // of a digit on the way.
    bool PropagateSingles();

    // Singles, and what a band or a stack imposes on a digit: its three rows
    // (columns) take the digit in three different blocks, which covers the
    // block-line interactions. Stronger than PropagateSingles, so it only
    // ever serves to prune the search. False on a contradiction.
    bool Propagate();

    bool Solved() const { return (emptyCells_[0] | emptyCells_[1] | emptyCells_[2]) == 0; }

    // Sets the digit (1..9, a candidate) in the empty cell (0..80);
    // Propagate must follow before the board is read again.
    void Assign(int cell, int digit);

    // The first empty cell in row-major order, -1 when every cell is filled.
    int FirstEmptyCell() const;
    // An empty cell with two candidates, else one with three, else the
    // first empty cell: the smallest branching for deciding the count.
    int BranchCell() const;
    // Bit d - 1 for every candidate digit d of the cell.
    unsigned Candidates(int cell) const;

    // The placed digits, 0 for an empty cell.
    void WriteGrid(int32_t grid[9][9]) const;

private:
    // Fixes digit index d (0..8) at position p (0..26) of band b.
    void Fix(int band, int position, int d);
    int NakedSingles(bool exact);
    int HiddenSingles(uint32_t scanned[27]);
    bool SettleBands(unsigned& changed);
    int SettleColumns(unsigned digits);

    uint32_t planes_[27];    // [3 * digit index + band]
    uint32_t settled_[27];   // each plane as its band last restricted it
    uint32_t emptyCells_[3];
};

}  // namespace masuvo
