// Picture files and clipboard images decoded into the BGR source image of
// board recognition, through the program's one picture decoder.
#pragma once

#include <QImage>
#include <QString>

#include <opencv2/core.hpp>

#include "vision/image_decoding.h"

namespace masuvo {

// First frame, no EXIF turn, large pictures scaled down (image_decoding.h).
// False when the file cannot be used; message then holds the text to show,
// or stays empty when the failure is a silent one (an undecodable, empty or
// too large picture, a cancel). failure, when given, says which it was.
bool LoadImageMat(const QString& path, cv::Mat& image, QString& message, const PictureDecoding& options = {},
                  PictureFailure* failure = nullptr);

// Any QImage as a source image (alpha 0 becomes white), scaled down like a
// decoded file above kScaledDecodingPixels; an empty Mat for a null or too
// large image.
cv::Mat MatFromImage(const QImage& image);

}  // namespace masuvo
