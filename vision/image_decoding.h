// Pictures turned into the three-channel BGR source image that grid
// detection reads. The window, masuvo-cli recognize and the fuzz targets
// all decode through DecodePictureFile / DecodePictureBytes, implemented in
// picture_decoding/ over Qt's image readers, libpng and libwebp, so that
// vision/ itself needs no Qt; the helpers below them are the pixel
// conversions they share.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include <opencv2/core.hpp>

namespace masuvo {

// Larger pictures are refused like undecodable ones: a 100-megapixel BGR
// copy alone is 300 MB, and a photo of a puzzle never needs that.
constexpr size_t kMaxPicturePixels = 100'000'000;
constexpr uint64_t kMaxPictureFileBytes = uint64_t{256} << 20;  // 256 MiB

// Pictures above this many pixels are decoded scaled down to it. Boards are
// read as well from four megapixels as from the full picture (the photos of
// a puzzle read the same down to about half a megapixel), and the decoders
// of JPEG and PNG then never hold the full-size picture.
constexpr size_t kScaledDecodingPixels = 4'000'000;

bool PictureSizeAllowed(size_t width, size_t height);

// The size a picture of width × height is decoded at: itself up to
// maxPixels, else scaled down keeping its proportions (at least 1 × 1).
// maxPixels 0 means no scaling.
void ScaledPictureSize(size_t width, size_t height, size_t maxPixels, size_t& scaledWidth, size_t& scaledHeight);

enum class PictureError {
    None,
    FileUnreadable,  // open or read failed: errorNumber holds errno
    FileTooLarge,    // above kMaxPictureFileBytes
    EmptyFile,
    NotAPicture,     // no decoder took it, or its data is broken
    TooManyPixels,   // above kMaxPicturePixels, refused before decoding
    Cancelled,
};

struct PictureDecoding {
    size_t scaleAbovePixels = kScaledDecodingPixels;  // 0: always full size
    // Polled while the file is read; once set, decoding stops with Cancelled.
    const std::atomic<bool>* cancel = nullptr;
};

struct PictureFailure {
    PictureError error = PictureError::None;
    int errorNumber = 0;  // errno for FileUnreadable
};

// The first frame, as stored (no EXIF turn), transparency onto white paper,
// grey and 16-bit pictures widened and narrowed. A path ending exactly in
// ".webp" goes to libwebp, any other to Qt's readers by content.
bool DecodePictureFile(const std::string& path, cv::Mat& bgr, PictureFailure& failure,
                       const PictureDecoding& options = {});
bool DecodePictureBytes(const uint8_t* data, size_t size, cv::Mat& bgr, PictureFailure& failure,
                        const PictureDecoding& options = {});

// ARGB32 pixels (0xAARRGGBB, unpremultiplied), row by row with the given
// stride in bytes. Alpha 0 becomes white; any other alpha keeps the colour
// unblended.
cv::Mat BgrFromArgb32(const uint32_t* pixels, int width, int height, size_t bytesPerLine);

// A WebP file's bytes, decoded to BGR (alpha 0 becomes white). False for a
// header or data libwebp refuses and for a picture above the size limit.
// Above maxPixels (0: never) libwebp scales while it decodes.
bool DecodeWebP(const uint8_t* data, size_t size, cv::Mat& bgr, size_t maxPixels = 0);

}  // namespace masuvo
