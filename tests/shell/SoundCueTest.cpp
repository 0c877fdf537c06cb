// The sound cues on ALSA's "null" device, which takes the samples at the real rate.
#include "platform/linux/AlsaSoundPlayer.h"
#include "shell/SoundCues.h"

#include <QTest>

#include <thread>

using namespace std::chrono_literals;
using namespace zelto;
using namespace zelto::qt;

namespace {

template <class F> std::chrono::milliseconds Timed(F&& act) {
    const auto start = std::chrono::steady_clock::now();
    act();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

} // namespace

class SoundCueTest : public QObject {
    Q_OBJECT

private slots:
    void unknownNameFailsAtOnce() {
        AlsaSoundPlayer player(&ReadSoundCue, "null");
        for (const char* name : {"", "BEEP", "ouch", "../icons/app-32"})
            QVERIFY(Timed([&] { QVERIFY(!player.PlaySoundCue(name)); }) < 50ms);
    }

    // A cue plays to its end unless a later one cuts it off: INTROSOUND alone lasts 1.1 s, BLEEP 0.24 s.
    void cuePlaysToItsEndUnlessCutOff() {
        QVERIFY(!AlsaSoundPlayer(&ReadSoundCue, "no-such-device").PlaySoundCue("OUCH"));
        AlsaSoundPlayer player(&ReadSoundCue, "null");
        bool introPlayed = false;
        std::chrono::milliseconds introTook{}, bleepTook{};
        std::thread intro([&] { introTook = Timed([&] { introPlayed = player.PlaySoundCue("INTROSOUND"); }); });
        std::this_thread::sleep_for(200ms);
        bleepTook = Timed([&] { QVERIFY(player.PlaySoundCue("BLEEP")); });
        intro.join();
        QVERIFY(introPlayed);
        QVERIFY2(introTook < 500ms, qPrintable(QString::number(introTook.count())));
        QVERIFY2(bleepTook >= 220ms && bleepTook < 600ms, qPrintable(QString::number(bleepTook.count())));
    }
};

QTEST_GUILESS_MAIN(SoundCueTest)
#include "SoundCueTest.moc"
