#include "ui/import/image_import.h"

#include <cstring>

#include "files/user_error_text.h"

namespace masuvo {

cv::Mat MatFromImage(const QImage& image) {
    if (image.isNull()) return {};
    if (!PictureSizeAllowed(static_cast<size_t>(image.width()), static_cast<size_t>(image.height()))) return {};
    size_t width = 0, height = 0;
    ScaledPictureSize(static_cast<size_t>(image.width()), static_cast<size_t>(image.height()), kScaledDecodingPixels,
                      width, height);
    const QImage scaled = width == static_cast<size_t>(image.width()) && height == static_cast<size_t>(image.height())
                              ? image
                              : image.scaled(static_cast<int>(width), static_cast<int>(height), Qt::IgnoreAspectRatio,
                                             Qt::SmoothTransformation);
    const QImage argb = scaled.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull()) return {};
    return BgrFromArgb32(reinterpret_cast<const uint32_t*>(argb.constBits()), argb.width(), argb.height(),
                         static_cast<size_t>(argb.bytesPerLine()));
}

bool LoadImageMat(const QString& path, cv::Mat& image, QString& message, const PictureDecoding& options,
                  PictureFailure* failure) {
    message.clear();
    PictureFailure why;
    const bool decoded = DecodePictureFile(path.toStdString(), image, why, options);
    if (failure != nullptr) *failure = why;
    if (decoded) return true;
    if (why.error == PictureError::FileUnreadable)
        message = QStringLiteral("読込ファイルをオープンできません。：\n") + QString::fromStdString(UserErrorText(why.errorNumber));
    return false;
}

}  // namespace masuvo
