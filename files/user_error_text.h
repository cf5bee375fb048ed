// System errors as the player reads them: the common ones in Japanese, the
// rest as the system words them.
#pragma once

#include <string>
#include <string_view>

namespace masuvo {

// The Japanese text of a common errno value (missing file, no permission,
// disk full, read-only file system …); SystemErrorText(error) for others.
std::string UserErrorText(int error);

// The same for a text that is already the system's wording of an error (as
// Qt's file classes report it): the Japanese text when it is the wording of
// a common errno value, otherwise the text unchanged.
std::string UserErrorText(std::string_view systemText);

}  // namespace masuvo
