#include "vision/image_decoding.h"

#include <webp/decode.h>

namespace masuvo {

bool PictureSizeAllowed(size_t width, size_t height) {
    if (width == 0 || height == 0) return false;
    // Divided rather than multiplied, so no product can overflow.
    return width <= kMaxPicturePixels / height;
}

cv::Mat BgrFromArgb32(const uint32_t* pixels, int width, int height, size_t bytesPerLine) {
    cv::Mat bgr(height, width, CV_8UC3);
    const auto* base = reinterpret_cast<const uint8_t*>(pixels);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(base + static_cast<size_t>(y) * bytesPerLine);
        auto* out = bgr.ptr<uint8_t>(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t argb = row[x];
            if ((argb >> 24) == 0) {
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = 255;
                continue;
            }
            out[3 * x] = static_cast<uint8_t>(argb);
            out[3 * x + 1] = static_cast<uint8_t>(argb >> 8);
            out[3 * x + 2] = static_cast<uint8_t>(argb >> 16);
        }
    }
    return bgr;
}

bool DecodeWebP(const uint8_t* data, size_t size, cv::Mat& bgr) {
    WebPBitstreamFeatures features;
    if (data == nullptr || WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) return false;
    if (!PictureSizeAllowed(static_cast<size_t>(features.width), static_cast<size_t>(features.height))) return false;
    int width = 0, height = 0;
    if (features.has_alpha) {
        uint8_t* bgra = WebPDecodeBGRA(data, size, &width, &height);
        if (bgra == nullptr) return false;
        cv::Mat out(height, width, CV_8UC3);
        for (int y = 0; y < height; ++y) {
            const uint8_t* in = bgra + static_cast<size_t>(y) * width * 4;
            auto* row = out.ptr<uint8_t>(y);
            for (int x = 0; x < width; ++x, in += 4) {
                const bool clear = in[3] == 0;
                row[3 * x] = clear ? 255 : in[0];
                row[3 * x + 1] = clear ? 255 : in[1];
                row[3 * x + 2] = clear ? 255 : in[2];
            }
        }
        WebPFree(bgra);
        bgr = out;
        return true;
    }
    uint8_t* decoded = WebPDecodeBGR(data, size, &width, &height);
    if (decoded == nullptr) return false;
    bgr = cv::Mat(height, width, CV_8UC3, decoded).clone();
    WebPFree(decoded);
    return true;
}

}  // namespace masuvo
