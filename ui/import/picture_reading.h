// A picture decoded and its board read on a worker thread, behind a modal
// progress dialog whose キャンセル stops it: a large photo must not freeze
// the window. The caller waits in a local event loop, so the window keeps
// painting and answering while the picture is read.
#pragma once

#include <QImage>
#include <QString>
#include <array>

#include "vision/board_recognition.h"
#include "vision/image_decoding.h"

class QWidget;

namespace masuvo {

struct PictureReading {
    bool cancelled = false;
    bool decoded = false;
    PictureFailure failure;  // why decoding failed, when it did
    QString message;         // the text to show for a failure that has one
    bool read = false;       // a board of at least 17 digits was read
    RecognitionReport report;  // why no board was read, when none was
    std::array<int, 81> digits{};
    BoardReading board;      // the whole reading: doubtful cells, rule check, failure
};

// A picture file (decoded as LoadImageMat decodes it).
PictureReading ReadPictureFile(const QString& path, QWidget* parent);
// A picture already in memory (the clipboard's).
PictureReading ReadPictureImage(const QImage& image, QWidget* parent);

// How long reading may take before the progress dialog appears: a small
// picture is read before anyone could notice a dialog.
constexpr int kPictureProgressDelayMilliseconds = 300;

}  // namespace masuvo
