// Image import into the board: a picture file, the clipboard, a dropped
// address and the camera, each recognised and handed to the session as a
// new puzzle of givens.
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <ctime>

#include "session/image_names.h"
#include "ui/import/camera_capture.h"
#include "ui/import/image_import.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/import/picture_reading.h"
#include "ui/import/url_download.h"
#include "vision/board_recognition.h"

namespace masuvo {

namespace {

// Every failure starts with the same line and says on the next which step
// failed and what to try.
const char* const kImageReadFailed = "画像の読込に失敗しました。";
const char* const kNotDecodable =
    "画像の読込に失敗しました。\n"
    "画像として読めないファイルです（壊れているか、画像ではありません）。\n"
    "PNG・JPEG・BMP・GIF・TIFF・WebP の画像を選んでください。";
const char* const kTooLarge =
    "画像の読込に失敗しました。\n"
    "画像が大きすぎます（1億画素、256 MiB まで）。\n"
    "縮小した画像を使ってください。";
const char* const kNoClipboardPicture =
    "クリップボードに画像がありません。\n"
    "盤面の画像をコピーしてから、もう一度お試しください。";
const char* const kNoDigitModel =
    "画像の読込に失敗しました。\n"
    "数字認識用のデータ (Masuvo.dat) が読込めなかったため、数字を読み取れません。\n"
    "プログラムを入れ直してください。";

std::string DecodingMessage(const PictureReading& reading) {
    if (!reading.message.isEmpty()) return reading.message.toStdString();
    switch (reading.failure.error) {
        case PictureError::FileTooLarge:
        case PictureError::TooManyPixels: return kTooLarge;
        default: return kNotDecodable;
    }
}

std::string RecognitionMessage(const RecognitionReport& report) {
    std::string text = kImageReadFailed;
    switch (report.failure) {
        case RecognitionFailure::None: break;
        case RecognitionFailure::NoModel: return kNoDigitModel;
        case RecognitionFailure::NoGrid:
            text += "\n盤面の枠が見つかりません。\n"
                    "盤面全体が画像に収まり、枠線がはっきり写っている画像を使ってください。";
            break;
        case RecognitionFailure::CornerOutside:
            text += "\n盤の角が画像の外にあります。\n"
                    "盤全体が写った画像を使ってください。";
            break;
        case RecognitionFailure::TooFewDigits:
            text += "\n盤面は見つかりましたが、読み取れた数字が " + std::to_string(report.digitsRead) +
                    " 個だけです（" + std::to_string(kMinimumRecognizedDigits) + " 個以上必要です）。\n"
                    "数字が大きくはっきり写るよう、盤面を画面いっぱいに撮った画像を使ってください。";
            break;
    }
    return text;
}
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

void CKenrowDlg::ImportReading(const BoardReading& reading, const std::string& title) {
    KR_base puzzle;
    ReadingDoubts doubts;
    for (int cell = 0; cell < 81; ++cell) {
        puzzle.value[cell / 9][cell % 9] = reading.digits[cell];
        doubts.cells[cell] = reading.doubtful[cell];
        doubts.changed += reading.changed[cell] ? 1 : 0;
    }
    doubts.broken = reading.rules == RuleOutcome::kBroken;
    masuvo::LoadImportedPuzzle(*session_, puzzle, title, doubts);
    SetText(Field::Name, session_->name);
}

// Decoding and recognition run off the window's thread (picture_reading.h);
// a cancelled reading leaves the board as it was, without a message.
bool CKenrowDlg::ImportImageFile(const QString& path) {
    const PictureReading reading = ReadPictureFile(path, this);
    if (reading.cancelled) return false;
    if (!reading.decoded) {
        ShowMessageBox(DecodingMessage(reading));
        return false;
    }
    if (!reading.read) {
        ShowMessageBox(RecognitionMessage(reading.report));
        return false;
    }
    ImportReading(reading.board, ImageFileTitle(path.toStdString()));
    return true;
}

bool CKenrowDlg::ImportClipboardImage(const QImage& picture) {
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0) {
        ShowMessageBox(kNoClipboardPicture);
        return false;
    }
    const PictureReading reading = ReadPictureImage(picture, this);
    if (reading.cancelled) return false;
    if (!reading.decoded) {
        ShowMessageBox(kTooLarge);
        return false;
    }
    if (!reading.read) {
        ShowMessageBox(RecognitionMessage(reading.report));
        return false;
    }
    ImportReading(reading.board, TimeStampTitle("クリップボード", std::time(nullptr)));
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
    ImportClipboardImage(QGuiApplication::clipboard()->image());
}

void CKenrowDlg::OnCamera() {
    std::array<int, 81> digits{};
    if (!CaptureCamera(digits)) return;
    ImportRecognizedBoard(digits, TimeStampTitle("カメラ", std::time(nullptr)));
}

}  // namespace masuvo
