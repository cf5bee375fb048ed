#include "engine/elimination.h"

#include <array>

namespace masuvo {

namespace {

// All combinations of n indices from 0..8 in lexicographic order, built once
// at compile time so that each call is a lookup.
template <int N, int Count>
constexpr std::array<std::array<int, 4>, Count> Combinations() {
    std::array<std::array<int, 4>, Count> table{};
    std::array<int, 4> combination{};
    for (int i = 0; i < N; ++i) combination[i] = i;
    for (int index = 0; index < Count; ++index) {
        table[index] = combination;
        int i = N - 1;
        while (i >= 0 && combination[i] == 9 - N + i) --i;
        if (i < 0) break;
        ++combination[i];
        for (int j = i + 1; j < N; ++j) combination[j] = combination[j - 1] + 1;
    }
    return table;
}

constexpr auto kPairs = Combinations<2, 36>();
constexpr auto kTriples = Combinations<3, 84>();
constexpr auto kQuadruples = Combinations<4, 126>();

}  // namespace

bool NextCombination(int n, int out[], int& counter) {
    const std::array<int, 4>* table;
    int count;
    switch (n) {
        case 2: table = kPairs.data(); count = 36; break;
        case 3: table = kTriples.data(); count = 84; break;
        case 4: table = kQuadruples.data(); count = 126; break;
        default: return false;
    }
    if (counter < 0 || counter >= count) return false;
    for (int i = 0; i < n; ++i) out[i] = table[counter][i];
    ++counter;
    return true;
}

}  // namespace masuvo
