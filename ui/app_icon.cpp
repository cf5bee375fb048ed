#include "ui/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace masuvo {

namespace {

QPixmap IconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF board(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 250, 235));
    painter.drawRoundedRect(board, size * 0.08, size * 0.08);
    // Block lines of a 3 × 3 board, the outline heavier.
    const qreal step = board.width() / 3;
    painter.setPen(QPen(QColor(60, 60, 60), qMax(1.0, size / 32.0)));
    for (int i = 1; i < 3; ++i) {
        painter.drawLine(QPointF(board.left() + i * step, board.top()), QPointF(board.left() + i * step, board.bottom()));
        painter.drawLine(QPointF(board.left(), board.top() + i * step), QPointF(board.right(), board.top() + i * step));
    }
    painter.setPen(QPen(QColor(30, 30, 30), qMax(1.0, size / 16.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(board, size * 0.08, size * 0.08);
    // Three digits on the diagonal, the middle one in the players' blue.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(qMax(6, static_cast<int>(step * 0.8)));
    painter.setFont(font);
    const char16_t* digits[3] = {u"1", u"5", u"9"};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(i == 1 ? QColor(30, 80, 200) : QColor(20, 20, 20));
        const QRectF cell(board.left() + i * step, board.top() + i * step, step, step);
        painter.drawText(cell, Qt::AlignCenter, QString::fromUtf16(digits[i]));
    }
    return pixmap;
}

}  // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(IconPixmap(size));
    return icon;
}

}  // namespace masuvo
