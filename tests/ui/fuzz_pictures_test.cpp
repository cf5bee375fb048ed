// Pictures kept from fuzzing the picture readers and the hostile ones
// written for them (tests/data/fuzz/picture_qt and picture_webp), loaded as
// the window loads a file: each is refused without a picture, or decoded
// within the size limit and read by recognition without harm. Headers that
// claim more than 100 megapixels are refused like undecodable files.
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "ui/import/image_import.h"
#include "vision/board_recognition.h"
#include "vision/image_decoding.h"
#include "vision/model_file.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

const QString kFixtures = QStringLiteral(MASUVO_TEST_DATA) + u"/fuzz/"_s;

}  // namespace

class FuzzPicturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        std::string message;
        const QString model = QStringLiteral(MASUVO_TEST_DATA) + u"/../../resources/Masuvo.dat"_s;
        QVERIFY2(ReadDigitModel(model.toStdString(), model_, message), message.c_str());
    }

    void keptPicture_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("decoded");
        // Whether each kept picture decodes; the rest are refused silently.
        const QHash<QString, bool> decoded = {
            {u"hostile_bmp_100000x100000.bmp"_s, false},   // 10^10 pixels claimed
            {u"hostile_gif_65535x65535.gif"_s, false},     // 4.3·10^9 pixels claimed
            {u"hostile_png_100000x100000.png"_s, false},
            {u"hostile_png_12mp_bomb.png"_s, true},        // 12 megapixels from 11 KB: allowed
            {u"hostile_png_truncated.png"_s, false},
            {u"hostile_png_width_2e31.png"_s, false},
            {u"hostile_png_zero_size.png"_s, false},
            {u"hostile_riff_size_huge.webp"_s, false},
            {u"hostile_truncated.webp"_s, false},
            {u"hostile_vp8l_16384x16384.webp"_s, false},  // 2.7·10^8 pixels claimed
            {u"hostile_vp8x_100000x100000.webp"_s, false},
        };
        int rows = 0;
        for (const QString& folder : {u"picture_qt"_s, u"picture_webp"_s}) {
            const QDir dir(kFixtures + folder);
            for (const QFileInfo& file : dir.entryInfoList(QDir::Files, QDir::Name)) {
                QVERIFY2(decoded.contains(file.fileName()), qPrintable(file.fileName() + u": add it to the table"_s));
                QTest::newRow(qPrintable(folder + u"/"_s + file.fileName()))
                    << file.absoluteFilePath() << decoded.value(file.fileName());
                ++rows;
            }
        }
        QVERIFY2(rows > 0, qPrintable(kFixtures));
    }

    void keptPicture() {
        QFETCH(QString, path);
        QFETCH(bool, decoded);
        cv::Mat picture;
        QString message;
        QCOMPARE(LoadImageMat(path, picture, message), decoded);
        QVERIFY2(message.isEmpty(), qPrintable(message));  // undecodable files fail silently
        if (!decoded) {
            QVERIFY(picture.empty());
            return;
        }
        QCOMPARE(picture.type(), CV_8UC3);
        QVERIFY(PictureSizeAllowed(static_cast<size_t>(picture.cols), static_cast<size_t>(picture.rows)));
        BoardDigits digits{};
        const bool read = RecognizeBoard(model_, picture, false, digits);
        int filled = 0;
        for (int d : digits) {
            QVERIFY(d >= 0 && d <= 9);
            filled += d != 0;
        }
        QVERIFY(read ? filled >= kMinimumRecognizedDigits : filled == 0);
    }

private:
    DigitModel model_;
};

QTEST_GUILESS_MAIN(FuzzPicturesTest)
#include "fuzz_pictures_test.moc"
