// The menu bar with its accelerators, and the 表示 menu's marks.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "ui/help/help_window.h"
#include "ui/main_window/kenrow_dlg.h"

namespace masuvo {

namespace {

// The accelerators of the main window.
const std::pair<const char*, QKeySequence> kAccelerators[] = {
    {"loadItem", QKeySequence(Qt::CTRL | Qt::Key_R)},  {"saveItem", QKeySequence(Qt::CTRL | Qt::Key_S)},
    {"printItem", QKeySequence(Qt::CTRL | Qt::Key_P)}, {"undoItem", QKeySequence(Qt::CTRL | Qt::Key_Z)},
    {"redoItem", QKeySequence(Qt::CTRL | Qt::Key_Y)},  {"copyItem", QKeySequence(Qt::CTRL | Qt::Key_C)},
    {"pasteItem", QKeySequence(Qt::CTRL | Qt::Key_V)},
};

}  // namespace

void CKenrowDlg::CreateMenus() {
    QMenuBar* bar = menuBar();
    auto add = [this](QMenu* menu, const char* objectName, const QString& text) {
        QAction* a = menu->addAction(text);
        const QString name = QString::fromLatin1(objectName);
        a->setObjectName(name);
        for (const auto& [accelerator, keys] : kAccelerators)
            if (qstrcmp(accelerator, objectName) == 0) a->setShortcut(keys);
        actions_[name] = a;
        return a;
    };

    QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
    connect(add(file, "loadItem", QStringLiteral("読込...")), &QAction::triggered, this, &CKenrowDlg::OnLoad);
    connect(add(file, "saveItem", QStringLiteral("保存...")), &QAction::triggered, this, &CKenrowDlg::OnSave);
    file->addSeparator();
    connect(add(file, "loadImageItem", QStringLiteral("画像読込...")), &QAction::triggered, this,
            &CKenrowDlg::OnLoadImage);
    connect(add(file, "loadClipboardImageItem", QStringLiteral("クリップボードの画像を読込")), &QAction::triggered,
            this, &CKenrowDlg::OnClipboardImage);
    connect(add(file, "cameraItem", QStringLiteral("カメラ...")), &QAction::triggered, this, &CKenrowDlg::OnCamera);
    file->addSeparator();
    connect(add(file, "saveImageItem", QStringLiteral("画像保存...")), &QAction::triggered, this,
            &CKenrowDlg::OnSaveImage);
    connect(add(file, "printItem", QStringLiteral("印刷...")), &QAction::triggered, this, &CKenrowDlg::OnPrint);
    file->addSeparator();
    connect(add(file, "exitItem", QStringLiteral("終了")), &QAction::triggered, this, &QWidget::close);

    QMenu* edit = bar->addMenu(QStringLiteral("編集"));
    connect(add(edit, "undoItem", QStringLiteral("元に戻す")), &QAction::triggered, this,
            [this] { session_->UndoMove(); });
    connect(add(edit, "redoItem", QStringLiteral("やり直し")), &QAction::triggered, this,
            [this] { session_->RedoMove(); });
    edit->addSeparator();
    connect(add(edit, "copyItem", QStringLiteral("コピー")), &QAction::triggered, this, &CKenrowDlg::CopyBoard);
    connect(add(edit, "pasteItem", QStringLiteral("貼り付け")), &QAction::triggered, this, &CKenrowDlg::OnPaste);

    QMenu* view = bar->addMenu(QStringLiteral("表示"));
    QMenu* boardSize = view->addMenu(QStringLiteral("ボードサイズ"));
    boardSizes_ = new QActionGroup(this);
    boardSizes_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<int, QString> sizes[] = {
        {40, QStringLiteral("  80%")}, {50, QStringLiteral("100%")}, {60, QStringLiteral("120%")}};
    for (const auto& [size, text] : sizes) {
        QAction* a = add(boardSize, QStringLiteral("boardSize%1").arg(size).toLatin1().constData(), text);
        a->setCheckable(true);
        a->setData(size);
        boardSizes_->addAction(a);
        connect(a, &QAction::triggered, this, [this, size = size] { SetBoardSize(size); });
    }
    QMenu* fontSize = view->addMenu(QStringLiteral("フォントサイズ"));
    fontSizes_ = new QActionGroup(this);
    fontSizes_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<int, QString> fonts[] = {
        {40, QStringLiteral("  80%")}, {45, QStringLiteral("  90%")}, {50, QStringLiteral("100%")}};
    for (const auto& [size, text] : fonts) {
        QAction* a = add(fontSize, QStringLiteral("fontSize%1").arg(size).toLatin1().constData(), text);
        a->setCheckable(true);
        a->setData(size);
        fontSizes_->addAction(a);
        connect(a, &QAction::triggered, this, [this, size = size] { SetFontSize(size); });
    }
    view->addSeparator();
    timeDisplayItem_ = add(view, "timeDisplayItem", QStringLiteral("経過時間"));
    timeDisplayItem_->setCheckable(true);
    connect(timeDisplayItem_, &QAction::triggered, this, &CKenrowDlg::ToggleTimeDisplay);
    woodItem_ = add(view, "woodItem", QStringLiteral("木目調"));
    woodItem_->setCheckable(true);
    connect(woodItem_, &QAction::triggered, this, &CKenrowDlg::ToggleWood);

    QMenu* tools = bar->addMenu(QStringLiteral("ツール"));
    connect(add(tools, "fillBySearchItem", QStringLiteral("総当たりによる解")), &QAction::triggered, this,
            [this] { session_->FillBySearch(); });
    connect(add(tools, "solutionStepsItem", QStringLiteral("解答手順...")), &QAction::triggered, this,
            &CKenrowDlg::OnSolutionSteps);
    tools->addSeparator();
    connect(add(tools, "createDifficultItem", QStringLiteral("難しい問題の作成...")), &QAction::triggered, this,
            &CKenrowDlg::OnCreateDifficult);
    connect(add(tools, "createUnsolvableItem", QStringLiteral("解けない問題の作成...")), &QAction::triggered, this,
            &CKenrowDlg::OnCreateUnsolvable);
    tools->addSeparator();
    connect(add(tools, "recordsItem", QStringLiteral("履歴管理...")), &QAction::triggered, this,
            &CKenrowDlg::OnRecords);
    connect(add(tools, "statisticsItem", QStringLiteral("履歴統計...")), &QAction::triggered, this,
            &CKenrowDlg::OnAnalyze);
    connect(add(tools, "practiceItem", QStringLiteral("練習...")), &QAction::triggered, this,
            &CKenrowDlg::OnPractice);
    tools->addSeparator();
    connect(add(tools, "volumeItem", QStringLiteral("音量調整...")), &QAction::triggered, this, &CKenrowDlg::OnVolume);

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ"));
    connect(add(help, "helpItem", QStringLiteral("ヘルプを起動")), &QAction::triggered, this,
            [] { CHelpWindow::OpenStart(); });
    connect(add(help, "homePageItem", QStringLiteral("ホームページ")), &QAction::triggered, this,
            &CKenrowDlg::OnHomePage);

    items_ = {
        {Control::UndoItem, actions_.at(QStringLiteral("undoItem"))},
        {Control::RedoItem, actions_.at(QStringLiteral("redoItem"))},
        {Control::LoadItem, actions_.at(QStringLiteral("loadItem"))},
        {Control::LoadImageItem, actions_.at(QStringLiteral("loadImageItem"))},
        {Control::LoadClipboardImageItem, actions_.at(QStringLiteral("loadClipboardImageItem"))},
        {Control::CameraItem, actions_.at(QStringLiteral("cameraItem"))},
        {Control::PasteItem, actions_.at(QStringLiteral("pasteItem"))},
        {Control::CreateDifficultItem, actions_.at(QStringLiteral("createDifficultItem"))},
        {Control::CreateUnsolvableItem, actions_.at(QStringLiteral("createUnsolvableItem"))},
    };
}

void CKenrowDlg::UpdateViewMarks() {
    // A value outside an item's set marks no item.
    for (QAction* a : boardSizes_->actions()) a->setChecked(a->data().toInt() == settings_.size);
    for (QAction* a : fontSizes_->actions()) a->setChecked(a->data().toInt() == settings_.font_size);
    timeDisplayItem_->setChecked(settings_.time_disp == 1);
    woodItem_->setChecked(settings_.wood_pattern == 1);
}

QAction* CKenrowDlg::action(const QString& objectName) const {
    auto it = actions_.find(objectName);
    return it == actions_.end() ? nullptr : it->second;
}

}  // namespace masuvo
