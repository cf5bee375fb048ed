#include "ui/export/board_print.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <algorithm>
#include <string>

#include "files/atomic_file.h"

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

// The page itself, on a printer set up beforehand.
PrintResult PrintPage(QPrinter& printer, const QString& name, const QImage& board) {
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

// Printing to a PDF file: the PDF writer does not notice a failed write (a
// full disk leaves a cut-off file and a success), and it empties an existing
// file as soon as it starts. So the page goes to a temporary file beside the
// target first; only a complete document is put in place, atomically.
PrintResult PrintToPdfFile(QPrinter& printer, const QString& name, const QImage& board) {
    const QString target = printer.outputFileName();
    const QFileInfo info(target);
    QTemporaryFile temp(info.absolutePath() + u"/."_s + info.fileName() + u".XXXXXX"_s);
    // A folder that cannot take the file is a printer that cannot start.
    if (!temp.open()) return PrintResult::StartFailed;
    printer.setOutputFileName(temp.fileName());
    const PrintResult result = PrintPage(printer, name, board);
    printer.setOutputFileName(target);
    if (result != PrintResult::Printed) return result;

    temp.seek(0);
    const QByteArray document = temp.readAll();
    std::string error;
    if (!document.trimmed().endsWith("%%EOF") ||
        !WriteFileAtomically(QFile::encodeName(target).toStdString(),
                             std::string_view(document.constData(), static_cast<size_t>(document.size())), error))
        return PrintResult::Failed;
    return PrintResult::Printed;
}

}  // namespace

PrintPageLayout PageLayoutOf(const QPrinter& printer) {
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    const int side = std::min(static_cast<int>(paper.width()) / 2, static_cast<int>(paper.height()) / 2);
    // A printable area that starts at or near the paper's edge still gets a
    // sixth of an inch, so the name never touches the paper's edge. Wide
    // margins (an inch set in the page setup) would put the square at eight
    // times the margin, off the paper: there the gap shrinks until the
    // square fits, though not below the sixth of an inch.
    auto gap = [side](double offset, int dpi, double room) {
        const int minimum = dpi / 6;
        const int fitting = static_cast<int>((room - side) / 8);
        return std::max(minimum, std::min(static_cast<int>(offset), fitting));
    };
    const int ox = gap(printable.left() - paper.left(), printer.logicalDpiX(), printable.width());
    const int oy = gap(printable.top() - paper.top(), printer.logicalDpiY(), printable.height());

    PrintPageLayout layout;
    layout.nameBox = QRectF(8 * ox, 4 * oy, std::max(0.0, printable.width() - 8 * ox), 4 * oy);
    // On paper too small for the square beside the gaps, the square shrinks.
    const double fits = std::min({static_cast<double>(side), printable.width() - 8 * ox, printable.height() - 8 * oy});
    layout.boardBox = QRectF(8 * ox, 8 * oy, std::max(0.0, fits), std::max(0.0, fits));
    return layout;
}

PrintResult PrintBoardPage(QPrinter& printer, const QString& name, const QImage& board) {
    printer.setDocName(u"Kenrow"_s);
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return PrintToPdfFile(printer, name, board);
    return PrintPage(printer, name, board);
}

}  // namespace masuvo
