#include "ui/export/board_export.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <span>

#include "files/atomic_file.h"
#include "ui/export/gif_writer.h"
#include "ui/export/palette_reduction.h"

using namespace Qt::StringLiterals;

namespace masuvo {

namespace {

// Sharper digit edges than the encoder's default of 75, for a picture that
// is mostly text and thin lines.
constexpr int kJpegQuality = 90;

bool EncodeWithQt(const QImage& image, const char* format, QByteArray& bytes, QString& error) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (qstrcmp(format, "jpeg") == 0) writer.setQuality(kJpegQuality);
    if (writer.write(image)) return true;
    error = writer.errorString();
    return false;
}

bool EncodeGifImage(const QImage& image, QByteArray& bytes, QString& error) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(rgb.width()) * static_cast<size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        pixels.insert(pixels.end(), line, line + rgb.width());
    }
    std::string out;
    std::string message;
    if (!EncodeGif(ReduceToPalette(pixels, rgb.width(), rgb.height()), out, message)) {
        error = QString::fromStdString(message);
        return false;
    }
    bytes = QByteArray(out.data(), static_cast<qsizetype>(out.size()));
    return true;
}

}  // namespace

ImageFileFormat ImageFormatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"png") return ImageFileFormat::Png;
    if (suffix == u"bmp") return ImageFileFormat::Bmp;
    if (suffix == u"jpg" || suffix == u"jpeg") return ImageFileFormat::Jpeg;
    if (suffix == u"gif") return ImageFileFormat::Gif;
    return ImageFileFormat::Unknown;
}

QImage BoardPicture(const PlaySession& session, BoardPaintOptions options) {
    options.selectionFrame = false;
    options.pauseVeil = false;
    const QImage board = RenderBoard(session, options);
    // Only the outer line's anti-aliased fringe could be translucent; every
    // format gets the same opaque pixels.
    QImage picture(board.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(0, 0, board);
    return picture;
}

bool EncodeImage(const QImage& image, ImageFileFormat format, QByteArray& bytes, QString& error) {
    bytes.clear();
    switch (format) {
        case ImageFileFormat::Png: return EncodeWithQt(image, "png", bytes, error);
        case ImageFileFormat::Bmp: return EncodeWithQt(image, "bmp", bytes, error);
        case ImageFileFormat::Jpeg: return EncodeWithQt(image, "jpeg", bytes, error);
        case ImageFileFormat::Gif: return EncodeGifImage(image, bytes, error);
        case ImageFileFormat::Unknown: break;
    }
    error = u"この拡張子の画像形式には保存できません。"_s;
    return false;
}

ImageSaveResult SaveImageFile(const QImage& image, const QString& path, QString& error) {
    const ImageFileFormat format = ImageFormatOfPath(path);
    if (format == ImageFileFormat::Unknown) return ImageSaveResult::UnknownFormat;
    QByteArray bytes;
    if (!EncodeImage(image, format, bytes, error)) return ImageSaveResult::Failed;
    std::string message;
    if (!WriteFileAtomically(QFile::encodeName(path).toStdString(),
                             std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), message)) {
        error = QString::fromStdString(message);
        return ImageSaveResult::Failed;
    }
    return ImageSaveResult::Saved;
}

QString UnknownImageFormatMessage(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return u"この拡張子の画像形式には保存できません。：\n"_s + (suffix.isEmpty() ? u"（拡張子なし）"_s : u"."_s + suffix) +
           u"\n保存できる形式は png, bmp, jpg, gif です。"_s;
}

}  // namespace masuvo
