// Writes a video file of one repeated frame (Ogg Theora, which GStreamer's
// base plugins both write and play) for the camera's tests: GStreamer is
// loaded at run time, as Qt Multimedia loads it, so the tests need no
// development files for it.
#pragma once

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLibrary>
#include <QString>

namespace masuvo::test {

inline bool WriteTheoraVideo(const QImage& picture, int frames, int framesPerSecond, const QString& path) {
    // Whole frames of packed RGB, read back by rawvideoparse.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const QString raw = path + QStringLiteral(".raw");
    {
        QFile file(raw);
        if (!file.open(QIODevice::WriteOnly)) return false;
        for (int k = 0; k < frames; ++k)
            for (int y = 0; y < rgb.height(); ++y)
                file.write(reinterpret_cast<const char*>(rgb.constScanLine(y)), qint64{rgb.width()} * 3);
    }
    QLibrary gst(QStringLiteral("gstreamer-1.0"), 0);
    using Init = void (*)(int*, char***);
    using ParseLaunch = void* (*)(const char*, void**);
    using SetState = int (*)(void*, int);
    using GetBus = void* (*)(void*);
    using PopFiltered = void* (*)(void*, quint64, int);
    using Unref = void (*)(void*);
    auto init = reinterpret_cast<Init>(gst.resolve("gst_init"));
    auto parseLaunch = reinterpret_cast<ParseLaunch>(gst.resolve("gst_parse_launch"));
    auto setState = reinterpret_cast<SetState>(gst.resolve("gst_element_set_state"));
    auto getBus = reinterpret_cast<GetBus>(gst.resolve("gst_element_get_bus"));
    auto popFiltered = reinterpret_cast<PopFiltered>(gst.resolve("gst_bus_timed_pop_filtered"));
    auto messageUnref = reinterpret_cast<Unref>(gst.resolve("gst_mini_object_unref"));
    auto objectUnref = reinterpret_cast<Unref>(gst.resolve("gst_object_unref"));
    if (!init || !parseLaunch || !setState || !getBus || !popFiltered || !messageUnref || !objectUnref) return false;
    init(nullptr, nullptr);
    const QString description =
        QStringLiteral("filesrc location=\"%1\" ! rawvideoparse width=%2 height=%3 format=rgb framerate=%4/1 ! "
                       "videoconvert ! theoraenc ! oggmux ! filesink location=\"%5\"")
            .arg(QDir::toNativeSeparators(raw))
            .arg(rgb.width())
            .arg(rgb.height())
            .arg(framesPerSecond)
            .arg(QDir::toNativeSeparators(path));
    void* pipeline = parseLaunch(description.toUtf8().constData(), nullptr);
    if (pipeline == nullptr) return false;
    constexpr int kNull = 1, kPlaying = 4;
    constexpr int kEos = 1 << 0, kError = 1 << 1;
    setState(pipeline, kPlaying);
    void* bus = getBus(pipeline);
    void* message = popFiltered(bus, ~quint64{0}, kEos | kError);
    // GstMessage starts with a GstMiniObject (64 bytes); its type follows.
    const int type = message != nullptr ? *reinterpret_cast<const int*>(static_cast<const char*>(message) + 64) : 0;
    if (message != nullptr) messageUnref(message);
    objectUnref(bus);
    setState(pipeline, kNull);
    objectUnref(pipeline);
    QFile::remove(raw);
    return type == kEos && QFile(path).size() > 0;
}

}  // namespace masuvo::test
