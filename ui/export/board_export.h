// The board as a picture file: the painter's image without the selected-cell
// frame and the pause veil, encoded by the file's extension and written
// through a temporary file, so a failed save never harms an existing file.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "ui/drawing/board_painter.h"

namespace masuvo {

class PlaySession;

enum class ImageFileFormat { Unknown, Png, Bmp, Jpeg, Gif };

// By the extension of the path's file name, in any case: png, bmp, jpg or
// jpeg, gif.
ImageFileFormat ImageFormatOfPath(const QString& path);

// The board as 画像保存 and 印刷 take it: options' sizes and scale factors,
// never the selected-cell frame or the pause veil; opaque, on white.
QImage BoardPicture(const PlaySession& session, BoardPaintOptions options);

// The file's bytes; false with the encoder's description of the failure.
bool EncodeImage(const QImage& image, ImageFileFormat format, QByteArray& bytes, QString& error);

enum class ImageSaveResult { Saved, UnknownFormat, Failed };

// Encodes by the path's extension and writes the file; nothing is written
// for an unknown extension, and a failure (error holds the system's
// description) leaves an existing file as it was.
ImageSaveResult SaveImageFile(const QImage& image, const QString& path, QString& error);

// The message for a path whose extension no encoder knows.
QString UnknownImageFormatMessage(const QString& path);

}  // namespace masuvo
