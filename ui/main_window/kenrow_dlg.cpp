#include "ui/main_window/kenrow_dlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QUrl>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <chrono>
#include <ctime>

#include "ui/dialogs/create_dialog.h"
#include "ui/dialogs/create_hard_dialog.h"
#include "generator/creation.h"
#include "session/image_names.h"
#include "session/session_text.h"
#include "ui/drawing/app_icon.h"
#include "ui/drawing/fitted_font.h"
#include "ui/help/help_popup.h"
#include "ui/help/help_window.h"
#include "ui/dialogs/dialog_placement.h"
#include "ui/dialogs/hint_dialog.h"
#include "ui/main_window/number_pad.h"
#include "ui/dialogs/record_dlg.h"
#include "ui/dialogs/result_dlg.h"
#include "ui/dialogs/review_dlg.h"
#include "ui/sound_player.h"
#include "ui/dialogs/volume_dialog.h"

namespace masuvo {

namespace {

const QString kCaption = QStringLiteral("マスヴォ");
const QString kPuzzleFilter = QStringLiteral("Kenrow Data Files (*.kzd)");

}  // namespace

CKenrowDlg::CKenrowDlg(const AppSettings& settings, const DataFolders& folders, double sx, double sy, QWidget* parent)
    : QMainWindow(parent), settings_(settings), sx_(sx), sy_(sy) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(kCaption);
    setWindowIcon(masuvo::AppIcon());
    // The window has one size per board size: nothing to maximise. The
    // window manager honours the buttons only when they are spelled out.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Meiryo UI"), 9));
    session_ = std::make_unique<PlaySession>(*this, folders);
    // The result windows' save dialog and the tools' file choice start in the
    // data folder, then wherever they were last used.
    CResultDlg::SetSaveFolder(QString::fromStdString(folders.dataFolder));
    toolsFolder_ = QString::fromStdString(folders.dataFolder);
    session_->timeDisplay = settings_.time_disp == 1;
    sound_ = std::make_unique<SoundPlayer>();
    sound_->SetVolume(settings_.volume);

    CreateMenus();
    UpdateViewMarks();
    CreateControls();
    LayoutControls();
    RebuildBackground();
    session_->ResetSession();

    pad_ = new CNumberDlg(this, sx_, sy_);
    pad_->hide();
    connect(pad_, &CNumberDlg::command, this, &CKenrowDlg::PadCommand);
    connect(&CHelpWindow::Links(), &HelpLinks::practiceRequested, this, &CKenrowDlg::OnPracticeTechnique);

    tick_.setInterval(1000);
    connect(&tick_, &QTimer::timeout, this, [this] { session_->Tick(); });

    // Board keys are seen before the focused control and the accelerators.
    qApp->installEventFilter(this);
    client_->setFocus();
}

CKenrowDlg::~CKenrowDlg() {
    qApp->removeEventFilter(this);
    // A drill still being made is cancelled and its thread joined before the
    // session goes.
    delete drillTask_;
    drillTask_ = nullptr;
    tick_.stop();
    if (hintDialog_) delete hintDialog_.data();
}

QPoint CKenrowDlg::CellPoint(int row, int col, int subDigit) const {
    const double S = settings_.size;
    double x = (col + 0.5) * S;
    double y = (row + 0.5) * S;
    if (subDigit >= 1 && subDigit <= 9) {
        x = (col + ((subDigit - 1) % 3 + 0.5) / 3.0) * S;
        y = (row + ((subDigit - 1) / 3 + 0.5) / 3.0) * S;
    }
    return {static_cast<int>(X(20 + x)), static_cast<int>(Y(20 + y))};
}

void CKenrowDlg::OpenCommandLineFile(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString extension = dot >= 0 ? path.mid(dot + 1) : QString();
    if (extension != u"kzd") {
        if (HasPictureExtension(path.toStdString())) {
            ImportImageFile(path);
        } else {
            ShowMessageBox("読込めないファイルです。：\n" + path.toStdString() +
                           "\n問題ファイル (.kzd) か、盤面の画像 (.png .bmp .jpg .gif .tif .webp) を指定してください。");
        }
        return;
    }
    if (!session_->ReadPuzzleFile(path.toStdString())) return;
    session_->SetName(FileStem(path.toStdString()));
    SetText(Field::Name, session_->name);
}

void CKenrowDlg::LoadCreatedPuzzle(const KR_base& puzzle, const std::string& name, int seconds) {
    masuvo::LoadCreatedPuzzle(*session_, puzzle, name);
    SetText(Field::Name, session_->name);
    std::string text = messageText_;
    if (!text.empty()) text += "\r\n";
    SetText(Field::Message, text + "問題作成時間：" + TimeText(seconds));
}

// ---- SessionView ----

void CKenrowDlg::SetText(Field field, const std::string& text) {
    QString value = QString::fromStdString(text);
    if (field == Field::Message) {
        const bool appended = text.size() > messageText_.size() && text.compare(0, messageText_.size(), messageText_) == 0;
        const int oldLength = static_cast<int>(message_->toPlainText().size());
        messageText_ = text;
        value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        message_->setPlainText(value);
        // A completion's result follows the last move's text: the result's
        // lines are the ones to see whole.
        const int completed = static_cast<int>(value.lastIndexOf(QString::fromUtf8(kCompletedText)));
        if (completed > 0) {
            ShowAppendedMessage(static_cast<int>(value.lastIndexOf(u'\n', completed)) + 1);
        } else if (appended && oldLength > 0) {
            ShowAppendedMessage(oldLength);
        }
        return;
    }
    auto it = fields_.find(field);
    if (it == fields_.end()) return;
    if (auto* label = qobject_cast<QLabel*>(it->second)) {
        label->setText(value);
        FitFont(label, value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(it->second)) {
        edit->setText(value);
        edit->setCursorPosition(0);
    }
}

void CKenrowDlg::ShowAppendedMessage(int start) {
    // The new text's first line at the top of the area (or as near as the
    // end allows), so a result appended below a long move text is seen whole.
    message_->moveCursor(QTextCursor::End);
    QTextCursor cursor = message_->textCursor();
    cursor.setPosition(start);
    // Skip the line break that separates the new text from the old.
    if (message_->document()->characterAt(start) == QChar(u'\n')) cursor.setPosition(start + 1);
    message_->setTextCursor(cursor);
    message_->ensureCursorVisible();
}

void CKenrowDlg::SetDigitCountText(int digit, const std::string& text) {
    if (digit >= 1 && digit <= 9) digitCounts_[digit - 1]->setText(QString::fromStdString(text));
}

void CKenrowDlg::EnableControl(Control control, bool enabled) {
    if (auto item = items_.find(control); item != items_.end()) {
        item->second->setEnabled(enabled && !item->second->property("unavailable").toBool());
        return;
    }
    if (auto widgets = controls_.find(control); widgets != controls_.end())
        for (QWidget* w : widgets->second) w->setEnabled(enabled);
}

void CKenrowDlg::SetCandidatesPressed(bool pressed) { candidatesButton_->setChecked(pressed); }

void CKenrowDlg::SetAcceptDrops(bool accept) { setAcceptDrops(accept); }

bool CKenrowDlg::AskYesNo(const std::string& question) {
    QMessageBox box(QMessageBox::Question, kCaption, QString::fromStdString(question),
                    QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

Answer CKenrowDlg::AskYesNoCancel(const std::string& question) {
    QMessageBox box(QMessageBox::Question, kCaption, QString::fromStdString(question),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Yes ? Answer::Yes : answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void CKenrowDlg::ShowMessageBox(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, kCaption, QString::fromStdString(text), QMessageBox::Ok, this);
    box.exec();
}

void CKenrowDlg::PlaySound(Sound sound) { sound_->Play(sound); }

void CKenrowDlg::Repaint() {
    board_->update();
    // The overtime brackets are drawn on the window itself.
    client_->update();
}

void CKenrowDlg::OpenHintDialog(const std::string& text, HintDialogOwner owner) {
    CloseHintDialog();
    // The review's hint dialog belongs to the review and sits on its list.
    QWidget* parent = owner == HintDialogOwner::Review && review_ ? static_cast<QWidget*>(review_.data()) : this;
    auto* dialog = new CHintDlg(QString::fromStdString(text), session_->detailShown, sx_, sy_, parent);
    connect(dialog, &CHintDlg::stepSelected, this, [this](int index) { session_->SelectHintStep(index); });
    connect(dialog, &CHintDlg::detailToggled, this, [this](bool pressed, int index) {
        session_->SetDetail(pressed);
        session_->SelectHintStep(index);
    });
    connect(dialog, &CHintDlg::closedByUser, this, &CKenrowDlg::HintDialogClosedByUser);
    // A right click offers the help page of each technique the hint lists.
    OpenHelpPopupOnRightClick(
        dialog,
        [text] {
            std::vector<std::string> items;
            std::string conclusion;
            SplitHintDialogText(text, items, conclusion);
            return HintHelpTopics(items, conclusion);
        },
        sx_, sy_);
    if (parent == this) {
        PlaceBesideBoard(dialog, dialog->height(), QStringLiteral("HintDialog"));
    } else {
        dialog->SetClientSize(QSize(static_cast<int>(X(215)), static_cast<int>(Y(180))));
        // On the review's list, as near its old place there as it can.
        PlaceBesideBoard(dialog, dialog->height(), QStringLiteral("ReviewHintDialog"),
                         parent->mapToGlobal(QPoint(static_cast<int>(X(160)), static_cast<int>(Y(340)))));
    }
    hintDialog_ = dialog;
    dialog->show();
}

void CKenrowDlg::PlaceBesideBoard(QWidget* dialog, int minimumHeight, const QString& name,
                                  std::optional<QPoint> preferred) {
    const QRect window = frameGeometry();
    const QRect screen = this->screen()->availableGeometry();
    const QSize frame = FrameSizeLike(this, dialog->size());
    if (const std::optional<QPoint> offset = RememberedOffset(name)) {
        PutAndFollowMoves(dialog, QRect(KeepOnScreen(window.topLeft() + *offset, frame, screen), frame), this, name);
        return;
    }
    PlacementRequest request;
    request.screen = screen;
    request.window = window;
    // What the player watches while a dialog is open: the board, and the
    // clock with the buttons that stop it and ask for a hint.
    for (const char* control : {"board", "pauseButton", "elapsedTime", "elapsedRatio", "hintButton"}) {
        const QWidget* w = client_->findChild<QWidget*>(QString::fromLatin1(control));
        request.keepClear.append(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()));
    }
    request.preferred = preferred.value_or(QPoint(window.right() + 1, window.top()));
    request.size = frame;
    request.minimum = FrameSizeLike(this, QSize(dialog->width(), minimumHeight));
    PutAndFollowMoves(dialog, PlaceDialog(request), this, name);
}

void CKenrowDlg::HintDialogClosedByUser() {
    if (!hintDialog_) return;
    CHintDlg* dialog = hintDialog_.data();
    hintDialog_ = nullptr;
    dialog->deleteLater();
    session_->HintDialogClosed();
}

void CKenrowDlg::CloseHintDialog() {
    if (!hintDialog_) return;
    CHintDlg* dialog = hintDialog_.data();
    hintDialog_ = nullptr;
    // The session has already forgotten the dialog: it must not hear of it again.
    disconnect(dialog, nullptr, this, nullptr);
    dialog->hide();
    dialog->deleteLater();
}

void CKenrowDlg::HideNumberPad() { pad_->hide(); }

int64_t CKenrowDlg::MonotonicSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t CKenrowDlg::WallClockSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

void CKenrowDlg::StartTick() { tick_.start(); }

void CKenrowDlg::StopTick() { tick_.stop(); }

// ---- Window ----

void CKenrowDlg::closeEvent(QCloseEvent* event) {
    // Nothing is asked and nothing of the play is kept; the clock stops
    // before the window's state goes away.
    tick_.stop();
    pad_->hide();
    if (hintDialog_) hintDialog_->hide();
    // The help has no window of its own to keep the program running.
    CHelpDlg::CloseOpen();
    CHelpWindow::CloseCurrent();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->windowTitle() == u"msv camera") w->close();
    event->accept();
}

// ---- Commands ----

void CKenrowDlg::OnLoad() {
    const QString start =
        QString::fromStdString(session_->rememberedFolder) + u'/' + QString::fromStdString(session_->name);
    QFileDialog dialog(this, QStringLiteral("データ読込"), start, kPuzzleFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("kzd"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    session_->LoadPuzzleCommand(dialog.selectedFiles().constFirst().toStdString());
}

void CKenrowDlg::OnSave() {
    const QString start =
        QString::fromStdString(session_->rememberedFolder) + u'/' + QString::fromStdString(session_->name);
    QFileDialog dialog(this, QStringLiteral("データ保存"), start, kPuzzleFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("kzd"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    session_->SavePuzzleCommand(dialog.selectedFiles().constFirst().toStdString());
}

CReviewDlg* CKenrowDlg::reviewDialog() const { return review_.data(); }

void CKenrowDlg::CopyBoard() { QGuiApplication::clipboard()->setText(QString::fromStdString(session_->BoardText())); }

void CKenrowDlg::OnPaste() { session_->PasteBoardText(QGuiApplication::clipboard()->text().toStdString()); }

void CKenrowDlg::OnCreatePuzzle() {
    CCreateDlg dialog(settings_.create_number, settings_.create_rank, settings_.create_symmetry, false, this);
    const int code = dialog.exec();
    // The choices are kept whether or not a puzzle was made.
    settings_.create_number = dialog.number();
    settings_.create_rank = dialog.rankSelection();
    settings_.create_symmetry = dialog.symmetry();
    if (code == 0)
        LoadCreatedPuzzle(dialog.result(), RatedPuzzleName(dialog.rankIndex(), dialog.symmetry(), dialog.number(), dialog.technique()),
                          dialog.elapsedSeconds());
}

void CKenrowDlg::OnCreateDifficult() {
    CCreateDlg dialog(settings_.difficult_number, settings_.difficult_rank, settings_.difficult_symmetry, true, this);
    const int code = dialog.exec();
    settings_.difficult_number = dialog.number();
    settings_.difficult_rank = dialog.rankSelection();
    settings_.difficult_symmetry = dialog.symmetry();
    if (code == 0)
        LoadCreatedPuzzle(dialog.result(), RatedPuzzleName(dialog.rankIndex(), dialog.symmetry(), dialog.number(), dialog.technique()),
                          dialog.elapsedSeconds());
}

void CKenrowDlg::OnCreateUnsolvable() {
    CCreateHardDlg dialog(settings_.hard_number, settings_.hard_symmetry, this);
    const int code = dialog.exec();
    settings_.hard_number = dialog.number();
    settings_.hard_symmetry = dialog.symmetry();
    if (code == 0)
        LoadCreatedPuzzle(dialog.result(), UnsolvablePuzzleName(dialog.symmetry(), dialog.number()),
                          dialog.elapsedSeconds());
}

void CKenrowDlg::OnRecords() {
    CRecordDlg dialog(QString::fromStdString(session_->folders.recordPath), sx_, sy_, this);
    dialog.exec();
}

void CKenrowDlg::OnHomePage() {
    if (!QDesktopServices::openUrl(QUrl(QString::fromUtf8(kHomePage)))) ShowMessageBox("ホームページが開けません。");
}

void CKenrowDlg::OnReview() {
    session_->BeginReview();
    CReviewDlg dialog(*this, sx_, sy_);
    // The review is wider than the room right of the board on a small
    // screen: the window steps left for the time of the review, as far as
    // the screen allows, and back afterwards unless the player moved it.
    const QPoint home = pos();
    if (!RememberedOffset(QStringLiteral("Review"))) {
        const QWidget* board = board_;
        const int boardRight = board->mapToGlobal(QPoint(board->width(), 0)).x();
        const QRect screen = this->screen()->availableGeometry();
        const int wanted = FrameSizeLike(this, dialog.size()).width() - (screen.right() + 1 - boardRight);
        const int possible = frameGeometry().left() - screen.left();
        if (wanted > 0 && possible > 0) move(home - QPoint(std::min(wanted, possible), 0));
    }
    const QPoint stepped = pos();
    PlaceBesideBoard(&dialog, static_cast<int>(Y(300)), QStringLiteral("Review"));
    review_ = &dialog;
    dialog.exec();
    if (stepped != home && pos() == stepped) move(home);
    // The review's hint dialog goes with it.
    if (hintDialog_ && hintDialog_->parent() == &dialog) HintDialogClosedByUser();
    review_ = nullptr;
    session_->EndReview();
    Repaint();
}

void CKenrowDlg::OnVolume() {
    CVolumeDlg dialog(settings_.volume, *sound_, this);
    dialog.exec();
    settings_.volume = dialog.volume();
    sound_->SetVolume(settings_.volume);
}

void CKenrowDlg::SetBoardSize(int size) {
    settings_.size = size;
    LayoutControls();
    RebuildBackground();
    UpdateViewMarks();
    Repaint();
}

void CKenrowDlg::SetFontSize(int size) {
    settings_.font_size = size;
    UpdateViewMarks();
    Repaint();
}

void CKenrowDlg::ToggleTimeDisplay() {
    settings_.time_disp = settings_.time_disp == 1 ? 0 : 1;
    UpdateViewMarks();
    session_->SetTimeDisplay(settings_.time_disp == 1);
    Repaint();
}

void CKenrowDlg::ToggleWood() {
    settings_.wood_pattern = settings_.wood_pattern == 1 ? 0 : 1;
    UpdateViewMarks();
    RebuildBackground();
    Repaint();
}

}  // namespace masuvo
