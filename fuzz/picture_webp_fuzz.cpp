// WebP pictures through libwebp (DecodeWebP), then grid detection and board
// recognition on what was decoded.
#include <webp/decode.h>

#include "fuzz/picture_recognition.h"
#include "vision/image_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, size, &features) == VP8_STATUS_OK &&
        masuvo::fuzz::SkipDeclaredSize(features.width, features.height))
        return 0;
    cv::Mat picture;
    if (masuvo::DecodeWebP(data, size, picture, masuvo::kScaledDecodingPixels)) masuvo::fuzz::RecogniseDecoded(picture);
    return 0;
}
