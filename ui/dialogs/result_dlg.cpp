#include "ui/dialogs/result_dlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <string>

#include "files/atomic_file.h"
#include "files/cp932.h"

using namespace Qt::StringLiterals;

namespace {

QString& saveFolder() {
    static QString folder;
    return folder;
}

// The reports pad their columns for a fixed-width face in which a Latin
// character is half as wide as a kana or kanji. ＭＳ ゴシック stands in for
// Noto Sans Mono CJK JP here; naming the substitute as well keeps Qt from
// taking the Latin letters out of a proportional fallback when the
// substitution is not installed.
QFont ReportFont() {
    QFont font(u"ＭＳ ゴシック"_s, 10);
    font.setFamilies({u"ＭＳ ゴシック"_s, u"Noto Sans Mono CJK JP"_s, u"monospace"_s});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

// A page as the text box shows it: CR LF is one line break (a CR on its
// own would be one more).
QString Displayed(QString page) {
    page.replace(u"\r\n"_s, u"\n"_s);
    return page;
}

// The number in the page box; anything but digits reads as 0, and a number
// beyond int saturates (it is clamped to the page count anyway).
int PageNumberOf(const QString& text) {
    if (text.isEmpty()) return 0;
    long long value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9') return 0;
        value = std::min<long long>(value * 10 + (c.unicode() - u'0'), INT_MAX);
    }
    return static_cast<int>(value);
}

// A title can hold what a file name cannot.
QString FileNameOf(QString title) {
    for (QChar& c : title)
        if (c == u'/' || c.category() == QChar::Other_Control) c = u'_';
    if (title.isEmpty() || title == u"."_s || title == u".."_s) title = u"結果"_s;
    return title;
}

}  // namespace

CResultDlg::CResultDlg(const QString& text, const QString& title, int width, int height, double sx, double sy,
                       QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint) {
    pages_.append(text);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(u"resultDialog"_s);
    setModal(false);
    setSizeGripEnabled(true);

    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(u"resultMenuBar"_s);
    QMenu* fileMenu = menuBar->addMenu(u"ファイル"_s);
    QAction* save = fileMenu->addAction(u"保存..."_s);
    save->setObjectName(u"saveAction"_s);
    fileMenu->addSeparator();
    QAction* close = fileMenu->addAction(u"閉じる"_s);
    close->setObjectName(u"closeAction"_s);
    QMenu* editMenu = menuBar->addMenu(u"編集"_s);
    QAction* copyAll = editMenu->addAction(u"全コピー"_s);
    copyAll->setObjectName(u"copyAllAction"_s);
    connect(save, &QAction::triggered, this, &CResultDlg::OnSave);
    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(copyAll, &QAction::triggered, this, &CResultDlg::OnCopyAll);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(u"resultText"_s);
    text_->setFont(ReportFont());
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->installEventFilter(this);

    pageBox_ = new QLineEdit(this);
    pageBox_->setObjectName(u"pageNumber"_s);
    pageBox_->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]*"_s), pageBox_));
    pageBox_->setAlignment(Qt::AlignRight);
    pageBox_->setFixedWidth(static_cast<int>(50 * sx));
    pageCount_ = new QLabel(u"/ 10"_s, this);
    pageCount_->setObjectName(u"pageCount"_s);
    auto* previous = new QPushButton(u"＜"_s, this);
    previous->setObjectName(u"previousButton"_s);
    auto* next = new QPushButton(u"＞"_s, this);
    next->setObjectName(u"nextButton"_s);
    // No default button: Enter never does anything but break a line.
    for (QPushButton* button : {previous, next}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setFixedWidth(static_cast<int>(30 * sx));
    }
    connect(previous, &QPushButton::clicked, this, &CResultDlg::OnPrevious);
    connect(next, &QPushButton::clicked, this, &CResultDlg::OnNext);
    connect(pageBox_, &QLineEdit::textChanged, this, &CResultDlg::PageNumberEdited);

    auto* paging = new QHBoxLayout;
    paging->addWidget(pageBox_);
    paging->addWidget(pageCount_);
    paging->addWidget(previous);
    paging->addWidget(next);
    paging->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(text_, 1);
    layout->addLayout(paging);

    QSize size(static_cast<int>(width * sx), static_cast<int>(height * sy));
    if (const QScreen* screen = parent != nullptr && parent->screen() != nullptr ? parent->screen()
                                                                                : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        size = size.boundedTo(area.size());
        resize(size);
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    } else {
        resize(size);
    }

    setWindowTitle(title);
    text_->setPlainText(Displayed(pages_[0]));
    pageBox_->setText(QString::number(current_));
    pageCount_->setText(u"/ %1"_s.arg(PageCount()));
    updating_ = false;
}

void CResultDlg::AddPage(const QString& text) {
    pages_.append(text);
    pageCount_->setText(u"/ %1"_s.arg(PageCount()));
}

void CResultDlg::SetSaveFolder(const QString& folder) { saveFolder() = folder; }

QString CResultDlg::SaveFolder() { return saveFolder(); }

void CResultDlg::ShowPage(int page) {
    current_ = page;
    text_->setPlainText(Displayed(pages_[page - 1]));
}

void CResultDlg::WritePageNumber(int page) {
    updating_ = true;
    pageBox_->setText(QString::number(page));
    pageBox_->end(false);
    updating_ = false;
}

void CResultDlg::OnPrevious() {
    if (current_ <= 1) return;
    ShowPage(current_ - 1);
    WritePageNumber(current_);
}

void CResultDlg::OnNext() {
    if (current_ >= PageCount()) return;
    ShowPage(current_ + 1);
    WritePageNumber(current_);
}

void CResultDlg::PageNumberEdited(const QString& text) {
    if (updating_) return;
    const int page = std::clamp(PageNumberOf(text), 1, PageCount());
    ShowPage(page);
    // Rewritten only when it says something else, so typing goes on at the
    // caret.
    if (text != QString::number(page)) WritePageNumber(page);
}

bool CResultDlg::eventFilter(QObject* watched, QEvent* event) {
    // Reached by the keyboard, the box starts at its top with nothing
    // selected; a click keeps the caret where it landed.
    if (watched == text_ && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) {
            text_->moveCursor(QTextCursor::Start);
            text_->ensureCursorVisible();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CResultDlg::OnSave() {
    QFileDialog dialog(this, QString(), SaveFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(u"Text Files (*.txt)"_s);
    dialog.setDefaultSuffix(u"txt"_s);
    dialog.selectFile(FileNameOf(windowTitle()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().constFirst();
    saveFolder() = QFileInfo(path).absolutePath();
    SaveTo(path);
}

bool CResultDlg::SaveTo(const QString& path) {
    // The stored page, not what the box holds now; CR LF and LF alike end a
    // line with CR LF in the file.
    QString page = pages_[current_ - 1];
    page.replace(u"\r\n"_s, u"\n"_s);
    page.replace(u"\n"_s, u"\r\n"_s);
    std::string error;
    if (masuvo::WriteFileAtomically(QFile::encodeName(path).toStdString(), masuvo::Utf8ToCp932(page.toStdString()),
                                    error))
        return true;
    QMessageBox box(QMessageBox::Warning, u"マスヴォ"_s,
                    u"保存ファイルをオープンできません。：\n"_s + QString::fromStdString(error), QMessageBox::Ok, this);
    box.exec();
    return false;
}

void CResultDlg::OnCopyAll() {
    text_->selectAll();
    text_->copy();  // paragraph breaks become LF
    text_->moveCursor(QTextCursor::Start);
    text_->ensureCursorVisible();
}
