// Sound through a real SDL device: SDL's disk driver stands in for a sound
// card (it takes the samples at the card's pace and writes them to a file),
// so the device path, the volume and the pacing are checked on a machine
// without one. A process of its own: SDL's audio is started once a process.
#include "engine_test_util.h"

#include <cmath>

using namespace etest;

namespace {

struct Heard
{
    double rms = 0.0;
    double hz = 0.0;
    double seconds = 0.0; // of sound, silence at either end left out
};

// Interleaved stereo 32-bit floats at 48 kHz, as the engine opens the device.
Heard listen(const QByteArray& raw)
{
    const auto* s = reinterpret_cast<const float*>(raw.constData());
    const qsizetype frames = raw.size() / qsizetype(2 * sizeof(float));
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < frames; ++i) {
        if (std::fabs(s[2 * i]) > 1e-3f) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    Heard h;
    if (first < 0)
        return h;
    // Only the sound itself counts: on a busy machine the device may get a
    // late buffer, which the driver writes as silence.
    double sum = 0.0;
    int crossings = 0;
    qsizetype loud = 0, previous = -1;
    for (qsizetype i = first; i <= last; ++i) {
        if (std::fabs(s[2 * i]) <= 1e-3f)
            continue;
        sum += double(s[2 * i]) * double(s[2 * i]);
        if (previous >= 0 && (s[2 * previous] < 0.0f) != (s[2 * i] < 0.0f))
            ++crossings;
        previous = i;
        ++loud;
    }
    const double n = double(loud);
    h.rms = std::sqrt(sum / n);
    h.seconds = n / 48000.0;
    h.hz = crossings / 2.0 / h.seconds;
    return h;
}

} // namespace

class TestEngineAudio : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void deviceGetsTheSoundAtVolume();

private:
    QTemporaryDir m_dir;
};

void TestEngineAudio::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qunsetenv("ORVALTA_AUDIO");
    qputenv("SDL_AUDIODRIVER", "disk");
}

void TestEngineAudio::deviceGetsTheSoundAtVolume()
{
    Heard full, half;
    for (int volume : {100, 50}) {
        const QString out = m_dir.filePath(QString("heard%1.raw").arg(volume));
        qputenv("SDL_DISKAUDIOFILE", out.toUtf8());
        PlayerHandle p = Player_Create(27);
        QCOMPARE(Player_Open(p, u8(fixture("a.mp3"))), 1);
        QCOMPARE(Player_SetAudioVolume(p, volume), 1);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(Player_Play(p), 1);
        QVERIFY(waitFor([&] { return Player_IsCompleted(p) == 1; }, 60000));
        const qint64 took = timer.elapsed();
        // The device is let go (and the file closed) when the player is.
        QCOMPARE(Player_Release(p), 1);
        const Heard h = listen(readAll(out));
        qInfo("volume %d: %.2f s of sound, rms %.4f, %.0f Hz, played in %lld ms", volume, h.seconds, h.rms,
              h.hz, took);
        QVERIFY2(took >= 1800, "the clock runs in real time");
        // The device opens a moment into playback, later on a busy machine:
        // the first tenths are not heard.
        QVERIFY2(h.seconds > 1.0 && h.seconds < 2.1, qPrintable(QString::number(h.seconds)));
        QVERIFY2(std::fabs(h.hz - 440.0) < 20.0, qPrintable(QString::number(h.hz)));
        (volume == 100 ? full : half) = h;
    }
    QVERIFY(full.rms > 0.05);
    QVERIFY2(std::fabs(half.rms / full.rms - 0.5) < 0.05, qPrintable(QString::number(half.rms / full.rms)));
}

QTEST_GUILESS_MAIN(TestEngineAudio)
#include "tst_engine_audio.moc"
