#include "ui/dialogs/create_dialog.h"

#include "ui/dialogs/creation_controls.h"
#include "ui/help/help_popup.h"

#include "engine/catalogue.h"

#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace masuvo {

// ---- NumberEdit ----

NumberEdit::NumberEdit(int maximum, QWidget* parent) : QAbstractSpinBox(parent), maximum_(maximum) {
    // As many digits as the maximum has: any number typed stays far from overflow.
    lineEdit()->setMaxLength(static_cast<int>(QString::number(maximum).size()));
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

int NumberEdit::Value() const {
    bool ok = false;
    const int value = text().toInt(&ok);
    return ok ? value : 0;
}

void NumberEdit::SetValue(int value) { SetText(QString::number(value)); }

void NumberEdit::SetText(const QString& text) {
    lineEdit()->setText(text);
    update();
}

void NumberEdit::stepBy(int steps) {
    const long long next = static_cast<long long>(Value()) + steps;
    SetValue(static_cast<int>(std::clamp<long long>(next, 1, maximum_)));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled NumberEdit::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    StepEnabled enabled = StepNone;
    const int value = Value();
    if (value < maximum_) enabled |= StepUpEnabled;
    if (value > 1) enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State NumberEdit::validate(QString& input, int&) const {
    static const QRegularExpression digits(u"^[0-9]*$"_s);
    return digits.match(input).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

void ShowCreationFailure(QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, u"マスヴォ"_s, u"作成に失敗しました。"_s, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace masuvo

// ---- CCreateDlg ----

namespace {

const QString kIdleText = u"たまに時間のかかる場合があります。"_s;
const QString kRunningText = u"問題作成中..."_s;
const QString kWaitText = u"問題作成中... しばらくお待ちください。"_s;
const QString kWaitMoreText = u"問題作成中... もうしばらくお待ちください。"_s;
const QString kCancellingText = u"キャンセル中..."_s;

const QStringList kNormalRanks = {u"基本"_s, u"初級"_s, u"中級"_s, u"上級"_s, u"超上級"_s, u"超絶難問"_s, u"究極激難問"_s};
const QStringList kTopRanks = {u"神"_s, u"主神"_s, u"最高神"_s};
const QStringList kSymmetries = {u"点対称"_s, u"線対称"_s, u"非対称"_s};

// A selection the lists cannot show (settings are stored unchecked) becomes the first entry.
int InList(int selection, qsizetype count) { return selection >= 0 && selection < count ? selection : 0; }

}  // namespace

CCreateDlg::CCreateDlg(int number, int rankSelection, int symmetry, bool difficult, QWidget* parent)
    : QDialog(parent),
      number_(number),
      rankSelection_(InList(rankSelection, (difficult ? kTopRanks : kNormalRanks).size())),
      symmetry_(InList(symmetry, kSymmetries.size())),
      difficult_(difficult),
      search_(masuvo::CreateRated) {
    setWindowTitle(u"問題自動作成"_s);
    setFont(QFont(u"Meiryo UI"_s, 9));

    numberEdit_ = new masuvo::NumberEdit(1000000, this);
    numberEdit_->setObjectName(u"numberEdit"_s);
    numberEdit_->SetValue(number_);
    rankList_ = new QComboBox(this);
    rankList_->setObjectName(u"rankList"_s);
    rankList_->addItems(difficult_ ? kTopRanks : kNormalRanks);
    rankList_->setCurrentIndex(rankSelection_);
    symmetryList_ = new QComboBox(this);
    symmetryList_->setObjectName(u"symmetryList"_s);
    symmetryList_->addItems(kSymmetries);
    symmetryList_->setCurrentIndex(symmetry_);

    techniqueList_ = new QComboBox(this);
    techniqueList_->setObjectName(u"techniqueList"_s);
    FillTechniqueList();
    connect(rankList_, &QComboBox::currentIndexChanged, this, &CCreateDlg::FillTechniqueList);

    auto* fields = new QGridLayout;
    fields_ = fields;
    fields->addWidget(new QLabel(u"番号："_s, this), 0, 0);
    fields->addWidget(numberEdit_, 0, 1);
    fields->addWidget(new QLabel(u"階級："_s, this), 1, 0);
    fields->addWidget(rankList_, 1, 1);
    fields->addWidget(new QLabel(u"対称性："_s, this), 2, 0);
    fields->addWidget(symmetryList_, 2, 1);
    techniqueLabel_ = new QLabel(u"解法："_s, this);
    fields->addWidget(techniqueLabel_, 3, 0);
    fields->addWidget(techniqueList_, 3, 1);
    fields->setColumnStretch(1, 1);

    const masuvo::CreationControls controls = masuvo::AddCreationControls(this, fields, kIdleText);
    status_ = controls.status;
    progress_ = controls.progress;
    okButton_ = controls.okButton;
    cancelButton_ = controls.cancelButton;
    // Wide enough for the longest text, so the dialog never changes size.
    const QFontMetrics metrics(status_->font());
    int widest = 0;
    for (const QString& text : {kIdleText, kWaitText, kWaitMoreText})
        widest = std::max(widest, metrics.horizontalAdvance(text));
    status_->setMinimumWidth(widest + 24);

    statusTimer_.setTimerType(Qt::CoarseTimer);
    connect(&statusTimer_, &QTimer::timeout, this, &CCreateDlg::ShowNextWaitText);
    connect(okButton_, &QPushButton::clicked, this, &CCreateDlg::Start);
    // In the normal mode a right click anywhere offers the page on creation.
    if (!difficult_)
        masuvo::OpenHelpPopupOnRightClick(
            this, [] { return std::vector<masuvo::HelpTopic>{{"問題自動作成", "操作方法_問題自動作成について.htm"}}; },
            logicalDpiX() / 96.0, logicalDpiY() / 96.0);
    connect(cancelButton_, &QPushButton::clicked, this, &CCreateDlg::reject);
}

CCreateDlg::~CCreateDlg() = default;

void CCreateDlg::FillTechniqueList() {
    const int rank = difficult_ ? rankList_->currentIndex() + 7 : rankList_->currentIndex();
    const int kept = techniqueList_->currentData().isValid() ? techniqueList_->currentData().toInt() : technique_;
    const QSignalBlocker blocker(techniqueList_);
    techniqueList_->clear();
    techniqueList_->addItem(u"指定なし"_s, -1);
    for (int t = 0; t < masuvo::kTechniqueCount; ++t) {
        if (!masuvo::RankAllowsTechnique(rank, t)) continue;
        techniqueList_->addItem(QString::fromUtf8(masuvo::TechniqueName(t)), t);
        if (t == kept) techniqueList_->setCurrentIndex(techniqueList_->count() - 1);
    }
}

void CCreateDlg::PresetTechnique(int technique) {
    const int at = techniqueList_->findData(technique);
    if (at >= 0) techniqueList_->setCurrentIndex(at);
}

void CCreateDlg::Start() {
    if (running_) return;
    number_ = numberEdit_->Value();
    rankSelection_ = rankList_->currentIndex();
    symmetry_ = symmetryList_->currentIndex();
    technique_ = techniqueList_->currentData().toInt();

    numberEdit_->setEnabled(false);
    techniqueList_->setEnabled(false);
    rankList_->setEnabled(false);
    symmetryList_->setEnabled(false);
    okButton_->setEnabled(false);

    status_->setText(kRunningText);
    StartSearch(rankIndex(), number_, symmetry_);
}

void CCreateDlg::StartSearch(int rankIndex, int number, int symmetry) {
    running_ = true;
    progress_->setValue(0);
    masuvo::CreationRequest request;
    request.number = number;
    request.rank = rankIndex;
    request.symmetry = symmetry;
    request.technique = technique_;
    task_.Start(
        search_, request,
        masuvo::ProgressUnlessCancelled(task_, progress_),
        [this](const masuvo::CreationOutcome& outcome) { Finish(outcome); });

    if (!statusTimer_.isActive()) {
        messageToggle_ = false;
        statusTimer_.start(statusInterval_);
    }
}

void CCreateDlg::ShowNextWaitText() {
    status_->setText(messageToggle_ ? kWaitMoreText : kWaitText);
    messageToggle_ = !messageToggle_;
}

void CCreateDlg::reject() {
    statusTimer_.stop();
    if (!running_) {
        done(1);
        return;
    }
    task_.Cancel();
    status_->setText(kCancellingText);
}

void CCreateDlg::Finish(const masuvo::CreationOutcome& outcome) {
    statusTimer_.stop();
    running_ = false;
    elapsed_ = outcome.seconds;
    const int code = masuvo::CreationEndCode(this, task_, outcome);
    if (code == 0) result_ = outcome.puzzle;
    done(code);
}
