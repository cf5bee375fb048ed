// マスヴォ: the desktop program. The optional argument is a puzzle file to
// open; see CKenrowApp::Run for the screenshot run of the end-to-end test.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "session/play_session.h"
#include "ui/main_window/kenrow_app.h"

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

// --help and --version are answered before Qt starts, so that they work
// without a display. Only the first argument counts: any other first
// argument is the file to open.
bool AnswerInformationOption(int argc, char** argv) {
    if (argc < 2) return false;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        // kVersionText is "version X.Y.Z", as the window shows it.
        std::printf("masuvo %s\n", std::strchr(masuvo::kVersionText, ' ') + 1);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnswerInformationOption(argc, argv)) return std::fflush(stdout) == 0 ? 0 : 1;
    QApplication application(argc, argv);
    // Ties the windows to masuvo.desktop (its icon and name in the desktop's
    // task list, the application id on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("masuvo"));
    masuvo::CKenrowApp app;
    return app.Run(QApplication::arguments());
}
