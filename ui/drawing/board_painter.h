// The board drawing: one routine that paints the play state onto any
// QPainter whose origin is the board's top-left corner. The window, image
// export and printing all use it; it reads the session and changes nothing.
#pragma once

#include <QImage>
#include <QPainter>

namespace masuvo {

class PlaySession;

struct BoardPaintOptions {
    int cellSize = 50;  // S: the cell edge at 96 dots per inch
    int fontSize = 45;  // F: the digit and marker fonts scale by F/50
    double sx = 1.0;    // display scale factors; lengths scale, pens and fonts do not
    double sy = 1.0;
    bool selectionFrame = true;  // the frame of the selected cell
    bool pauseVeil = true;       // the translucent cover of a paused board
};

// A font of the given size in points as a surface at 96·scale dots per inch
// renders it, whatever the resolution of the device painted on.
QFont PointFont(const QString& family, double points, bool bold, const QPaintDevice* device, double scale);

// The colour table of the hint marks; index 0 and unknown indices give an
// invalid colour (nothing drawn).
QColor HintMarkColour(int index);
// The fill of a cell whose reading from a picture was doubtful: the yellow
// of the hint marks.
QColor DoubtfulCellColour();
// Ring and fill colours of a candMark byte (high and low nibble).
QColor HintRingColour(uint8_t mark);
QColor HintFillColour(uint8_t mark);

void PaintBoard(QPainter& painter, const PlaySession& session, const BoardPaintOptions& options);

// The board as an image of (9S+1)·sx × (9S+1)·sy pixels, transparent
// outside the painted board.
QImage RenderBoard(const PlaySession& session, const BoardPaintOptions& options);

}  // namespace masuvo
