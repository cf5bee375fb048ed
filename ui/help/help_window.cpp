#include "ui/help/help_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/drawing/app_icon.h"
#include "ui/program_files.h"
#include "ui/help/help_browser.h"

namespace masuvo {

namespace {

QString& FolderOverride() {
    static QString folder;
    return folder;
}

QPointer<CHelpWindow>& CurrentWindow() {
    static QPointer<CHelpWindow> window;
    return window;
}

// A page name as the program asks for it, or a file of the folder: only a
// plain file name inside the folder is taken.
bool PageExists(const QString& folder, const QString& page) {
    if (page.isEmpty() || page.contains(u'/') || page.contains(u'\\') || page == u".." || page == u".") return false;
    return QFileInfo(QDir(folder).filePath(page)).isFile();
}

}  // namespace

QString CHelpWindow::HelpFolder() {
    if (!FolderOverride().isEmpty()) return FolderOverride();
    const QString help = QStringLiteral("help");
    return QDir(FolderHolding(QCoreApplication::applicationDirPath(), help)).filePath(help);
}

void CHelpWindow::SetHelpFolder(const QString& folder) { FolderOverride() = folder; }

HelpLinks& CHelpWindow::Links() {
    static HelpLinks links;
    return links;
}

CHelpWindow* CHelpWindow::Current() { return CurrentWindow().data(); }

void CHelpWindow::CloseCurrent() {
    if (CHelpWindow* window = CurrentWindow().data()) {
        CurrentWindow() = nullptr;
        window->close();
    }
}

CHelpWindow* CHelpWindow::OpenTopic(const QString& page) {
    const QString folder = HelpFolder();
    CloseCurrent();
    if (!PageExists(folder, page)) return nullptr;
    auto* window = new CHelpWindow(folder);
    CurrentWindow() = window;
    window->ShowPage(page);
    window->JoinModalDialog();
    window->BringToFront();
    return window;
}

CHelpWindow* CHelpWindow::OpenStart() {
    if (CHelpWindow* window = Current()) {
        // Restored and raised where it stands, with its size.
        window->JoinModalDialog();
        window->BringToFront();
        return window;
    }
    return OpenTopic(QString::fromUtf8(kStartPage));
}

void CHelpWindow::BringToFront() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CHelpWindow::JoinModalDialog() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == modalOwner_ || modal == this) return;
    if (modalOwner_) modalOwner_->removeEventFilter(this);
    const QRect frame = geometry();
    const bool shown = isVisible();
    setParent(modal, windowFlags() | Qt::Window);
    if (shown) setGeometry(frame);
    modalOwner_ = modal;
    modal->installEventFilter(this);
}

void CHelpWindow::LeaveModalDialog() {
    if (!modalOwner_) return;
    modalOwner_->removeEventFilter(this);
    modalOwner_ = nullptr;
    const QRect frame = geometry();
    const bool shown = isVisible();
    // Back to the dialog that is modal now, if any, else alone.
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* next = modal != nullptr && modal != parentWidget() ? modal : nullptr;
    setParent(next, windowFlags() | Qt::Window);
    setGeometry(frame);
    if (next != nullptr) {
        modalOwner_ = next;
        next->installEventFilter(this);
    }
    if (shown) show();
}

bool CHelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // Hide comes while the closing dialog still exists, before it is deleted
    // with its children.
    if (watched == modalOwner_ && event->type() == QEvent::Hide) LeaveModalDialog();
    return QWidget::eventFilter(watched, event);
}

CHelpWindow::CHelpWindow(const QString& folder) : QWidget(nullptr, Qt::Window), folder_(folder) {
    setObjectName(QStringLiteral("helpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowIcon(AppIcon());
    setFont(QFont(QStringLiteral("Meiryo UI"), 10));

    contents_ = new QTreeWidget(this);
    contents_->setObjectName(QStringLiteral("helpContents"));
    contents_->setHeaderHidden(true);
    contents_->setColumnCount(1);
    contents_->setRootIsDecorated(true);
    browser_ = new HelpBrowser(this);
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setSearchPaths({folder_});
    // Links are followed here: some of them act in the program.
    browser_->setOpenLinks(false);

    back_ = new QToolButton(this);
    back_->setObjectName(QStringLiteral("helpBack"));
    back_->setText(QStringLiteral("◀ 戻る"));
    back_->setEnabled(false);
    forward_ = new QToolButton(this);
    forward_->setObjectName(QStringLiteral("helpForward"));
    forward_->setText(QStringLiteral("進む ▶"));
    forward_->setEnabled(false);
    auto* home = new QToolButton(this);
    home->setObjectName(QStringLiteral("helpHome"));
    home->setText(QStringLiteral("目次"));
    for (QToolButton* button : {back_, forward_, home}) button->setToolButtonStyle(Qt::ToolButtonTextOnly);

    auto* bar = new QHBoxLayout;
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addWidget(home);
    bar->addStretch(1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 660});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);
    resize(960, 720);

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home, &QToolButton::clicked, this, [this] { ShowPage(QString::fromUtf8(kStartPage)); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &CHelpWindow::SelectInContents);
    connect(browser_, &QTextBrowser::anchorClicked, this, &CHelpWindow::FollowLink);
    connect(this, &CHelpWindow::practiceRequested, &Links(), &HelpLinks::practiceRequested);
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QString page = item->data(0, Qt::UserRole).toString();
        if (!page.isEmpty() && page != CurrentPage()) ShowPage(page);
    });
    LoadContents();
}

void CHelpWindow::LoadContents() {
    // One line per page: its file, a tab and its title; two leading spaces
    // per level of depth.
    QFile file(QDir(folder_).filePath(QStringLiteral("contents.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    std::vector<QTreeWidgetItem*> parents;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (const QString& raw : lines) {
        QString line = raw;
        line.remove(u'\r');
        if (line.trimmed().isEmpty()) continue;
        int spaces = 0;
        while (spaces < line.size() && line[spaces] == u' ') ++spaces;
        const size_t depth = static_cast<size_t>(spaces / 2);
        const QStringList parts = line.mid(spaces).split(u'\t');
        const QString page = parts.value(0).trimmed();
        const QString title = parts.size() > 1 ? parts.value(1).trimmed() : page;
        QTreeWidgetItem* parent = depth > 0 && depth <= parents.size() ? parents[depth - 1] : nullptr;
        auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
        item->setText(0, title);
        item->setData(0, Qt::UserRole, page);
        parents.resize(std::min(parents.size(), depth));
        parents.push_back(item);
    }
    contents_->expandAll();
}

void CHelpWindow::ShowPage(const QString& page) {
    browser_->setSource(QUrl::fromLocalFile(QDir(folder_).filePath(page)));
}

QTextBrowser* CHelpWindow::browser() const { return browser_; }

bool CHelpWindow::AnswerShown(const QString& key) const { return browser_->AnswerShown(key); }

void CHelpWindow::FollowLink(const QUrl& link) {
    const QString scheme = link.scheme();
    if (scheme == u"practice") {
        bool number = false;
        const int technique = link.path().toInt(&number);
        if (number && technique >= 0) emit practiceRequested(technique);
        return;
    }
    if (scheme == u"answer") {
        browser_->ToggleAnswer(link.path());
        return;
    }
    // Addresses outside the help go to the desktop's browser.
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto") {
        QDesktopServices::openUrl(link);
        return;
    }
    browser_->setSource(browser_->source().resolved(link));
}

QString CHelpWindow::CurrentPage() const { return QFileInfo(browser_->source().path()).fileName(); }

void CHelpWindow::SelectInContents(const QUrl& source) {
    // The browser reports the new source before source() returns it.
    const QString page = QFileInfo(source.path()).fileName();
    for (QTreeWidgetItemIterator it(contents_); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == page) {
            contents_->setCurrentItem(*it);
            contents_->scrollToItem(*it);
            return;
        }
    }
    contents_->setCurrentItem(nullptr);
}

}  // namespace masuvo
