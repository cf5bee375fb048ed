#include "ui/sound_player.h"

#include <QSoundEffect>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

// The sounds live in a static library: its resources are registered by hand,
// since nothing else pulls their object file into the program.
static void RegisterSoundResources() { Q_INIT_RESOURCE(sounds); }

namespace masuvo {

namespace {

int IndexOf(Sound sound) {
    switch (sound) {
        case Sound::Clear: return 0;
        case Sound::Error: return 1;
        case Sound::Completion: return 2;
    }
    return 1;
}

}  // namespace

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

void SoundPlayer::Prepare() {
    if (effects_[0] != nullptr) return;
    RegisterSoundResources();
    const QString files[3] = {u"qrc:/sounds/clear.wav"_s, u"qrc:/sounds/error.wav"_s, u"qrc:/sounds/completion.wav"_s};
    for (int i = 0; i < 3; ++i) {
        effects_[i] = new QSoundEffect(this);
        effects_[i]->setSource(QUrl(files[i]));
    }
}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::Play(Sound sound) {
    Prepare();
    for (QSoundEffect* effect : effects_) effect->stop();
    QSoundEffect* effect = effects_[IndexOf(sound)];
    effect->setVolume(static_cast<float>(volume_) / 100.0f);
    effect->play();
    emit played(sound);
}

void SoundPlayer::SetVolume(int percent) { volume_ = std::clamp(percent, 0, 100); }

}  // namespace masuvo
