#include "ui/drawing/board_painter.h"

#include <QPainterPath>
#include <cmath>

#include "session/play_session.h"

namespace masuvo {

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kDarkGrey = 0xFF505050;
constexpr QRgb kPaleGrey = 0xFFE0E0E0;
constexpr QRgb kAssistedRed = 0xFFFF0000;
constexpr QRgb kMemoTeal = 0xFF006080;
constexpr QRgb kPatternShade = 0xFFD0D0D0;
constexpr QRgb kEliminationFrame = 0xFFFF4040;
constexpr QRgb kStarGrey = 0xFFB0B0B0;
constexpr QRgb kSmallStarGrey = 0xFF606060;
constexpr QRgb kSelectionFrame = 0xFF808080;
constexpr QRgb kPauseVeil = 0xA0E0E0E0;

// Board geometry in cell units, scaled to device pixels; pens and fonts
// take the unscaled cell size.
class Geometry {
public:
    Geometry(const BoardPaintOptions& o, const QPaintDevice* device)
        : S(o.cellSize), F(o.fontSize), cx_(o.cellSize * o.sx), cy_(o.cellSize * o.sy), sy_(o.sy), device_(device) {}

    double X(double cells) const { return cells * cx_; }
    double Y(double cells) const { return cells * cy_; }
    QRectF Cells(double col, double row, double w, double h) const { return {X(col), Y(row), X(w), Y(h)}; }
    QRectF Cell(int col, int row) const { return Cells(col, row, 1, 1); }

    // The candidate box of digit d in a cell, in cell units.
    QRectF CandidateBox(int col, int row, int d) const {
        const int i = (d - 1) % 3;
        const int j = (d - 1) / 3;
        return Cells(col + 0.3 * i + 0.08, row + 0.3 * j + 0.08, 0.3, 0.3);
    }

    QPen Pen(QRgb colour, double widthInCells) const {
        QPen pen{QColor::fromRgba(colour)};
        pen.setWidthF(widthInCells * S);
        return pen;
    }

    // A font of the given size in points, as a surface at 96·sy dots per
    // inch would render it, whatever the device's own resolution.
    QFont Font(double points, bool bold) const {
        return PointFont(QStringLiteral("Arial"), points, bold, device_, sy_);
    }

    const int S;
    const int F;

private:
    double cx_, cy_, sy_;
    const QPaintDevice* device_;
};

void DrawCentred(QPainter& p, const QRectF& box, const QString& text, const QFont& font, QRgb colour) {
    p.setFont(font);
    p.setPen(QColor::fromRgba(colour));
    p.drawText(box, Qt::AlignCenter, text);
}

QString DigitText(int d) { return QString(QChar(u'0' + d)); }

const KR_hint* ShownHint(const PlaySession& s) {
    if (s.hintStep < 0 || s.hintStep >= static_cast<int>(s.hints.size())) return nullptr;
    return &s.hints[static_cast<size_t>(s.hintStep)];
}

// Whether the small box of digit d in an empty cell draws anything: a
// candidate, a hint mark or a memo (the branches of PaintCells).
bool BoxShows(const PlaySession& s, int c, int d) {
    if (s.detailShown) {
        const KR_hint* hint = ShownHint(s);
        return (s.candMarks[c][d] & 1) != 0 || (hint != nullptr && hint->candMark[c][d] != 0);
    }
    if (s.candidatesShown) return (s.candMarks[c][d] & 1) != 0;
    return s.memo[c][d] != 0;
}

// Whether a cell draws anything of its own: a digit or something in its
// small boxes.
bool CellShowsContent(const PlaySession& s, int c) {
    const int v = s.values[c];
    if (v >= 1 && v <= 9) return true;
    if (v != 0) return false;
    for (int d = 1; d <= 9; ++d)
        if (BoxShows(s, c, d)) return true;
    return false;
}

// A five-pointed star with its top point up, centred on a point.
QPolygonF StarShape(QPointF centre, double outer) {
    QPolygonF star;
    const double inner = outer * 0.382;
    for (int i = 0; i < 10; ++i) {
        const double angle = M_PI * (i / 5.0 - 0.5);
        const double r = i % 2 == 0 ? outer : inner;
        star << QPointF(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
    }
    return star;
}

// The star on the cell to look at, when the cell shows a digit or
// candidates: in the top-right corner, above the top row of candidate boxes
// and beside the digit, so that it covers neither; drawn over the hint's
// rings so that it still shows where it crosses one, in a darker grey than
// the large star of an empty cell because it is small.
void PaintCornerStar(QPainter& p, const PlaySession& s, const Geometry& g) {
    if (s.hintCol < 0 || s.hintRow < 0 || s.hintCol > 8 || s.hintRow > 8) return;
    const int c = CellIndex(s.hintRow, s.hintCol);
    if (!CellShowsContent(s, c)) return;
    // A digit leaves the corner free down to a third of the cell. Among
    // candidates the star takes the top-right box when that box is empty,
    // and otherwise the margin above and beside it: candidate digits start
    // a sixth of a cell below the top edge and end an eighth before the
    // right one.
    QPointF centre;
    double radius = 0;
    if (s.values[c] != 0) {
        centre = QPointF(g.X(s.hintCol + 0.86), g.Y(s.hintRow + 0.13));
        radius = 0.11;
    } else if (!BoxShows(s, c, 3)) {
        centre = QPointF(g.X(s.hintCol + 0.83), g.Y(s.hintRow + 0.22));
        radius = 0.12;
    } else {
        centre = QPointF(g.X(s.hintCol + 0.91), g.Y(s.hintRow + 0.078));
        radius = 0.075;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgba(kSmallStarGrey));
    p.drawPolygon(StarShape(centre, g.X(radius)));
    p.setBrush(Qt::NoBrush);
}

// Hint highlighting: shaded pattern cells, red frames around cells that
// lost a candidate, and the star on the cell to look at.
void PaintHintHighlight(QPainter& p, const PlaySession& s, const Geometry& g) {
    if (s.hintCol < 0 || s.hintRow < 0 || s.hintCol > 8 || s.hintRow > 8) return;
    if (const KR_hint* hint = ShownHint(s)) {
        for (int c = 0; c < 81; ++c) {
            const QRectF cell = g.Cell(c % 9, c / 9);
            if (hint->cellMark[c] != 0) p.fillRect(cell, QColor::fromRgba(kPatternShade));
            bool eliminated = false;
            for (int d = 1; d <= 9; ++d) eliminated = eliminated || hint->candMark[c][d] == 4;
            if (eliminated) {
                p.setPen(g.Pen(kEliminationFrame, 0.08));
                p.setBrush(Qt::NoBrush);
                p.drawRect(cell);
            }
        }
    }
    // The large star of an empty cell; a cell with a digit or candidates
    // gets the small one after the cells are drawn (PaintCornerStar).
    if (!CellShowsContent(s, CellIndex(s.hintRow, s.hintCol)))
        DrawCentred(p, g.Cells(s.hintCol + 0.03, s.hintRow + 0.1, 1, 1), QString(QChar(0x2605)),
                    g.Font(0.5 * g.S * g.F / 50.0, false), kStarGrey);
}

// The colour a join is drawn in: the mark's own, except that a yellow mark
// joined to a green or blue one takes its neighbour's colour.
QColor JoinColour(int index, int neighbourIndex, const QColor& own) {
    if (index == 3 && (neighbourIndex == 1 || neighbourIndex == 2)) return HintMarkColour(neighbourIndex);
    return own;
}

enum class Nibble { Ring, Fill };

int MarkIndex(uint8_t mark, Nibble nibble) { return nibble == Nibble::Ring ? mark >> 4 : mark & 15; }

// Joins of a disc or ring to the same digit's mark in the cell to the left
// (horizontal) and above (vertical), within the block: the two edge lines of
// a capsule.
void PaintJoins(QPainter& p, const KR_hint& hint, const Geometry& g, int row, int col, int d, const QRectF& shape,
                const QColor& colour, Nibble nibble) {
    const int c = CellIndex(row, col);
    const uint8_t hBit = nibble == Nibble::Ring ? 0x40 : 0x10;
    const uint8_t vBit = nibble == Nibble::Ring ? 0x80 : 0x20;
    const int index = MarkIndex(hint.candMark[c][d], nibble);
    const double width = 0.03;  // the ring's pen, for both kinds of join

    auto span = [&](bool horizontal) -> int {
        const uint8_t bit = horizontal ? hBit : vBit;
        const int pos = horizontal ? col : row;
        if ((hint.candFlags[c][d] & bit) == 0) return 0;
        auto neighbour = [&](int back) { return horizontal ? CellIndex(row, col - back) : CellIndex(row - back, col); };
        if (pos % 3 != 0 && (hint.candFlags[neighbour(1)][d] & bit) != 0) return 1;
        if (pos % 3 == 2 && (hint.candFlags[neighbour(2)][d] & bit) != 0) return 2;
        return 0;
    };

    if (const int back = span(true)) {
        const int other = MarkIndex(hint.candMark[CellIndex(row, col - back)][d], nibble);
        p.setPen(g.Pen(JoinColour(index, other, colour).rgba(), width));
        const double x0 = shape.center().x();
        const double x1 = x0 - g.X(back);
        p.drawLine(QPointF(x0, shape.top()), QPointF(x1, shape.top()));
        p.drawLine(QPointF(x0, shape.bottom()), QPointF(x1, shape.bottom()));
    }
    if (const int back = span(false)) {
        const int other = MarkIndex(hint.candMark[CellIndex(row - back, col)][d], nibble);
        p.setPen(g.Pen(JoinColour(index, other, colour).rgba(), width));
        const double y0 = shape.center().y();
        const double y1 = y0 - g.Y(back);
        p.drawLine(QPointF(shape.left(), y0), QPointF(shape.left(), y1));
        p.drawLine(QPointF(shape.right(), y0), QPointF(shape.right(), y1));
    }
}

// The candidates of an empty cell while the hint detail is shown: rings,
// discs, their joins, and the candidate digits on top.
void PaintHintCandidates(QPainter& p, const PlaySession& s, const Geometry& g, int row, int col) {
    const KR_hint* hint = ShownHint(s);
    const int c = CellIndex(row, col);
    const QFont font = g.Font(0.18 * g.S, true);
    for (int d = 1; d <= 9; ++d) {
        const QRectF box = g.CandidateBox(col, row, d);
        if (hint != nullptr) {
            const uint8_t mark = hint->candMark[c][d];
            const QRectF fill(box.x() - g.X(0.012), box.y() - g.Y(0.03), g.X(0.3), g.Y(0.3));
            const QRectF ring = fill.adjusted(-g.X(0.015), -g.Y(0.015), g.X(0.015), g.Y(0.015));
            if ((mark >> 4) != 0) {
                const QColor colour = HintRingColour(mark);
                p.setPen(g.Pen(colour.rgba(), 0.03));
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(ring);
                PaintJoins(p, *hint, g, row, col, d, ring, colour, Nibble::Ring);
            }
            if ((mark & 15) != 0) {
                const QColor colour = HintFillColour(mark);
                p.setPen(Qt::NoPen);
                p.setBrush(colour);
                p.drawEllipse(fill);
                p.setBrush(Qt::NoBrush);
                PaintJoins(p, *hint, g, row, col, d, fill, colour, Nibble::Fill);
            }
        }
        if ((s.candMarks[c][d] & 1) != 0) {
            const bool pale = hint != nullptr && (hint->candFlags[c][d] & 2) != 0;
            DrawCentred(p, box, DigitText(d), font, pale ? kPaleGrey : kDarkGrey);
        }
    }
}

void PaintCells(QPainter& p, const PlaySession& s, const Geometry& g) {
    const QFont regular = g.Font(0.6 * g.S * g.F / 50.0, false);
    const QFont bold = g.Font(0.6 * g.S * g.F / 50.0, true);
    const QFont small = g.Font(0.18 * g.S, true);
    for (int row = 0; row < 9; ++row) {
        for (int col = 0; col < 9; ++col) {
            const int c = CellIndex(row, col);
            const int v = s.values[c];
            if (v >= 1 && v <= 9) {
                const QRectF box = g.Cells(col, row + 0.1, 1, 1);
                switch (s.origin[c]) {
                    case 0: DrawCentred(p, box, DigitText(v), regular, kDarkGrey); break;
                    case 1: DrawCentred(p, box, DigitText(v), bold, kBlack); break;
                    case 2: DrawCentred(p, box, DigitText(v), regular, kAssistedRed); break;
                    default: break;  // an origin the board does not know is not drawn
                }
            } else if (v == 0 && s.detailShown) {
                PaintHintCandidates(p, s, g, row, col);
            } else if (v == 0 && s.candidatesShown) {
                for (int d = 1; d <= 9; ++d) {
                    const uint8_t mark = s.candMarks[c][d];
                    if ((mark & 1) == 0) continue;
                    DrawCentred(p, g.CandidateBox(col, row, d), DigitText(d), small,
                                (mark & 2) != 0 ? kPaleGrey : kDarkGrey);
                }
            } else if (v == 0) {
                for (int d = 1; d <= 9; ++d)
                    if (s.memo[c][d] != 0) DrawCentred(p, g.CandidateBox(col, row, d), DigitText(d), small, kMemoTeal);
            }
        }
    }
}

}  // namespace

QFont PointFont(const QString& family, double points, bool bold, const QPaintDevice* device, double scale) {
    const int dpi = device != nullptr && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points * 96.0 * scale / dpi);
    font.setBold(bold);
    return font;
}

QColor HintMarkColour(int index) {
    switch (index) {
        case 1: return QColor::fromRgba(0xFF40C040);
        case 2: return QColor::fromRgba(0xFF8080FF);
        case 3: return QColor::fromRgba(0xFFFFFF40);
        case 4: return QColor::fromRgba(0xFFFF8080);
        case 5: return QColor::fromRgba(0xFF40F0F0);
        case 6: return QColor::fromRgba(0xFFF080F0);
        case 15: return QColor::fromRgba(0xFF000000);
        default: return {};
    }
}

QColor DoubtfulCellColour() { return HintMarkColour(3); }

QColor HintRingColour(uint8_t mark) {
    const int ring = mark >> 4;
    if (ring == 0) return {};
    return ring >= 1 && ring <= 6 ? HintMarkColour(ring) : QColor::fromRgba(kBlack);
}

QColor HintFillColour(uint8_t mark) {
    const int fill = mark & 15;
    if (fill == 0) return {};
    if (fill >= 7 && fill <= 14) {
        const int ring = mark >> 4;
        return ring >= 1 && ring <= 6 ? HintMarkColour(ring) : QColor::fromRgba(kBlack);
    }
    return HintMarkColour(fill);
}

void PaintBoard(QPainter& p, const PlaySession& s, const BoardPaintOptions& options) {
    const Geometry g(options, p.device());
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    p.fillRect(g.Cells(0, 0, 9, 9), QColor::fromRgba(kWhite));
    PaintHintHighlight(p, s, g);

    // Cells read doubtfully from a picture: the yellow of the hint marks,
    // under the player's own colours.
    for (int c = 0; c < 81; ++c)
        if (s.doubtful[c]) p.fillRect(g.Cell(c % 9, c / 9), DoubtfulCellColour());

    for (int c = 0; c < 81; ++c)
        if (s.colour[c] != kColourNone)
            p.fillRect(g.Cell(c % 9, c / 9), QColor::fromRgba(static_cast<QRgb>(s.colour[c])));

    p.setBrush(Qt::NoBrush);
    p.setPen(g.Pen(kBlack, 0.02));
    for (int i = 0; i <= 9; ++i) {
        p.drawLine(QPointF(0, g.Y(i)), QPointF(g.X(9), g.Y(i)));
        p.drawLine(QPointF(g.X(i), 0), QPointF(g.X(i), g.Y(9)));
    }
    p.setPen(g.Pen(kBlack, 0.068));
    for (int i = 0; i <= 9; i += 3) {
        p.drawLine(QPointF(0, g.Y(i)), QPointF(g.X(9), g.Y(i)));
        p.drawLine(QPointF(g.X(i), 0), QPointF(g.X(i), g.Y(9)));
    }

    PaintCells(p, s, g);
    PaintCornerStar(p, s, g);

    if (options.selectionFrame && s.selRow >= 0 && s.selRow <= 8 && s.selCol >= 0 && s.selCol <= 8) {
        p.setPen(g.Pen(kSelectionFrame, 0.08));
        p.setBrush(Qt::NoBrush);
        p.drawRect(g.Cell(s.selCol, s.selRow));
    }
    if (options.pauseVeil && s.mode == 2) p.fillRect(g.Cells(0, 0, 9, 9), QColor::fromRgba(kPauseVeil));
    p.restore();
}

QImage RenderBoard(const PlaySession& session, const BoardPaintOptions& options) {
    const int w = static_cast<int>((9 * options.cellSize + 1) * options.sx);
    const int h = static_cast<int>((9 * options.cellSize + 1) * options.sy);
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintBoard(painter, session, options);
    return image;
}

}  // namespace masuvo
