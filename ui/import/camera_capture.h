// The camera capture through Qt Multimedia: the newest frame taken on a timer, recognised and shown in the
// preview window "msv camera" until three readings agree or the user ends it.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

namespace masuvo {

// The agreement rule: a successful reading is considered only when more than
// half a second has passed since the last considered one (at first, since
// the start); the third considered reading that equals both before it in
// every cell is final.
class CameraReadings {
public:
    using Digits = std::array<int, 81>;
    explicit CameraReadings(int64_t startMilliseconds) : last_(startMilliseconds) {}
    // True when current is the final reading.
    bool Consider(const Digits& current, int64_t nowMilliseconds);

private:
    int64_t last_;
    Digits previous_{};
    Digits beforePrevious_{};
};

// The preview window. Any key or closing it ends the capture.
class CCameraPreview : public QWidget {
    Q_OBJECT

public:
    explicit CCameraPreview(QWidget* parent = nullptr);
    void ShowFrame(const QImage& frame);
    const QImage& frame() const { return frame_; }

signals:
    void ended();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QImage frame_;
};

enum class CaptureResult { Accepted, Ended, NoCamera };

// source: an index into the system's cameras ("0") or, for tests and
// recorded sessions, a video file played into the same frame sink. On Accepted, digits holds the final reading.
CaptureResult CaptureCameraBoard(const QString& source, std::array<int, 81>& digits, QWidget* parent);

}  // namespace masuvo
