// Large PNG pictures decoded row by row straight into their scaled-down
// size: Qt's PNG reader holds the whole picture before it scales, which for
// 80 megapixels is over 300 MB.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

#include <opencv2/core.hpp>

namespace masuvo {

// Hands over up to size bytes; fewer (or 0) at the end of the data, a
// negative number on a read error.
using ByteSource = std::function<long long(uint8_t* data, size_t size)>;

enum class PngScaling {
    Done,         // bgr holds the picture, box-averaged down to width × height
    NotHandled,   // interlaced: the caller decodes it another way
    Failed,       // broken data or a read error
    Cancelled,
};

// width and height are the scaled size. Pixels of alpha 0 count as white
// paper, others keep their colour unblended, as for every decoded picture.
PngScaling DecodePngScaled(const ByteSource& source, int width, int height, const std::atomic<bool>* cancel,
                           cv::Mat& bgr);

}  // namespace masuvo
