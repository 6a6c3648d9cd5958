// Mutated media through the C header, with a fixed random seed: no crash,
// every job ends, a failure has an error code and leaves no output, and a
// success is a file with packets in every stream. The slowest job is a
// figure. A damaged packet time stamp is told from a real gap in the sound.
#include "../Figures.h"
#include "engine_test_util.h"

#include <QDirIterator>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

using namespace etest;

namespace {

struct Seed
{
    const char* name;
    QStringList encode; // ffmpeg output options
};

// Small files of the containers people convert from: a few KB each.
const Seed kSeeds[] = {
    {"s.mp4", {"-c:v", "mpeg4", "-c:a", "aac", "-b:a", "16k"}},
    {"s.mkv", {"-c:v", "mjpeg", "-q:v", "20", "-c:a", "pcm_s16le"}},
    {"s.avi", {"-c:v", "mpeg4", "-c:a", "pcm_s16le"}},
    {"s.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-b:a", "32k", "-ar", "16000"}},
    {"s.ts", {"-c:v", "mpeg2video", "-c:a", "mp2", "-b:a", "32k", "-ar", "16000"}},
    {"s.flv", {"-c:v", "flv1", "-c:a", "pcm_s16le", "-ar", "11025"}},
    {"s.mov", {"-c:v", "mjpeg", "-q:v", "20", "-c:a", "pcm_s16le"}},
    {"s.wav", {"-vn", "-c:a", "pcm_s16le"}},
};

constexpr int kMutationsPerSeed = 25;
// Only catches a hang: a job takes a few hundred milliseconds.
constexpr int kJobBoundMs = 60000;

enum class Mutation { Flip, Truncate, Zero, Repeat, Fill };

QByteArray mutate(const QByteArray& in, QRandomGenerator& rng)
{
    QByteArray b = in;
    const int n = b.size();
    const int at = int(rng.bounded(quint32(n)));
    switch (Mutation(rng.bounded(5))) {
    case Mutation::Flip:
        for (int k = 0, count = 1 + int(rng.bounded(20)); k < count; ++k)
            b[int(rng.bounded(quint32(n)))] = char(rng.bounded(256));
        break;
    case Mutation::Truncate:
        b.truncate(at);
        break;
    case Mutation::Zero:
        b.replace(at, qMin(n - at, 1 + int(rng.bounded(256))), QByteArray(256, '\0'));
        break;
    case Mutation::Repeat:
        b.insert(at, b.mid(int(rng.bounded(quint32(n))), 1 + int(rng.bounded(1024))));
        break;
    case Mutation::Fill:
        b.replace(at, qMin(n - at, 1 + int(rng.bounded(64))), QByteArray(64, '\xff'));
        break;
    }
    return b;
}

struct Outcome
{
    QString name;
    int error = 0; // engine error, -1 open refused, -2 over the bound
    bool fileLeft = false;
    bool playable = false;
    qint64 ms = 0;
};

Outcome runOne(const QString& src, const QString& dst)
{
    Outcome o;
    o.name = QFileInfo(src).fileName();
    QElapsedTimer t;
    t.start();
    InfoHandle i = Info_Create(-1);
    if (Info_Open(i, u8(src).constData())) {
        Info_GetDuration(i);
        Info_GetVideoWidth(i);
        Info_GetVideoImage(i, 0, 1, 0, 0);
        Info_EnableClosedCaption(i, 1);
    }
    Info_Release(i);

    Config c = Config_Create();
    Config_SetVideoSize(c, 64, 48);
    Config_SetVideoFrameRate(c, 10, 1);
    ConverterHandle h = Converter_Create(-1);
    if (!Converter_Open(h, u8(src).constData(), u8(dst).constData(), "mp4", c)) {
        o.error = Converter_GetError(h) ? -1 : 0; // a refusal must say why
        o.fileLeft = QFile::exists(dst);
        Converter_Release(h);
        Config_Release(c);
        return o;
    }
    Config_Release(c);
    Converter_Start(h);
    const bool done = waitFor([&] { return Converter_IsCompleted(h) == 1; }, kJobBoundMs);
    o.error = done ? Converter_GetError(h) : -2;
    Converter_Release(h);
    o.ms = t.elapsed();
    o.fileLeft = QFile::exists(dst);
    if (o.error == 0 && o.fileLeft) {
        const Probe p = probe(dst);
        o.playable = p.streams.size() > 0;
        for (const auto& s : p.streams)
            o.playable = o.playable && s.toObject().value("nb_read_packets").toString().toInt() > 0;
    }
    return o;
}

// Moves the time stamp in the n-th sound packet header (MPEG stream 0xC0)
// of a transport stream by `seconds`, as one damaged byte there does; empty
// when there is no such header.
QByteArray movedSoundStamp(QByteArray ts, int n, double seconds)
{
    int at = -1;
    for (int i = 0; i < n && (at = ts.indexOf(QByteArray("\x00\x00\x01\xc0", 4), at + 1)) >= 0; ++i) {
    }
    if (at < 0 || at + 14 > ts.size() || !(uchar(ts[at + 7]) & 0x80))
        return {};
    // 33 bits in five bytes, a marker bit after each part
    uchar* p = reinterpret_cast<uchar*>(ts.data()) + at + 9;
    int64_t pts = int64_t((p[0] >> 1) & 7) << 30 | int64_t(p[1]) << 22 | int64_t(p[2] >> 1) << 15
        | int64_t(p[3]) << 7 | int64_t(p[4] >> 1);
    pts += int64_t(seconds * 90000);
    p[0] = uchar((p[0] & 0xf1) | ((pts >> 29) & 0x0e));
    p[1] = uchar(pts >> 22);
    p[2] = uchar(((pts >> 14) & 0xfe) | 1);
    p[3] = uchar(pts >> 7);
    p[4] = uchar(((pts << 1) & 0xfe) | 1);
    return ts;
}

// The loudest sample from `from` for 0.4 s, in dB (-inf for silence).
double peakDb(const QString& path, double from)
{
    QProcess p;
    p.start("ffmpeg",
            {"-nostdin", "-ss", QString::number(from), "-t", "0.4", "-i", path, "-vn", "-af", "volumedetect",
             "-f", "null", "-"});
    p.waitForFinished(30000);
    const QString log = QString::fromUtf8(p.readAllStandardError());
    const int at = log.indexOf("max_volume: ");
    if (at < 0)
        return qQNaN();
    const QString value = log.mid(at + 12).section(' ', 0, 0);
    return value == "-inf" ? -qInf() : value.toDouble();
}

} // namespace

class TestEngineFuzz : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mutatedMedia();
    void soundTimeLine_data();
    void soundTimeLine();

private:
    QTemporaryDir m_dir;
};

void TestEngineFuzz::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath("in") && QDir(m_dir.path()).mkpath("out"));
    for (const Seed& s : kSeeds)
        QVERIFY2(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=0.6", "-f", "lavfi", "-i",
                                    "sine=r=8000:d=0.6", "-shortest"}
                        + s.encode + QStringList{m_dir.filePath(QString("in/") + s.name)}),
                 s.name);

    // 2 s of picture and sound; in one copy a packet of sound frames a
    // second in claims to come 12 s later, in another the sound really
    // pauses for 3 s after a second
    const QStringList clip{"-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=2",
                           "-f", "lavfi", "-i", "sine=r=48000:d=2"};
    const QStringList codecs{"-c:v", "mpeg2video", "-c:a", "mp2", "-b:a", "64k"};
    QVERIFY(ffmpeg(clip + codecs + QStringList{m_dir.filePath("clean.ts")}));
    const QByteArray damaged = movedSoundStamp(readAll(m_dir.filePath("clean.ts")), 3, 12.0);
    QVERIFY(!damaged.isEmpty() && writeAll(m_dir.filePath("damaged.ts"), damaged));
    QVERIFY(ffmpeg(clip + QStringList{"-af", "asetpts=PTS+gte(T\\,1)*3/TB"} + codecs
                   + QStringList{m_dir.filePath("pause.ts")}));
}

void TestEngineFuzz::mutatedMedia()
{
    QRandomGenerator rng(20261210);
    QStringList inputs;
    for (const Seed& s : kSeeds) {
        const QByteArray seed = readAll(m_dir.filePath(QString("in/") + s.name));
        QVERIFY2(seed.size() > 0 && seed.size() < 64 * 1024, s.name);
        const QString suffix = QFileInfo(s.name).suffix();
        for (int k = 0; k < kMutationsPerSeed; ++k) {
            const QString path = m_dir.filePath(QString("in/m%1_%2.%3").arg(suffix).arg(k).arg(suffix));
            QVERIFY(writeAll(path, mutate(seed, rng)));
            inputs << path;
        }
    }

    QElapsedTimer t;
    t.start();
    std::vector<Outcome> outcomes(size_t(inputs.size()));
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 8; ++w)
        workers.emplace_back([&] {
            for (int k = next++; k < inputs.size(); k = next++)
                outcomes[size_t(k)] = runOne(
                    inputs[k], m_dir.filePath(QString("out/%1.mp4").arg(QFileInfo(inputs[k]).baseName())));
        });
    for (std::thread& w : workers)
        w.join();

    int failed = 0, converted = 0;
    for (const Outcome& o : outcomes) {
        QVERIFY2(o.error != -2, qPrintable(o.name + " ran past the bound"));
        QVERIFY2(o.error != -1 || !o.fileLeft, qPrintable(o.name + ": a refused open left a file"));
        if (o.error != 0) {
            ++failed;
            QVERIFY2(!o.fileLeft, qPrintable(o.name + ": a failed job left its output"));
        } else {
            ++converted;
            QVERIFY2(o.fileLeft && o.playable, qPrintable(o.name + ": success without a playable output"));
        }
    }
    // nothing else appears in the output folder: no temporary leftovers
    QCOMPARE(QDir(m_dir.filePath("out")).entryList(QDir::Files | QDir::Hidden).size(), converted);
    std::sort(outcomes.begin(), outcomes.end(),
              [](const Outcome& a, const Outcome& b) { return a.ms > b.ms; });
    qInfo() << "slowest:" << outcomes[0].name << outcomes[0].ms << "ms," << outcomes[1].name << outcomes[1].ms
            << "ms";
    qInfo() << outcomes.size() << "mutations:" << converted << "converted," << failed
            << "refused or failed, in" << t.elapsed() << "ms";
    figures::report("fuzz.slowest_job_ms", double(outcomes[0].ms), "ms", 1000);
}

void TestEngineFuzz::soundTimeLine_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("merge");
    QTest::addColumn<double>("seconds"); // what the output holds
    QTest::addColumn<double>("toneAt"); // the tone plays there
    QTest::addColumn<double>("quietAt"); // silence there, or -1
    QTest::newRow("damaged time stamp") << "damaged.ts" << false << 2.0 << 1.2 << -1.0;
    QTest::newRow("merged: damaged time stamp") << "damaged.ts" << true << 2.0 << 1.2 << -1.0;
    QTest::newRow("pause in the sound") << "pause.ts" << false << 4.75 << 4.2 << 2.0;
    QTest::newRow("merged: pause in the sound") << "pause.ts" << true << 4.75 << 4.2 << 2.0;
}

void TestEngineFuzz::soundTimeLine()
{
    QFETCH(QString, file);
    QFETCH(bool, merge);
    QFETCH(double, seconds);
    QFETCH(double, toneAt);
    QFETCH(double, quietAt);
    const QString src = m_dir.filePath(file);
    const QString dst =
        m_dir.filePath(QString("out/line_%1_%2.mp4").arg(QFileInfo(file).baseName()).arg(merge));
    Config c = Config_Create();
    Config_SetVideoSize(c, 64, 48);
    int err = 0;
    if (merge) {
        MergerHandle m = Merger_Create(-1);
        QCOMPARE(Merger_Open(m, u8(dst).constData(), "mp4", c), 1);
        QCOMPARE(Merger_Start(m), 1);
        QCOMPARE(Merger_AddTask(m, u8(src).constData(), 0, 0, c), 1);
        QVERIFY(waitFor([&] { return Merger_IsCompleted(m) == 1; }));
        err = Merger_GetError(m);
        QCOMPARE(Merger_Close(m), 1);
        Merger_Release(m);
    } else {
        err = convert(src, dst, "mp4", c);
    }
    Config_Release(c);
    QCOMPARE(err, 0);

    // the damaged stamp claims seconds the file does not hold
    QVERIFY(probe(src).duration() > (file == "damaged.ts" ? 12.0 : 4.5));
    const double written = probe(dst).duration();
    QVERIFY2(qAbs(written - seconds) < 0.3, qPrintable(QString::number(written)));
    // the sound after the damaged packet is kept, not dropped as overlapping
    const double tone = peakDb(dst, toneAt);
    QVERIFY2(tone > -40.0, qPrintable(QString::number(tone)));
    if (quietAt >= 0) {
        const double quiet = peakDb(dst, quietAt);
        QVERIFY2(quiet < -60.0, qPrintable(QString::number(quiet)));
    }
}

QTEST_GUILESS_MAIN(TestEngineFuzz)
#include "tst_engine_fuzz.moc"
