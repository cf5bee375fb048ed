// The number pad: which item a point hits, the command each item sends, and
// what the pad shows (hot item, greyed memo side, colour swatches).
#include "ui/main_window/number_pad.h"

#include <QSignalSpy>
#include <QTest>

#include "session/play_session.h"
#include "ui/main_window/kenrow_app.h"

using namespace masuvo;

class NumberPadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void hitTest_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("memoSide");
        QTest::addColumn<int>("item");
        constexpr int K = CNumberDlg::K;
        QTest::newRow("big 1") << 14 << 14 << true << 1;
        QTest::newRow("big 5") << K + 14 << K + 14 << true << 5;
        QTest::newRow("big 9 up to the middle edge") << 3 * K - 1 << 3 * K - 1 << true << 9;
        QTest::newRow("the outer edge hits nothing") << 3 << 14 << true << 0;
        QTest::newRow("erase") << 40 << 3 * K + 5 << true << 10;
        QTest::newRow("red") << 10 << 4 * K + 5 << true << 11;
        QTest::newRow("green") << K + 10 << 4 * K + 5 << true << 12;
        QTest::newRow("blue") << 2 * K + 10 << 4 * K + 5 << true << 13;
        QTest::newRow("no colour") << 40 << 5 * K + 5 << true << 14;
        QTest::newRow("small 1") << 3 * K << 14 << true << 21;
        QTest::newRow("small 9") << 5 * K + 10 << 2 * K + 10 << true << 29;
        QTest::newRow("clear marks") << 4 * K << 3 * K + 10 << true << 30;
        QTest::newRow("bottom right is empty") << 4 * K << 5 * K << true << 0;
        QTest::newRow("bottom edge") << 40 << 6 * K - 4 << true << 0;
        QTest::newRow("memo side off: small 1") << 3 * K + 5 << 14 << false << 0;
        QTest::newRow("memo side off: its margin") << 3 * K - 4 << 14 << false << 0;
        QTest::newRow("memo side off: big 3") << 3 * K - 5 << 14 << false << 3;
    }
    void hitTest() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, memoSide);
        QFETCH(int, item);
        CNumberDlg pad(nullptr, 1.0, 1.0);
        pad.ShowAt(QPoint(0, 0), memoSide);
        QCOMPARE(pad.HitTest(x, y), item);
        // Every item's centre hits the item itself.
        if (item != 0) QCOMPARE(pad.HitTest(pad.ItemCentre(item).x(), pad.ItemCentre(item).y()), item);
    }

    void itemCommands_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("value");
        QTest::newRow("5") << 5 << CNumberDlg::kSetDigit << 5;
        QTest::newRow("erase") << 10 << CNumberDlg::kErase << 0;
        QTest::newRow("red") << 11 << CNumberDlg::kSetColour << kColourRed;
        QTest::newRow("green") << 12 << CNumberDlg::kSetColour << kColourGreen;
        QTest::newRow("blue") << 13 << CNumberDlg::kSetColour << kColourBlue;
        QTest::newRow("white") << 14 << CNumberDlg::kSetColour << kColourNone;
        QTest::newRow("mark 5") << 25 << CNumberDlg::kToggleMark << 5;
        QTest::newRow("clear") << 30 << CNumberDlg::kClearMarks << 0;
        QTest::newRow("none") << 0 << 0 << 0;
    }
    void itemCommands() {
        QFETCH(int, item);
        QFETCH(int, id);
        QFETCH(int, value);
        const CNumberDlg::Command command = CNumberDlg::ItemCommand(item);
        QCOMPARE(command.id, id);
        QCOMPARE(command.value, value);
    }

    void releaseSendsAndHides() {
        CNumberDlg pad(nullptr, 1.0, 1.0);
        QSignalSpy spy(&pad, &CNumberDlg::command);
        pad.ShowAt(QPoint(10, 10), true);
        QTest::mouseClick(&pad, Qt::LeftButton, {}, QPoint(4 * CNumberDlg::K, 5 * CNumberDlg::K));
        QCOMPARE(spy.count(), 0);
        QVERIFY(pad.isVisible());
        QTest::mouseClick(&pad, Qt::RightButton, {}, pad.ItemCentre(25));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), int(CNumberDlg::kToggleMark));
        QCOMPARE(spy.at(0).at(1).toInt(), 5);
        QVERIFY(!pad.isVisible());
    }

    void painting() {
        constexpr int K = CNumberDlg::K;
        CNumberDlg pad(nullptr, 1.0, 1.0);
        pad.ShowAt(QPoint(0, 0), true);
        QCOMPARE(pad.size(), QSize(171, 171));
        QImage image = pad.grab().toImage();
        QCOMPARE(image.pixel(170, 170), 0xFFA0A0A0u);  // the shadow edge
        QCOMPARE(image.pixel(2, 2), 0xFFF0F0F0u);
        // The green swatch: translucent green on the pad's grey.
        const QRgb green = image.pixel(K + 10, 4 * K + 10);
        QVERIFY(qGreen(green) > qRed(green) + 15 && std::abs(qRed(green) - qBlue(green)) < 3);
        QCOMPARE(image.pixel(40, 5 * K + 10), 0xFFFFFFFFu);

        auto darkestOfMemoSide = [&](const QImage& img) {
            int darkest = 255;
            for (int y = 4; y < 3 * K; ++y)
                for (int x = 3 * K + 4; x < 6 * K - 4; ++x) darkest = std::min(darkest, qGray(img.pixel(x, y)));
            return darkest;
        };
        QVERIFY(darkestOfMemoSide(image) < 60);
        pad.ShowAt(QPoint(0, 0), false);
        QVERIFY(darkestOfMemoSide(pad.grab().toImage()) > 100);

        // The item under the mouse is shaded, darker while pressed.
        pad.ShowAt(QPoint(0, 0), true);
        QTest::mouseMove(&pad, pad.ItemCentre(5));
        QCOMPARE(pad.hotItem(), 5);
        QCOMPARE(pad.grab().toImage().pixel(K + 2, K + 2), 0xFFE0E0E0u);
        QTest::mousePress(&pad, Qt::LeftButton, {}, pad.ItemCentre(5));
        QCOMPARE(pad.grab().toImage().pixel(K + 2, K + 2), 0xFFD0D0D0u);
    }
};

QTEST_MAIN(NumberPadTest)
#include "number_pad_test.moc"
