// CKenrowApp: start-up in its fixed order (fonts, translations, the data
// folders, the record file, the digit model, the settings, the main window),
// the command-line file, and the settings written back at exit.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "session/app_settings.h"

class QTranslator;

namespace masuvo {

class CKenrowDlg;
class QtSettingsStore;

// The fonts the drawing and the dialogs ask for, mapped onto the ones a
// Linux desktop has.
void InstallFontSubstitutions();


class CKenrowApp {
public:
    // Folders that replace the user's Documents folder and the program's
    // own folder (tests); empty for the real ones.
    struct Paths {
        QString documentsFolder;
        QString programFolder;
    };

    CKenrowApp();
    explicit CKenrowApp(Paths paths);
    ~CKenrowApp();

    // Start-up up to the main window, which is created but not shown.
    CKenrowDlg& InitInstance();
    // The main window is up: load the file named on the command line.
    void OpenCommandLine(const QStringList& arguments);
    // After the main window has closed: the help viewer is asked to close
    // and the thirteen settings are written back, changed or not.
    void ExitInstance();

    // The whole run: start-up, the window until it closes, exit. A file named
    // by the environment variable MASUVO_SCREENSHOT makes the run
    // non-interactive: once the window is up (with the command-line file
    // loaded), the window is grabbed into that PNG file and closed again, so
    // end-to-end tests can look at the real program without a user.
    int Run(const QStringList& arguments);

    const DataFolders& folders() const { return folders_; }
    CKenrowDlg* window() const { return window_.get(); }
    // Empty when the digit model was read; else the text Run shows. Waits
    // for the model's reading, which start-up leaves to a thread.
    const QString& modelMessage();

private:
    // The digit classifier's model file Masuvo.dat, from the program's folder
    // or else from ../share/masuvo beside it (the installed layout). A
    // failure does not stop the start-up: its text is kept in
    // modelMessage() and shown once the window is up. Read on a thread of
    // its own (digit_model_loading.h).
    void LoadDigitModel(const QString& programFolder);

    Paths paths_;
    DataFolders folders_;
    std::unique_ptr<QTranslator> translator_;
    std::unique_ptr<QtSettingsStore> store_;
    std::unique_ptr<CKenrowDlg> window_;
    QString modelMessage_;
    bool modelLoaded_ = true;
};

}  // namespace masuvo
