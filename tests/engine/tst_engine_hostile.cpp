// Damaged and hostile media: every job ends in bounded time with an error or
// a playable output, says when the source ended early, never reports
// success without content, and leaves nothing behind when it fails.
#include "../Figures.h"
#include "engine_test_util.h"

#include <QMutex>
#include <QtEndian>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace etest;

namespace {

// Little-endian 32-bit values written over a file's bytes at an offset
// from the first occurrence of a marker.
QByteArray patched(QByteArray bytes, const QByteArray& marker, int offset,
                   std::initializer_list<quint32> values)
{
    const int at = bytes.indexOf(marker);
    if (at < 0)
        return {};
    int pos = at + offset;
    for (quint32 v : values) {
        qToLittleEndian(v, bytes.data() + pos);
        pos += 4;
    }
    return bytes;
}

Config smallConfig(int fps = 25)
{
    Config c = Config_Create();
    Config_SetVideoSize(c, 64, 48);
    Config_SetVideoFrameRate(c, unsigned(fps), 1);
    return c;
}

// A figure's name for the current row: "hostile.<stem>_<row>_<unit>".
QByteArray rowFigure(const char* stem, const char* unit)
{
    QByteArray name = QByteArray("hostile.") + stem + "_";
    for (char ch : QByteArray(QTest::currentDataTag()).toLower()) {
        if (std::isalnum(static_cast<unsigned char>(ch)))
            name += ch;
        else if (!name.endsWith('_'))
            name += '_';
    }
    if (!name.endsWith('_'))
        name += '_';
    return name + unit;
}

// The benchmark runs the hostile subtitle files at their full size; the
// suite runs smaller ones that reach the same caps.
bool fullSize() { return qEnvironmentVariableIntValue("LV_BENCH_FULL") != 0; }

// Peak resident memory from now on: freed heap goes back to the system
// and the kernel's high-water mark restarts at what is resident.
void restartPeak()
{
    malloc_trim(0);
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double statusMiB(const char* field)
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

double peakMiB() { return statusMiB("VmHWM:"); }

// What the process holds before a job (the test's own, and what earlier
// cases left in the allocator): a job's memory is its peak above this.
double residentMiB() { return statusMiB("VmRSS:"); }

// Converts the whole source; the engine's error, -1 when Open fails (its
// error in *openError) or -2 past hangMs.
int convertFor(const QString& src, const QString& dst, Config c, int hangMs, int* openError)
{
    ConverterHandle h = Converter_Create(-1);
    if (!Converter_Open(h, u8(src).constData(), u8(dst).constData(), "mp4", c)) {
        *openError = Converter_GetError(h);
        Converter_Release(h);
        return -1;
    }
    Converter_Start(h);
    const bool done = waitFor([&] { return Converter_IsCompleted(h) == 1; }, hangMs);
    const int err = done ? Converter_GetError(h) : -2;
    Converter_Release(h);
    return err;
}

// Warnings the engine logs while a test runs.
struct WarningLog
{
    WarningLog()
    {
        lines().clear();
        Engine_SetLogHandler(
            [](void*, int level, const char* text) {
                if (level == 1) {
                    QMutexLocker lock(&mutex());
                    lines() << QString::fromUtf8(text);
                }
            },
            nullptr);
    }
    ~WarningLog() { Engine_SetLogHandler(nullptr, nullptr); }
    QStringList taken() const
    {
        QMutexLocker lock(&mutex());
        return lines();
    }
    static QMutex& mutex()
    {
        static QMutex m;
        return m;
    }
    static QStringList& lines()
    {
        static QStringList l;
        return l;
    }
};

} // namespace

class TestEngineHostile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void boundedTimeline_data();
    void boundedTimeline();
    void earlyEndReported();
    void nonRegularFilesRefused_data();
    void nonRegularFilesRefused();
    void sourceWithoutPermission();
    void writeFailureIsWriteError_data();
    void writeFailureIsWriteError();
    void rangeNearTheEnd_data();
    void rangeNearTheEnd();
    void outputSizeCapped_data();
    void outputSizeCapped();
    void unknownPairsNotWritten();
    void hostileStylingBounded_data();
    void hostileStylingBounded();
    void crowdedSubtitlesBounded();
    void hostileSubtitleFilesBounded();
    void releaseIsPromptAndQuiet_data();
    void releaseIsPromptAndQuiet();
    void hostileSubtitlesLetGo_data();
    void hostileSubtitlesLetGo();

private:
    QString media(const QString& name) const { return m_media.filePath(name); }
    QString out(const QString& name) const { return m_out.filePath(name); }

    QTemporaryDir m_media;
    QTemporaryDir m_out;
};

void TestEngineHostile::initTestCase()
{
    QVERIFY(m_media.isValid() && m_out.isValid());
    const QString small = "testsrc=s=64x48:r=10:d=1";
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", small, "-c:v", "mpeg4", "-q:v", "10", media("small.avi")}));
    // the video stream header declares a frame interval of 10^9 s
    QVERIFY(writeAll(media("years.avi"),
                     patched(readAll(media("small.avi")), "strh", 8 + 20, {1000000000u, 1u})));
    // both streams jump ten hours ahead after half a second
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48:r=10:d=1", "-f", "lavfi", "-i", "sine=r=8000:d=1",
                    "-vf", "setpts=PTS+gte(T\\,0.5)*36000/TB", "-af", "asetpts=PTS+gte(T\\,0.5)*36000/TB",
                    "-c:v", "mjpeg", "-q:v", "10", "-c:a", "pcm_s16le", media("jump.mkv")}));
    // ten seconds declared, a third of the bytes present
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48:r=10:d=10", "-f", "lavfi", "-i", "sine=r=8000:d=10",
                    "-c:v", "mpeg4", "-c:a", "pcm_s16le", media("whole.mkv")}));
    const QByteArray whole = readAll(media("whole.mkv"));
    QVERIFY(writeAll(media("truncated.mkv"), whole.left(whole.size() * 3 / 10)));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=2", "-f", "lavfi", "-i", "sine=r=8000:d=2",
                    "-c:v", "mpeg4", "-c:a", "pcm_s16le", media("clip.mkv")}));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=2", "-c:v", "mpeg2video", "-g", "12", "-f",
                    "vob", media("program.mpg")}));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=s=8192x64:r=5:d=0.4", "-c:v", "libx264", "-preset",
                    "ultrafast", media("wide.mkv")}));
    const QByteArray script =
        "[Script Info]\nScriptType: v4.00+\nPlayResX: 384\nPlayResY: 288\n\n"
        "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
        "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, "
        "Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
        "Style: Default,DejaVu Sans,20,&H00FFFFFF,&H00FFFFFF,&H00000000,&H00000000,0,0,0,0,100,100,"
        "0,0,1,1,0,2,10,10,10,1\n\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, "
        "MarginR, MarginV, Effect, Text\n";
    QVERIFY(writeAll(media("hostile.ass"),
                     script
                         + "Dialogue: 0,0:00:00.00,0:00:10.00,Default,,0,0,0,,"
                           "{\\fscx99999\\fscy99999\\blur99999\\be99999\\bord9999\\fs9999}"
                           "Wide and soft\n"));
    // twenty thousand lines, all on screen at once
    QByteArray crowd = script;
    for (int i = 0; i < 20000; ++i)
        crowd +=
            "Dialogue: 0,0:00:00.00,0:00:10.00,Default,,0,0,0,,Line " + QByteArray::number(i) + " of many\n";
    QVERIFY(writeAll(media("crowd.ass"), crowd));
    // 64 distinct events, each as costly as its tags can make it
    QByteArray costly = script;
    for (int i = 0; i < 64; ++i)
        costly += "Dialogue: 0,0:00:00.00,0:00:10.00,Default,,0,0,0,,"
                  "{\\fs400\\fscx99999\\fscy99999\\blur9999\\bord9999\\shad9999}Costly line "
            + QByteArray::number(i) + "\n";
    QVERIFY(writeAll(media("costly.ass"), costly));
    // One line of megabytes, and more events than the engine keeps, each
    // blurred, bordered and turned: full size in the benchmark, smaller
    // here, past the same caps.
    const QByteArray words = "Words without end {\\i1}and on{\\i0} ";
    QByteArray line = words.repeated((fullSize() ? 5 << 20 : 256 << 10) / words.size() + 1);
    line.truncate(fullSize() ? 5 << 20 : 256 << 10);
    QVERIFY(writeAll(media("longline.ass"),
                     script + "Dialogue: 0,0:00:00.00,0:00:10.00,Default,,0,0,0,," + line + "\n"));
    QByteArray turning = script;
    for (int i = 0; i < 60000; ++i)
        turning +=
            QString("Dialogue: 0,0:00:00.00,0:00:10.00,Default,,0,0,0,,{\\blur20\\bord20\\shad20\\frz%1"
                    "\\frx%2\\fry%3}Costly turning line %4\n")
                .arg(i % 360)
                .arg(i * 7 % 90)
                .arg(i * 13 % 90)
                .arg(i)
                .toUtf8();
    QVERIFY(writeAll(media("turning.ass"), turning));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "color=black:s=320x240:r=25:d=2", "-f", "lavfi", "-i",
                    "sine=r=8000:d=2", "-c:v", "mpeg4", "-c:a", "pcm_s16le", media("black320.mkv")}));
    const QString dark4k = QString("color=black:s=%1:r=25:d=%2")
                               .arg(fullSize() ? "3840x2160" : "64x48", fullSize() ? "3" : "0.4");
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", dark4k, "-f", "lavfi", "-i",
                    QString("sine=r=8000:d=%1").arg(fullSize() ? "3" : "0.4"), "-c:v", "mpeg4", "-c:a",
                    "pcm_s16le", media("black4k.mkv")}));
    QVERIFY(mkfifo(u8(media("fifo")).constData(), 0600) == 0);
    QVERIFY(QDir(m_media.path()).mkdir("folder.png"));
}

void TestEngineHostile::boundedTimeline_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("merge");
    QTest::newRow("frame interval of years") << "years.avi" << false;
    QTest::newRow("ten-hour jump") << "jump.mkv" << false;
    QTest::newRow("merged: frame interval of years") << "years.avi" << true;
    QTest::newRow("merged: ten-hour jump") << "jump.mkv" << true;
}

void TestEngineHostile::boundedTimeline()
{
    QFETCH(QString, file);
    QFETCH(bool, merge);
    const QString dst = out(QString("timeline_%1_%2.mp4").arg(QFileInfo(file).baseName()).arg(merge));
    Config c = smallConfig();
    QElapsedTimer t;
    t.start();
    int err = 0;
    if (merge) {
        MergerHandle m = Merger_Create(-1);
        QCOMPARE(Merger_Open(m, u8(dst).constData(), "mp4", c), 1);
        QCOMPARE(Merger_Start(m), 1);
        QCOMPARE(Merger_AddTask(m, u8(media(file)).constData(), 0, 0, c), 1);
        QVERIFY(waitFor([&] { return Merger_IsCompleted(m) == 1; }, 120000));
        err = Merger_GetError(m);
        if (Merger_Close(m) != 1 && err == 0)
            err = Merger_GetError(m);
        Merger_Release(m);
    } else {
        err = convert(media(file), dst, "mp4", c);
    }
    Config_Release(c);
    qInfo() << file << "ended in" << t.elapsed() << "ms with" << err;
    QVERIFY(err != -2);
    figures::report(rowFigure("timeline", "s").constData(), t.elapsed() / 1000.0, "s", 20);
    if (err != 0) {
        QVERIFY(!QFile::exists(dst));
        return;
    }
    // what the packets hold, not what the time stamps claim
    const Probe p = probe(dst);
    QVERIFY(p.count("video") == 1);
    QVERIFY2(p.duration() < 5.0, qPrintable(QString::number(p.duration())));
    QVERIFY(QFileInfo(dst).size() < 1000000);
}

void TestEngineHostile::earlyEndReported()
{
    struct Case
    {
        const char* file;
        uint64_t declared;
        bool early;
    };
    for (const Case& k : {Case{"whole.mkv", 10000000, false}, Case{"truncated.mkv", 10000000, true}}) {
        const QString dst = out(QString("early_%1.mp4").arg(QFileInfo(k.file).baseName()));
        Config c = smallConfig();
        ConverterHandle h = Converter_Create(-1);
        QCOMPARE(Converter_Open(h, u8(media(k.file)).constData(), u8(dst).constData(), "mp4", c), 1);
        Config_Release(c);
        QCOMPARE(Converter_GetDuration(h), k.declared);
        QCOMPARE(Converter_GetConvertedDuration(h), uint64_t(0)); // not yet
        QCOMPARE(Converter_Start(h), 1);
        QVERIFY(waitFor([&] { return Converter_IsCompleted(h) == 1; }));
        QCOMPARE(Converter_GetError(h), 0);
        const uint64_t converted = Converter_GetConvertedDuration(h);
        Converter_Release(h);
        const double written = probe(dst).duration();
        qInfo() << k.file << "converted" << converted << "us, output" << written << "s";
        if (k.early) {
            QVERIFY2(converted > 1000000 && converted < 5000000, qPrintable(QString::number(converted)));
            QVERIFY(qAbs(written - converted / 1e6) < 0.2);
        } else {
            QCOMPARE(converted, k.declared);
        }
    }
}

void TestEngineHostile::nonRegularFilesRefused_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("error");
    const QString fifo = media("fifo"), folder = media("folder.png");
    QTest::newRow("source FIFO") << "source" << fifo << int(ORV_E_INPUT);
    QTest::newRow("source device") << "source"
                                   << "/dev/zero" << int(ORV_E_INPUT);
    QTest::newRow("source folder") << "source" << folder << int(ORV_E_INPUT);
    QTest::newRow("subtitle FIFO") << "subtitle" << fifo << int(ORV_E_SUBTITLE);
    QTest::newRow("subtitle folder") << "subtitle" << folder << int(ORV_E_SUBTITLE);
    QTest::newRow("watermark FIFO") << "watermark" << fifo << int(ORV_E_WATERMARK);
    QTest::newRow("watermark folder") << "watermark" << folder << int(ORV_E_WATERMARK);
}

// Refused at once: a FIFO would block a reader for ever, a folder fails
// half-way through a read.
void TestEngineHostile::nonRegularFilesRefused()
{
    QFETCH(QString, role);
    QFETCH(QString, path);
    QFETCH(int, error);
    QElapsedTimer t;
    t.start();
    const QString src = role == "source" ? path : media("clip.mkv");
    if (role == "source") {
        InfoHandle i = Info_Create(-1);
        QCOMPARE(Info_Open(i, u8(src).constData()), 0);
        Info_Release(i);
    }
    Config c = smallConfig();
    if (role == "subtitle")
        Config_SetSubtlFile(c, u8(path).constData());
    if (role == "watermark")
        Config_SetWatermarkImageFile(c, u8(path).constData());
    const QString dst = out("refused.mp4");
    int openError = 0;
    QCOMPARE(convert(src, dst, "mp4", c, 0, 0, &openError), -1);
    Config_Release(c);
    QCOMPARE(openError, error);
    QVERIFY(!QFile::exists(dst));
    figures::report(rowFigure("refused", "ms").constData(), t.elapsed(), "ms", 1000);
}

// A source the process may not read is told apart from one that is no
// media.
void TestEngineHostile::sourceWithoutPermission()
{
    const QString src = out("locked.mkv");
    QVERIFY(QFile::copy(media("clip.mkv"), src));
    QVERIFY(QFile::setPermissions(src, QFileDevice::Permissions()));
    if (::access(qPrintable(src), R_OK) == 0)
        QSKIP("this user reads files without permission");
    Config c = smallConfig();
    int openError = 0;
    QCOMPARE(convert(src, out("locked.mp4"), "mp4", c, 0, 0, &openError), -1);
    Config_Release(c);
    QCOMPARE(openError, int(ORV_E_ACCESS));
}

void TestEngineHostile::writeFailureIsWriteError_data()
{
    QTest::addColumn<int>("limit");
    QTest::newRow("nothing can be written") << 0;
    QTest::newRow("the disk fills after 4 KB") << 4096;
}

// A full disk, made by a file-size limit on this process.
void TestEngineHostile::writeFailureIsWriteError()
{
    QFETCH(int, limit);
    std::signal(SIGXFSZ, SIG_IGN);
    const QString dst = out(QString("full_%1.mkv").arg(limit));
    Config c = smallConfig();
    ConverterHandle h = Converter_Create(-1);
    QCOMPARE(Converter_Open(h, u8(media("clip.mkv")).constData(), u8(dst).constData(), "matroska", c), 1);
    Config_Release(c);
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit full = old;
    full.rlim_cur = rlim_t(limit);
    setrlimit(RLIMIT_FSIZE, &full);
    Converter_Start(h);
    const bool done = waitFor([&] { return Converter_IsCompleted(h) == 1; }, 30000);
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(done);
    QCOMPARE(Converter_GetError(h), int(ORV_E_WRITE));
    Converter_Release(h);
    QVERIFY(!QFile::exists(dst));
}

void TestEngineHostile::rangeNearTheEnd_data()
{
    QTest::addColumn<quint64>("begin");
    QTest::addColumn<quint64>("length");
    QTest::newRow("0.1 s, 0.1 s before the end") << quint64(1800000) << quint64(100000);
    QTest::newRow("the last 0.2 s") << quint64(1800000) << quint64(0);
    QTest::newRow("0.1 s mid-way") << quint64(1000000) << quint64(100000);
}

// A program stream has no index: a seek lands anywhere, often after the
// last picture that can start decoding before the range.
void TestEngineHostile::rangeNearTheEnd()
{
    QFETCH(quint64, begin);
    QFETCH(quint64, length);
    const QString dst = out(QString("range_%1_%2.mp4").arg(begin).arg(length));
    Config c = smallConfig();
    QCOMPARE(convert(media("program.mpg"), dst, "mp4", c, begin, length), 0);
    Config_Release(c);
    const double expected = (length ? length : 2000000 - begin) / 1e6;
    const Probe p = probe(dst);
    QVERIFY2(qAbs(p.duration() - expected) < 0.05, qPrintable(QString::number(p.duration())));
}

void TestEngineHostile::outputSizeCapped_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("outW");
    QTest::addColumn<int>("outH");
    QTest::newRow("8192x8192 asked") << "clip.mkv" << 8192 << 8192 << int(ORV_E_SIZE) << 0 << 0;
    QTest::newRow("4096x4096 asked") << "clip.mkv" << 4096 << 4096 << int(ORV_E_SIZE) << 0 << 0;
    QTest::newRow("4K asked") << "clip.mkv" << 3840 << 2160 << 0 << 3840 << 2160;
    QTest::newRow("8192 wide source at its own size") << "wide.mkv" << 0 << 0 << 0 << 4096 << 32;
}

// Five 4K jobs fit in 8 GB; larger pictures are refused with their own code.
void TestEngineHostile::outputSizeCapped()
{
    QFETCH(QString, file);
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, error);
    QFETCH(int, outW);
    QFETCH(int, outH);
    Config c = Config_Create();
    Config_SetVideoSize(c, w, h);
    const QString dst = out(QString("size_%1x%2_%3.mp4").arg(w).arg(h).arg(QFileInfo(file).baseName()));
    int openError = 0;
    const int err = convert(media(file), dst, "mp4", c, 0, 200000, &openError);
    Config_Release(c);
    if (error) {
        QCOMPARE(err, -1);
        QCOMPARE(openError, error);
        QVERIFY(!QFile::exists(dst));
        return;
    }
    QCOMPARE(err, 0);
    const QJsonObject v = probe(dst).stream("video");
    QCOMPARE(v.value("width").toInt(), outW);
    QCOMPARE(v.value("height").toInt(), outH);
}

// A transport stream keeps no codec list: WMV in it would be written and
// then played by nothing, so the container's own codecs are used instead.
void TestEngineHostile::unknownPairsNotWritten()
{
    Config c = smallConfig();
    Config_SetVideoFormat(c, 19); // WMV2
    Config_SetAudioFormat(c, 86023); // WMA1
    Config_SetAudioSampleRate(c, 48000);
    const QString dst = out("pairs.ts");
    QCOMPARE(convert(media("clip.mkv"), dst, "mpegts", c), 0);
    Config_Release(c);
    const Probe p = probe(dst);
    QCOMPARE(p.stream("video").value("codec_name").toString(), QString("mpeg2video"));
    QCOMPARE(p.stream("audio").value("codec_name").toString(), QString("mp2"));
}

void TestEngineHostile::hostileStylingBounded_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("lengthUs");
    QTest::newRow("small") << QSize(320, 240) << 2000000;
    QTest::newRow("4K") << QSize(4096, 2304) << 400000;
}

// Inline scale and blur in the tens of thousands render in bounded time,
// also where font size and scale together would make glyphs many times the
// picture's height.
void TestEngineHostile::hostileStylingBounded()
{
    QFETCH(QSize, size);
    QFETCH(int, lengthUs);
    Config c = Config_Create();
    Config_SetVideoSize(c, size.width(), size.height());
    Config_SetSubtlFile(c, u8(media("hostile.ass")).constData());
    const QString dst = out(QString("styled_%1.mp4").arg(size.width()));
    QElapsedTimer t;
    t.start();
    QCOMPARE(convert(media("whole.mkv"), dst, "mp4", c, 0, uint64_t(lengthUs)), 0);
    Config_Release(c);
    figures::report(rowFigure("styling", "s").constData(), t.elapsed() / 1000.0, "s", 30);
}

// Twenty thousand lines on screen at once, burnt into 4K pictures, in
// seconds and well under the 3 GB that laying them all out took.
void TestEngineHostile::crowdedSubtitlesBounded()
{
    Config c = Config_Create();
    Config_SetVideoSize(c, 4096, 2304);
    Config_SetSubtlFile(c, u8(media("crowd.ass")).constData());
    const QString dst = out("crowd.mp4");
    restartPeak();
    QElapsedTimer t;
    t.start();
    QCOMPARE(convert(media("clip.mkv"), dst, "mp4", c, 0, 400000), 0);
    Config_Release(c);
    figures::report("hostile.crowd_4K_s", t.elapsed() / 1000.0, "s", 15);
    figures::report("hostile.crowd_peak_MiB", peakMiB(), "MiB", 2500);
}

// One line of megabytes and 60,000 costly events, as five jobs at once may
// get them: each job ends with the text drawn as far as the caps allow,
// what was left out said once in the log. The subtitles' cost in memory is
// what they add to the peak of the same job without them: a job's own
// frames in flight follow the machine's memory.
void TestEngineHostile::hostileSubtitleFilesBounded()
{
    struct Case
    {
        const char* subtitles;
        const char* source;
        QSize size;
        const char* figure;
    };
    const Case cases[] = {
        {"longline.ass", "black320.mkv", QSize(320, 240), "hostile.subtitle_5MB_line_s"},
        {"turning.ass", "black4k.mkv", QSize(3840, 2160), "hostile.subtitle_60k_events_s"},
    };
    // converts the case with or without its subtitles: the error, the
    // seconds and the peak above what the process held before
    auto run = [this](const Case& k, bool subtitles, const QString& dst, double* seconds, double* peak) {
        Config c = Config_Create();
        Config_SetVideoSize(c, k.size.width(), k.size.height());
        if (subtitles)
            Config_SetSubtlFile(c, u8(media(k.subtitles)).constData());
        restartPeak();
        const double before = residentMiB();
        QElapsedTimer t;
        t.start();
        int openError = 0;
        // seconds when quiet, full size included
        const int err = convertFor(media(k.source), dst, c, 300000, &openError);
        *seconds = t.elapsed() / 1000.0;
        *peak = peakMiB() - before;
        Config_Release(c);
        return err;
    };
    double added = -1e9;
    for (const Case& k : cases) {
        const QString base = QFileInfo(k.subtitles).baseName();
        double plainSeconds = 0, plainPeak = 0;
        QCOMPARE(run(k, false, out(QString("plain_%1.mp4").arg(base)), &plainSeconds, &plainPeak), 0);

        const QString dst = out(QString("bounded_%1.mp4").arg(base));
        WarningLog log;
        double seconds = 0, peak = 0;
        const int err = run(k, true, dst, &seconds, &peak);
        QCOMPARE(err, 0);
        qInfo("%s: %.1f s and %.0f MiB, without subtitles %.1f s and %.0f MiB", k.subtitles, seconds, peak,
              plainSeconds, plainPeak);
        added = std::max(added, peak - plainPeak);
        figures::report(k.figure, seconds, "s", 60);

        // the text is there: white letters on a black picture
        const double mid = probe(dst).duration() / 2;
        const Picture pic = grab(dst, mid);
        QVERIFY(pic.w == k.size.width() && pic.h == k.size.height());
        int lit = 0;
        for (int i = 0; i < pic.rgb.size(); i += 3)
            lit += uchar(pic.rgb[i]) > 160 && uchar(pic.rgb[i + 1]) > 160 && uchar(pic.rgb[i + 2]) > 160;
        QVERIFY2(lit > pic.w * pic.h / 1000, qPrintable(QString("%1 lit pixels").arg(lit)));

        // each thing left out said, and said once
        const QStringList warnings = log.taken();
        qInfo() << k.subtitles << warnings;
        QVERIFY(!warnings.filter("subtitles:").isEmpty());
        QCOMPARE(QStringList(warnings).removeDuplicates(), 0);
    }
    figures::report("hostile.subtitle_peak_MiB", added, "MiB", 256);
}

void TestEngineHostile::releaseIsPromptAndQuiet_data()
{
    QTest::addColumn<QString>("subtitles");
    QTest::addColumn<QSize>("size");
    QTest::newRow("hostile styling") << "hostile.ass" << QSize(640, 480);
    // 1080p: tearing down a 4K encoder alone takes a third of a second
    QTest::newRow("20000 lines") << "crowd.ass" << QSize(1920, 1080);
}

// Release while frames are being drawn and silence filled: back within a
// second, and not reported as a failure.
void TestEngineHostile::releaseIsPromptAndQuiet()
{
    QFETCH(QString, subtitles);
    QFETCH(QSize, size);
    static QAtomicInt errors;
    errors = 0;
    Engine_SetLogHandler([](void*, int level, const char*) { errors += level == 0 ? 1 : 0; }, nullptr);
    Config c = Config_Create();
    Config_SetVideoSize(c, size.width(), size.height());
    Config_SetSubtlFile(c, u8(media(subtitles)).constData());
    const QString dst = out(QString("released_%1.mp4").arg(size.width()));
    ConverterHandle h = Converter_Create(-1);
    QCOMPARE(Converter_Open(h, u8(media("whole.mkv")).constData(), u8(dst).constData(), "mp4", c), 1);
    Config_Release(c);
    QCOMPARE(Converter_Start(h), 1);
    QVERIFY(waitFor([&] { return Converter_GetConvertTime(h) > 0 || Converter_IsCompleted(h); }, 120000));
    QElapsedTimer t;
    t.start();
    QCOMPARE(Converter_Release(h), 1);
    const qint64 ms = t.elapsed();
    Engine_SetLogHandler(nullptr, nullptr);
    figures::report(rowFigure("release", "ms").constData(), ms, "ms", 2000);
    QVERIFY(!QFile::exists(dst));
    QCOMPARE(int(errors), 0);
}

void TestEngineHostile::hostileSubtitlesLetGo_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("converter released while drawing") << "release";
    QTest::newRow("player shows a picture") << "show";
    QTest::newRow("player closed while playing") << "close";
}

// 64 costly events burnt into 4K pictures take seconds to draw, yet
// Release, Close and a shown picture come back within a second: the text
// is drawn on a thread that these calls need not wait for.
void TestEngineHostile::hostileSubtitlesLetGo()
{
    QFETCH(QString, step);
    const QByteArray subtitles = u8(media("costly.ass"));
    QElapsedTimer t;
    qint64 ms = 0;
    if (step == "release") {
        Config c = Config_Create();
        Config_SetVideoSize(c, 3840, 2160);
        Config_SetSubtlFile(c, subtitles.constData());
        const QString dst = out("costly.mp4");
        ConverterHandle h = Converter_Create(-1);
        QCOMPARE(Converter_Open(h, u8(media("clip.mkv")).constData(), u8(dst).constData(), "mp4", c), 1);
        Config_Release(c);
        QCOMPARE(Converter_Start(h), 1);
        QThread::msleep(1500); // the first picture's text is being drawn
        t.start();
        QCOMPARE(Converter_Release(h), 1);
        ms = t.elapsed();
        QVERIFY(!QFile::exists(dst));
    } else {
        static QAtomicInt shown;
        shown = 0;
        PlayerHandle p = Player_Create(-1);
        Player_SetVideoFrameHandle(
            p, [](void*, FrameHandle) { return int(shown.fetchAndAddRelaxed(1) * 0); }, nullptr);
        QCOMPARE(Player_SetSubtlFile(p, subtitles.constData()), 1);
        QCOMPARE(Player_OpenEx(p, u8(media("clip.mkv")).constData(), 3840, 2160, 0, 0), 1);
        if (step == "show") {
            t.start();
            QCOMPARE(Player_ShowVideoFrame(p), 1);
            QCOMPARE(int(shown), 1);
        } else {
            QCOMPARE(Player_Play(p), 1);
            QThread::msleep(300); // playing, the first picture's text being drawn
            t.start();
            QCOMPARE(Player_Close(p), 1);
        }
        ms = t.elapsed();
        QCOMPARE(Player_Release(p), 1);
    }
    figures::report(rowFigure("let_go", "ms").constData(), ms, "ms", 3000);
}

QTEST_GUILESS_MAIN(TestEngineHostile)
#include "tst_engine_hostile.moc"
