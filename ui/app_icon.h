// The window icon: a small board with a few digits, drawn at every size the
// window system asks for instead of being shipped as pictures.
#pragma once

#include <QIcon>

namespace masuvo {

QIcon AppIcon();

}  // namespace masuvo
