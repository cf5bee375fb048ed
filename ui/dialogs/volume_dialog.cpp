#include "ui/dialogs/volume_dialog.h"

#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/sound_player.h"

using namespace Qt::StringLiterals;

CVolumeDlg::CVolumeDlg(int volume, masuvo::SoundPlayer& player, QWidget* parent)
    : QDialog(parent), player_(player), initialVolume_(std::clamp(volume, 0, 100)), volume_(initialVolume_) {
    setWindowTitle(u"音量調整"_s);
    setFont(QFont(u"Meiryo UI"_s, 9));

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(u"volumeSlider"_s);
    slider_->setRange(0, 100);
    slider_->setPageStep(10);
    slider_->setTickPosition(QSlider::TicksBelow);
    slider_->setTickInterval(10);
    slider_->setValue(volume_);
    slider_->setMinimumWidth(200);

    value_ = new QLabel(QString::number(volume_), this);
    value_->setObjectName(u"volumeValue"_s);
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value_->setMinimumWidth(value_->fontMetrics().horizontalAdvance(u"100"_s) + 4);

    auto* errorButton = new QPushButton(u"エラー"_s, this);
    errorButton->setObjectName(u"errorButton"_s);
    auto* clearButton = new QPushButton(u"クリア"_s, this);
    clearButton->setObjectName(u"clearButton"_s);
    auto* completionButton = new QPushButton(u"完成"_s, this);
    completionButton->setObjectName(u"completionButton"_s);
    for (QPushButton* button : {errorButton, clearButton, completionButton}) button->setAutoDefault(false);

    auto* testGroup = new QGroupBox(u"テスト"_s, this);
    auto* tests = new QHBoxLayout(testGroup);
    tests->addWidget(errorButton);
    tests->addWidget(clearButton);
    tests->addWidget(completionButton);

    auto* okButton = new QPushButton(u"OK"_s, this);
    okButton->setObjectName(u"okButton"_s);
    okButton->setDefault(true);

    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(slider_, 1);
    sliderRow->addWidget(value_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sliderRow);
    layout->addWidget(testGroup);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(slider_, &QSlider::valueChanged, this, &CVolumeDlg::SliderMoved);
    connect(errorButton, &QPushButton::clicked, this, [this] { player_.Play(masuvo::Sound::Error); });
    connect(clearButton, &QPushButton::clicked, this, [this] { player_.Play(masuvo::Sound::Clear); });
    connect(completionButton, &QPushButton::clicked, this, [this] { player_.Play(masuvo::Sound::Completion); });
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void CVolumeDlg::SliderMoved(int position) {
    volume_ = position;
    value_->setText(QString::number(volume_));
    player_.SetVolume(volume_);
}

void CVolumeDlg::reject() {
    volume_ = initialVolume_;
    player_.SetVolume(volume_);
    QDialog::reject();
}
