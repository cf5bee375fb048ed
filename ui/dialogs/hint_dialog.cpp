#include "ui/dialogs/hint_dialog.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "session/session_text.h"

namespace masuvo {

CHintDlg::CHintDlg(const QString& text, bool detailPressed, double sx, double sy, QWidget* parent)
    : QDialog(parent), text_(text) {
    setObjectName(QStringLiteral("hintDialog"));
    setWindowTitle(QStringLiteral("ヒント"));
    setModal(false);
    // The main window keeps the keyboard so that digits can still be typed.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto R = [sx, sy](int x, int y, int w, int h) {
        return QRect(static_cast<int>(x * sx), static_cast<int>(y * sy), static_cast<int>(w * sx),
                     static_cast<int>(h * sy));
    };

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("hintList"));
    list_->setGeometry(R(5, 5, 190, 80));
    conclusion_ = new QLineEdit(this);
    conclusion_->setObjectName(QStringLiteral("hintConclusion"));
    conclusion_->setReadOnly(true);
    conclusion_->setGeometry(R(5, 90, 190, 20));
    detail_ = new QPushButton(QStringLiteral("詳細"), this);
    detail_->setObjectName(QStringLiteral("detailButton"));
    detail_->setCheckable(true);
    detail_->setAutoDefault(false);
    detail_->setGeometry(R(5, 115, 80, 20));
    close_ = new QPushButton(QStringLiteral("閉じる"), this);
    close_->setObjectName(QStringLiteral("closeHintButton"));
    close_->setAutoDefault(false);
    close_->setGeometry(R(115, 115, 80, 20));
    setFixedSize(R(0, 0, 200, 140).size());

    std::vector<std::string> items;
    std::string conclusionText;
    SplitHintDialogText(text.toStdString(), items, conclusionText);
    // Rows share the list's height evenly, so that no row shows half cut off
    // above the scroll bar's next step.
    const int available = list_->height() - 2 * list_->frameWidth();
    const int natural = list_->fontMetrics().height() + 2;
    const int rowHeight = available / std::max(1, available / natural);
    for (const std::string& item : items) {
        auto* row = new QListWidgetItem(QString::fromStdString(item), list_);
        row->setSizeHint(QSize(0, rowHeight));
    }
    conclusion_->setText(QString::fromStdString(conclusionText));
    conclusion_->setCursorPosition(0);
    if (list_->count() > 0) list_->setCurrentRow(0);
    detail_->setChecked(detailPressed);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) emit stepSelected(row);
    });
    connect(detail_, &QPushButton::clicked, this,
            [this](bool pressed) { emit detailToggled(pressed, list_->currentRow()); });
    connect(close_, &QPushButton::clicked, this, &CHintDlg::reject);
}

void CHintDlg::SetClientSize(QSize size) {
    const int margin = detail_->x();
    const int buttonHeight = detail_->height();
    const int fieldHeight = conclusion_->height();
    const int w = size.width();
    const int h = size.height();
    setFixedSize(size);
    close_->move(w - margin - close_->width(), h - margin - buttonHeight);
    detail_->move(margin, h - margin - buttonHeight);
    conclusion_->setGeometry(margin, detail_->y() - margin - fieldHeight, w - 2 * margin, fieldHeight);
    list_->setGeometry(margin, margin, w - 2 * margin, conclusion_->y() - 2 * margin);
}

void CHintDlg::reject() {
    if (!reported_) {
        reported_ = true;
        emit closedByUser();
    }
    QDialog::reject();
}

void CHintDlg::closeEvent(QCloseEvent* event) {
    if (!reported_) {
        reported_ = true;
        emit closedByUser();
    }
    QDialog::closeEvent(event);
}

}  // namespace masuvo
