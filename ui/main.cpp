// マスヴォ's window program, masuvo-window, which the `masuvo` command runs
// (launcher/main.cpp). The optional argument is a puzzle file to open; see
// CKenrowApp::Run for the screenshot run of the end-to-end test.
#include <QApplication>
#include <cstdio>

#include "launcher/information_options.h"
#include "ui/main_window/kenrow_app.h"

int main(int argc, char** argv) {
    // Run directly, it answers as the command does, before Qt starts.
    if (masuvo::AnswerInformationOption(argc, argv)) return std::fflush(stdout) == 0 ? 0 : 1;
    // The settings store and the window's class carry the command's name,
    // whatever this file is called.
    QCoreApplication::setApplicationName(QStringLiteral("masuvo"));
    QApplication application(argc, argv);
    // Ties the windows to masuvo.desktop (its icon and name in the desktop's
    // task list, the application id on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("masuvo"));
    masuvo::CKenrowApp app;
    return app.Run(QApplication::arguments());
}
