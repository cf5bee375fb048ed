// Where a dialog of the main window opens: on the screen, clear of what the
// player needs to keep seeing (the board, 一時停止, the elapsed time, ヒント),
// beside the main window when the screen has room, and where the player last
// moved it.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

class QWidget;

namespace masuvo {

struct PlacementRequest {
    QRect screen;            // the screen's available area
    QRect window;            // the main window's frame
    QList<QRect> keepClear;  // what the dialog must not cover
    QPoint preferred;        // the top-left corner the dialog would like
    QSize size;              // the dialog's frame as it would like it
    QSize minimum;           // the smallest frame it can do its work in
};

// The frame for the dialog: the size it asks for where it covers nothing of
// keepClear, nearest the preferred corner, on the screen; smaller (not below
// minimum) when only that fits; the preferred corner kept on the screen when
// nothing does.
QRect PlaceDialog(const PlacementRequest& request);

// The corner a remembered position asks for, moved so the whole frame is on
// the screen.
QPoint KeepOnScreen(QPoint corner, QSize frame, const QRect& screen);

// The player's moves of a dialog, kept in the settings store as the offset
// from the main window's frame under a name of the dialog's own.
std::optional<QPoint> RememberedOffset(const QString& dialog);
void RememberOffset(const QString& dialog, QPoint offset);

// Puts a dialog not yet shown at frame (its frame, window decorations
// included) and from then on remembers under name its offset from anchor's
// frame whenever the player moves it away from there.
void PutAndFollowMoves(QWidget* dialog, const QRect& frame, QWidget* anchor, const QString& name);

// The frame of a dialog not yet shown: its size with decorations like those
// of anchor, a window already on the screen.
QSize FrameSizeLike(const QWidget* anchor, QSize clientSize);

}  // namespace masuvo
