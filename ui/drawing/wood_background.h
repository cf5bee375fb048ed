// The window's background bitmap: plain light grey, or a wood grain made
// of improved Perlin noise whose permutation is shuffled by a seed, so every
// rebuild shows a new grain.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>

namespace masuvo {

constexpr QRgb kPlainBackground = 0xFFF0F0F0;

// Improved 3-D gradient noise (quintic fade) over a 512-entry permutation.
double ImprovedNoise(double x, double y, double z, const uint8_t perm[512]);

// perm[i] = P[(i XOR seed) AND 255] for i < 256, repeated above.
void WoodPermutation(uint32_t seed, uint8_t perm[512]);

// The background of a client area of the given size. seed only matters for
// the wood grain; the window passes the current time in seconds.
QImage BuildBackground(QSize size, bool wood, uint32_t seed);

}  // namespace masuvo
