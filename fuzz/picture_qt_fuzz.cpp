// Picture files through Qt's readers as the window loads them (LoadImageMat:
// PNG, BMP, JPEG, GIF, TIFF and whatever else Qt recognises by content),
// then grid detection and board recognition on what was decoded.
#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImageReader>

#include "fuzz/fuzz_support.h"
#include "fuzz/picture_recognition.h"
#include "ui/import/image_import.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Qt finds its image format plugins through the application object.
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    {
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader probe(&buffer);
        const QSize declared = probe.size();
        if (declared.isValid() && masuvo::fuzz::SkipDeclaredSize(declared.width(), declared.height())) return 0;
    }
    masuvo::fuzz::MemoryFile file(data, size);
    cv::Mat picture;
    QString message;
    if (masuvo::LoadImageMat(QString::fromStdString(file.Path()), picture, message))
        masuvo::fuzz::RecogniseDecoded(picture);
    else
        masuvo::fuzz::Require(picture.empty(), "a refused picture hands nothing over");
    return 0;
}
