#include "launcher/information_options.h"

#include <cstdio>
#include <cstring>

#include "session/version.h"

namespace masuvo {

namespace {

constexpr const char* kUsage =
    "usage: masuvo [FILE]\n"
    "マスヴォ (Masuvo): a trainer for 9×9 number-placement puzzles.\n"
    "\n"
    "  FILE        a puzzle file (.kzd) to open, or a picture of a puzzle to read\n"
    "              (.png .bmp .jpg .gif .tif .webp)\n"
    "  -h, --help  this text\n"
    "  --version   the version\n"
    "\n"
    "Puzzles, finished puzzles and the achievement record are kept in マスヴォ２\n"
    "in your Documents folder; the settings in ~/.config/Vardelle/masuvo.conf.\n"
    "masuvo-cli rates, solves, creates and reads puzzles from a terminal.\n";

}  // namespace

bool AnswerInformationOption(int argc, char** argv) {
    if (argc < 2) return false;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        // kVersionText is "version X.Y.Z", as the window shows it.
        std::printf("masuvo %s\n", std::strchr(kVersionText, ' ') + 1);
        return true;
    }
    return false;
}

}  // namespace masuvo
