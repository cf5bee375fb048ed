#include "vision/image_decoding.h"

#include <algorithm>
#include <cmath>

#include <webp/decode.h>

namespace masuvo {

bool PictureSizeAllowed(size_t width, size_t height) {
    if (width == 0 || height == 0) return false;
    // Divided rather than multiplied, so no product can overflow.
    return width <= kMaxPicturePixels / height;
}

void ScaledPictureSize(size_t width, size_t height, size_t maxPixels, size_t& scaledWidth, size_t& scaledHeight) {
    scaledWidth = width;
    scaledHeight = height;
    if (maxPixels == 0 || width == 0 || height == 0 || width <= maxPixels / height) return;
    const double factor = std::sqrt(static_cast<double>(maxPixels) / (static_cast<double>(width) * height));
    scaledWidth = std::max<size_t>(1, static_cast<size_t>(static_cast<double>(width) * factor));
    scaledHeight = std::max<size_t>(1, static_cast<size_t>(static_cast<double>(height) * factor));
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

namespace {

// Decoded BGRA (libwebp's own buffer) onto white paper.
cv::Mat BgrFromBgra(const uint8_t* bgra, int width, int height, size_t stride) {
    cv::Mat out(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = bgra + static_cast<size_t>(y) * stride;
        auto* row = out.ptr<uint8_t>(y);
        for (int x = 0; x < width; ++x, in += 4) {
            const bool clear = in[3] == 0;
            row[3 * x] = clear ? 255 : in[0];
            row[3 * x + 1] = clear ? 255 : in[1];
            row[3 * x + 2] = clear ? 255 : in[2];
        }
    }
    return out;
}

// libwebp's scaler works while decoding, so the full-size picture is never
// held.
bool DecodeWebPScaled(const uint8_t* data, size_t size, int width, int height, cv::Mat& bgr) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return false;
    config.options.use_scaling = 1;
    config.options.scaled_width = width;
    config.options.scaled_height = height;
    config.output.colorspace = MODE_BGRA;
    if (WebPDecode(data, size, &config) != VP8_STATUS_OK) {
        WebPFreeDecBuffer(&config.output);
        return false;
    }
    const WebPRGBABuffer& rgba = config.output.u.RGBA;
    bgr = BgrFromBgra(rgba.rgba, config.output.width, config.output.height, static_cast<size_t>(rgba.stride));
    WebPFreeDecBuffer(&config.output);
    return true;
}

}  // namespace

bool DecodeWebP(const uint8_t* data, size_t size, cv::Mat& bgr, size_t maxPixels) {
    WebPBitstreamFeatures features;
    if (data == nullptr || WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) return false;
    if (!PictureSizeAllowed(static_cast<size_t>(features.width), static_cast<size_t>(features.height))) return false;
    size_t scaledWidth = 0, scaledHeight = 0;
    ScaledPictureSize(static_cast<size_t>(features.width), static_cast<size_t>(features.height), maxPixels, scaledWidth,
                      scaledHeight);
    if (scaledWidth != static_cast<size_t>(features.width) || scaledHeight != static_cast<size_t>(features.height))
        return DecodeWebPScaled(data, size, static_cast<int>(scaledWidth), static_cast<int>(scaledHeight), bgr);
    int width = 0, height = 0;
    if (features.has_alpha) {
        uint8_t* bgra = WebPDecodeBGRA(data, size, &width, &height);
        if (bgra == nullptr) return false;
        bgr = BgrFromBgra(bgra, width, height, static_cast<size_t>(width) * 4);
        WebPFree(bgra);
        return true;
    }
    uint8_t* decoded = WebPDecodeBGR(data, size, &width, &height);
    if (decoded == nullptr) return false;
    bgr = cv::Mat(height, width, CV_8UC3, decoded).clone();
    WebPFree(decoded);
    return true;
}

}  // namespace masuvo
