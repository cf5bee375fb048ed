// Shared pieces of the eliminating techniques.
#pragma once

#include <array>
#include <cstdint>

#include "engine/board.h"

namespace masuvo {

// Removes candidate digit from cell when it is present and, during a replay,
// the replay mask allows it; marks it 4 in the board's hint. Returns whether
// it removed the candidate.
inline bool Eliminate(KR_solver& board, int cell, int digit) {
    if (board.cand[cell][digit] == 0) return false;
    if (board.replayMode && board.replayMask[cell][digit] == 0) return false;
    board.cand[cell][digit] = 0;
    board.hint.candMark[cell][digit] = 4;
    return true;
}

// What an eliminating technique may remove on this call: any candidate, or
// during a replay only the candidates its mask allows. A technique succeeds
// only by removing something, so an instance that could remove none of these
// would fail: techniques skip such instances unseen, which changes nothing
// but the time a replay of a pruned chain takes.
struct Removable {
    bool any = true;        // not a replay: every candidate may go
    uint16_t digits = 0;    // bit d: some candidate d may go
    uint16_t cell[81];      // bit d: the cell's candidate d may go
    uint16_t unit[27];      // blocks 0..8, rows 9..17, columns 18..26: digits that may go there

    explicit Removable(const KR_solver& board);

    bool Digit(int d) const { return any || ((digits >> d) & 1) != 0; }
    bool Cell(int k) const { return any || cell[k] != 0; }
    bool Unit(int u) const { return any || unit[u] != 0; }
    bool UnitDigit(int u, int d) const { return any || ((unit[u] >> d) & 1) != 0; }
};

// All combinations of n indices from 0..8 in lexicographic order, built at
// compile time; the subset and line-pattern scans walk them directly.
template <int N, int Count>
constexpr std::array<std::array<uint8_t, 4>, Count> MakeCombinations() {
    std::array<std::array<uint8_t, 4>, Count> table{};
    std::array<int, 4> combination{};
    for (int i = 0; i < N; ++i) combination[i] = i;
    for (int index = 0; index < Count; ++index) {
        for (int i = 0; i < 4; ++i) table[index][i] = static_cast<uint8_t>(combination[i]);
        int i = N - 1;
        while (i >= 0 && combination[i] == 9 - N + i) --i;
        if (i < 0) break;
        ++combination[i];
        for (int j = i + 1; j < N; ++j) combination[j] = combination[j - 1] + 1;
    }
    return table;
}

inline constexpr auto kPairs = MakeCombinations<2, 36>();
inline constexpr auto kTriples = MakeCombinations<3, 84>();
inline constexpr auto kQuadruples = MakeCombinations<4, 126>();

struct CombinationList {
    const std::array<uint8_t, 4>* table = nullptr;
    int count = 0;
};

// The combinations of n = 2..4; empty for any other n.
inline CombinationList Combinations(int n) {
    switch (n) {
        case 2: return {kPairs.data(), 36};
        case 3: return {kTriples.data(), 84};
        case 4: return {kQuadruples.data(), 126};
        default: return {};
    }
}

// Calls visit(combination) for the combinations of n = 2..4 of the positions
// 0..8 set in `allowed`, in lexicographic order (the order of the full list
// with the others left out), until visit returns true; returns whether it did.
template <typename Visit>
bool ForEachCombinationOf(unsigned allowed, int n, Visit visit) {
    int p[9];
    int m = 0;
    for (int i = 0; i < 9; ++i)
        if (allowed & (1u << i)) p[m++] = i;
    int c[4];
    if (n == 2) {
        for (int a = 0; a < m; ++a)
            for (int b = a + 1; b < m; ++b) {
                c[0] = p[a], c[1] = p[b];
                if (visit(static_cast<const int*>(c))) return true;
            }
    } else if (n == 3) {
        for (int a = 0; a < m; ++a)
            for (int b = a + 1; b < m; ++b)
                for (int e = b + 1; e < m; ++e) {
                    c[0] = p[a], c[1] = p[b], c[2] = p[e];
                    if (visit(static_cast<const int*>(c))) return true;
                }
    } else if (n == 4) {
        for (int a = 0; a < m; ++a)
            for (int b = a + 1; b < m; ++b)
                for (int e = b + 1; e < m; ++e)
                    for (int f = e + 1; f < m; ++f) {
                        c[0] = p[a], c[1] = p[b], c[2] = p[e], c[3] = p[f];
                        if (visit(static_cast<const int*>(c))) return true;
                    }
    }
    return false;
}

// Writes the counter-th (0-based) combination of n indices from 0..8, in
// lexicographic order, and increments counter. False once the combinations
// are exhausted or for n outside 2..4.
bool NextCombination(int n, int out[], int& counter);


}  // namespace masuvo
