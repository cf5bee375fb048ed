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
#include "ui/picture_reading.h"
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

// Decoding and recognition run off the window's thread (picture_reading.h);
// a cancelled reading leaves the board as it was, without a message.
bool CKenrowDlg::ImportImageFile(const QString& path) {
    const PictureReading reading = ReadPictureFile(path, this);
    if (reading.cancelled) return false;
    if (!reading.decoded) {
        if (!reading.message.isEmpty()) ShowMessageBox(reading.message.toStdString());
        return false;
    }
    if (!reading.read) {
        ShowMessageBox(kImageReadFailed);
        return false;
    }
    ImportRecognizedBoard(reading.digits, ImageFileTitle(path.toStdString()));
    return true;
}

bool CKenrowDlg::ImportClipboardImage(const QImage& picture) {
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return false;
    const PictureReading reading = ReadPictureImage(picture, this);
    if (reading.cancelled || !reading.decoded) return false;
    if (!reading.read) {
        ShowMessageBox(kImageReadFailed);
        return false;
    }
    ImportRecognizedBoard(reading.digits, TimeStampTitle("クリップボード", std::time(nullptr)));
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
