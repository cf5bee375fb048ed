#include "ui/dialogs/create_test_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "engine/rating.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kLastRank = masuvo::kRankCount - 1;
// A series never runs beyond the numbers the number field takes.
constexpr long long kLastNumber = 1000000;

}  // namespace

CCreateTestDlg::CCreateTestDlg(QWidget* parent) : CCreateDlg(1, 0, 0, false, parent), results_(masuvo::kRankCount) {
    // The caption stays the inherited "問題自動作成".
    // Every rank is created in turn: there is nothing to choose.
    rankList_->setEnabled(false);
    // The series creates the untargeted puzzles of each rank.
    techniqueLabel_->hide();
    techniqueList_->hide();

    countEdit_ = new QLineEdit(u"10"_s, this);
    countEdit_->setObjectName(u"countEdit"_s);
    countEdit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    countEdit_->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,7}"_s), countEdit_));
    countEdit_->setFont(QFont(u"Meiryo UI"_s, 9));
    countEdit_->setToolTip(u"階級ごとの問題数"_s);
    fields_->addWidget(new QLabel(u"問題数："_s, this), 0, 2);
    fields_->addWidget(countEdit_, 0, 3);

    seriesProgress_ = new QLabel(this);
    seriesProgress_->setObjectName(u"seriesProgress"_s);
    seriesProgress_->setAlignment(Qt::AlignCenter);
    fields_->addWidget(seriesProgress_, 4, 0, 1, 4);
}

void CCreateTestDlg::Start() {
    if (running_) return;
    start_ = numberEdit_->Value();
    bool ok = false;
    const long long count = countEdit_->text().toLongLong(&ok);
    // A count of 0 or less (or none) makes one number per rank.
    const long long last = static_cast<long long>(start_) + (ok ? count : 0) - 1;
    end_ = static_cast<int>(std::clamp<long long>(last, start_, std::max<long long>(start_, kLastNumber)));
    symmetry_ = symmetryList_->currentIndex();
    number_ = start_;

    numberEdit_->setEnabled(false);
    countEdit_->setEnabled(false);
    rankList_->setEnabled(false);
    // The series creates the untargeted puzzles of each rank.
    techniqueLabel_->hide();
    techniqueList_->hide();
    symmetryList_->setEnabled(false);
    okButton_->setEnabled(false);
    status_->setText(u"問題作成中..."_s);

    total_ = 0;
    failed_ = false;
    for (auto& rank : results_) rank.clear();
    currentNumber_ = start_;
    currentRank_ = 0;
    ShowSeriesProgress();
    StartSearch(currentRank_, currentNumber_, symmetry_);
}

void CCreateTestDlg::ShowSeriesProgress() {
    const long long perRank = static_cast<long long>(end_) - start_ + 1;
    const long long done = currentRank_ * perRank + (currentNumber_ - start_);
    seriesProgress_->setText(u"%1 / %2　%3 %4"_s.arg(done + 1)
                                 .arg(perRank * masuvo::kRankCount)
                                 .arg(QString::fromUtf8(masuvo::RankNameOfIndex(currentRank_)))
                                 .arg(currentNumber_));
}

void CCreateTestDlg::Finish(const masuvo::CreationOutcome& outcome) {
    running_ = false;
    total_ += outcome.seconds;
    elapsed_ = total_;
    if (task_.Cancelled()) {
        statusTimer_.stop();
        done(1);
        return;
    }
    if (outcome.status != masuvo::CreationStatus::Found) {
        statusTimer_.stop();
        // The window saves what was made before it says so.
        failed_ = true;
        done(1);
        return;
    }
    results_[static_cast<size_t>(currentRank_)].push_back(outcome.puzzle);
    if (currentNumber_ == end_ && currentRank_ == kLastRank) {
        statusTimer_.stop();
        done(0);
        return;
    }
    if (++currentNumber_ > end_) {
        currentNumber_ = start_;
        ++currentRank_;
    }
    ShowSeriesProgress();
    StartSearch(currentRank_, currentNumber_, symmetry_);
}
