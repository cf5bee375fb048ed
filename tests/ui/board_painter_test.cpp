// The board painter and the background, judged by the pixels they produce:
// digit colours by origin, memos against candidates, cell colours, the
// selection frame, the pause veil and the hint overlay with its joins.
#include "ui/drawing/board_painter.h"

#include <QFont>
#include <QImage>
#include <QTest>

#include "session/headless_view.h"
#include "session/play_session.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/drawing/wood_background.h"

using namespace Qt::StringLiterals;
using namespace masuvo;

namespace {

constexpr int S = 50;

struct InkCount {
    int pixels = 0;     // pixels that are not white
    int darkest = 255;  // the lowest grey level
    int pure = 0;       // pixels of exactly the colour asked for (approximately)
};

// Looks at the inside of a rectangle of the board, away from grid lines.
InkCount Ink(const QImage& image, const QRect& area, QRgb colour = 0) {
    InkCount ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qGray(p) < 250) ++ink.pixels;
            ink.darkest = std::min(ink.darkest, qGray(p));
            if (colour != 0 && std::abs(qRed(p) - qRed(colour)) < 12 && std::abs(qGreen(p) - qGreen(colour)) < 12 &&
                std::abs(qBlue(p) - qBlue(colour)) < 12)
                ++ink.pure;
        }
    }
    return ink;
}

QRect CellInside(int row, int col) { return {col * S + 5, row * S + 5, S - 10, S - 10}; }

// The candidate box of digit d, shrunk a little.
QRect Box(int row, int col, int d) {
    const int i = (d - 1) % 3;
    const int j = (d - 1) / 3;
    return {col * S + 15 * i + 4 + 2, row * S + 15 * j + 4 + 2, 11, 11};
}

bool Near(QRgb p, QRgb expected, int tolerance = 10) {
    return std::abs(qRed(p) - qRed(expected)) <= tolerance && std::abs(qGreen(p) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(p) - qBlue(expected)) <= tolerance;
}

}  // namespace

class BoardPainterTest : public QObject {
    Q_OBJECT

private:
    HeadlessView view_{nullptr};
    std::unique_ptr<PlaySession> session_;

    QImage Render(int fontSize = 45, bool selection = true, bool veil = true) {
        BoardPaintOptions options;
        options.fontSize = fontSize;
        options.selectionFrame = selection;
        options.pauseVeil = veil;
        return RenderBoard(*session_, options);
    }
    PlaySession& s() { return *session_; }

private slots:
    void initTestCase() { InstallFontSubstitutions(); }
    void init() {
        session_ = std::make_unique<PlaySession>(view_, DataFolders{});
        // An empty board without marks, so that only what a case sets is drawn.
        for (auto& marks : s().candMarks) std::fill(std::begin(marks), std::end(marks), 0);
    }

    void boardSizeAndGrid() {
        const QImage image = Render();
        QCOMPARE(image.size(), QSize(451, 451));
        QCOMPARE(image.pixel(25, 25), 0xFFFFFFFFu);
        // Block lines are thicker than the thin grid.
        int thin = 0, thick = 0;
        for (int x = 40; x < 60; ++x) thin += qGray(image.pixel(x, 25)) < 128;
        for (int x = 140; x < 160; ++x) thick += qGray(image.pixel(x, 25)) < 128;
        QVERIFY(thin >= 1 && thin < thick);
    }

    void digitsByOrigin() {
        s().values[0] = s().values[1] = s().values[2] = s().values[3] = 5;
        s().origin[0] = 1;
        s().origin[1] = 0;
        s().origin[2] = 2;
        s().origin[3] = 7;  // unknown: not drawn
        const QImage image = Render();
        const InkCount given = Ink(image, CellInside(0, 0));
        const InkCount player = Ink(image, CellInside(0, 1), 0xFF505050);
        const InkCount assisted = Ink(image, CellInside(0, 2), 0xFFFF0000);
        QVERIFY(given.darkest < 10);
        QVERIFY(player.darkest >= 0x45 && player.pure > 20);
        QVERIFY(assisted.pure > 20);
        QCOMPARE(Ink(image, CellInside(0, 3)).pixels, 0);
        // Bold draws more ink than regular.
        QVERIFY(given.pixels > player.pixels);
        // The digits grow with the font size.
        QVERIFY(Ink(Render(50), CellInside(0, 1)).pixels > Ink(Render(40), CellInside(0, 1)).pixels);
    }

    void memosOrCandidates() {
        const int c = CellIndex(4, 4);
        s().memo[c][1] = s().memo[c][9] = 1;
        s().candMarks[c][5] = 1;
        QImage image = Render();
        QVERIFY(Ink(image, Box(4, 4, 1), 0xFF006080).pure > 3);
        QVERIFY(Ink(image, Box(4, 4, 9), 0xFF006080).pure > 3);
        QCOMPARE(Ink(image, Box(4, 4, 5)).pixels, 0);

        s().candidatesShown = true;
        image = Render();
        QCOMPARE(Ink(image, Box(4, 4, 1)).pixels, 0);
        QVERIFY(Ink(image, Box(4, 4, 5)).darkest < 0x60);
        // A struck-out candidate is pale; the candidate size ignores the font size.
        s().candMarks[c][5] = 3;
        image = Render();
        QVERIFY(Ink(image, Box(4, 4, 5)).darkest > 0xC8);
        QVERIFY(Ink(image, Box(4, 4, 5)).pixels > 3);
        QCOMPARE(Ink(Render(40), Box(4, 4, 5)).pixels, Ink(Render(50), Box(4, 4, 5)).pixels);
    }

    void colourSelectionAndVeil() {
        s().colour[CellIndex(2, 2)] = kColourRed;
        s().selRow = 4;
        s().selCol = 4;
        QImage image = Render();
        QVERIFY(Near(image.pixel(2 * S + 25, 2 * S + 25), qRgb(255, 223, 223)));
        // The frame of the selected cell lies inside its edge.
        QVERIFY(Near(image.pixel(4 * S + 25, 4 * S + 1), 0xFF808080, 25));
        QCOMPARE(Render(45, false).pixel(4 * S + 25, 4 * S + 1), 0xFFFFFFFFu);

        s().mode = 2;
        image = Render();
        const int veiled = qGray(image.pixel(4 * S + 25, 4 * S + 25));
        QVERIFY(veiled > 225 && veiled < 245);
        // The frame is under the veil.
        QVERIFY(qGray(image.pixel(4 * S + 25, 4 * S + 1)) >
                qGray(Render(45, true, false).pixel(4 * S + 25, 4 * S + 1)));
        QCOMPARE(Render(45, true, false).pixel(4 * S + 25, 4 * S + 25), 0xFFFFFFFFu);
    }

    void hintMarkColours_data() {
        QTest::addColumn<int>("mark");
        QTest::addColumn<QColor>("ring");
        QTest::addColumn<QColor>("fill");
        QTest::newRow("pink disc in a green ring")
            << 0x14 << QColor::fromRgba(0xFF40C040) << QColor::fromRgba(0xFFFF8080);
        QTest::newRow("pink disc alone") << 0x04 << QColor() << QColor::fromRgba(0xFFFF8080);
        QTest::newRow("black ring") << 0xF0 << QColor::fromRgba(0xFF000000) << QColor();
        QTest::newRow("ring outside the table is black") << 0x90 << QColor::fromRgba(0xFF000000) << QColor();
        QTest::newRow("fill 7 takes the blue ring")
            << 0x27 << QColor::fromRgba(0xFF8080FF) << QColor::fromRgba(0xFF8080FF);
        QTest::newRow("fill 9 without ring is black") << 0x09 << QColor() << QColor::fromRgba(0xFF000000);
        QTest::newRow("fill 15 is black") << 0x1F << QColor::fromRgba(0xFF40C040) << QColor::fromRgba(0xFF000000);
        QTest::newRow("cyan and magenta") << 0x65 << QColor::fromRgba(0xFFF080F0) << QColor::fromRgba(0xFF40F0F0);
    }
    void hintMarkColours() {
        QFETCH(int, mark);
        QFETCH(QColor, ring);
        QFETCH(QColor, fill);
        QCOMPARE(HintRingColour(static_cast<uint8_t>(mark)), ring);
        QCOMPARE(HintFillColour(static_cast<uint8_t>(mark)), fill);
    }

    void hintHighlightStarAndFrames() {
        s().hints.resize(1);
        KR_hint& hint = s().hints[0];
        hint.cellMark[CellIndex(1, 1)] = 1;
        hint.candMark[CellIndex(4, 4)][2] = 4;     // eliminated: red frame
        hint.candMark[CellIndex(5, 5)][2] = 0x14;  // eliminated with a ring: no frame
        s().hintRow = 7;
        s().hintCol = 7;
        s().hintStep = 0;
        QImage image = Render();
        QVERIFY(Near(image.pixel(S + 25, S + 40), 0xFFD0D0D0));
        QVERIFY(Near(image.pixel(4 * S + 25, 4 * S + 1), 0xFFFF4040, 30));
        QCOMPARE(image.pixel(5 * S + 25, 5 * S + 1), 0xFFFFFFFFu);
        const QRect star(7 * S + 15, 7 * S + 18, 22, 22);
        QVERIFY(Ink(image, star, 0xFFB0B0B0).pure > 20);
        QVERIFY(Ink(image, star).darkest > 0x90);

        // Without a step, or with one outside the list, only the star remains.
        for (int step : {-1, 1}) {
            s().hintStep = step;
            image = Render();
            QCOMPARE(image.pixel(S + 25, S + 40), 0xFFFFFFFFu);
            QCOMPARE(image.pixel(4 * S + 25, 4 * S + 1), 0xFFFFFFFFu);
            QVERIFY(Ink(image, star, 0xFFB0B0B0).pure > 20);
        }
        // Without a hint cell nothing of the hint is drawn.
        s().hintStep = 0;
        s().hintRow = s().hintCol = -1;
        image = Render();
        QCOMPARE(Ink(image, CellInside(7, 7)).pixels, 0);
        QCOMPARE(image.pixel(S + 25, S + 40), 0xFFFFFFFFu);
    }

    // The star never covers what the hint cell shows: on a cell with a digit
    // (a reviewed move) or with candidates (the hint in detail, 候補表示) it
    // stands in the top-right corner (in the top-right box when that is
    // empty), and every pixel outside that corner is the same as without it.
    void starBesideTheCellsDigitOrCandidates_data() {
        QTest::addColumn<int>("digit");
        QTest::addColumn<bool>("detail");
        QTest::addColumn<bool>("candidates");
        QTest::addColumn<bool>("withThree");  // the top-right candidate is there
        QTest::addColumn<QRect>("corner");     // where the star may go, in the cell
        QTest::newRow("the move's digit") << 8 << false << false << true << QRect(35, 0, 15, 15);
        QTest::newRow("candidates of the detail") << 0 << true << false << true << QRect(40, 0, 10, 10);
        QTest::newRow("candidates shown") << 0 << false << true << true << QRect(40, 0, 10, 10);
        QTest::newRow("the top-right box empty") << 0 << false << true << false << QRect(34, 4, 16, 15);
    }
    void starBesideTheCellsDigitOrCandidates() {
        QFETCH(int, digit);
        QFETCH(bool, detail);
        QFETCH(bool, candidates);
        QFETCH(bool, withThree);
        QFETCH(QRect, corner);
        const int row = 3, col = 7, c = CellIndex(row, col);
        s().hints.resize(1);
        s().hintStep = 0;
        s().values[c] = digit;
        s().origin[c] = 0;
        for (int d : {1, 2, 3, 4, 5, 6, 7, 8, 9}) s().candMarks[c][d] = d != 3 || withThree ? 1 : 0;
        if (withThree) s().hints[0].candMark[c][3] = 0x10;  // a ring on the top-right candidate
        s().detailShown = detail;
        s().candidatesShown = candidates;
        const QImage without = Render();
        s().hintRow = row;
        s().hintCol = col;
        const QImage with = Render();

        corner.translate(col * S, row * S);
        int inCorner = 0, elsewhere = 0, onInk = 0;
        for (int y = row * S + 1; y < (row + 1) * S; ++y) {
            for (int x = col * S + 1; x < (col + 1) * S; ++x) {
                if (with.pixel(x, y) == without.pixel(x, y)) continue;
                ++(corner.contains(x, y) ? inCorner : elsewhere);
                const QRgb was = without.pixel(x, y);
                const bool grey = std::abs(qRed(was) - qBlue(was)) < 16 && std::abs(qGreen(was) - qBlue(was)) < 16;
                if (grey && qGray(was) < 160) ++onInk;  // a stroke of a digit, not a ring's arc
            }
        }
        QVERIFY2(inCorner > 10, "the star is drawn in the corner");
        QCOMPARE(elsewhere, 0);
        QVERIFY2(onInk <= 2, QByteArray::number(onInk) + " pixels of the cell's digits covered");
    }

    void hintDiscsRingsAndJoins() {
        s().hints.resize(1);
        KR_hint& hint = s().hints[0];
        s().hintRow = s().hintCol = 8;
        s().hintStep = 0;
        s().detailShown = true;
        // Row 1, digit 3: green rings in columns 0 and 2 joined across the
        // block (2S), and in columns 2 and 3, which lie in different blocks.
        for (int col : {0, 2, 3}) {
            hint.candMark[CellIndex(1, col)][3] = 0x10;
            hint.candFlags[CellIndex(1, col)][3] = 0x40;
        }
        // Row 4: a green ring and a yellow one beside it; the join takes the green.
        hint.candMark[CellIndex(4, 0)][3] = 0x10;
        hint.candMark[CellIndex(4, 1)][3] = 0x30;
        hint.candFlags[CellIndex(4, 0)][3] = hint.candFlags[CellIndex(4, 1)][3] = 0x40;
        // Row 7: a pink disc and its candidate digit.
        hint.candMark[CellIndex(7, 7)][5] = 4;
        s().candMarks[CellIndex(7, 7)][5] = 1;

        const QImage image = Render();
        const QRgb green = 0xFF40C040;
        // The rings' top edges: the candidate box's top less 0.045·S, under a
        // pen of 0.03·S; the join lines run along them.
        const int rowOneTop = S + 1;
        const int rowFourTop = 4 * S + 1;
        QVERIFY2(Near(image.pixel(S + 20, rowOneTop), green, 40), "2S join inside the block");
        QVERIFY2(Near(image.pixel(3 * S + 20, rowOneTop), 0xFFFFFFFF), "no join across blocks");
        QVERIFY2(Near(image.pixel(S + 20, rowFourTop), green, 40), "the yellow ring's join in green");
        QVERIFY2(Near(image.pixel(S + 20, rowOneTop + 14), 0xFFFFFFFF), "a join is two lines, not a band");
        QVERIFY(Ink(image, Box(7, 7, 5), 0xFFFF8080).pure > 20);
        QVERIFY(Ink(image, Box(7, 7, 5)).darkest < 0x70);  // the digit on the disc
    }

    void woodBackground() {
        const QImage plain = BuildBackground(QSize(200, 100), false, 7);
        QCOMPARE(plain.pixel(0, 0), 0xFFF0F0F0u);
        QCOMPARE(plain.pixel(199, 99), 0xFFF0F0F0u);

        const QImage a = BuildBackground(QSize(400, 300), true, 1000);
        QCOMPARE(BuildBackground(QSize(400, 300), true, 1000), a);
        QVERIFY(BuildBackground(QSize(400, 300), true, 1001) != a);
        long horizontal = 0, vertical = 0;
        for (int y = 0; y < a.height() - 1; ++y) {
            for (int x = 0; x < a.width() - 1; ++x) {
                const QRgb p = a.pixel(x, y);
                QVERIFY(qRed(p) == qGreen(p) && qRed(p) >= 190 && qRed(p) <= 215);
                QVERIFY(qBlue(p) >= 190 && qBlue(p) <= 195);
                horizontal += std::abs(qRed(p) - qRed(a.pixel(x + 1, y)));
                vertical += std::abs(qRed(p) - qRed(a.pixel(x, y + 1)));
            }
        }
        // The grain runs in long horizontal streaks.
        QVERIFY2(vertical > 4 * horizontal, QByteArray::number(vertical) + " vs " + QByteArray::number(horizontal));
    }
};

QTEST_MAIN(BoardPainterTest)
#include "board_painter_test.moc"
