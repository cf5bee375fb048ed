// The program's three sounds, played from its resources at the program's own
// volume. Without a sound device or server the sounds are simply not heard.
#pragma once

#include <QObject>

#include <array>

#include "session/session_view.h"

class QSoundEffect;

namespace masuvo {

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // Loads the sounds (and with them the audio back end, a sound server
    // connection and its device search); done once the window has painted,
    // or by the first Play, so that start-up does not wait for it.
    void Prepare();
    // Returns at once; a sound started while another plays cuts that one off.
    void Play(Sound sound);
    // 0..100 (clamped), heard from the next sound on; it never touches the
    // system's master volume.
    void SetVolume(int percent);
    int Volume() const { return volume_; }

signals:
    void played(masuvo::Sound sound);

private:
    std::array<QSoundEffect*, 3> effects_{};  // null until Prepare
    int volume_ = 50;
};

}  // namespace masuvo
