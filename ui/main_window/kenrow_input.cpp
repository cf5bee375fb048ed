// Keys, mouse clicks on the client area, the number pad's commands and
// dropped files, turned into session operations.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <optional>

#include "session/image_names.h"
#include "ui/help/help_popup.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/sound_player.h"
#include "ui/main_window/number_pad.h"

namespace masuvo {

namespace {

// The board's view of a key; keys with Alt or Meta are the menus' and the
// system's.
std::optional<Key> BoardKey(const QKeyEvent* event) {
    if ((event->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) != 0) return std::nullopt;
    const int k = event->key();
    switch (k) {
        case Qt::Key_Escape: return Key{KeyKind::Escape, 0};
        case Qt::Key_Up: return Key{KeyKind::Up, 0};
        case Qt::Key_Down: return Key{KeyKind::Down, 0};
        case Qt::Key_Left: return Key{KeyKind::Left, 0};
        case Qt::Key_Right: return Key{KeyKind::Right, 0};
        case Qt::Key_Delete: return Key{KeyKind::Delete, 0};
        default: break;
    }
    // The main keyboard and the numeric keypad give the same key codes.
    if (k >= Qt::Key_1 && k <= Qt::Key_9) return Key{KeyKind::Digit, k - Qt::Key_0};
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return Key{KeyKind::Letter, 'A' + (k - Qt::Key_A)};
    return Key{KeyKind::Other, 0};
}

bool IsAccelerator(const QKeyEvent* event) {
    const QKeySequence pressed(event->keyCombination());
    for (int key : {Qt::Key_R, Qt::Key_S, Qt::Key_P, Qt::Key_Z, Qt::Key_Y, Qt::Key_C, Qt::Key_V})
        if (pressed == QKeySequence(Qt::CTRL | Qt::Key(key))) return true;
    return false;
}

}  // namespace

bool CKenrowDlg::OfferKey(QKeyEvent* event) {
    const std::optional<Key> key = BoardKey(event);
    if (!key) return false;
    const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
    if (session_->HandleKey(*key, control)) return true;
    // A key the accelerators translate ends the Control sequence.
    if (IsAccelerator(event)) session_->ClearControlState();
    return false;
}

bool CKenrowDlg::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Paint && !painted_ && watched == client_) {
        // The window is on the screen: what start-up put off comes now.
        painted_ = true;
        QTimer::singleShot(0, this, [this] { sound_->Prepare(); });
    }
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);

    // Only the first receiver of a key in this window: the focused control,
    // or the window itself when none has the focus. Keys typed into the name
    // field edit the name.
    QWidget* focus = QApplication::focusWidget();
    QWidget* receiver = focus != nullptr ? focus : this;
    if (watched != receiver || receiver->window() != this) return QMainWindow::eventFilter(watched, event);

    auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (receiver == name_) {
        // The window's accelerators win over the field's own Control+C, V,
        // Z and Y: an ignored override lets the shortcut fire.
        if (IsAccelerator(keyEvent)) {
            if (type == QEvent::ShortcutOverride) {
                session_->ClearControlState();
                keyEvent->ignore();
            }
            // The key press that follows comes only when the command is
            // greyed (貼り付け while solving): then it does nothing at all.
            return true;
        }
        return QMainWindow::eventFilter(watched, event);
    }

    const int key = keyEvent->key();
    const int modifiers = static_cast<int>(keyEvent->modifiers());
    if (type == QEvent::ShortcutOverride) {
        // Seen before the accelerators: the board's keys come first.
        offered_ = {key, modifiers, OfferKey(keyEvent), true};
        if (offered_.taken) {
            keyEvent->accept();
            return true;
        }
        return false;
    }
    if (offered_.pending && offered_.key == key && offered_.modifiers == modifiers) {
        offered_.pending = false;
        return offered_.taken;
    }
    offered_.pending = false;
    return OfferKey(keyEvent);
}

void CKenrowDlg::ClientMousePress(QMouseEvent* event) {
    const QPointF pos = event->position();
    const BoardHit hit = HitTestBoard(pos.x() / sx_ - 20, pos.y() / sy_ - 20, settings_.size);
    const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
    if (event->button() == Qt::LeftButton) {
        if (hit.row >= 0)
            session_->LeftClickCell(hit.row, hit.col, hit.subDigit, control);
        else
            session_->LeftClickOutside();
    } else if (event->button() == Qt::RightButton) {
        if (hit.row >= 0) {
            const NumberPadRequest request = session_->RightClickCell(hit.row, hit.col);
            if (request.open) pad_->ShowAt(event->globalPosition().toPoint(), request.memoSideEnabled);
        } else {
            session_->RightClickOutside();
            CHelpDlg::Open(event->globalPosition().toPoint(),
                           {{"問題の作成", "操作方法_問題の作成.htm"}, {"解答の方法", "操作方法_解答の方法.htm"}}, sx_,
                           sy_, this);
        }
    }
}

void CKenrowDlg::PadCommand(int id, int value) {
    switch (id) {
        case CNumberDlg::kSetDigit: session_->PadSetDigit(value); break;
        case CNumberDlg::kErase: session_->PadErase(); break;
        case CNumberDlg::kToggleMark: session_->PadToggleMark(value); break;
        case CNumberDlg::kClearMarks: session_->PadClearMarks(); break;
        case CNumberDlg::kSetColour: session_->PadSetColour(value); break;
        default: break;
    }
}

void CKenrowDlg::dragEnterEvent(QDragEnterEvent* event) {
    // Files and text (picture addresses) are taken only while a puzzle is
    // being entered.
    const QMimeData* data = event->mimeData();
    if (session_->mode != 0) return;
    const bool file = data->hasUrls() && !data->urls().isEmpty() && data->urls().constFirst().isLocalFile();
    if (file || data->hasText()) event->acceptProposedAction();
}

void CKenrowDlg::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (session_->mode != 0) return;
    // Only the first file counts.
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().constFirst().isLocalFile()) {
        if (LoadDroppedFile(data->urls().constFirst().toLocalFile())) event->acceptProposedAction();
        return;
    }
    if (!data->hasText()) return;
    const QString text = data->text();
    if (!IsPictureAddress(text.toStdString())) return;
    event->acceptProposedAction();
    // The download runs behind a modal progress dialog: it starts once the
    // drop has been answered, so the dragging program is not left waiting.
    QTimer::singleShot(0, this, [this, text] {
        if (session_->mode == 0) ImportImageUrl(text);
    });
}

bool CKenrowDlg::LoadDroppedFile(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString extension = dot >= 0 ? path.mid(dot + 1) : QString();
    // The extension is compared exactly.
    const bool puzzle = extension == u"kzd";
    if (!puzzle && !HasPictureExtension(path.toStdString())) return false;
    // Reading (and any message box it shows) starts once the drop has been
    // answered, so the dragging program is not left waiting.
    QTimer::singleShot(0, this, [this, path, puzzle] {
        if (session_->mode != 0) return;
        if (puzzle) {
            session_->LoadPuzzleCommand(path.toStdString());
        } else {
            ImportImageFile(path);
        }
    });
    return true;
}

}  // namespace masuvo
