#include "ui/dialogs/review_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "session/review_rows.h"
#include "session/session_text.h"
#include "ui/help/help_popup.h"
#include "ui/main_window/kenrow_dlg.h"

namespace masuvo {

namespace {

struct ColumnLayout {
    const char* heading;
    Qt::Alignment alignment;
    int width;
};

const ColumnLayout kColumns[kReviewColumns] = {
    {"", Qt::AlignRight, 0},
    {"番号", Qt::AlignRight, 40},
    {"推定解法", Qt::AlignLeft, 250},
    {"推定時間", Qt::AlignRight, 60},
    {"実行時間", Qt::AlignRight, 60},
    {"差分", Qt::AlignRight, 50},
    {"ヒント", Qt::AlignHCenter, 40},
    {"詳細ヒント", Qt::AlignHCenter, 40},
    {"ヒント実行", Qt::AlignHCenter, 40},
    {"候補表示", Qt::AlignHCenter, 40},
};

QPushButton* MakeButton(QWidget* parent, const QString& objectName, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CReviewDlg::CReviewDlg(CKenrowDlg& owner, double sx, double sy)
    : QDialog(&owner), owner_(owner), sx_(sx), sy_(sy) {
    setObjectName(QStringLiteral("reviewDialog"));
    setWindowTitle(QStringLiteral("リヴュー"));
    setFont(QFont(QStringLiteral("Meiryo UI"), 9));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("reviewList"));
    list_->setColumnCount(kReviewColumns);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setSortingEnabled(false);
    QStringList headings;
    for (const ColumnLayout& column : kColumns) headings << QString::fromUtf8(column.heading);
    list_->setHeaderLabels(headings);
    QHeaderView* header = list_->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    for (int c = 0; c < kReviewColumns; ++c) {
        list_->headerItem()->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
        // The Japanese face here is wider than the one the widths were made
        // for: a heading is never cut. The header's own measure of its
        // heading and no more, so that the list stays narrow enough to sit
        // beside the board.
        list_->setColumnWidth(c, std::max(static_cast<int>(kColumns[c].width * sx_), header->sectionSizeHint(c)));
    }
    list_->setColumnHidden(0, true);
    list_->viewport()->installEventFilter(this);

    const std::vector<Log>& log = owner_.session().log;
    const int rows = ReviewedMoveCount(log);
    QList<QTreeWidgetItem*> items;
    items.reserve(rows);
    for (int k = 0; k < rows; ++k) {
        const ReviewRow row = ReviewRowOf(log[static_cast<size_t>(k)], k);
        auto* item = new QTreeWidgetItem;
        for (int c = 0; c < kReviewColumns; ++c) {
            item->setText(c, QString::fromStdString(row[static_cast<size_t>(c)]));
            item->setTextAlignment(c, kColumns[c].alignment | Qt::AlignVCenter);
        }
        items.append(item);
    }
    list_->addTopLevelItems(items);

    auto* previous = MakeButton(this, QStringLiteral("previousButton"), QStringLiteral("＜前"));
    auto* next = MakeButton(this, QStringLiteral("nextButton"), QStringLiteral("次＞"));
    hint_ = MakeButton(this, QStringLiteral("reviewHintButton"), QStringLiteral("ヒント"));
    auto* copy = MakeButton(this, QStringLiteral("boardCopyButton"), QStringLiteral("ボードコピー"));
    auto* ok = MakeButton(this, QStringLiteral("okButton"), QStringLiteral("OK"));
    hint_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {previous, next, hint_, copy}) buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    // Narrow margins: the review sits in the room right of the board.
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CReviewDlg::SelectionChanged);
    connect(header, &QHeaderView::sectionClicked, this, &CReviewDlg::SortByColumn);
    connect(previous, &QPushButton::clicked, this, &CReviewDlg::Previous);
    connect(next, &QPushButton::clicked, this, &CReviewDlg::Next);
    connect(hint_, &QPushButton::clicked, this, &CReviewDlg::ShowHint);
    connect(copy, &QPushButton::clicked, this, &CReviewDlg::CopyBoard);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Wide enough that every column is seen without scrolling sideways,
    // the vertical scroll bar beside them.
    int columns = 2 * list_->frameWidth() + list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
    for (int c = 1; c < kReviewColumns; ++c) columns += list_->columnWidth(c);
    const QMargins margins = layout->contentsMargins();
    resize(columns + margins.left() + margins.right(), static_cast<int>(600 * sy_));
}

QTreeWidgetItem* CReviewDlg::SelectedItem() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

int CReviewDlg::SelectedNumber() const {
    const QTreeWidgetItem* item = SelectedItem();
    return item == nullptr ? 0 : item->text(1).toInt();
}

void CReviewDlg::SelectionChanged() {
    PlaySession& session = owner_.session();
    const int rows = list_->topLevelItemCount();
    int a = SelectedNumber();
    if (a > 0) {
        hint_->setEnabled(CountSentences(SelectedItem()->text(2).toStdString()) > 1);
    } else {
        session.candidatesShown = false;
        owner_.SetCandidatesPressed(false);
        hint_->setEnabled(false);
        a = rows + 1;
    }
    // Without a selection the final board: the completion entry after the
    // listed moves, or the last move when the log has no completion entry.
    int index = a - 1;
    if (index >= static_cast<int>(session.log.size())) index = static_cast<int>(session.log.size()) - 1;
    session.ShowLogEntry(index);
    owner_.Repaint();
}

void CReviewDlg::SelectNumber(int number) {
    list_->setFocus();
    QTreeWidgetItem* target = nullptr;
    const QString text = QString::number(number);
    for (int i = 0; i < list_->topLevelItemCount() && target == nullptr; ++i)
        if (list_->topLevelItem(i)->text(1) == text) target = list_->topLevelItem(i);
    if (target == nullptr) {
        list_->clearSelection();
        return;
    }
    // One change from the old selection to the new one.
    list_->selectionModel()->setCurrentIndex(list_->indexFromItem(target),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list_->scrollToItem(target);
}

void CReviewDlg::Previous() {
    const int a = SelectedNumber();
    SelectNumber((a == 0 ? list_->topLevelItemCount() + 1 : a) - 1);
}

void CReviewDlg::Next() { SelectNumber(SelectedNumber() + 1); }

void CReviewDlg::ShowHint() {
    list_->setFocus();
    const QTreeWidgetItem* item = SelectedItem();
    if (item == nullptr) return;
    owner_.session().ShowReviewHint(item->text(1).toInt() - 1, item->text(2).toStdString());
}

void CReviewDlg::CopyBoard() {
    owner_.CopyBoard();
    list_->setFocus();
}

void CReviewDlg::SortByColumn(int column) {
    if (column < 0 || column >= kReviewColumns) return;
    const int count = list_->topLevelItemCount();
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) texts.push_back(list_->topLevelItem(i)->text(column).toStdString());
    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
    SortRows(order, [&texts](int row) -> const std::string& { return texts[static_cast<size_t>(row)]; },
             ReviewSortKind(column), descending_);
    descending_ = !descending_;

    // Reordering is no change of selection: the shown board stays.
    QTreeWidgetItem* selected = SelectedItem();
    const QSignalBlocker blocker(list_->selectionModel());
    QList<QTreeWidgetItem*> items;
    for (int i = count - 1; i >= 0; --i) items.prepend(list_->takeTopLevelItem(i));
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(count);
    for (int row : order) sorted.append(items[row]);
    list_->addTopLevelItems(sorted);
    if (selected != nullptr) {
        list_->selectionModel()->setCurrentIndex(list_->indexFromItem(selected),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list_->scrollToItem(selected);
    }
    list_->viewport()->update();
}

void CReviewDlg::CloseHelpPopup() { CHelpDlg::CloseOpen(); }

void CReviewDlg::OpenHelpPopup(QPoint viewportPoint) {
    CloseHelpPopup();
    // The press selects the row under the pointer, or nothing on empty space.
    if (QTreeWidgetItem* item = list_->itemAt(viewportPoint)) {
        if (item != SelectedItem())
            list_->selectionModel()->setCurrentIndex(list_->indexFromItem(item),
                                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        list_->clearSelection();
    }
    ShowHelpTopics(list_->viewport()->mapToGlobal(viewportPoint));
}

void CReviewDlg::ShowHelpTopics(QPoint globalPoint) {
    const QTreeWidgetItem* selected = SelectedItem();
    if (selected == nullptr) return;
    const std::vector<HelpTopic> topics = ReviewHelpTopics(selected->text(2).toStdString());
    if (topics.empty()) return;

    CHelpDlg::Open(globalPoint, topics, sx_, sy_, this);
    list_->setFocus();
}

bool CReviewDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        const QPoint point = press->position().toPoint();
        if (press->button() == Qt::RightButton) {
            OpenHelpPopup(point);
            return true;
        }
        CloseHelpPopup();
        // A press on empty space of the list clears the selection.
        if (list_->itemAt(point) == nullptr) {
            list_->clearSelection();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CReviewDlg::mousePressEvent(QMouseEvent* event) {
    CloseHelpPopup();
    // Outside the list a right click keeps the selection and offers its techniques.
    if (event->button() == Qt::RightButton) ShowHelpTopics(event->globalPosition().toPoint());
    QDialog::mousePressEvent(event);
}

}  // namespace masuvo
