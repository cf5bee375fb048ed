// Where a dialog goes beside the main window: the geometry alone, on a
// 1280×800 screen, and the offsets kept in the settings store.
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "ui/dialogs/dialog_placement.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

const QRect kScreen(0, 0, 1280, 800);

// A main window of 800×640 at x with its board at 20,70 (450 square) and the
// clock's controls right of it.
PlacementRequest Beside(int x, QSize size, QSize minimum) {
    PlacementRequest request;
    request.screen = kScreen;
    request.window = QRect(x, 40, 800, 640);
    request.keepClear = {QRect(x + 20, 110, 451, 451), QRect(x + 595, 150, 80, 20), QRect(x + 595, 180, 80, 20),
                         QRect(x + 495, 250, 80, 20)};
    request.preferred = QPoint(request.window.right() + 1, request.window.top());
    request.size = size;
    request.minimum = minimum;
    return request;
}

}  // namespace

class DialogPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void placesClearOfTheBoardAndOnTheScreen_data() {
        QTest::addColumn<int>("windowX");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("room on the right") << 0 << QSize(220, 170) << QSize(220, 170) << QRect(800, 40, 220, 170);
        QTest::newRow("room on the left only") << 470 << QSize(220, 170) << QSize(220, 170) << QRect(250, 40, 220, 170);
        // Too wide beside the window: right of the board and of ヒント,
        // below the clock.
        QTest::newRow("over the controls' column") << 0 << QSize(700, 600) << QSize(700, 300)
                                                   << QRect(580, 200, 700, 600);
        QTest::newRow("nowhere clear: kept on the screen") << 240 << QSize(800, 700) << QSize(800, 700)
                                                           << QRect(480, 40, 800, 700);
    }

    void placesClearOfTheBoardAndOnTheScreen() {
        QFETCH(int, windowX);
        QFETCH(QSize, size);
        QFETCH(QSize, minimum);
        QFETCH(QRect, expected);
        const PlacementRequest request = Beside(windowX, size, minimum);
        const QRect frame = PlaceDialog(request);
        QCOMPARE(frame, expected);
        QVERIFY(kScreen.contains(frame));
    }

    void keepOnScreenMovesAFrameInside_data() {
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("inside") << QPoint(100, 100) << QPoint(100, 100);
        QTest::newRow("past the right and bottom") << QPoint(1200, 700) << QPoint(1080, 600);
        QTest::newRow("before the left and top") << QPoint(-50, -10) << QPoint(0, 0);
    }

    void keepOnScreenMovesAFrameInside() {
        QFETCH(QPoint, corner);
        QFETCH(QPoint, expected);
        QCOMPARE(KeepOnScreen(corner, QSize(200, 200), kScreen), expected);
    }

    void offsetsAreKeptPerDialog() {
        QTemporaryDir temp;
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp.path());
        QVERIFY(!RememberedOffset(u"Review"_s));
        RememberOffset(u"Review"_s, QPoint(-30, 12));
        RememberOffset(u"HintDialog"_s, QPoint(900, 0));
        QCOMPARE(RememberedOffset(u"Review"_s), std::optional<QPoint>(QPoint(-30, 12)));
        QCOMPARE(RememberedOffset(u"HintDialog"_s), std::optional<QPoint>(QPoint(900, 0)));
    }
};

QTEST_MAIN(DialogPlacementTest)
#include "dialog_placement_test.moc"
