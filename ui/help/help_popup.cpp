#include "ui/help/help_popup.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "ui/drawing/board_painter.h"  // PointFont
#include "ui/help/help_window.h"

namespace masuvo {

namespace {

// Row height and width in rows, at 96 dots per inch.
constexpr int R = 24;
constexpr int W = 6;

QPointer<CHelpDlg>& CurrentPopup() {
    static QPointer<CHelpDlg> popup;
    return popup;
}

std::function<void(const QString&)>& PageOpener() {
    static std::function<void(const QString&)> opener = [](const QString& page) { CHelpWindow::OpenTopic(page); };
    return opener;
}

// Opens the popup for right presses in a window and its children.
class RightClickHelp : public QObject {
public:
    RightClickHelp(QWidget* window, std::function<std::vector<HelpTopic>()> topics, double sx, double sy)
        : QObject(window), window_(window), topics_(std::move(topics)), sx_(sx), sy_(sy) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ChildAdded) {
            // Controls added later report their clicks too.
            if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) Watch(child);
            return false;
        }
        if (event->type() != QEvent::MouseButtonPress) return false;
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() != Qt::RightButton) return false;
        (void)watched;
        const std::vector<HelpTopic> topics = topics_();
        if (topics.empty()) {
            CHelpDlg::CloseOpen();
            return true;
        }
        CHelpDlg::Open(press->globalPosition().toPoint(), topics, sx_, sy_, window_);
        return true;
    }

public:
    void Watch(QWidget* widget) {
        widget->installEventFilter(this);
        for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
    }

private:
    QWidget* window_;
    std::function<std::vector<HelpTopic>()> topics_;
    double sx_;
    double sy_;
};

}  // namespace

CHelpDlg::CHelpDlg(const std::vector<HelpTopic>& topics, double sx, double sy, QWidget* owner)
    : QWidget(owner != nullptr ? owner->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint),
      topics_(topics),
      sx_(sx),
      sy_(sy) {
    setObjectName(QStringLiteral("helpPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The owner keeps the keyboard; the popup only answers the mouse.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    const int n = static_cast<int>(topics_.size());
    setFixedSize(static_cast<int>((R * W + 3) * sx_), static_cast<int>((R * (n + 1) + 3) * sy_));
    // No mouse grab: the owner's next click must still act. A press anywhere
    // else, Escape or leaving the program closes the popup.
    qApp->installEventFilter(this);
}

CHelpDlg* CHelpDlg::Open(QPoint globalPosition, const std::vector<HelpTopic>& topics, double sx, double sy,
                         QWidget* owner) {
    CloseOpen();
    auto* popup = new CHelpDlg(topics, sx, sy, owner);
    popup->move(globalPosition);
    CurrentPopup() = popup;
    popup->show();
    return popup;
}

void CHelpDlg::CloseOpen() {
    if (CHelpDlg* popup = CurrentPopup().data()) {
        CurrentPopup() = nullptr;
        qApp->removeEventFilter(popup);
        popup->hide();
        popup->deleteLater();
    }
}

CHelpDlg* CHelpDlg::Current() { return CurrentPopup().data(); }

void CHelpDlg::SetPageOpener(std::function<void(const QString&)> opener) { PageOpener() = std::move(opener); }

QImage CHelpDlg::Render() const {
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const int n = static_cast<int>(topics_.size());
    auto rect = [this](double x, double y, double w, double h) { return QRectF(x * sx_, y * sy_, w * sx_, h * sy_); };

    p.fillRect(image.rect(), QColor(0xA0, 0xA0, 0xA0));
    p.fillRect(rect(0, 0, R * W, R * (n + 1)), QColor(0xF0, 0xF0, 0xF0));
    if (hot_ >= 1 && hot_ <= n)
        p.fillRect(rect(1, R * hot_ + 1, R * W - 2, R - 2), pressed_ ? QColor(0xD0, 0xD0, 0xD0) : QColor(0xE0, 0xE0, 0xE0));

    p.setFont(PointFont(QStringLiteral("Meiryo"), 0.38 * R, false, &image, sy_));
    p.setPen(Qt::black);
    const Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    p.drawText(rect(0, 2, R * W, R), align, QStringLiteral("  ヘルプ"));
    for (int i = 1; i <= n; ++i)
        p.drawText(rect(0, R * i + 2, R * W, R), align,
                   QStringLiteral("    ") + QString::fromStdString(topics_[static_cast<size_t>(i - 1)].name));

    // Through the middle of pixel row R, as the other drawing library places a
    // one-pixel line on a whole coordinate: one sharp row, not two half rows.
    p.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1));
    const double lineY = std::floor(R * sy_) + 0.5;
    p.drawLine(QPointF(4 * sx_, lineY), QPointF((R * W - 4) * sx_, lineY));
    return image;
}

void CHelpDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}

void CHelpDlg::SetHot(int row) {
    if (row == hot_) return;
    hot_ = row;
    update();
}

void CHelpDlg::mouseMoveEvent(QMouseEvent* event) {
    const double x = event->position().x() / sx_;
    const double y = event->position().y() / sy_;
    const int n = static_cast<int>(topics_.size());
    const bool inside = x >= 4 && x < R * W - 4 && y >= 4 && y < R * (n + 1) - 4;
    SetHot(inside ? static_cast<int>(y) / R : 0);
}

void CHelpDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    mouseMoveEvent(event);
    pressed_ = true;
    update();
}

void CHelpDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    pressed_ = false;
    mouseMoveEvent(event);
    update();
    // Over the header or the edge nothing happens and the popup stays.
    if (hot_ >= 1 && hot_ <= static_cast<int>(topics_.size())) Choose(hot_);
}

void CHelpDlg::leaveEvent(QEvent*) { SetHot(0); }

void CHelpDlg::Choose(int row) {
    const QString page = QString::fromStdString(topics_[static_cast<size_t>(row - 1)].page);
    // Closed first: the help window that opens must not find it.
    CloseOpen();
    PageOpener()(page);
}

bool CHelpDlg::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget != nullptr && widget != this && !isAncestorOf(widget)) CloseOpen();
            break;
        }
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                CloseOpen();
                return true;
            }
            break;
        case QEvent::ApplicationDeactivate: CloseOpen(); break;
        default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void OpenHelpPopupOnRightClick(QWidget* window, std::function<std::vector<HelpTopic>()> topics, double sx,
                               double sy) {
    auto* filter = new RightClickHelp(window, std::move(topics), sx, sy);
    filter->Watch(window);
}

}  // namespace masuvo
