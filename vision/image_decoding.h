// Pictures turned into the three-channel BGR source image that grid
// detection reads: WebP through libwebp, and raw 32-bit ARGB pixels as any
// other decoder hands them over. Transparent paper is white paper.
#pragma once

#include <cstddef>
#include <cstdint>

#include <opencv2/core.hpp>

namespace masuvo {

// Larger pictures are refused like undecodable ones: a 100-megapixel BGR
// copy alone is 300 MB, and a photo of a puzzle never needs that.
constexpr size_t kMaxPicturePixels = 100'000'000;
constexpr uint64_t kMaxPictureFileBytes = uint64_t{256} << 20;  // 256 MiB

bool PictureSizeAllowed(size_t width, size_t height);

// ARGB32 pixels (0xAARRGGBB, unpremultiplied), row by row with the given
// stride in bytes. Alpha 0 becomes white; any other alpha keeps the colour
// unblended.
cv::Mat BgrFromArgb32(const uint32_t* pixels, int width, int height, size_t bytesPerLine);

// A WebP file's bytes, decoded to BGR (alpha 0 becomes white). False for a
// header or data libwebp refuses and for a picture above the size limit.
bool DecodeWebP(const uint8_t* data, size_t size, cv::Mat& bgr);

}  // namespace masuvo
