#include "ui/camera_capture.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "vision/board_recognition.h"

namespace masuvo {

bool CameraReadings::Consider(const Digits& current, int64_t nowMilliseconds) {
    if (nowMilliseconds - last_ <= 500) return false;
    if (current == previous_ && current == beforePrevious_) return true;
    beforePrevious_ = previous_;
    previous_ = current;
    last_ = nowMilliseconds;
    return false;
}

CCameraPreview::CCameraPreview(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("msv camera"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    resize(640, 480);
}

void CCameraPreview::ShowFrame(const QImage& frame) {
    frame_ = frame;
    update();
}

void CCameraPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (frame_.isNull()) return;
    // The whole frame, as large as the window allows, without distortion.
    const QSize fitted = frame_.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame_);
}

void CCameraPreview::keyPressEvent(QKeyEvent* event) {
    event->accept();
    emit ended();
}

void CCameraPreview::closeEvent(QCloseEvent* event) {
    event->accept();
    emit ended();
}

namespace {

QImage ImageFromBgr(const cv::Mat& bgr) {
    QImage image(bgr.cols, bgr.rows, QImage::Format_RGB888);
    for (int y = 0; y < bgr.rows; ++y) {
        const auto* in = bgr.ptr<uint8_t>(y);
        uchar* out = image.scanLine(y);
        for (int x = 0; x < bgr.cols; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return image;
}

bool OpenSource(cv::VideoCapture& capture, const QString& source) {
    bool isIndex = false;
    const int index = source.toInt(&isIndex);
    try {
        return isIndex ? capture.open(index, cv::CAP_ANY) : capture.open(source.toStdString(), cv::CAP_ANY);
    } catch (const cv::Exception&) {
        return false;
    }
}

// Frames of one or four channels (grey cameras, some drivers) as BGR.
bool ToBgr(const cv::Mat& frame, cv::Mat& bgr) {
    if (frame.empty() || frame.depth() != CV_8U) return false;
    switch (frame.channels()) {
        case 3: bgr = frame; return true;
        case 1: cv::cvtColor(frame, bgr, cv::COLOR_GRAY2BGR); return true;
        case 4: cv::cvtColor(frame, bgr, cv::COLOR_BGRA2BGR); return true;
        default: return false;
    }
}

}  // namespace

CaptureResult CaptureCameraBoard(const QString& source, std::array<int, 81>& digits, QWidget* parent) {
    cv::VideoCapture capture;
    if (!OpenSource(capture, source) || !capture.isOpened()) return CaptureResult::NoCamera;

    CCameraPreview preview(parent);
    preview.setWindowModality(Qt::ApplicationModal);
    preview.show();

    QElapsedTimer clock;  // monotonic
    clock.start();
    CameraReadings readings(clock.elapsed());
    CaptureResult result = CaptureResult::Ended;
    QEventLoop loop;
    QObject::connect(&preview, &CCameraPreview::ended, &loop, &QEventLoop::quit);

    QTimer frames;
    frames.setInterval(15);
    QObject::connect(&frames, &QTimer::timeout, &loop, [&] {
        cv::Mat frame, bgr;
        try {
            if (!capture.read(frame) || !ToBgr(frame, bgr)) return;
        } catch (const cv::Exception&) {
            return;
        }
        BoardDigits current{};
        cv::Mat marked;
        const bool read = RecognizeBoard(bgr, true, current, &marked);
        preview.ShowFrame(ImageFromBgr(marked.empty() ? bgr : marked));
        if (read && readings.Consider(current, clock.elapsed())) {
            digits = current;
            result = CaptureResult::Accepted;
            frames.stop();
            loop.quit();
        }
    });
    frames.start();
    loop.exec();
    frames.stop();
    QObject::disconnect(&preview, nullptr, &loop, nullptr);
    preview.hide();
    return result;
}

}  // namespace masuvo
