#include "ui/dialogs/record_dlg.h"

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using masuvo::kRecordColumnCount;
using masuvo::RecordList;
using masuvo::RecordListRow;

namespace {

struct Column {
    const char16_t* heading;
    Qt::Alignment align;
    int width;  // at 96 dots per inch
};

constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;

const Column kColumns[kRecordColumnCount] = {
    {u"行番号", kRight, 0},         {u"プログラム", kRight, 90},    {u"年.月.日", kRight, 80},
    {u"時:分", kRight, 50},         {u"タイトル", kLeft, 220},      {u"実行時間", kRight, 60},
    {u"階級", kLeft, 80},           {u"難易度", kRight, 60},        {u"実行度", kRight, 0},
    {u"解答時間", kRight, 60},      {u"ペナルティ", kRight, 60},    {u"ヒント回数", kRight, 40},
    {u"詳細ヒント回数", kRight, 40}, {u"ヒント実行回数", kRight, 40}, {u"候補表示容易度", kRight, 60},
    {u"余力度", kRight, 60},        {u"余力率(%)", kRight, 80},
};
// 行番号 and 実行度 are kept in the list but not shown.
constexpr int kHiddenColumns[] = {0, 8};

// A row of the list. Its texts stay in the record list and become QStrings
// only when painted, so opening a long history builds no 17 strings per row.
class RecordItem : public QTreeWidgetItem {
public:
    explicit RecordItem(const RecordListRow& row) : QTreeWidgetItem(UserType), row_(row) {}

    QVariant data(int column, int role) const override {
        if (column >= 0 && column < kRecordColumnCount) {
            if (role == Qt::DisplayRole) return QString::fromStdString(row_.columns[column]);
            if (role == Qt::TextAlignmentRole) return QVariant::fromValue(kColumns[column].align);
        }
        return QTreeWidgetItem::data(column, role);
    }
    const RecordListRow& Row() const { return row_; }

private:
    const RecordListRow& row_;  // the record list keeps its rows while the dialog lives
};

RecordItem* ItemOf(QTreeWidgetItem* item) {
    return item != nullptr && item->type() == QTreeWidgetItem::UserType ? static_cast<RecordItem*>(item) : nullptr;
}

}  // namespace

CRecordDlg::CRecordDlg(const QString& path, double sx, double sy, QWidget* parent) : QDialog(parent) {
    setWindowTitle(u"履歴管理"_s);
    setObjectName(u"recordDialog"_s);

    list_ = new QTreeWidget(this);
    list_->setObjectName(u"recordList"_s);
    list_->setColumnCount(kRecordColumnCount);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setIndentation(0);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSortingEnabled(false);  // the heading clicks sort by their own rules
    QHeaderView* header = list_->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    // The arrow appears with the first sort: it shows the column and the
    // direction of the order the list is in (the next click turns it round).
    header->setSortIndicatorShown(false);
    // The Japanese face here is wider than the one the widths were made for:
    // a column is widened where its heading would otherwise be cut.
    const QFontMetrics metrics(header->font());
    QTreeWidgetItem* headings = list_->headerItem();
    for (int c = 0; c < kRecordColumnCount; ++c) {
        const QString heading = QString::fromUtf16(kColumns[c].heading);
        headings->setText(c, heading);
        headings->setTextAlignment(c, kColumns[c].align);
        if (kColumns[c].width == 0) continue;  // hidden
        const int needed = metrics.horizontalAdvance(heading) + 2 * metrics.averageCharWidth();
        list_->setColumnWidth(c, std::max(static_cast<int>(kColumns[c].width * sx), needed));
    }
    connect(header, &QHeaderView::sectionClicked, this, &CRecordDlg::OnColumnClick);

    deleteButton_ = new QPushButton(u"削除"_s, this);
    deleteButton_->setObjectName(u"deleteButton"_s);
    deleteButton_->setAutoDefault(false);
    auto* okButton = new QPushButton(u"OK"_s, this);
    okButton->setObjectName(u"okButton"_s);
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(u"キャンセル"_s, this);
    cancelButton->setObjectName(u"cancelButton"_s);
    cancelButton->setAutoDefault(false);
    connect(deleteButton_, &QPushButton::clicked, this, &CRecordDlg::OnDelete);
    connect(okButton, &QPushButton::clicked, this, &CRecordDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CRecordDlg::reject);

    // The Delete key in the list does what the button does.
    auto* deleteKey = new QAction(list_);
    deleteKey->setShortcut(QKeySequence::Delete);
    deleteKey->setShortcutContext(Qt::WidgetShortcut);
    list_->addAction(deleteKey);
    connect(deleteKey, &QAction::triggered, this, &CRecordDlg::OnDelete);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(deleteButton_);
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    std::string message;
    if (!records_.Load(QFile::encodeName(path).toStdString(), message))
        loadFailure_ = QString::fromStdString(message);
    Fill();
    // Hidden only now: the header lays its sections out afresh when the
    // first rows arrive and would keep the room of a column hidden before.
    for (int c : kHiddenColumns) list_->setColumnHidden(c, true);

    // 1200 × 450 at 96 dots per inch, centred, never larger than the screen.
    QSize size(static_cast<int>(1200 * sx), static_cast<int>(450 * sy));
    const QScreen* screen = parent != nullptr && parent->screen() != nullptr ? parent->screen()
                                                                             : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        size = size.boundedTo(area.size());
        resize(size);
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    } else {
        resize(size);
    }
}

void CRecordDlg::Fill() {
    const std::vector<RecordListRow>& rows = records_.Rows();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const RecordListRow& row : rows) items.append(new RecordItem(row));
    list_->setUpdatesEnabled(false);
    list_->addTopLevelItems(items);
    list_->setUpdatesEnabled(true);
}

void CRecordDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    list_->scrollToBottom();
    // Said over the dialog, which then stays open with its empty list.
    if (!loadFailure_.isEmpty()) QTimer::singleShot(0, this, [this] { Warn(loadFailure_); });
}

void CRecordDlg::OnColumnClick(int column) {
    if (column < 0 || column >= kRecordColumnCount) return;
    QTreeWidgetItem* selected = list_->selectedItems().value(0);
    QTreeWidgetItem* current = list_->currentItem();

    QList<QTreeWidgetItem*> items = list_->invisibleRootItem()->takeChildren();
    std::vector<int> order(static_cast<size_t>(items.size()));
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    masuvo::SortRows(
        order,
        [&](int position) -> const std::string& {
            return static_cast<RecordItem*>(items[position])->Row().columns[column];
        },
        RecordList::ColumnSortKind(column), descending_);
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(items.size());
    for (int position : order) sorted.append(items[position]);

    list_->setUpdatesEnabled(false);
    list_->addTopLevelItems(sorted);
    if (current != nullptr) list_->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    if (selected != nullptr) {
        selected->setSelected(true);
        list_->scrollToItem(selected);
    }
    list_->setUpdatesEnabled(true);

    list_->header()->setSortIndicator(column, descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    list_->header()->setSortIndicatorShown(true);
    // One direction for all columns: every click turns it round.
    descending_ = !descending_;
}

void CRecordDlg::OnDelete() {
    RecordItem* item = ItemOf(list_->selectedItems().value(0));
    if (item == nullptr) return;
    if (!records_.Delete(item->Row().line)) return;
    delete item;
    list_->clearSelection();
}

void CRecordDlg::accept() {
    std::string message;
    if (!records_.Save(message)) {
        Warn(QString::fromStdString(message));
        return;
    }
    QDialog::accept();
}

void CRecordDlg::Warn(const QString& text) {
    QMessageBox box(QMessageBox::Warning, u"マスヴォ"_s, text, QMessageBox::Ok, this);
    box.exec();
}
