#include "ui/drawing/fitted_font.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace masuvo {

namespace {

// The margins a control keeps around its text.
int Padding(const QWidget* widget) {
    if (qobject_cast<const QPushButton*>(widget) != nullptr) return 8;
    if (qobject_cast<const QLineEdit*>(widget) != nullptr) return 8;
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return 2 * label->frameWidth() + 2 + (label->indent() > 0 ? label->indent() : 0);
    return 4;
}

}  // namespace

void FitFont(QWidget* widget, const QString& text) {
    const QWidget* parent = widget->parentWidget();
    QFont font = parent != nullptr ? parent->font() : widget->font();
    int pixels = QFontInfo(font).pixelSize();
    const int width = widget->width() - Padding(widget);
    const int height = widget->height();
    for (; pixels > 8; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(text) <= width && metrics.height() <= height + 1) break;
    }
    font.setPixelSize(pixels);
    widget->setFont(font);
}

}  // namespace masuvo
