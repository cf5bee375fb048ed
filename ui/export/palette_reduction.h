// An opaque picture as at most 256 colours and one index per pixel, the
// form a GIF stores. A board has few colours, so they are usually kept
// exactly; a picture with more keeps its frequent colours exactly and
// shares the remaining entries out by variance-based median cut.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace masuvo {

struct PalettePicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> palette;  // 0x00RRGGBB, 1 to 256 entries
    std::vector<uint8_t> indices;   // width·height palette indices, row by row
};

// pixels: width·height values 0xAARRGGBB, row by row; alpha is ignored.
// With 256 colours or fewer every pixel keeps its colour exactly.
PalettePicture ReduceToPalette(std::span<const uint32_t> pixels, int width, int height);

}  // namespace masuvo
