#include "fuzz/picture_recognition.h"

#include "fuzz/fuzz_support.h"
#include "vision/board_recognition.h"
#include "vision/grid_detection.h"
#include "vision/image_decoding.h"
#include "vision/model_file.h"

namespace masuvo::fuzz {

namespace {

const DigitModel& ShippedModel() {
    static const DigitModel model = [] {
        DigitModel read;
        std::string message;
        Require(ReadDigitModel(MASUVO_FUZZ_MODEL_PATH, read, message), "the shipped model loads");
        return read;
    }();
    return model;
}

void CheckDetection(const GridDetection& detection, bool found) {
    Require(found ? detection.cells.size() == 81 : detection.cells.empty(), "a detection has 81 cells or none");
}

void CheckDigits(const BoardDigits& digits, bool read) {
    int filled = 0;
    for (int d : digits) {
        Require(d >= 0 && d <= 9, "a recognised cell is a digit or empty");
        filled += d != 0;
    }
    Require(read ? filled >= kMinimumRecognizedDigits : filled == 0, "a board is read with 17 digits or not at all");
}

}  // namespace

bool SkipDeclaredSize(long long width, long long height) {
    if (width <= 0 || height <= 0) return false;
    const double pixels = static_cast<double>(width) * static_cast<double>(height);
    return pixels > static_cast<double>(kMaxRecognisedPixels) && pixels <= static_cast<double>(kMaxPicturePixels);
}

void RecogniseDecoded(const cv::Mat& picture) {
    Require(!picture.empty() && picture.type() == CV_8UC3, "a decoded picture is 8-bit BGR");
    Require(PictureSizeAllowed(static_cast<size_t>(picture.cols), static_cast<size_t>(picture.rows)),
            "a decoded picture is within the size limit");
    if (static_cast<size_t>(picture.cols) * static_cast<size_t>(picture.rows) > kMaxRecognisedPixels) return;

    // A file is a still picture: the camera's runs are for frames.
    GridDetection detection;
    CheckDetection(detection, DetectGrid(picture, 8, 2, false, detection));
    BoardDigits digits{};
    CheckDigits(digits, RecognizeBoard(ShippedModel(), picture, false, digits));
}

}  // namespace masuvo::fuzz
