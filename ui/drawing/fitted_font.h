// Japanese captions are wider in the fonts at hand than in the ones the
// window's layout was made for: a control's font shrinks until its text
// fits the control's box, so nothing is clipped.
#pragma once

#include <QString>
#include <QWidget>

namespace masuvo {

// Sets the widget's font to the largest size up to its parent's font that
// fits text into the widget's width (less the control's own margins) and
// height.
void FitFont(QWidget* widget, const QString& text);

}  // namespace masuvo
