#include "ui/import/picture_reading.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

#include "ui/import/digit_model_loading.h"
#include "ui/import/image_import.h"
#include "vision/board_recognition.h"

namespace masuvo {

namespace {

// Runs work on a thread of its own while the dialog shows; a cancel sets
// the flag work polls and waits, saying so, until work has returned.
void RunBehindProgress(const std::function<void(const std::atomic<bool>&)>& work, QWidget* parent,
                       PictureReading& reading) {
    // One picture at a time: the window still takes events while one is
    // read, and a second import then is passed over like a cancelled one.
    static bool busy = false;
    if (busy) {
        reading.cancelled = true;
        return;
    }
    busy = true;
    std::atomic<bool> cancel{false};
    std::unique_ptr<QThread> thread(QThread::create([&] { work(cancel); }));

    QProgressDialog progress(QStringLiteral("画像を読み込んでいます..."), QStringLiteral("キャンセル"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("マスヴォ"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(kPictureProgressDelayMilliseconds);
    progress.setAutoClose(false);
    progress.setAutoReset(false);

    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        cancel = true;
        reading.cancelled = true;
        // The dialog stays until the worker has stopped; decoding stops at
        // its next read, a board being read finishes first.
        progress.setLabelText(QStringLiteral("キャンセル中..."));
        progress.setCancelButton(nullptr);
        progress.show();
    });
    thread->start();
    // Shown after the delay unless the thread ends first (setValue starts
    // the dialog's own timer).
    progress.setValue(0);
    if (!thread->isFinished()) loop.exec();
    thread->wait();
    progress.hide();
    busy = false;
}

void Recognise(const cv::Mat& image, const std::atomic<bool>& cancel, PictureReading& reading) {
    if (image.empty() || cancel) return;
    reading.read = ReadBoard(image, false, reading.board);
    if (reading.read) std::copy(reading.board.digits.begin(), reading.board.digits.end(), reading.digits.begin());
    reading.report = reading.board.report;
}

}  // namespace

PictureReading ReadPictureFile(const QString& path, QWidget* parent) {
    WaitForDigitModel();
    PictureReading reading;
    RunBehindProgress(
        [&](const std::atomic<bool>& cancel) {
            cv::Mat image;
            PictureDecoding options;
            options.cancel = &cancel;
            reading.decoded = LoadImageMat(path, image, reading.message, options, &reading.failure);
            Recognise(image, cancel, reading);
        },
        parent, reading);
    if (reading.cancelled) reading.read = false;
    return reading;
}

PictureReading ReadPictureImage(const QImage& picture, QWidget* parent) {
    WaitForDigitModel();
    PictureReading reading;
    RunBehindProgress(
        [&](const std::atomic<bool>& cancel) {
            const cv::Mat image = MatFromImage(picture);
            reading.decoded = !image.empty();
            if (!reading.decoded) reading.failure.error = PictureError::TooManyPixels;
            Recognise(image, cancel, reading);
        },
        parent, reading);
    if (reading.cancelled) reading.read = false;
    return reading;
}

}  // namespace masuvo
