// The sound cues on ALSA's "null" device, which takes the samples at the real rate.
#include "platform/linux/AlsaSoundPlayer.h"
#include "shell/SoundCues.h"

#include <QTest>

#include <thread>

using namespace zelto;
using namespace zelto::qt;

class SoundCueTest : public QObject {
    Q_OBJECT

private slots:
    void unknownNameOrDeviceFails() {
        AlsaSoundPlayer player(&ReadSoundCue, "null");
        for (const char* name : {"", "BEEP", "ouch", "../icons/app-32"})
            QVERIFY(!player.PlaySoundCue(name));
        QVERIFY(!AlsaSoundPlayer(&ReadSoundCue, "no-such-device").PlaySoundCue("OUCH"));
    }

    // A cue started while another plays on another thread cuts it off; both end, neither waits for ever.
    void twoThreadsPlayOneAfterTheOther() {
        AlsaSoundPlayer player(&ReadSoundCue, "null");
        bool introPlayed = false;
        std::thread intro([&] { introPlayed = player.PlaySoundCue("INTROSOUND"); });
        QVERIFY(player.PlaySoundCue("BLEEP"));
        intro.join();
        QVERIFY(introPlayed);
    }
};

QTEST_GUILESS_MAIN(SoundCueTest)
#include "SoundCueTest.moc"
