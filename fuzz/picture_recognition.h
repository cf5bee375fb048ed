// What happens to a decoded picture: grid detection and board recognition
// with the shipped digit model, still picture and camera frame. Shared by
// the picture targets.
#pragma once

#include <cstddef>

#include <opencv2/core.hpp>

namespace masuvo::fuzz {

// Pictures above this many pixels are decoded but not recognised: the
// product accepts up to 100 megapixels, but a fuzzer needs thousands of
// runs a minute, and the detector's cost grows with the area, not with the
// oddities a small picture can already hold.
constexpr size_t kMaxRecognisedPixels = 400 * 400;

// True when a decoder's declared size lies between the two limits: allowed
// by the product, too slow to be worth a fuzz run. Sizes above the
// product's limit still go to the reader, which must refuse them cheaply.
bool SkipDeclaredSize(long long width, long long height);

// Checks what a decoder handed over and runs detection and recognition on
// it when it is small enough.
void RecogniseDecoded(const cv::Mat& picture);

}  // namespace masuvo::fuzz
