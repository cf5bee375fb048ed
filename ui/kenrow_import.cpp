// Image import into the board: a picture file, the clipboard, a dropped
// address and the camera, each recognised and handed to the session as a
// new puzzle of givens.
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <ctime>

#include "session/image_names.h"
#include "ui/camera_capture.h"
#include "ui/image_import.h"
#include "ui/kenrow_dlg.h"
#include "ui/url_download.h"
#include "vision/board_recognition.h"

namespace masuvo {

namespace {

const char* const kImageReadFailed = "画像の読込に失敗しました。";
const char* const kNoCamera =
    "カメラが見つかりません。\nPCの設定でデスクトップアプリのカメラへのアクセスを許可してください。";

}  // namespace

void CKenrowDlg::ImportRecognizedBoard(const std::array<int, 81>& digits, const std::string& title) {
    KR_base puzzle;
    for (int cell = 0; cell < 81; ++cell) puzzle.value[cell / 9][cell % 9] = digits[cell];
    // Reset, givens, the name, then the interactive state check.
    masuvo::LoadCreatedPuzzle(*session_, puzzle, title);
    SetText(Field::Name, session_->name);
}

bool CKenrowDlg::ImportImageFile(const QString& path) {
    cv::Mat image;
    QString message;
    if (!LoadImageMat(path, image, message)) {
        if (!message.isEmpty()) ShowMessageBox(message.toStdString());
        return false;
    }
    BoardDigits digits{};
    if (!RecognizeBoard(image, false, digits)) {
        ShowMessageBox(kImageReadFailed);
        return false;
    }
    ImportRecognizedBoard(digits, ImageFileTitle(path.toStdString()));
    return true;
}

bool CKenrowDlg::ImportClipboardImage(const QImage& picture) {
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return false;
    const cv::Mat image = MatFromImage(picture);
    if (image.empty()) return false;
    BoardDigits digits{};
    if (!RecognizeBoard(image, false, digits)) {
        ShowMessageBox(kImageReadFailed);
        return false;
    }
    ImportRecognizedBoard(digits, TimeStampTitle("クリップボード", std::time(nullptr)));
    return true;
}

bool CKenrowDlg::ImportImageUrl(const QString& address) {
    const DownloadOutcome outcome =
        DownloadPicture(address, QString::fromStdString(session_->folders.tempFolder), this, downloadLimits_);
    if (!outcome.ok) {
        if (!outcome.message.isEmpty()) ShowMessageBox(outcome.message.toStdString());
        return false;
    }
    return ImportImageFile(outcome.path);
}

bool CKenrowDlg::CaptureCamera(std::array<int, 81>& digits) {
    switch (CaptureCameraBoard(cameraSource_, digits, this)) {
        case CaptureResult::Accepted: return true;
        case CaptureResult::NoCamera: ShowMessageBox(kNoCamera); return false;
        case CaptureResult::Ended: return false;
    }
    return false;
}

void CKenrowDlg::OnLoadImage() {
    if (imageFolder_.isEmpty()) imageFolder_ = QString::fromStdString(session_->folders.dataFolder);
    QFileDialog dialog(this, QStringLiteral("画像読込"), imageFolder_,
                       QStringLiteral("画像ファイル (*.png *.bmp *.jpg *.gif *.tif *.webp);;すべてのファイル (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().constFirst();
    imageFolder_ = QFileInfo(path).absolutePath();
    ImportImageFile(path);
}

void CKenrowDlg::OnClipboardImage() {
    const QImage picture = QGuiApplication::clipboard()->image();
    // No picture on the clipboard: nothing happens.
    if (picture.isNull()) return;
    ImportClipboardImage(picture);
}

void CKenrowDlg::OnCamera() {
    std::array<int, 81> digits{};
    if (!CaptureCamera(digits)) return;
    ImportRecognizedBoard(digits, TimeStampTitle("カメラ", std::time(nullptr)));
}

}  // namespace masuvo
