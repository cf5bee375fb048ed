// 音量調整 and the sound player: the volume follows the slider at once, the test
// buttons play at it, Cancel puts the old volume back.
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSoundEffect>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include "ui/sound_player.h"
#include "ui/dialogs/volume_dialog.h"

using namespace Qt::StringLiterals;
using masuvo::Sound;

class VolumeDialogTest : public QObject {
    Q_OBJECT

private slots:
    void sliderSetsTheVolumeAndTestButtonsPlayAtIt();
    void okKeepsAndCancelRestores_data();
    void okKeepsAndCancelRestores();
    void playerClampsAndPlaysHeadless();
};

namespace {

QSlider* SliderOf(QWidget& dialog) { return dialog.findChild<QSlider*>(u"volumeSlider"_s); }
QString ValueOf(QWidget& dialog) { return dialog.findChild<QLabel*>(u"volumeValue"_s)->text(); }

}  // namespace

void VolumeDialogTest::sliderSetsTheVolumeAndTestButtonsPlayAtIt() {
    masuvo::SoundPlayer player;
    player.SetVolume(50);
    CVolumeDlg dialog(50, player);
    QCOMPARE(dialog.windowTitle(), u"音量調整"_s);
    QSlider* slider = SliderOf(dialog);
    QCOMPARE(slider->minimum(), 0);
    QCOMPARE(slider->maximum(), 100);
    QCOMPARE(slider->value(), 50);
    QCOMPARE(ValueOf(dialog), u"50"_s);

    QList<QPair<Sound, int>> heard;
    connect(&player, &masuvo::SoundPlayer::played, this,
            [&](Sound sound) { heard.append({sound, player.Volume()}); });

    dialog.show();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(ValueOf(dialog), u"100"_s);
    QTest::keyClick(slider, Qt::Key_PageDown);
    QCOMPARE(dialog.volume(), 90);
    QCOMPARE(ValueOf(dialog), u"90"_s);
    QCOMPARE(player.Volume(), 90);
    dialog.findChild<QPushButton*>(u"errorButton"_s)->click();

    slider->setValue(7);
    QCOMPARE(ValueOf(dialog), u"7"_s);
    dialog.findChild<QPushButton*>(u"clearButton"_s)->click();
    slider->setValue(0);
    dialog.findChild<QPushButton*>(u"completionButton"_s)->click();

    const QList<QPair<Sound, int>> expected = {{Sound::Error, 90}, {Sound::Clear, 7}, {Sound::Completion, 0}};
    QCOMPARE(heard, expected);
}

void VolumeDialogTest::okKeepsAndCancelRestores_data() {
    QTest::addColumn<int>("how");
    QTest::addColumn<int>("volume");
    QTest::newRow("OK") << 0 << 25;
    QTest::newRow("Escape") << 1 << 60;
    QTest::newRow("close box") << 2 << 60;
}

void VolumeDialogTest::okKeepsAndCancelRestores() {
    QFETCH(int, how);
    QFETCH(int, volume);
    masuvo::SoundPlayer player;
    player.SetVolume(60);
    CVolumeDlg dialog(60, player);
    QTimer::singleShot(0, &dialog, [&] {
        SliderOf(dialog)->setValue(25);
        if (how == 0) dialog.findChild<QPushButton*>(u"okButton"_s)->click();
        if (how == 1) QTest::keyClick(&dialog, Qt::Key_Escape);
        if (how == 2) dialog.close();
    });
    const int code = dialog.exec();
    QCOMPARE(code, how == 0 ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(dialog.volume(), volume);
    QCOMPARE(player.Volume(), volume);
}

void VolumeDialogTest::playerClampsAndPlaysHeadless() {
    masuvo::SoundPlayer player;
    player.SetVolume(140);
    QCOMPARE(player.Volume(), 100);
    player.SetVolume(-3);
    QCOMPARE(player.Volume(), 0);

    // The sounds are in the resources in the format the program plays.
    for (const char* name : {"clear", "error", "completion"}) {
        QFile file(u":/sounds/%1.wav"_s.arg(QLatin1StringView(name)));
        QVERIFY2(file.open(QIODevice::ReadOnly), name);
        const QByteArray header = file.read(44);
        QCOMPARE(header.left(4), QByteArray("RIFF"));
        QCOMPARE(header.mid(8, 4), QByteArray("WAVE"));
        QCOMPARE(qFromLittleEndian<quint16>(header.constData() + 20), quint16(1));  // PCM
        QCOMPARE(qFromLittleEndian<quint16>(header.constData() + 22), quint16(2));  // channels
        QCOMPARE(qFromLittleEndian<quint32>(header.constData() + 24), quint32(22050));
        QCOMPARE(qFromLittleEndian<quint16>(header.constData() + 34), quint16(16));
    }

    // Without a sound server nothing is heard and nothing fails, even when a
    // second sound cuts the first off.
    QSignalSpy played(&player, &masuvo::SoundPlayer::played);
    player.Play(Sound::Clear);
    player.Play(Sound::Error);
    player.Play(Sound::Completion);
    QCOMPARE(played.size(), 3);
    QTest::qWait(50);
}

QTEST_MAIN(VolumeDialogTest)
#include "volume_dialog_test.moc"
