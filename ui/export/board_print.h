// One printed page: the puzzle name at the top and the board below it,
// placed from the printer's own margins and page size.
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

class QPrinter;

namespace masuvo {

// Where the name and the board go, in the coordinates of a painter on the
// printer (origin at the printable area's top-left corner, device pixels).
struct PrintPageLayout {
    QRectF nameBox;
    QRectF boardBox;
};

// With ox, oy the printable area's offsets, raised to a sixth of an inch:
// the name top-aligned in a box at (8·ox, 4·oy) down to the board, the
// board a square at (8·ox, 8·oy) whose side is half the paper's shorter
// side. Where wide margins would push the square off the printable area,
// ox and oy are lowered (to a sixth of an inch at least) until it fits, and
// only then is the square made smaller.
PrintPageLayout PageLayoutOf(const QPrinter& printer);

enum class PrintResult { Printed, StartFailed, Failed };

// Prints the document "Kenrow": one page with the name and the board
// picture scaled smoothly into its square.
PrintResult PrintBoardPage(QPrinter& printer, const QString& name, const QImage& board);

}  // namespace masuvo
