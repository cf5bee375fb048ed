// A drawn 80-megapixel picture imported into the window: decoded scaled
// down off the window's thread, with the process's peak memory under
// 300 MB and the window's event loop never stalled; キャンセル on the
// progress dialog stops the reading and leaves the board as it was.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <malloc.h>

#include "tests/ui/window_driver.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/import/picture_reading.h"
#include "vision/model_file.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// A model that reads every inked cell as 4 (only the bias of output 3 set).
bool WriteReadsFourModel(const QString& path) {
    std::vector<double> values(kModelValueCount, 0.0);
    values[kModelValueCount - kModelOutputs + 3] = 2.0;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const auto bytes = static_cast<qint64>(values.size() * sizeof(double));
    return file.write(reinterpret_cast<const char*>(values.data()), bytes) == bytes;
}

constexpr int kCells = 24;

// A printed grid with a "7" in every fourth cell, drawn small and blown up
// to side × side grey pixels.
QImage BigBoard(int side) {
    QImage small(1000, 1000, QImage::Format_RGB32);
    small.fill(Qt::white);
    {
        QPainter painter(&small);
        painter.setRenderHint(QPainter::Antialiasing);
        const int grid = 900, x0 = 50;
        for (int k = 0; k <= 9; ++k) {
            painter.setPen(QPen(Qt::black, k % 3 == 0 ? 8 : 4));
            const int at = x0 + k * grid / 9;
            painter.drawLine(at, x0, at, x0 + grid);
            painter.drawLine(x0, at, x0 + grid, at);
        }
        QFont font(u"Liberation Sans"_s);
        font.setPixelSize(70);
        font.setBold(true);
        painter.setFont(font);
        for (int k = 0; k < kCells; ++k) {
            const int cell = k * 4 % 81;
            painter.drawText(QRect(x0 + cell % 9 * 100, x0 + cell / 9 * 100, 100, 100), Qt::AlignCenter, u"7"_s);
        }
    }
    return small.convertToFormat(QImage::Format_Grayscale8).scaled(side, side, Qt::IgnoreAspectRatio,
                                                                    Qt::FastTransformation);
}

// The process's peak resident memory in MB since the last ResetPeakMemory.
double PeakMemoryMB() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

bool ResetPeakMemory() {
    malloc_trim(0);
    QFile clear(u"/proc/self/clear_refs"_s);
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

}  // namespace

class BigPictureTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        std::string message;
        QVERIFY2(test::PrepareTestFolders(temp_, folders_, message), message.c_str());
        const QString model = temp_.filePath(u"Masuvo.dat"_s);
        QVERIFY(WriteReadsFourModel(model));
        QVERIFY2(LoadDigitModel(model.toStdString(), message), message.c_str());
        // 8944² pixels: 80 megapixels, 80 MB while drawn and written.
        const QImage board = BigBoard(8944);
        QCOMPARE(qint64{board.width()} * board.height(), qint64{79'995'136});
        jpeg_ = temp_.filePath(u"大きな写真.jpg"_s);
        png_ = temp_.filePath(u"大きな図.png"_s);
        QVERIFY(board.save(jpeg_, "JPEG", 90));
        QVERIFY(board.save(png_, "PNG"));
    }

    void cleanup() { window_.reset(); }

    void readsWithLittleMemoryAndAResponsiveWindow_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("JPEG") << u"jpeg"_s;
        QTest::newRow("PNG") << u"png"_s;
    }

    void readsWithLittleMemoryAndAResponsiveWindow() {
        QFETCH(QString, format);
        const QString path = format == u"jpeg" ? jpeg_ : png_;
        CKenrowDlg& w = Open();
        QVERIFY(ResetPeakMemory());
        const double before = PeakMemoryMB();

        // The window's event loop keeps turning: no gap between two ticks of
        // a 20 ms timer may come near the seconds a frozen window took.
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer tick;
        tick.setInterval(20);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        sinceTick.start();
        tick.start();
        QVERIFY(w.ImportImageFile(path));
        tick.stop();
        longestGap = std::max(longestGap, sinceTick.elapsed());

        std::array<int, 81> expected{};
        for (int k = 0; k < kCells; ++k) expected[k * 4 % 81] = 4;
        std::array<int, 81> givens{};
        for (int k = 0; k < 81; ++k) givens[k] = w.session().origin[k] == 1 ? w.session().values[k] : 0;
        QCOMPARE(givens, expected);
        const double peak = PeakMemoryMB();
        qInfo("%s: peak memory %.0f MB (%.0f MB before), longest stall %lld ms", qPrintable(format), peak, before,
              static_cast<long long>(longestGap));
        if (!kSanitized) QVERIFY2(peak < 300, qPrintable(u"peak %1 MB"_s.arg(peak)));
        QVERIFY2(longestGap < 1000, qPrintable(u"stalled %1 ms"_s.arg(longestGap)));
    }

    // キャンセル: the reading stops, nothing is said, the board stays.
    void cancelKeepsTheBoard() {
        CKenrowDlg& w = Open();
        const QString name = w.findChild<QLineEdit*>(u"nameField"_s)->text();
        QElapsedTimer sinceCancel;
        bool cancelled = false;
        test::OnNextModal<QProgressDialog>([&](QProgressDialog* progress) {
            QVERIFY(progress->labelText().contains(u"画像"_s));
            auto* cancel = progress->findChild<QPushButton*>();
            QVERIFY(cancel != nullptr && cancel->text() == u"キャンセル"_s);
            sinceCancel.start();
            cancelled = true;
            cancel->click();
        });
        bool boxShown = false;
        QTimer boxes;
        boxes.setInterval(10);
        QObject::connect(&boxes, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxShown = true;
                box->close();
            }
        });
        boxes.start();
        QVERIFY(!w.ImportImageFile(png_));
        boxes.stop();
        QVERIFY(cancelled);
        QVERIFY2(sinceCancel.elapsed() < 3000, qPrintable(QString::number(sinceCancel.elapsed())));
        QVERIFY(!boxShown);
        QCOMPARE(w.findChild<QLineEdit*>(u"nameField"_s)->text(), name);
    }

private:
    CKenrowDlg& Open() {
        window_ = std::make_unique<CKenrowDlg>(AppSettings(), folders_, 1.0, 1.0);
        window_->show();
        return *window_;
    }

    QTemporaryDir temp_;
    DataFolders folders_;
    std::unique_ptr<CKenrowDlg> window_;
    QString jpeg_, png_;
};

QTEST_MAIN(BigPictureTest)
#include "big_picture_test.moc"
