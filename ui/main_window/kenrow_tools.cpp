// The developer tools opened by the Control+Q, X, J sequence.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <ctime>
#include <optional>

#include "session/developer_tools.h"
#include "session/session_text.h"
#include "ui/dialogs/create_dialog.h"
#include "ui/dialogs/create_test_dlg.h"
#include "ui/dialogs/developer_dlg.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/dialogs/result_dlg.h"

namespace masuvo {

namespace {

const QString kPuzzleFilter = QStringLiteral("Kenrow Data Files (*.kzd)");

// The wait cursor for as long as a batch runs.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

// ---- Developer tools ----

void CKenrowDlg::OpenDeveloperTools() {
    CDeveloperDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) return;
    switch (dialog.tool()) {
        case kEvaluateAllFiles:
            if (auto paths = ChoosePuzzleFiles()) EvaluateAllFiles(*paths);
            break;
        case kResaveAllFiles:
            if (auto paths = ChoosePuzzleFiles()) ResaveAllFiles(*paths);
            break;
        case kSkipTrivialSteps: SkipTrivialSteps(*session_, *this); break;
        case kDiversifyPuzzle: DiversifyPuzzle(*session_, *this, static_cast<uint64_t>(std::time(nullptr))); break;
        case kContinuousCreation: {
            const QString folder = QFileDialog::getExistingDirectory(this, QString(), toolsFolder_);
            if (folder.isEmpty()) break;
            toolsFolder_ = folder;
            ContinuousCreation(folder);
            break;
        }
        default: break;
    }
}

std::optional<std::vector<std::string>> CKenrowDlg::ChoosePuzzleFiles() {
    if (AskYesNo("フォルダを指定しますか?")) {
        const QString folder = QFileDialog::getExistingDirectory(this, QString(), toolsFolder_);
        if (folder.isEmpty()) return std::nullopt;
        toolsFolder_ = folder;
        return ListPuzzleFiles(folder.toStdString());
    }
    QFileDialog dialog(this, QStringLiteral("ファイルの複数選択"), toolsFolder_, kPuzzleFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setDefaultSuffix(QStringLiteral("kzd"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    toolsFolder_ = dialog.directory().absolutePath();
    std::vector<std::string> paths;
    for (const QString& path : dialog.selectedFiles()) paths.push_back(path.toStdString());
    std::sort(paths.begin(), paths.end());
    return paths;
}

BatchProgress CKenrowDlg::BatchProgressDialog(QProgressDialog& progress, int total) {
    progress.setWindowTitle(QStringLiteral("マスヴォ"));
    progress.setCancelButtonText(QStringLiteral("キャンセル"));
    progress.setRange(0, total);
    progress.setMinimumDuration(500);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    return [&progress](int index, int) {
        progress.setValue(index);
        QApplication::processEvents();
        return !progress.wasCanceled();
    };
}

CResultDlg* CKenrowDlg::EvaluateAllFiles(const std::vector<std::string>& paths) {
    std::string report;
    {
        WaitCursor wait;
        QProgressDialog progress(QStringLiteral("ファイルを評価しています..."), QString(), 0, 1, this);
        report = EvaluateFiles(*session_, paths, BatchProgressDialog(progress, static_cast<int>(paths.size())));
    }
    SetText(Field::Name, session_->name);
    return OpenResultWindow(report, QStringLiteral("全ファイル評価"), 760, 600);
}

CResultDlg* CKenrowDlg::ResaveAllFiles(const std::vector<std::string>& paths) {
    std::string list;
    {
        WaitCursor wait;
        QProgressDialog progress(QStringLiteral("ファイルを再保存しています..."), QString(), 0, 1, this);
        list = ResaveFiles(*session_, paths, BatchProgressDialog(progress, static_cast<int>(paths.size())));
    }
    return OpenResultWindow(list, QStringLiteral("全ファイル再保存"), 400, 600);
}

void CKenrowDlg::ContinuousCreation(const QString& folder) {
    CCreateTestDlg dialog(this);
    if (seriesSearch_) dialog.setSearch(seriesSearch_);
    const int code = dialog.exec();
    // A series cut short by a failed search keeps what it made; a cancelled
    // one changes nothing.
    if (code != 0 && !dialog.failed()) return;
    SaveCreatedSeries(*session_, *this, folder.toStdString(), dialog.start(), dialog.symmetry(), dialog.results());
    if (dialog.failed()) ShowCreationFailure(this);
    std::string text = messageText_;
    if (!text.empty()) text += "\r\n";
    SetText(Field::Message, text + "問題作成時間：" + TimeText(dialog.total()));
}

}  // namespace masuvo
