// Turns a puzzle into an equivalent one: symmetric row and column shuffles
// that keep point and line symmetry, then a relabelling that moves every digit.
#pragma once

#include <cstdint>

#include "engine/board.h"

namespace masuvo {

// Swaps of one symmetric shuffle mask (bits 0..7), applied in bit order.
void SymmetricShuffle(KR_base& grid, uint32_t mask);

struct KR_generator;
// Relabels every digit through a map drawn from the stream that moves each of them.
void RelabelDigits(KR_base& grid, KR_generator& stream);

// The whole transform with the stream seeded by seed (the caller passes the
// current time in seconds).
KR_base Diversify(const KR_base& grid, uint64_t seed);

}  // namespace masuvo
