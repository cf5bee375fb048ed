// Qt's file and device errors (the system's wording) in the player's words.
#pragma once

#include <QString>

#include "files/user_error_text.h"

namespace masuvo {

inline QString UserErrorQt(const QString& systemText) {
    return QString::fromStdString(UserErrorText(systemText.toStdString()));
}

}  // namespace masuvo
