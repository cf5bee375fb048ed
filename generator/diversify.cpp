#include "generator/diversify.h"

#include <utility>

#include "generator/kr_generator.h"

namespace masuvo {

namespace {

void SwapRows(KR_base& grid, int a, int b) {
    for (int c = 0; c < 9; ++c) std::swap(grid.value[a][c], grid.value[b][c]);
}

void SwapCols(KR_base& grid, int a, int b) {
    for (int r = 0; r < 9; ++r) std::swap(grid.value[r][a], grid.value[r][b]);
}

// Each bit exchanges a pair of lines and its mirror pair.
constexpr int kShuffles[4][4] = {{0, 1, 7, 8}, {0, 2, 6, 8}, {1, 2, 6, 7}, {3, 5, 3, 5}};

}  // namespace

void SymmetricShuffle(KR_base& grid, uint32_t mask) {
    for (int bit = 0; bit < 8; ++bit) {
        if (!(mask & (1u << bit))) continue;
        const int* s = kShuffles[bit % 4];
        auto swap = bit < 4 ? SwapRows : SwapCols;
        swap(grid, s[0], s[1]);
        if (s[2] != s[0]) swap(grid, s[2], s[3]);
    }
}

void RelabelDigits(KR_base& grid, KR_generator& stream) {
    int map[9];
    for (int k = 0; k < 9; ++k) map[k] = k;
    auto hasFixedPoint = [&] {
        for (int k = 0; k < 9; ++k)
            if (map[k] == k) return true;
        return false;
    };
    while (hasFixedPoint()) {
        const int i = static_cast<int>(stream.Next() % 9);
        const int j = static_cast<int>(stream.Next() % 9);
        std::swap(map[i], map[j]);
    }
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c)
            if (grid.value[r][c] != 0) grid.value[r][c] = map[grid.value[r][c] - 1] + 1;
}

KR_base Diversify(const KR_base& grid, uint64_t seed) {
    KR_generator stream;
    stream.Seed(seed);
    KR_base out = grid;
    for (int i = 0; i < 3; ++i) SymmetricShuffle(out, static_cast<uint32_t>(stream.Next() & 0xFF));
    RelabelDigits(out, stream);
    return out;
}

}  // namespace masuvo
