// The window icon: the same pictures the desktop shows for the program
// (rendered from resources/icons/masuvo.svg), built into the program so that
// it does not depend on the icon theme it was installed into.
#pragma once

#include <QIcon>

namespace masuvo {

QIcon AppIcon();

}  // namespace masuvo
