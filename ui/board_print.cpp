#include "ui/board_print.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace masuvo {

namespace {

QFont NameFont() {
    QFont font;
    // Meiryo is the program's name for the CJK face Debian provides.
    font.setFamilies({u"Meiryo"_s, u"Noto Sans CJK JP"_s});
    font.setPointSizeF(16);
    return font;
}

}  // namespace

PrintPageLayout PageLayoutOf(const QPrinter& printer) {
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    const int paperWidth = static_cast<int>(paper.width());
    const int paperHeight = static_cast<int>(paper.height());
    // Printers that report no offset (a PDF file has none) still get a
    // sixth of an inch, so the name never touches the paper's edge.
    const int ox = std::max(static_cast<int>(printable.left() - paper.left()), printer.logicalDpiX() / 6);
    const int oy = std::max(static_cast<int>(printable.top() - paper.top()), printer.logicalDpiY() / 6);

    PrintPageLayout layout;
    layout.nameBox = QRectF(8 * ox, 4 * oy, std::max(0.0, printable.width() - 8 * ox), 4 * oy);
    double side = std::min(paperWidth / 2, paperHeight / 2);
    // Wide margins would push the square off the printable area: keep it whole.
    side = std::max(0.0, std::min({side, printable.width() - 8 * ox, printable.height() - 8 * oy}));
    layout.boardBox = QRectF(8 * ox, 8 * oy, side, side);
    return layout;
}

PrintResult PrintBoardPage(QPrinter& printer, const QString& name, const QImage& board) {
    printer.setDocName(u"Kenrow"_s);
    QPainter painter;
    if (!painter.begin(&printer)) return PrintResult::StartFailed;
    const PrintPageLayout layout = PageLayoutOf(printer);

    painter.setFont(NameFont());
    painter.setPen(Qt::black);
    painter.drawText(layout.nameBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, name);

    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(layout.boardBox, board);

    if (printer.printerState() == QPrinter::Error) {
        printer.abort();
        painter.end();
        return PrintResult::Failed;
    }
    return painter.end() ? PrintResult::Printed : PrintResult::Failed;
}

}  // namespace masuvo
