#include "ui/image_import.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "vision/image_decoding.h"

namespace masuvo {

namespace {

bool FileSizeAllowed(const QString& path) {
    const QFileInfo info(path);
    return static_cast<uint64_t>(info.size()) <= kMaxPictureFileBytes;
}

bool LoadWebP(const QString& path, cv::Mat& image, QString& message) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        message = QStringLiteral("読込ファイルをオープンできません。：\n") + file.errorString();
        return false;
    }
    if (static_cast<uint64_t>(file.size()) > kMaxPictureFileBytes) return false;
    const QByteArray bytes = file.readAll();
    return DecodeWebP(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()), image);
}

}  // namespace

cv::Mat MatFromImage(const QImage& image) {
    if (image.isNull()) return {};
    if (!PictureSizeAllowed(static_cast<size_t>(image.width()), static_cast<size_t>(image.height()))) return {};
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull()) return {};
    return BgrFromArgb32(reinterpret_cast<const uint32_t*>(argb.constBits()), argb.width(), argb.height(),
                         static_cast<size_t>(argb.bytesPerLine()));
}

bool LoadImageMat(const QString& path, cv::Mat& image, QString& message) {
    message.clear();
    image.release();
    if (path.endsWith(QStringLiteral(".webp"), Qt::CaseSensitive)) return LoadWebP(path, image, message);

    if (!FileSizeAllowed(path)) return false;
    QImageReader reader(path);
    reader.setAutoTransform(false);
    // The pixel limit below is the one that counts; Qt's own default (256 MB
    // of decoded pixels) would refuse pictures under it.
    reader.setAllocationLimit(1024);
    const QSize size = reader.size();
    if (size.isValid() &&
        !PictureSizeAllowed(static_cast<size_t>(std::max(size.width(), 0)), static_cast<size_t>(std::max(size.height(), 0))))
        return false;
    QImage picture;
    if (!reader.read(&picture)) return false;
    image = MatFromImage(picture);
    return !image.empty();
}

}  // namespace masuvo
