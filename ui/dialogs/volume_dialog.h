// 音量調整: the volume slider with test buttons for the three sounds.
#pragma once

#include <QDialog>

class QLabel;
class QSlider;

namespace masuvo {
class SoundPlayer;
}

// The volume follows the slider at once, so the test buttons play at the
// slider's position. OK keeps it; Cancel (Escape or the close box) puts the
// volume the dialog opened with back.
class CVolumeDlg : public QDialog {
    Q_OBJECT
public:
    CVolumeDlg(int volume, masuvo::SoundPlayer& player, QWidget* parent = nullptr);

    int volume() const { return volume_; }

public slots:
    void reject() override;

private:
    void SliderMoved(int position);

    masuvo::SoundPlayer& player_;
    const int initialVolume_;
    int volume_;
    QSlider* slider_;
    QLabel* value_;
};
