#include "ui/dialogs/create_hard_dialog.h"

#include "ui/dialogs/creation_controls.h"

#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const QString kRunningText = u"問題作成中..."_s;
const QString kCancellingText = u"キャンセル中..."_s;
const QStringList kSymmetries = {u"点対称"_s, u"線対称"_s, u"非対称"_s};

}  // namespace

CCreateHardDlg::CCreateHardDlg(int number, int symmetry, QWidget* parent)
    : QDialog(parent),
      number_(number),
      // A symmetry the list cannot show (settings are stored unchecked) becomes the first entry.
      symmetry_(symmetry >= 0 && symmetry < kSymmetries.size() ? symmetry : 0),
      search_(masuvo::CreateUnsolvable) {
    setWindowTitle(u"問題自動作成"_s);
    setFont(QFont(u"Meiryo UI"_s, 9));

    numberEdit_ = new masuvo::NumberEdit(100000, this);
    numberEdit_->setObjectName(u"numberEdit"_s);
    numberEdit_->SetValue(number_);
    symmetryList_ = new QComboBox(this);
    symmetryList_->setObjectName(u"symmetryList"_s);
    symmetryList_->addItems(kSymmetries);
    symmetryList_->setCurrentIndex(symmetry_);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(u"番号："_s, this), 0, 0);
    fields->addWidget(numberEdit_, 0, 1);
    fields->addWidget(new QLabel(u"対称性："_s, this), 1, 0);
    fields->addWidget(symmetryList_, 1, 1);
    fields->setColumnStretch(1, 1);

    const masuvo::CreationControls controls = masuvo::AddCreationControls(this, fields, QString());
    status_ = controls.status;
    progress_ = controls.progress;
    okButton_ = controls.okButton;
    cancelButton_ = controls.cancelButton;
    // Sized for its texts while still empty, so the dialog keeps its size when they appear.
    const QFontMetrics metrics(status_->font());
    status_->setMinimumSize(metrics.horizontalAdvance(kRunningText) * 2, metrics.height());

    connect(okButton_, &QPushButton::clicked, this, &CCreateHardDlg::Start);
    connect(cancelButton_, &QPushButton::clicked, this, &CCreateHardDlg::reject);
}

CCreateHardDlg::~CCreateHardDlg() = default;

void CCreateHardDlg::Start() {
    if (running_) return;
    number_ = numberEdit_->Value();
    symmetry_ = symmetryList_->currentIndex();

    numberEdit_->setEnabled(false);
    symmetryList_->setEnabled(false);
    okButton_->setEnabled(false);

    status_->setText(kRunningText);
    running_ = true;

    masuvo::CreationRequest request;
    request.number = number_;
    request.symmetry = symmetry_;
    task_.Start(
        search_, request,
        masuvo::ProgressUnlessCancelled(task_, progress_),
        [this](const masuvo::CreationOutcome& outcome) { Finish(outcome); });
}

void CCreateHardDlg::reject() {
    if (!running_) {
        done(1);
        return;
    }
    task_.Cancel();
    status_->setText(kCancellingText);
}

void CCreateHardDlg::Finish(const masuvo::CreationOutcome& outcome) {
    running_ = false;
    elapsed_ = outcome.seconds;
    const int code = masuvo::CreationEndCode(this, task_, outcome);
    if (code == 0) result_ = outcome.puzzle;
    done(code);
}
