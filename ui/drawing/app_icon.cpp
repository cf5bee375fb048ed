#include "ui/drawing/app_icon.h"

#include <QString>

// The pictures live in a static library: its resources are registered by
// hand, since nothing else pulls their object file into the program.
static void RegisterIconResources() { Q_INIT_RESOURCE(masuvo); }

namespace masuvo {

QIcon AppIcon() {
    RegisterIconResources();
    QIcon icon;
    // The sizes scripts/make-icons.sh renders; the small ones leave out the
    // cell lines, so scaling a large picture down would not give them.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1/masuvo.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace masuvo
