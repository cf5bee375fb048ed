#include "ui/dialogs/dialog_placement.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QSettings>
#include <QWidget>
#include <algorithm>
#include <limits>
#include <vector>

namespace masuvo {

namespace {

const QString kGroup = QStringLiteral("Placement");

bool CoversNothing(const QRect& frame, const QList<QRect>& keepClear) {
    return std::none_of(keepClear.begin(), keepClear.end(), [&](const QRect& r) { return frame.intersects(r); });
}

// The clear frame of this size nearest the preferred corner, if any. The
// nearest one touches the screen's edge, a kept rectangle's edge or sits at
// the preferred coordinate, in each direction: those are the only corners
// worth trying.
std::optional<QRect> NearestClearFrame(const PlacementRequest& request, QSize size) {
    if (size.width() > request.screen.width() || size.height() > request.screen.height()) return std::nullopt;
    std::vector<int> xs{request.preferred.x(), request.screen.left(), request.screen.right() + 1 - size.width(),
                        request.window.right() + 1, request.window.left() - size.width()};
    std::vector<int> ys{request.preferred.y(), request.screen.top(), request.screen.bottom() + 1 - size.height()};
    for (const QRect& r : request.keepClear) {
        xs.push_back(r.right() + 1);
        xs.push_back(r.left() - size.width());
        ys.push_back(r.bottom() + 1);
        ys.push_back(r.top() - size.height());
    }
    std::optional<QRect> best;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (int x : xs) {
        for (int y : ys) {
            const QRect frame(QPoint(x, y), size);
            if (!request.screen.contains(frame) || !CoversNothing(frame, request.keepClear)) continue;
            const long long dx = x - request.preferred.x();
            const long long dy = y - request.preferred.y();
            if (dx * dx + dy * dy < bestDistance) {
                bestDistance = dx * dx + dy * dy;
                best = frame;
            }
        }
    }
    return best;
}

// Moves dialogs' remembered offsets into the settings store when the player
// moves them.
class MoveFollower : public QObject {
public:
    MoveFollower(QWidget* dialog, QPoint placed, QWidget* anchor, QString name)
        : QObject(dialog), dialog_(dialog), placed_(placed), anchor_(anchor), name_(std::move(name)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The window manager may nudge a new window by its decorations; a
        // move of more than that is the player's.
        if (watched == dialog_ && event->type() == QEvent::Move && dialog_->isVisible() && anchor_ != nullptr &&
            (dialog_->pos() - placed_).manhattanLength() > 8)
            RememberOffset(name_, dialog_->pos() - anchor_->frameGeometry().topLeft());
        return false;
    }

private:
    QWidget* dialog_;
    QPoint placed_;
    QPointer<QWidget> anchor_;
    QString name_;
};

// The program's own settings store (as QtSettingsStore opens it).
#define MASUVO_STORE(name) QSettings name(QStringLiteral("Vardelle"), QCoreApplication::applicationName())

}  // namespace

QRect PlaceDialog(const PlacementRequest& request) {
    const QSize minimum = request.minimum.boundedTo(request.size);
    // The size asked for first, then ever smaller by eighths of the room
    // between it and the minimum: height first, the list keeps its columns.
    // At each size, beside the window (covering none of it) before over the
    // parts of it that may be covered.
    PlacementRequest beside = request;
    beside.keepClear.append(request.window);
    auto place = [&](QSize size) {
        if (auto frame = NearestClearFrame(beside, size)) return frame;
        return NearestClearFrame(request, size);
    };
    for (int step = 0; step <= 8; ++step) {
        const int height = request.size.height() - (request.size.height() - minimum.height()) * step / 8;
        if (auto frame = place(QSize(request.size.width(), height))) return *frame;
    }
    for (int step = 1; step <= 8; ++step) {
        const int width = request.size.width() - (request.size.width() - minimum.width()) * step / 8;
        if (auto frame = place(QSize(width, minimum.height()))) return *frame;
    }
    return QRect(KeepOnScreen(request.preferred, request.size, request.screen), request.size);
}

QPoint KeepOnScreen(QPoint corner, QSize frame, const QRect& screen) {
    const int x = std::max(screen.left(), std::min(corner.x(), screen.right() + 1 - frame.width()));
    const int y = std::max(screen.top(), std::min(corner.y(), screen.bottom() + 1 - frame.height()));
    return QPoint(x, y);
}

std::optional<QPoint> RememberedOffset(const QString& dialog) {
    MASUVO_STORE(settings);
    const QVariant x = settings.value(kGroup + u'/' + dialog + QStringLiteral("X"));
    const QVariant y = settings.value(kGroup + u'/' + dialog + QStringLiteral("Y"));
    bool okX = false;
    bool okY = false;
    const int ix = x.toInt(&okX);
    const int iy = y.toInt(&okY);
    if (!okX || !okY) return std::nullopt;
    return QPoint(ix, iy);
}

void RememberOffset(const QString& dialog, QPoint offset) {
    MASUVO_STORE(settings);
    settings.setValue(kGroup + u'/' + dialog + QStringLiteral("X"), offset.x());
    settings.setValue(kGroup + u'/' + dialog + QStringLiteral("Y"), offset.y());
}

QSize FrameSizeLike(const QWidget* anchor, QSize clientSize) {
    const QRect frame = anchor->frameGeometry();
    const QRect client = anchor->geometry();
    return clientSize + (frame.size() - client.size());
}

void PutAndFollowMoves(QWidget* dialog, const QRect& frame, QWidget* anchor, const QString& name) {
    const QSize decorations = anchor->frameGeometry().size() - anchor->geometry().size();
    dialog->resize(frame.size() - decorations);
    dialog->move(frame.topLeft());
    dialog->installEventFilter(new MoveFollower(dialog, frame.topLeft(), anchor, name));
}

}  // namespace masuvo
