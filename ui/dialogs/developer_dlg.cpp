#include "ui/dialogs/developer_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace masuvo {

CDeveloperDlg::CDeveloperDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("developerDialog"));
    setWindowTitle(QStringLiteral("開発者用ツール"));
    setFont(QFont(QStringLiteral("Meiryo UI"), 9));

    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("toolList"));
    list_->addItems({QStringLiteral("全ファイル評価"), QStringLiteral("全ファイル再保存"),
                     QStringLiteral("単一解法のスキップ"), QStringLiteral("問題の多様化"),
                     QStringLiteral("連続問題自動作成の保存")});
    list_->setCurrentIndex(kEvaluateAllFiles);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    list_->setMinimumWidth(list_->sizeHint().width() + 40);
}

int CDeveloperDlg::tool() const { return list_->currentIndex(); }

}  // namespace masuvo
