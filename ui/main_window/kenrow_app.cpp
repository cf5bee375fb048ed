#include "ui/main_window/kenrow_app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "records/record_file.h"
#include "ui/import/digit_model_loading.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/program_files.h"
#include "ui/qt_settings_store.h"
#include "vision/model_file.h"

namespace masuvo {

void InstallFontSubstitutions() {
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Meiryo"), QStringLiteral("Noto Sans CJK JP"));
    QFont::insertSubstitution(QStringLiteral("Meiryo UI"), QStringLiteral("Noto Sans CJK JP"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"));
}

CKenrowApp::CKenrowApp() = default;

CKenrowApp::CKenrowApp(Paths paths) : paths_(std::move(paths)) {}

CKenrowApp::~CKenrowApp() {
    if (translator_) QCoreApplication::removeTranslator(translator_.get());
}

CKenrowDlg& CKenrowApp::InitInstance() {
    InstallFontSubstitutions();
    QApplication::setFont(QFont(QStringLiteral("Meiryo UI"), 9));

    // Qt's own dialogs and buttons speak Japanese.
    translator_ = std::make_unique<QTranslator>();
    if (translator_->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        translator_->load(QStringLiteral("qtbase_ja"), QStringLiteral("/usr/share/qt6/translations")))
        QCoreApplication::installTranslator(translator_.get());

    // Scale factors: every stated position and size is for 96 dots per inch.
    double sx = 1.0, sy = 1.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        sx = screen->logicalDotsPerInchX() / 96.0;
        sy = screen->logicalDotsPerInchY() / 96.0;
    }

    QString documents = paths_.documentsFolder;
    if (documents.isEmpty()) {
        documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        // The system would create it; so do we.
        QDir().mkpath(documents);
    }
    const QString program =
        paths_.programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : paths_.programFolder;
    // The example folder comes from beside the program, or from the shared
    // data folder of an installed prefix.
    folders_ = PrepareDataFolders(documents.toStdString(),
                                  FolderHolding(program, QStringLiteral("例題")).toStdString());

    std::string message;
    if (!PrepareRecordFile(folders_.recordPath, message)) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("マスヴォ"), QString::fromStdString(message));
        box.exec();
    }

    LoadDigitModel(program);

    store_ = std::make_unique<QtSettingsStore>();
    const AppSettings settings = LoadSettings(*store_);

    window_ = std::make_unique<CKenrowDlg>(settings, folders_, sx, sy);
    return *window_;
}

void CKenrowApp::LoadDigitModel(const QString& programFolder) {
    const QString name = QStringLiteral("Masuvo.dat");
    // Without the file anywhere, the message names the program's own folder.
    const QString path = QDir(FolderHolding(programFolder, name)).filePath(name);
    modelLoaded_ = false;
    StartLoadingDigitModel(path);
}

const QString& CKenrowApp::modelMessage() {
    if (!modelLoaded_) {
        modelMessage_ = WaitForDigitModel();
        modelLoaded_ = true;
    }
    return modelMessage_;
}

void CKenrowApp::OpenCommandLine(const QStringList& arguments) {
    // The first argument after the program is the file; options are not known.
    if (arguments.size() >= 2 && window_) window_->OpenCommandLineFile(arguments.at(1));
}

void CKenrowApp::ExitInstance() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == u"マスヴォ ヘルプ") w->close();
    if (store_ && window_) {
        SaveSettings(*store_, window_->settings());
        store_->Sync();
    }
}

int CKenrowApp::Run(const QStringList& arguments) {
    CKenrowDlg& window = InitInstance();
    window.show();

    bool screenshotFailed = false;
    const QString screenshot = qEnvironmentVariable("MASUVO_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        // Queued before the command-line file is opened: a message box about
        // that file runs its own event loop, in which the grab then happens.
        QTimer::singleShot(0, &window, [&window, &screenshotFailed, screenshot] {
            if (!window.grab().save(screenshot, "PNG")) {
                std::fprintf(stderr, "masuvo: cannot write %s\n", screenshot.toLocal8Bit().constData());
                screenshotFailed = true;
            }
            QApplication::closeAllWindows();
        });
    }
    // Shown over the window rather than before it: a missing model only
    // takes image import away, and start-up goes on. A run without a user
    // writes it to the error output.
    if (!modelMessage().isEmpty()) {
        if (screenshot.isEmpty()) {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("マスヴォ"), modelMessage_, QMessageBox::Ok, &window);
            box.exec();
        } else {
            std::fprintf(stderr, "masuvo: %s\n", modelMessage_.toLocal8Bit().constData());
        }
    }
    OpenCommandLine(arguments);

    // The window may already be closed by the screenshot run.
    const int code = window.isVisible() ? QApplication::exec() : 0;
    ExitInstance();
    return screenshotFailed ? 1 : code;
}

}  // namespace masuvo
