// The program's version, as the window shows it and every record line and
// the package carry it. Nothing else lives here, so that the launcher can
// answer --version without the rest of the program.
#pragma once

namespace masuvo {

constexpr const char* kVersionText = "version 3.1.0";

}  // namespace masuvo
