// The one picture decoder of the program, over Qt's image readers (Qt Gui
// needs no display for them), libpng and libwebp. Large pictures: Qt's JPEG
// reader scales while it decodes, PNG goes row by row through libpng into
// the scaled size, WebP through libwebp's scaler; the other formats (and
// interlaced PNG) are decoded whole and then scaled.
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>

#include "picture_decoding/png_scaled_decoding.h"
#include "vision/image_decoding.h"

namespace masuvo {

namespace {

// A file that stops handing out bytes once the cancel flag is set: the
// reader then fails at its next read, wherever it is in the picture.
class CancellableFile : public QFile {
public:
    explicit CancellableFile(const std::atomic<bool>* cancel) : cancel_(cancel) {}
    bool Cancelled() const { return cancel_ != nullptr && cancel_->load(std::memory_order_relaxed); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (Cancelled()) return -1;
        return QFile::readData(data, maxSize);
    }

private:
    const std::atomic<bool>* cancel_;
};

bool Fail(PictureFailure& failure, PictureError error, int errorNumber = 0) {
    failure.error = error;
    failure.errorNumber = errorNumber;
    return false;
}

bool DecodeWithQt(QIODevice& device, cv::Mat& bgr, PictureFailure& failure, const PictureDecoding& options,
                  const std::function<bool()>& cancelled) {
    QImageReader reader(&device);
    reader.setAutoTransform(false);
    // The pixel limit below is the one that counts; Qt's own default (256 MB
    // of decoded pixels) would refuse pictures under it.
    reader.setAllocationLimit(1024);
    const QSize size = reader.size();
    if (size.isValid()) {
        const auto width = static_cast<size_t>(std::max(size.width(), 0));
        const auto height = static_cast<size_t>(std::max(size.height(), 0));
        if (!PictureSizeAllowed(width, height)) return Fail(failure, PictureError::TooManyPixels);
        size_t scaledWidth = 0, scaledHeight = 0;
        ScaledPictureSize(width, height, options.scaleAbovePixels, scaledWidth, scaledHeight);
        if (scaledWidth != width || scaledHeight != height) {
            if (reader.format() == "png" && !device.isSequential() && device.seek(0)) {
                const PngScaling scaled = DecodePngScaled(
                    [&device](uint8_t* data, size_t size) {
                        return static_cast<long long>(device.read(reinterpret_cast<char*>(data), static_cast<qint64>(size)));
                    },
                    static_cast<int>(scaledWidth), static_cast<int>(scaledHeight), options.cancel, bgr);
                if (scaled == PngScaling::Done) return true;
                if (cancelled() || scaled == PngScaling::Cancelled) return Fail(failure, PictureError::Cancelled);
                if (scaled == PngScaling::Failed) return Fail(failure, PictureError::NotAPicture);
                // Interlaced: Qt's reader below, whole and then scaled.
                if (!device.seek(0)) return Fail(failure, PictureError::NotAPicture);
                reader.setDevice(&device);
            }
            reader.setScaledSize(QSize(static_cast<int>(scaledWidth), static_cast<int>(scaledHeight)));
        }
    }
    QImage picture;
    const bool read = reader.read(&picture);
    if (cancelled()) return Fail(failure, PictureError::Cancelled);
    if (!read || picture.isNull()) return Fail(failure, PictureError::NotAPicture);
    if (!PictureSizeAllowed(static_cast<size_t>(picture.width()), static_cast<size_t>(picture.height())))
        return Fail(failure, PictureError::TooManyPixels);
    // A reader that knew no size beforehand gives the picture whole.
    size_t scaledWidth = 0, scaledHeight = 0;
    ScaledPictureSize(static_cast<size_t>(picture.width()), static_cast<size_t>(picture.height()),
                      options.scaleAbovePixels, scaledWidth, scaledHeight);
    if (scaledWidth != static_cast<size_t>(picture.width()) || scaledHeight != static_cast<size_t>(picture.height()))
        picture = picture.scaled(static_cast<int>(scaledWidth), static_cast<int>(scaledHeight), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull()) return Fail(failure, PictureError::NotAPicture);
    bgr = BgrFromArgb32(reinterpret_cast<const uint32_t*>(argb.constBits()), argb.width(), argb.height(),
                        static_cast<size_t>(argb.bytesPerLine()));
    return true;
}

bool DecodeWebPBytes(const QByteArray& bytes, cv::Mat& bgr, PictureFailure& failure, const PictureDecoding& options) {
    if (bytes.isEmpty()) return Fail(failure, PictureError::EmptyFile);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    if (DecodeWebP(data, static_cast<size_t>(bytes.size()), bgr, options.scaleAbovePixels)) return true;
    return Fail(failure, PictureError::NotAPicture);
}

}  // namespace

bool DecodePictureFile(const std::string& path, cv::Mat& bgr, PictureFailure& failure,
                       const PictureDecoding& options) {
    bgr.release();
    failure = {};
    // Opened here rather than by QFile, which reports no errno.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(failure, PictureError::FileUnreadable, errno);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
        ::close(fd);
        return Fail(failure, PictureError::FileUnreadable, error);
    }
    CancellableFile file(options.cancel);
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Fail(failure, PictureError::FileUnreadable, EIO);
    }
    if (S_ISREG(status.st_mode) && static_cast<uint64_t>(status.st_size) > kMaxPictureFileBytes)
        return Fail(failure, PictureError::FileTooLarge);
    if (S_ISREG(status.st_mode) && status.st_size == 0) return Fail(failure, PictureError::EmptyFile);
    if (path.ends_with(".webp")) {
        const QByteArray bytes = file.readAll();
        if (file.Cancelled()) return Fail(failure, PictureError::Cancelled);
        return DecodeWebPBytes(bytes, bgr, failure, options);
    }
    return DecodeWithQt(file, bgr, failure, options, [&] { return file.Cancelled(); });
}

bool DecodePictureBytes(const uint8_t* data, size_t size, cv::Mat& bgr, PictureFailure& failure,
                        const PictureDecoding& options) {
    bgr.release();
    failure = {};
    if (data == nullptr || size == 0) return Fail(failure, PictureError::EmptyFile);
    if (size > kMaxPictureFileBytes) return Fail(failure, PictureError::FileTooLarge);
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return DecodeWithQt(buffer, bgr, failure, options, [&] {
        return options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed);
    });
}

}  // namespace masuvo
