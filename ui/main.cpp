// マスヴォ: the desktop program. The optional argument is a puzzle file to
// open; see CKenrowApp::Run for the screenshot run of the end-to-end test.
#include <QApplication>

#include "ui/kenrow_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    masuvo::CKenrowApp app;
    return app.Run(QApplication::arguments());
}
