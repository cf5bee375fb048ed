#include "ui/main_window/number_pad.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "session/play_session.h"
#include "ui/drawing/board_painter.h"

namespace masuvo {

CNumberDlg::CNumberDlg(QWidget* parent, double sx, double sy)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), sx_(sx), sy_(sy) {
    setObjectName(QStringLiteral("numberPad"));
    // The board keeps the keyboard while the pad is up.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setFixedSize(static_cast<int>((6 * K + 3) * sx), static_cast<int>((6 * K + 3) * sy));
}

void CNumberDlg::ShowAt(const QPoint& globalPos, bool memoSideEnabled) {
    memoSide_ = memoSideEnabled;
    hot_ = 0;
    pressed_ = false;
    move(globalPos);
    show();
    raise();
    update();
}

int CNumberDlg::HitTest(double x, double y) const {
    const double right = memoSide_ ? 6 * K - 4 : 3 * K - 4;
    if (x < 4 || y < 4 || x >= right || y >= 6 * K - 4) return 0;
    const int col = static_cast<int>(x) / K;
    const int row = static_cast<int>(y) / K;
    if (x < 3 * K) {
        if (row < 3) return col + 3 * row + 1;
        if (row == 3) return 10;
        if (row == 4) return 11 + col;
        return 14;
    }
    if (row < 3) return 21 + (col - 3) + 3 * row;
    if (row == 3) return 30;
    return 0;
}

CNumberDlg::Command CNumberDlg::ItemCommand(int item) {
    if (item >= 1 && item <= 9) return {kSetDigit, item};
    if (item == 10) return {kErase, 0};
    if (item == 11) return {kSetColour, kColourRed};
    if (item == 12) return {kSetColour, kColourGreen};
    if (item == 13) return {kSetColour, kColourBlue};
    if (item == 14) return {kSetColour, kColourNone};
    if (item >= 21 && item <= 29) return {kToggleMark, item - 20};
    if (item == 30) return {kClearMarks, 0};
    return {};
}

QPoint CNumberDlg::ItemCentre(int item) const {
    double x = 0, y = 0;
    if (item >= 1 && item <= 9) {
        x = ((item - 1) % 3 + 0.5) * K;
        y = ((item - 1) / 3 + 0.5) * K;
    } else if (item == 10 || item == 14) {
        x = 1.5 * K;
        y = (item == 10 ? 3.5 : 5.5) * K;
    } else if (item >= 11 && item <= 13) {
        x = (item - 11 + 0.5) * K;
        y = 4.5 * K;
    } else if (item >= 21 && item <= 29) {
        x = ((item - 21) % 3 + 3.5) * K;
        y = ((item - 21) / 3 + 0.5) * K;
    } else if (item == 30) {
        x = 4.5 * K;
        y = 3.5 * K;
    } else {
        x = 4.5 * K;
        y = 5 * K;
    }
    return {static_cast<int>(x * sx_), static_cast<int>(y * sy_)};
}

void CNumberDlg::Track(const QPointF& pos) {
    const int item = HitTest(pos.x() / sx_, pos.y() / sy_);
    if (item == hot_) return;
    hot_ = item;
    update();
}

void CNumberDlg::mouseMoveEvent(QMouseEvent* event) { Track(event->position()); }

void CNumberDlg::leaveEvent(QEvent*) {
    if (hot_ == 0) return;
    hot_ = 0;
    update();
}

void CNumberDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    Track(event->position());
    pressed_ = true;
    update();
}

void CNumberDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    Track(event->position());
    const int item = hot_;
    pressed_ = false;
    hot_ = 0;
    if (item == 0) {
        update();
        return;
    }
    hide();
    const Command c = ItemCommand(item);
    emit command(c.id, c.value);
}

void CNumberDlg::paintEvent(QPaintEvent*) {
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    auto R = [this](double x, double y, double w, double h) { return QRectF(x * sx_, y * sy_, w * sx_, h * sy_); };
    auto P = [this](double x, double y) { return QPointF(x * sx_, y * sy_); };

    p.fillRect(image.rect(), QColor::fromRgba(0xFFA0A0A0));
    p.fillRect(R(0, 0, 6 * K, 6 * K), QColor::fromRgba(0xFFF0F0F0));

    if (hot_ != 0) {
        const QColor shade = QColor::fromRgba(pressed_ ? 0xFFD0D0D0 : 0xFFE0E0E0);
        double x = 0, y = 0, w = K;
        if (hot_ >= 1 && hot_ <= 9) {
            x = (hot_ - 1) % 3 * K;
            y = (hot_ - 1) / 3 * K;
        } else if (hot_ >= 11 && hot_ <= 13) {
            x = (hot_ - 11) * K;
            y = 4 * K;
        } else if (hot_ >= 21 && hot_ <= 29) {
            x = (hot_ - 21) % 3 * K + 3 * K;
            y = (hot_ - 21) / 3 * K;
        } else {
            // The wide rows: 削除, the white bar and クリア.
            w = 3 * K;
            x = hot_ == 30 ? 3 * K : 0;
            y = hot_ == 14 ? 5 * K : 3 * K;
        }
        p.fillRect(R(x + 1, y + 1, w - 2, K - 2), shade);
    }

    const QFont big = PointFont(QStringLiteral("Arial"), 0.5 * K, false, &image, sy_);
    const QFont small = PointFont(QStringLiteral("Arial"), 0.3 * K, false, &image, sy_);
    const QFont words = PointFont(QStringLiteral("Meiryo"), 0.38 * K, false, &image, sy_);
    p.setPen(Qt::black);
    for (int d = 1; d <= 9; ++d) {
        const int col = (d - 1) % 3;
        const int row = (d - 1) / 3;
        const QString text(QChar(u'0' + d));
        p.setFont(big);
        p.drawText(R(col * K, row * K + 2, K, K), Qt::AlignCenter, text);
        p.setFont(small);
        p.drawText(R(col * K + 3 * K, row * K + 2, K, K), Qt::AlignCenter, text);
    }
    p.setFont(words);
    p.drawText(R(0, 3 * K + 2, 3 * K, K), Qt::AlignCenter, QStringLiteral("削除"));
    p.drawText(R(3 * K, 3 * K + 2, 3 * K, K), Qt::AlignCenter, QStringLiteral("クリア"));

    p.fillRect(R(5, 4 * K + 5, K - 10, K - 10), QColor::fromRgba(static_cast<QRgb>(kColourRed)));
    p.fillRect(R(K + 5, 4 * K + 5, K - 10, K - 10), QColor::fromRgba(static_cast<QRgb>(kColourGreen)));
    p.fillRect(R(2 * K + 5, 4 * K + 5, K - 10, K - 10), QColor::fromRgba(static_cast<QRgb>(kColourBlue)));
    p.fillRect(R(5, 5 * K + 5, 3 * K - 10, K - 10), QColor::fromRgba(0xFFFFFFFF));

    QPen line(QColor::fromRgba(0xFFC0C0C0));
    line.setWidthF(1);
    p.setPen(line);
    p.drawLine(P(4, 3 * K), P(3 * K - 4, 3 * K));
    p.drawLine(P(4, 4 * K), P(3 * K - 4, 4 * K));
    p.drawLine(P(3 * K + 4, 3 * K), P(6 * K - 4, 3 * K));
    p.drawLine(P(3 * K + 4, 4 * K), P(6 * K - 4, 4 * K));
    p.drawLine(P(3 * K, 4), P(3 * K, 6 * K - 4));

    if (!memoSide_) p.fillRect(R(3 * K, 0, 3 * K, 6 * K), QColor::fromRgba(0x80F0F0F0));
    p.end();

    QPainter window(this);
    window.drawImage(0, 0, image);
}

}  // namespace masuvo
