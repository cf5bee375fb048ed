// Picture files and clipboard images decoded into the BGR source image of
// board recognition.
#pragma once

#include <QImage>
#include <QString>

#include <opencv2/core.hpp>

namespace masuvo {

// A file ending exactly in ".webp" goes through libwebp, any other through
// Qt's readers (first frame, no EXIF turn). False when the file cannot be
// used; message then holds the text to show, or stays empty when the
// failure is a silent one (an undecodable, empty or too large picture).
bool LoadImageMat(const QString& path, cv::Mat& image, QString& message);

// Any QImage as a source image (alpha 0 becomes white); an empty Mat for a
// null or too large image.
cv::Mat MatFromImage(const QImage& image);

}  // namespace masuvo
