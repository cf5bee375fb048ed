#include "ui/import/camera_capture.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <QCamera>
#include <QCameraDevice>
#include <QFileInfo>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <memory>

#include "ui/import/digit_model_loading.h"
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

// Any frame the camera or the video hands over, as BGR.
cv::Mat BgrFromFrame(const QVideoFrame& frame) {
    const QImage image = QVideoFrame(frame).toImage();
    if (image.isNull()) return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    cv::Mat bgr(rgb.height(), rgb.width(), CV_8UC3);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* in = rgb.constScanLine(y);
        auto* out = bgr.ptr<uint8_t>(y);
        for (int x = 0; x < rgb.width(); ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return bgr;
}

// The frames of a camera (a device index into the system's video inputs) or
// of a video file, delivered into one sink. Open() waits until the source
// either runs or fails.
class FrameSource {
public:
    bool Open(const QString& source, QVideoSink* sink) {
        bool isIndex = false;
        const int index = source.toInt(&isIndex);
        if (isIndex) {
            const QList<QCameraDevice> cameras = QMediaDevices::videoInputs();
            if (index < 0 || index >= cameras.size()) return false;
            camera_ = std::make_unique<QCamera>(cameras.at(index));
            session_.setCamera(camera_.get());
            session_.setVideoSink(sink);
            QEventLoop wait;
            QTimer limit;
            limit.setSingleShot(true);
            QObject::connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
            QObject::connect(camera_.get(), &QCamera::activeChanged, &wait, &QEventLoop::quit);
            QObject::connect(camera_.get(), &QCamera::errorOccurred, &wait, &QEventLoop::quit);
            camera_->start();
            if (!camera_->isActive() && camera_->error() == QCamera::NoError) {
                limit.start(5000);
                wait.exec();
            }
            return camera_->isActive() && camera_->error() == QCamera::NoError;
        }
        if (!QFileInfo(source).isFile()) return false;
        player_ = std::make_unique<QMediaPlayer>();
        player_->setVideoSink(sink);
        QEventLoop wait;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
        QObject::connect(player_.get(), &QMediaPlayer::mediaStatusChanged, &wait, [&wait](QMediaPlayer::MediaStatus status) {
            if (status != QMediaPlayer::LoadingMedia) wait.quit();
        });
        QObject::connect(player_.get(), &QMediaPlayer::errorOccurred, &wait, &QEventLoop::quit);
        player_->setSource(QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath()));
        if (player_->mediaStatus() == QMediaPlayer::LoadingMedia && player_->error() == QMediaPlayer::NoError) {
            limit.start(10'000);
            wait.exec();
        }
        if (player_->error() != QMediaPlayer::NoError || player_->mediaStatus() == QMediaPlayer::InvalidMedia ||
            player_->mediaStatus() == QMediaPlayer::NoMedia || !player_->hasVideo())
            return false;
        // A recorded camera: the video plays on until the capture ends.
        player_->setLoops(QMediaPlayer::Infinite);
        player_->play();
        return true;
    }

    void Close() {
        if (camera_ != nullptr) camera_->stop();
        if (player_ != nullptr) player_->stop();
    }

private:
    QMediaCaptureSession session_;
    std::unique_ptr<QCamera> camera_;
    std::unique_ptr<QMediaPlayer> player_;
};

}  // namespace

CaptureResult CaptureCameraBoard(const QString& source, std::array<int, 81>& digits, QWidget* parent) {
    WaitForDigitModel();
    QVideoSink sink;
    FrameSource frames;
    if (!frames.Open(source, &sink)) {
        frames.Close();
        return CaptureResult::NoCamera;
    }
    // The newest frame only: recognition takes longer than a frame lasts, and
    // the ones that came in meanwhile are old news.
    QVideoFrame latest;
    bool fresh = false;
    QObject::connect(&sink, &QVideoSink::videoFrameChanged, &sink, [&](const QVideoFrame& frame) {
        latest = frame;
        fresh = true;
    });

    CCameraPreview preview(parent);
    preview.setWindowModality(Qt::ApplicationModal);
    preview.show();

    QElapsedTimer clock;  // monotonic
    clock.start();
    CameraReadings readings(clock.elapsed());
    CaptureResult result = CaptureResult::Ended;
    QEventLoop loop;
    QObject::connect(&preview, &CCameraPreview::ended, &loop, &QEventLoop::quit);

    QTimer ticks;
    ticks.setInterval(15);
    QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
        if (!fresh) return;
        fresh = false;
        const cv::Mat bgr = BgrFromFrame(latest);
        if (bgr.empty()) return;
        BoardDigits current{};
        cv::Mat marked;
        const bool read = RecognizeBoard(bgr, true, current, &marked);
        preview.ShowFrame(ImageFromBgr(marked.empty() ? bgr : marked));
        if (read && readings.Consider(current, clock.elapsed())) {
            digits = current;
            result = CaptureResult::Accepted;
            ticks.stop();
            loop.quit();
        }
    });
    ticks.start();
    loop.exec();
    ticks.stop();
    frames.Close();
    QObject::disconnect(&sink, nullptr, nullptr, nullptr);
    QObject::disconnect(&preview, nullptr, &loop, nullptr);
    preview.hide();
    return result;
}

}  // namespace masuvo
