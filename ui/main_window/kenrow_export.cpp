// 画像保存... and 印刷...: the board outside the window.
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "ui/export/board_export.h"
#include "ui/export/board_print.h"
#include "ui/main_window/kenrow_dlg.h"

using namespace Qt::StringLiterals;

namespace masuvo {

namespace {

// Where the image save dialog was last used in this run; empty until then.
QString& ImageFolder() {
    static QString folder;
    return folder;
}

const QStringList& ImageFilters() {
    static const QStringList filters = {u"PNG Files (*.png)"_s, u"BMP Files (*.bmp)"_s, u"JPEG Files (*.jpg)"_s,
                                        u"GIF Files (*.gif)"_s, u"All Files (*.*)"_s};
    return filters;
}

// The extension a name typed without one gets under the chosen filter.
QString SuffixForFilter(const QString& filter) {
    const qsizetype star = filter.indexOf(u"(*."_s);
    const QString suffix = star < 0 ? QString() : filter.mid(star + 3).chopped(1);
    return suffix.isEmpty() || suffix == u"*" ? u"png"_s : suffix;
}

}  // namespace

void CKenrowDlg::OnSaveImage() {
    QString& folder = ImageFolder();
    if (folder.isEmpty()) folder = QString::fromStdString(session_->folders.dataFolder);
    QFileDialog dialog(this, u"画像保存"_s, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(ImageFilters());
    dialog.setDefaultSuffix(SuffixForFilter(ImageFilters().constFirst()));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixForFilter(filter)); });
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    Repaint();
    if (!chosen) return;
    const QString path = dialog.selectedFiles().constFirst();
    folder = QFileInfo(path).absolutePath();
    SaveBoardImage(path);
}

bool CKenrowDlg::SaveBoardImage(const QString& path) {
    if (ImageFormatOfPath(path) == ImageFileFormat::Unknown) {
        ShowMessageBox(UnknownImageFormatMessage(path).toStdString());
        return false;
    }
    BoardPaintOptions options;
    options.cellSize = settings_.size;
    options.fontSize = settings_.font_size;
    options.sx = sx_;
    options.sy = sy_;
    QString error;
    if (SaveImageFile(BoardPicture(*session_, options), path, error) == ImageSaveResult::Saved) return true;
    ShowMessageBox("保存ファイルをオープンできません。：\n" + error.toStdString());
    return false;
}

void CKenrowDlg::OnPrint() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    Repaint();
    if (chosen) PrintBoard(printer);
}

bool CKenrowDlg::PrintBoard(QPrinter& printer) {
    // Twice the screen's cell size for the paper, with every proportion
    // kept; the window's own size setting is not touched.
    BoardPaintOptions options;
    options.cellSize = 2 * settings_.size;
    options.fontSize = settings_.font_size;
    options.sx = sx_;
    options.sy = sy_;
    switch (PrintBoardPage(printer, QString::fromStdString(session_->name), BoardPicture(*session_, options))) {
        case PrintResult::Printed: return true;
        case PrintResult::StartFailed: ShowMessageBox("プリンターの初期化に失敗しました。"); return false;
        case PrintResult::Failed: break;
    }
    ShowMessageBox("印刷に失敗しました。");
    return false;
}

}  // namespace masuvo
