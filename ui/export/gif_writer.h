// GIF encoding through giflib, in memory: Qt reads GIF but has no writer.
#pragma once

#include <string>

#include "ui/export/palette_reduction.h"

namespace masuvo {

// The picture as a one-frame GIF; false with giflib's description of the
// failure in error.
bool EncodeGif(const PalettePicture& picture, std::string& bytes, std::string& error);

}  // namespace masuvo
