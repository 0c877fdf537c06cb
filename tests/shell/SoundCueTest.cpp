// The sound cues: the embedded files, and playing them on ALSA's "null" device.
#include "shell/AlsaSoundPlayer.h"
#include "shell/WaveDecoder.h"

#include <QFile>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace zelto;
using Clock = std::chrono::steady_clock;

namespace {

std::chrono::milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

} // namespace

class SoundCueTest : public QObject {
    Q_OBJECT

private slots:
    void embeddedCuesAreShortWaves_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("INTROSOUND") << QStringLiteral("INTROSOUND");
        QTest::newRow("BLEEP") << QStringLiteral("BLEEP");
        QTest::newRow("OUCH") << QStringLiteral("OUCH");
    }

    void embeddedCuesAreShortWaves() {
        QFETCH(QString, name);
        QFile file(QStringLiteral(":/sounds/") + name + QStringLiteral(".wav"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("RIFF"));
        const auto wave = DecodeWave(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        QVERIFY(wave.has_value());
        QVERIFY(wave->Frames() > 0);
        QVERIFY(static_cast<double>(wave->Frames()) / wave->rate < 1.5);
    }

    void damagedBytesDoNotDecode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a sound") << QByteArray("hello, this is text and not a RIFF WAVE file at all");
        QFile file(QStringLiteral(":/sounds/BLEEP.wav"));
        file.open(QIODevice::ReadOnly);
        QTest::newRow("header only") << file.read(44);
    }

    void damagedBytesDoNotDecode() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!DecodeWave(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    }

    void unknownNameFailsAtOnce_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("other name") << QStringLiteral("BEEP");
        QTest::newRow("lower case") << QStringLiteral("ouch");
        QTest::newRow("another resource") << QStringLiteral("../icons/app-32");
    }

    void unknownNameFailsAtOnce() {
        QFETCH(QString, name);
        AlsaSoundPlayer player("null");
        const auto start = Clock::now();
        QVERIFY(!player.PlaySoundCue(name.toStdString()));
        QVERIFY(Since(start) < 50ms);
    }

    void cuePlaysToItsEnd() {
        AlsaSoundPlayer player("null");
        const auto start = Clock::now();
        QVERIFY(player.PlaySoundCue("BLEEP"));
        const auto took = Since(start);
        QVERIFY2(took >= 220ms && took < 1s, qPrintable(QString::number(took.count())));
    }

    void missingDeviceFailsSilently() {
        // ALSA's own complaints would land on stderr: caught in a file for the length of the call.
        std::fflush(stderr);
        FILE* caught = std::tmpfile();
        QVERIFY(caught);
        const int saved = dup(STDERR_FILENO);
        dup2(fileno(caught), STDERR_FILENO);
        AlsaSoundPlayer player("no-such-device");
        const bool played = player.PlaySoundCue("OUCH");
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        std::fseek(caught, 0, SEEK_END);
        const long printed = std::ftell(caught);
        std::fclose(caught);
        QVERIFY(!played);
        QCOMPARE(printed, 0L);
    }

    void laterCueCutsOffThePlayingOne() {
        AlsaSoundPlayer player("null");
        std::chrono::milliseconds introTook{};
        bool introPlayed = false;
        const auto start = Clock::now();
        std::thread intro([&] {
            introPlayed = player.PlaySoundCue("INTROSOUND");
            introTook = Since(start);
        });
        std::this_thread::sleep_for(200ms);
        const auto bleepStart = Clock::now();
        QVERIFY(player.PlaySoundCue("BLEEP"));
        const auto bleepTook = Since(bleepStart);
        intro.join();
        QVERIFY(introPlayed);
        // INTROSOUND alone lasts 1.1 s; BLEEP 0.24 s.
        QVERIFY2(introTook < 500ms, qPrintable(QString::number(introTook.count())));
        QVERIFY2(bleepTook >= 220ms && bleepTook < 600ms, qPrintable(QString::number(bleepTook.count())));
    }
};

QTEST_GUILESS_MAIN(SoundCueTest)
#include "SoundCueTest.moc"
