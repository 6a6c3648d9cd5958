// The fake engine: its call log, handle labels, none-safety, scripted jobs
// and picture blocks, which the application's tests rely on.
#include "orvalta.h"
#include "orvalta_fake_control.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

namespace {

struct Handles
{
    InfoHandle i = nullptr;
    Config c = nullptr;
    ConverterHandle v = nullptr;
    MergerHandle m = nullptr;
    PlayerHandle p = nullptr;
};

using CallFn = std::function<void(const Handles&)>;
using ResultFn = std::function<bool(const Handles&)>; // true when the result is not 0/NULL

Handles createAll()
{
    return Handles{Info_Create(-1), Config_Create(), Converter_Create(-1), Merger_Create(-1),
                   Player_Create(-1)};
}

QStringList toList(const std::vector<std::string>& lines)
{
    QStringList list;
    for (const std::string& line : lines)
        list << QString::fromStdString(line);
    return list;
}

uint32_t le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }

} // namespace

Q_DECLARE_METATYPE(CallFn)
Q_DECLARE_METATYPE(ResultFn)

class TestEngineFake : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        orvfake::reset();
        m_dir.reset(new QTemporaryDir); // every row starts without outputs
        QVERIFY(m_dir->isValid());
    }

    // Plain literals, not raw strings: Qt 5's moc cannot parse those.
    void callLog_data()
    {
        QTest::addColumn<CallFn>("call");
        QTest::addColumn<QString>("line");
        auto row = [](const char* name, CallFn call, const char* line) {
            QTest::newRow(name) << call << QString::fromUtf8(line);
        };
        row(
            "doubles", [](const Handles& h) { Config_SetWatermarkTextPosition(h.c, 0.5, 0.25); },
            "Config_SetWatermarkTextPosition(C1, 0.5, 0.25)");
        row(
            "six significant digits",
            [](const Handles& h) { Config_SetVideoCropf(h.c, 0.1, 1.0 / 3, 1, 1e-7); },
            "Config_SetVideoCropf(C1, 0.1, 0.333333, 1, 1e-07)");
        row(
            "colour", [](const Handles& h) { Config_SetVideoPadAndColor(h.c, 1, 0x0ff00a0b); },
            "Config_SetVideoPadAndColor(C1, 1, 0x0FF00A0B)");
        row(
            "unsigned", [](const Handles& h) { Config_SetVideoFrameRate(h.c, 30000, 1001); },
            "Config_SetVideoFrameRate(C1, 30000, 1001)");
        row(
            "int64", [](const Handles& h) { Config_SetSubtlDelay(h.c, -1500000); },
            "Config_SetSubtlDelay(C1, -1500000)");
        row(
            "uint64 on handle 0", [](const Handles&) { Converter_SetSplitTime(nullptr, 500000, UINT64_MAX); },
            "Converter_SetSplitTime(0, 500000, 18446744073709551615)");
        row(
            "escapes", [](const Handles& h) { Config_SetWatermarkText(h.c, "say \"hi\"\\\n\t日本"); },
            "Config_SetWatermarkText(C1, \"say \\\"hi\\\"\\\\\\n\\t日本\")");
        row(
            "control character",
            [](const Handles& h) {
                Config_SetSubtlTextFont(h.c,
                                        "a\001"
                                        "2");
            },
            "Config_SetSubtlTextFont(C1, \"a\\0012\")");
        row(
            "null string", [](const Handles& h) { Config_SetSubtlFile(h.c, nullptr); },
            "Config_SetSubtlFile(C1, null)");
        row(
            "open", [](const Handles& h) { Converter_Open(h.v, "/in.mov", "/out.mp4", nullptr, h.c); },
            "Converter_Open(V1, \"/in.mov\", \"/out.mp4\", null, C1)");
        row(
            "merge item", [](const Handles& h) { Merger_AddTask(h.m, "a.mov", 0, 1000000, h.c); },
            "Merger_AddTask(M1, \"a.mov\", 0, 1000000, C1)");
        row(
            "picture", [](const Handles& h) { Info_GetVideoImage(h.i, 1000000, 1, 0, 0); },
            "Info_GetVideoImage(I1, 1000000, 1, 0, 0)");
        row(
            "player open", [](const Handles& h) { Player_OpenEx(h.p, "a.mov", 640, 360, 0, 0); },
            "Player_OpenEx(P1, \"a.mov\", 640, 360, 0, 0)");
        row(
            "player crop", [](const Handles& h) { Player_SetVideoCrop(h.p, 0.1, 0, 0.8, 1); },
            "Player_SetVideoCrop(P1, 0.1, 0, 0.8, 1)");
        row(
            "frame handler",
            [](const Handles& h) {
                static int user;
                Player_SetVideoFrameHandle(
                    h.p, [](void*, FrameHandle) { return 0; }, &user);
            },
            "Player_SetVideoFrameHandle(P1, fn, ptr)");
        row(
            "seek", [](const Handles& h) { Player_Seek(h.p, 1500000); }, "Player_Seek(P1, 1500000)");
        row(
            "no frame", [](const Handles&) { Frame_GetVideoData0(nullptr); }, "Frame_GetVideoData0(null)");
        row(
            "no arguments", [](const Handles&) { Config_Create(); }, "Config_Create()");
        row(
            "callback",
            [](const Handles&) {
                static int user;
                Engine_SetLogHandler([](void*, int, const char*) {}, &user);
            },
            "Engine_SetLogHandler(fn, ptr)");
        row(
            "no callback", [](const Handles&) { Engine_SetLogHandler(nullptr, nullptr); },
            "Engine_SetLogHandler(null, null)");
    }

    void callLog()
    {
        QFETCH(CallFn, call);
        QFETCH(QString, line);
        const Handles h = createAll();
        orvfake::clearCalls();
        call(h);
        QCOMPARE(toList(orvfake::calls()), QStringList{line});
    }

    void handleLabels()
    {
        const Handles first = createAll();
        Config c2 = Config_Create();
        InfoHandle i2 = Info_Create(3);
        QCOMPARE(orvfake::label(first.i), std::string("I1"));
        QCOMPARE(orvfake::label(first.c), std::string("C1"));
        QCOMPARE(orvfake::label(c2), std::string("C2"));
        QCOMPARE(orvfake::label(first.v), std::string("V1"));
        QCOMPARE(orvfake::label(first.m), std::string("M1"));
        QCOMPARE(orvfake::label(i2), std::string("I2"));

        // A released handle keeps its label and refuses calls.
        QCOMPARE(Config_Release(first.c), 1);
        orvfake::clearCalls();
        QCOMPARE(Config_SetVideoSize(first.c, 640, 480), 0);
        QCOMPARE(toList(orvfake::calls()), QStringList{"Config_SetVideoSize(C1, 640, 480)"});

        // reset() restarts the numbering; older handles go stale.
        orvfake::reset();
        Config fresh = Config_Create();
        QCOMPARE(orvfake::label(fresh), std::string("C1"));
        QCOMPARE(Config_SetVideoSize(c2, 1, 1), 0);
        QCOMPARE(toList(orvfake::calls()),
                 (QStringList{"Config_Create()", "Config_SetVideoSize(stale, 1, 1)"}));
    }

    void noneSafety_data()
    {
        QTest::addColumn<ResultFn>("call");
        auto row = [](const char* name, ResultFn call) { QTest::newRow(name) << call; };
        row("Info_Open", [](const Handles& h) { return Info_Open(h.i, "clip.mov") != 0; });
        row("Info_GetDuration", [](const Handles& h) { return Info_GetDuration(h.i) != 0; });
        row("Info_GetFormatName", [](const Handles& h) { return Info_GetFormatName(h.i) != nullptr; });
        row("Info_GetVideoImage",
            [](const Handles& h) { return Info_GetVideoImage(h.i, 0, 1, 0, 0) != nullptr; });
        row("Info_SetSubtlIndex", [](const Handles& h) { return Info_SetSubtlIndex(h.i, -1) != 0; });
        row("Info_Release", [](const Handles& h) { return Info_Release(h.i) != 0; });
        row("Config_SetVideoSize", [](const Handles& h) { return Config_SetVideoSize(h.c, 640, 480) != 0; });
        row("Config_SetWatermarkText",
            [](const Handles& h) { return Config_SetWatermarkText(h.c, "x") != 0; });
        row("Config_Release", [](const Handles& h) { return Config_Release(h.c) != 0; });
        row("Converter_Start", [](const Handles& h) { return Converter_Start(h.v) != 0; });
        row("Converter_GetDuration", [](const Handles& h) { return Converter_GetDuration(h.v) != 0; });
        row("Converter_Release", [](const Handles& h) { return Converter_Release(h.v) != 0; });
        row("Merger_AddTask",
            [](const Handles& h) { return Merger_AddTask(h.m, "clip.mov", 0, 0, h.c) != 0; });
        row("Merger_IsCompleted", [](const Handles& h) { return Merger_IsCompleted(h.m) != 0; });
        row("Merger_Close", [](const Handles& h) { return Merger_Close(h.m) != 0; });
        row("Merger_Release", [](const Handles& h) { return Merger_Release(h.m) != 0; });
        row("Player_Open", [](const Handles& h) { return Player_Open(h.p, "clip.mov") != 0; });
        row("Player_Play", [](const Handles& h) { return Player_Play(h.p) != 0; });
        row("Player_GetDuration", [](const Handles& h) { return Player_GetDuration(h.p) != 0; });
        row("Player_SetVideoCrop",
            [](const Handles& h) { return Player_SetVideoCrop(h.p, 0, 0, 1, 1) != 0; });
        row("Player_ShowVideoFrame", [](const Handles& h) { return Player_ShowVideoFrame(h.p) != 0; });
        row("Player_CaptureVideoImage",
            [](const Handles& h) { return Player_CaptureVideoImage(h.p, 64, 36) != nullptr; });
        row("Player_GetWatermarkTextWidth",
            [](const Handles& h) { return Player_GetWatermarkTextWidth(h.p) != 0.0; });
        row("Player_Release", [](const Handles& h) { return Player_Release(h.p) != 0; });
        row("Frame_GetVideoWidth", [](const Handles&) { return Frame_GetVideoWidth(nullptr) != 0; });
    }

    void noneSafety()
    {
        QFETCH(ResultFn, call);
        orvfake::setMedia("clip.mov", {});
        QVERIFY(!call(Handles{}));

        Handles released = createAll();
        Info_Open(released.i, "clip.mov");
        QCOMPARE(Info_Release(released.i), 1);
        QCOMPARE(Config_Release(released.c), 1);
        QCOMPARE(Converter_Release(released.v), 1);
        QCOMPARE(Merger_Release(released.m), 1);
        Player_Open(released.p, "clip.mov");
        QCOMPARE(Player_Release(released.p), 1);
        QVERIFY(!call(released));
    }

    void infoFacts()
    {
        orvfake::MediaFacts facts;
        facts.programs = {orvfake::Program{"News", 1, {{"English", "eng"}, {"", "fra"}}, {{"Subs", "deu"}}},
                          orvfake::Program{"", 0, {{"Radio", ""}}, {}}};
        orvfake::setMedia("two.ts", facts);
        InfoHandle h = Info_Create(-1);
        QCOMPARE(Info_Open(h, "missing.mov"), 0);
        QCOMPARE(Info_GetDuration(h), uint64_t(0));

        QCOMPARE(Info_Open(h, "two.ts"), 1);
        QCOMPARE(Info_GetDuration(h), uint64_t(2000000));
        QCOMPARE(Info_GetFormatName(h), "mov");
        QCOMPARE(Info_GetVideoFrameRate(h), 2500000u);
        QCOMPARE(Info_CanSeek(h), 1);
        // All programs at first; the default audio is the first stream.
        QCOMPARE(Info_GetProgrCount(h), 2);
        QCOMPARE(Info_GetAudioCount(h), 3);
        QCOMPARE(Info_GetAudioTitle(h), "English");
        QCOMPARE(Info_SetProgrIndex(h, 1), 1);
        QCOMPARE(Info_GetProgrName(h), static_cast<const char*>(nullptr));
        QCOMPARE(Info_GetVideoCount(h), 0);
        QCOMPARE(Info_GetAudioTitle(h), "Radio");
        QCOMPARE(Info_SetProgrIndex(h, 2), 0);
        QCOMPARE(Info_SetProgrIndex(h, 0), 1);
        QCOMPARE(Info_GetProgrName(h), "News");
        QCOMPARE(Info_SetAudioIndex(h, -1), 0);
        QCOMPARE(Info_SetAudioIndex(h, 1), 1);
        QCOMPARE(Info_GetAudioTitle(h), static_cast<const char*>(nullptr));
        QCOMPARE(Info_GetAudioLanguage(h), "fra");
        QCOMPARE(Info_SetSubtlIndex(h, -1), 1);
        QCOMPARE(Info_GetSubtlTitle(h), static_cast<const char*>(nullptr));
        QCOMPARE(Info_SetSubtlIndex(h, 0), 1);
        QCOMPARE(Info_GetSubtlLanguage(h), "deu");
        QCOMPARE(Info_SetSubtlIndex(h, 1), 0);
        QCOMPARE(Info_EnableClosedCaption(h, 1), 0);
        QCOMPARE(Info_EnableClosedCaption(h, 0), 1);
        QCOMPARE(Info_Close(h), 1);
        QCOMPARE(Info_GetAudioCount(h), 0);
    }

    void frameRate_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<uint>("reported");
        QTest::newRow("29.97") << 30000.0 / 1001 << 2997003u;
        QTest::newRow("120") << 120.0 << 12000000u;
        QTest::newRow("1") << 1.0 << 1u;
        QTest::newRow("too large to scale") << 50000.0 << 50000u;
    }

    void frameRate()
    {
        QFETCH(double, fps);
        QFETCH(uint, reported);
        orvfake::MediaFacts facts;
        facts.frameRate = fps;
        orvfake::setMedia("a.mov", facts);
        InfoHandle h = Info_Create(-1);
        QCOMPARE(Info_Open(h, "a.mov"), 1);
        QCOMPARE(Info_GetVideoFrameRate(h), reported);
    }

    void pictureBlock_data()
    {
        QTest::addColumn<int>("askW");
        QTest::addColumn<int>("askH");
        QTest::addColumn<int>("videoCount");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::newRow("source size") << 0 << 0 << 1 << 320 << 240;
        QTest::newRow("scaled") << 33 << 7 << 1 << 33 << 7;
        QTest::newRow("no video") << 0 << 0 << 0 << 0 << 0;
    }

    void pictureBlock()
    {
        QFETCH(int, askW);
        QFETCH(int, askH);
        QFETCH(int, videoCount);
        QFETCH(int, w);
        QFETCH(int, h);
        orvfake::MediaFacts facts;
        facts.pictureArgb = 0xFF123456;
        facts.programs[0].videoCount = videoCount;
        orvfake::setMedia("a.mov", facts);
        InfoHandle info = Info_Create(-1);
        QCOMPARE(Info_Open(info, "a.mov"), 1);
        const unsigned char* block = Info_GetVideoImage(info, 500000, 1, askW, askH);
        if (w == 0) {
            QVERIFY(!block);
            return;
        }
        QVERIFY(block);
        const uint32_t size = 4u * w * h;
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(block), 2), QByteArray("BM"));
        QCOMPARE(le32(block + 2), 54 + size);
        QCOMPARE(le32(block + 10), 54u);
        QCOMPARE(le32(block + 14), 40u);
        QCOMPARE(int32_t(le32(block + 18)), w);
        QCOMPARE(int32_t(le32(block + 22)), -h);
        QCOMPARE(le16(block + 26), uint16_t(1));
        QCOMPARE(le16(block + 28), uint16_t(32));
        QCOMPARE(le32(block + 30), 0u);
        QCOMPARE(le32(block + 34), size);
        QCOMPARE(le32(block + 38), 2835u);
        QCOMPARE(le32(block + 42), 2835u);
        QCOMPARE(reinterpret_cast<uintptr_t>(block + 54) % 64, uintptr_t(0));
        const unsigned char bgrx[4] = {0x56, 0x34, 0x12, 0xFF};
        for (uint32_t at = 0; at < size; at += 4)
            QVERIFY2(std::memcmp(block + 54 + at, bgrx, 4) == 0, qPrintable(QString::number(at)));
    }

    void converterJob_data()
    {
        QTest::addColumn<int>("polls");
        QTest::addColumn<int>("error");
        QTest::addColumn<quint64>("length");
        QTest::addColumn<quint64>("duration");
        QTest::addColumn<qint64>("endsEarly");
        QTest::addColumn<quint64>("converted");
        QTest::newRow("succeeds") << 4 << int(ORV_OK) << quint64(0) << quint64(2000000) << qint64(-1)
                                  << quint64(2000000);
        QTest::newRow("split") << 3 << int(ORV_OK) << quint64(600000) << quint64(600000) << qint64(-1)
                               << quint64(600000);
        QTest::newRow("fails") << 4 << int(ORV_E_WRITE) << quint64(0) << quint64(2000000) << qint64(500000)
                               << quint64(0);
        QTest::newRow("ends at start")
            << 0 << int(ORV_OK) << quint64(0) << quint64(2000000) << qint64(-1) << quint64(2000000);
        QTest::newRow("source ends early")
            << 2 << int(ORV_OK) << quint64(0) << quint64(2000000) << qint64(700000) << quint64(700000);
    }

    void converterJob()
    {
        QFETCH(int, polls);
        QFETCH(int, error);
        QFETCH(quint64, length);
        QFETCH(quint64, duration);
        QFETCH(qint64, endsEarly);
        QFETCH(quint64, converted);
        orvfake::MediaFacts facts;
        facts.durationUs = 3000000;
        orvfake::setMedia("in.mov", facts);
        orvfake::setJobScript("in.mov", {polls, error, ORV_OK, endsEarly});
        const QString dst = m_dir->filePath("out.mp4");

        Config c = Config_Create();
        Config_SetVideoSize(c, 640, 360);
        ConverterHandle h = Converter_Create(-1);
        QCOMPARE(Converter_Open(h, "in.mov", dst.toUtf8(), "mp4", c), 1);
        Config_Release(c); // Open took a copy
        QVERIFY(QFile::exists(dst));
        QCOMPARE(Converter_SetSplitTime(h, 1000000, length), 1);
        QCOMPARE(Converter_GetDuration(h), duration);

        QCOMPARE(Converter_Start(h), 1);
        for (int k = 1; k < polls; ++k) {
            QCOMPARE(Converter_GetConvertTime(h), duration * k / polls);
            QCOMPARE(Converter_GetError(h), int(ORV_OK));
            QCOMPARE(Converter_GetConvertedDuration(h), uint64_t(0));
        }
        QCOMPARE(Converter_IsCompleted(h), 1);
        QCOMPARE(Converter_GetConvertedDuration(h), converted);
        QCOMPARE(Converter_IsCompleted(h), 1);
        QCOMPARE(Converter_GetConvertTime(h), error ? duration * (polls - 1) / polls : duration);
        QCOMPARE(Converter_GetError(h), error);
        QCOMPARE(QFile::exists(dst), error == ORV_OK);

        QCOMPARE(Converter_Release(h), 1);
        QCOMPARE(QFile::exists(dst), error == ORV_OK);
        const auto record = orvfake::converter("V1");
        QVERIFY(record);
        QCOMPARE(record->container, std::optional<std::string>("mp4"));
        QCOMPARE(record->config.at("SetVideoSize"), std::string("640, 360"));
        QCOMPARE(record->beginUs, uint64_t(1000000));
    }

    void converterStates()
    {
        orvfake::setMedia("in.mov", {});
        orvfake::setJobScript({2, ORV_OK, ORV_OK});
        const QByteArray dst = m_dir->filePath("out.mkv").toUtf8();
        ConverterHandle h = Converter_Create(-1);
        QCOMPARE(Converter_Start(h), 0);
        QCOMPARE(Converter_Open(h, "in.mov", dst, nullptr, nullptr), 1);
        QCOMPARE(Converter_Open(h, "in.mov", dst, nullptr, nullptr), 0);
        QCOMPARE(Converter_GetError(h), int(ORV_E_STATE));
        QCOMPARE(Converter_Pause(h), 0);
        QCOMPARE(Converter_Start(h), 1);
        QCOMPARE(Converter_Start(h), 1);
        QCOMPARE(Converter_Pause(h), 1);
        QCOMPARE(Converter_Pause(h), 1);
        // Paused: polls do not move the job.
        QCOMPARE(Converter_GetConvertTime(h), uint64_t(0));
        QCOMPARE(Converter_IsCompleted(h), 0);
        QCOMPARE(Converter_SetSplitTime(h, 0, 0), 0);
        QCOMPARE(Converter_Start(h), 1);
        QCOMPARE(Converter_GetConvertTime(h), uint64_t(1000000));
        QCOMPARE(Converter_IsCompleted(h), 1);
        QCOMPARE(Converter_Pause(h), 1);
        QCOMPARE(Converter_Start(h), 1);
        QCOMPARE(Converter_IsCompleted(h), 1);

        // A job released before its end leaves no output.
        const QByteArray other = m_dir->filePath("other.mkv").toUtf8();
        ConverterHandle running = Converter_Create(-1);
        QCOMPARE(Converter_Open(running, "in.mov", other, nullptr, nullptr), 1);
        QCOMPARE(Converter_Start(running), 1);
        QCOMPARE(Converter_Release(running), 1);
        QVERIFY(!QFile::exists(other));
    }

    void converterOpenFailures_data()
    {
        QTest::addColumn<QString>("src");
        QTest::addColumn<bool>("dstExists");
        QTest::addColumn<int>("openError");
        QTest::addColumn<int>("error");
        QTest::newRow("unknown source") << "nothing.mov" << false << 0 << int(ORV_E_INPUT);
        QTest::newRow("existing output") << "in.mov" << true << 0 << int(ORV_E_OUTPUT);
        QTest::newRow("scripted") << "in.mov" << false << int(ORV_E_WATERMARK) << int(ORV_E_WATERMARK);
    }

    void converterOpenFailures()
    {
        QFETCH(QString, src);
        QFETCH(bool, dstExists);
        QFETCH(int, openError);
        QFETCH(int, error);
        orvfake::setMedia("in.mov", {});
        orvfake::setJobScript({3, ORV_OK, openError});
        const QString dst = m_dir->filePath("out.mp4");
        if (dstExists) {
            QFile file(dst);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("keep");
        }
        ConverterHandle h = Converter_Create(-1);
        QCOMPARE(Converter_Open(h, src.toUtf8(), dst.toUtf8(), "mp4", nullptr), 0);
        QCOMPARE(Converter_GetError(h), error);
        QCOMPARE(Converter_Release(h), 1);
        QCOMPARE(QFile::exists(dst), dstExists);
        if (dstExists)
            QCOMPARE(QFileInfo(dst).size(), qint64(4));
    }

    void merger()
    {
        orvfake::MediaFacts facts;
        facts.durationUs = 4000000;
        orvfake::setMedia("a.mov", facts);
        orvfake::setMedia("b.mov", facts);
        orvfake::setJobScript("b.mov", {2, ORV_E_DECODE, ORV_OK});
        const QString dst = m_dir->filePath("merged.mp4");

        MergerHandle m = Merger_Create(-1);
        QCOMPARE(Merger_AddTask(m, "a.mov", 0, 0, nullptr), 0);
        QCOMPARE(Merger_Open(m, dst.toUtf8(), "mp4", nullptr), 1);
        QVERIFY(QFile::exists(dst));
        QCOMPARE(Merger_IsCompleted(m), 0);
        QCOMPARE(Merger_AddTask(m, "missing.mov", 0, 0, nullptr), 0);
        QCOMPARE(Merger_AddTask(m, "a.mov", 1000000, 1500000, nullptr), 1);
        QCOMPARE(Merger_GetDuration(m), uint64_t(1500000));
        QCOMPARE(Merger_IsCompleted(m), 0); // not started: no progress
        QCOMPARE(Merger_Start(m), 1);
        QCOMPARE(Merger_GetConvertTime(m), uint64_t(500000));
        QCOMPARE(Merger_IsCompleted(m), 0);
        QCOMPARE(Merger_IsCompleted(m), 1);

        // The next item restarts completion at once; a failed item completes with its error.
        QCOMPARE(Merger_AddTask(m, "b.mov", 0, 0, nullptr), 1);
        QCOMPARE(Merger_GetDuration(m), uint64_t(4000000));
        QCOMPARE(Merger_IsCompleted(m), 0);
        QCOMPARE(Merger_GetError(m), int(ORV_OK));
        QCOMPARE(Merger_IsCompleted(m), 1);
        QCOMPARE(Merger_GetError(m), int(ORV_E_DECODE));

        QCOMPARE(Merger_Close(m), 1);
        QCOMPARE(Merger_IsCompleted(m), 1);
        QCOMPARE(Merger_Release(m), 1);
        QVERIFY(QFile::exists(dst));
        const auto record = orvfake::merger("M1");
        QVERIFY(record);
        QCOMPARE(record->items.size(), size_t(2));
        QCOMPARE(record->items[0].lengthUs, uint64_t(1500000));
        QVERIFY(record->closed);

        // Without Close the output is deleted.
        const QString cancelled = m_dir->filePath("cancelled.mp4");
        MergerHandle other = Merger_Create(-1);
        QCOMPARE(Merger_Open(other, cancelled.toUtf8(), nullptr, nullptr), 1);
        QCOMPARE(Merger_AddTask(other, "a.mov", 0, 0, nullptr), 1);
        QCOMPARE(Merger_Release(other), 1);
        QVERIFY(!QFile::exists(cancelled));
    }

    void forcedResultsAndLog()
    {
        orvfake::setMedia("in.mov", {});
        orvfake::setResult("Info_GetDuration", 42);
        orvfake::setResult("Converter_Open", 0);
        InfoHandle i = Info_Create(-1);
        QCOMPARE(Info_Open(i, "in.mov"), 1);
        QCOMPARE(Info_GetDuration(i), uint64_t(42));
        const QString dst = m_dir->filePath("out.mp4");
        ConverterHandle v = Converter_Create(-1);
        QCOMPARE(Converter_Open(v, "in.mov", dst.toUtf8(), nullptr, nullptr), 0);
        QVERIFY(!QFile::exists(dst));
        orvfake::clearResult("Info_GetDuration");
        QCOMPARE(Info_GetDuration(i), uint64_t(2000000));

        QStringList received;
        Engine_SetLogHandler(
            [](void* user, int level, const char* text) {
                *static_cast<QStringList*>(user) << QString::number(level) + ":" + text;
            },
            &received);
        orvfake::emitLog(1, "fallback");
        QCOMPARE(received, QStringList{"1:fallback"});
    }

    void logIsThreadSafe()
    {
        Config c = Config_Create();
        orvfake::clearCalls();
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([c, t] {
                for (int n = 0; n < 500; ++n)
                    Config_SetAudioVolume(c, t);
            });
        for (std::thread& thread : threads)
            thread.join();
        const auto lines = orvfake::calls("Config_SetAudioVolume(C1, ");
        QCOMPARE(lines.size(), size_t(2000));
        QCOMPARE(orvfake::calls().size(), size_t(2000));
    }

    // The transport a player window and the editor drive: scripted clock,
    // completion, Stop, Seek and FrameStep, and the pictures they deliver.
    void playerTransport()
    {
        orvfake::MediaFacts facts;
        facts.durationUs = 1000000;
        orvfake::setMedia("a.mov", facts);
        orvfake::setPlaybackScript("a.mov", {400000});
        int delivered = 0;
        PlayerHandle p = Player_Create(27);
        QCOMPARE(Player_SetVideoFrameHandle(
                     p, [](void* user, FrameHandle) { return ++*static_cast<int*>(user); }, &delivered),
                 1);
        QCOMPARE(Player_Play(p), 0);
        QCOMPARE(Player_Open(p, "missing.mov"), 0);
        QCOMPARE(Player_Open(p, "a.mov"), 1);
        QCOMPARE(orvfake::player("P1")->state, orvfake::PlayState::Stopped);
        QCOMPARE(Player_GetPlayTime(p), uint64_t(0)); // not playing: no step
        QCOMPARE(Player_Play(p), 1);
        QCOMPARE(Player_GetPlayTime(p), uint64_t(400000));
        QCOMPARE(Player_IsCompleted(p), 0);
        QCOMPARE(Player_Pause(p), 1);
        QCOMPARE(Player_GetPlayTime(p), uint64_t(800000)); // frozen by the pause
        QCOMPARE(Player_GetPlayTime(p), uint64_t(800000));
        QCOMPARE(Player_Play(p), 1);
        QCOMPARE(Player_IsCompleted(p), 1);
        QCOMPARE(Player_GetPlayTime(p), uint64_t(1000000));
        QCOMPARE(delivered, 0); // nothing is delivered while playing

        QCOMPARE(Player_Stop(p), 1);
        QCOMPARE(Player_IsCompleted(p), 0);
        QCOMPARE(Player_GetPlayTime(p), uint64_t(0));
        QCOMPARE(delivered, 1);
        QCOMPARE(Player_Seek(p, 5000000), 1); // clamped to the end
        QCOMPARE(Player_GetPlayTime(p), uint64_t(1000000));
        QCOMPARE(Player_FrameStep(p, 1), 0);
        QCOMPARE(Player_FrameStep(p, -1), 1);
        QCOMPARE(Player_GetPlayTime(p), uint64_t(960000));
        QCOMPARE(orvfake::player("P1")->state, orvfake::PlayState::Paused);
        QCOMPARE(Player_ShowVideoFrame(p), 1);
        QCOMPARE(delivered, 4);

        // Tests move a player as the engine's thread would.
        QVERIFY(orvfake::setPlayTime("P1", 250000));
        QCOMPARE(Player_GetPlayTime(p), uint64_t(250000));
        QVERIFY(orvfake::completePlayback("P1"));
        QCOMPARE(Player_IsCompleted(p), 1);
        QCOMPARE(Player_Play(p), 1); // a completed player starts again
        QCOMPARE(Player_GetPlayTime(p), uint64_t(400000));
        QVERIFY(orvfake::deliverFrame("P1"));
        QCOMPARE(delivered, 5);

        QCOMPARE(Player_Close(p), 1);
        QVERIFY(!orvfake::setPlayTime("P1", 0));
        QVERIFY(!orvfake::deliverFrame("P1"));
        QCOMPARE(Player_GetDuration(p), uint64_t(0));
        QCOMPARE(orvfake::player("P1")->state, orvfake::PlayState::Closed);
    }

    // Settings belong to the player: set before any file, kept across files.
    void playerSettingsAndLayers()
    {
        orvfake::MediaFacts facts;
        facts.width = 640;
        facts.height = 360;
        orvfake::setMedia("a.mov", facts);
        orvfake::MediaFacts song;
        song.programs[0].videoCount = 0;
        orvfake::setMedia("a.mp3", song);
        orvfake::setPlaybackScript({0, ORV_FRAME_YUV420P, 0.5, 0.125, 0.2, 0.3});

        PlayerHandle p = Player_Create(-1);
        QCOMPARE(Player_SetVideoRotate(p, 90), 1);
        QCOMPARE(Player_SetWatermarkText(p, "Hi"), 1);
        QCOMPARE(Player_GetWatermarkTextWidth(p), 0.0); // no file yet
        QCOMPARE(Player_OpenEx(p, "a.mov", 320, 180, 0, 0), 1);
        QCOMPARE(Player_GetWatermarkTextWidth(p), 0.5);
        QCOMPARE(Player_GetWatermarkTextHeight(p), 0.125);
        QCOMPARE(Player_GetWatermarkImageWidth(p), 0.0);
        QCOMPARE(Player_SetWatermarkImageFile(p, "/logo.png"), 1);
        QCOMPARE(Player_GetWatermarkImageHeight(p), 0.3);
        QCOMPARE(Player_GetVideoWidth(p), 640); // the source, not the processed size
        QCOMPARE(Player_GetVideoAspectRatioX(p), 16);
        QCOMPARE(Player_GetVideoAspectRatioY(p), 9);
        QCOMPARE(Player_HasVideo(p), 1);
        QCOMPARE(Player_HasAudio(p), 1);

        QCOMPARE(Player_Open(p, "a.mp3"), 1);
        QCOMPARE(Player_HasVideo(p), 0);
        QCOMPARE(Player_GetVideoWidth(p), 0);
        QCOMPARE(Player_ShowVideoFrame(p), 0);
        QCOMPARE(Player_CaptureVideoImage(p, 32, 32), static_cast<unsigned char*>(nullptr));
        QCOMPARE(Player_GetWatermarkTextWidth(p), 0.0);
        QCOMPARE(Player_Close(p), 1);
        const auto record = orvfake::player("P1");
        QCOMPARE(record->settings.at("SetVideoRotate"), std::string("90"));
        QCOMPARE(record->settings.at("SetWatermarkText"), std::string("\"Hi\""));

        // Captures are the player's until freed or released.
        QCOMPARE(Player_Open(p, "a.mov"), 1);
        unsigned char* first = Player_CaptureVideoImage(p, 33, 7);
        QVERIFY(first);
        QCOMPARE(int32_t(le32(first + 18)), 33);
        QVERIFY(Player_CaptureVideoImage(p, 8, 8));
        QCOMPARE(Player_CaptureVideoImage(p, 0, 8), static_cast<unsigned char*>(nullptr));
        QCOMPARE(orvfake::player("P1")->captures, 2);
        QCOMPARE(Player_FreeVideoImage(p, first), 1);
        QCOMPARE(Player_FreeVideoImage(p, first), 0);
        QCOMPARE(orvfake::player("P1")->captures, 1);
        QCOMPARE(Player_Release(p), 1);
        QCOMPARE(orvfake::player("P1")->captures, 0);
    }

    void playerFrames_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<uint>("openW");
        QTest::addColumn<int>("processedW");
        QTest::addColumn<int>("processedH");
        QTest::newRow("planar at the source size") << int(ORV_FRAME_YUV420P) << 0u << 99 << 51;
        QTest::newRow("planar at the open size") << int(ORV_FRAME_YUV420P) << 40u << 40 << 51;
        QTest::newRow("packed") << int(ORV_FRAME_BGRA) << 40u << 40 << 51;
    }

    // What a frame handler reads: sizes, 64-byte strides, planes and pixels.
    void playerFrames()
    {
        QFETCH(int, format);
        QFETCH(uint, openW);
        QFETCH(int, processedW);
        QFETCH(int, processedH);
        orvfake::MediaFacts facts;
        facts.width = 99;
        facts.height = 51;
        facts.pictureArgb = 0xFF0000FF; // blue
        orvfake::setMedia("odd.mov", facts);
        orvfake::PlaybackScript script;
        script.frameFormat = format;
        orvfake::setPlaybackScript(script);

        struct Seen
        {
            int format = -1, w = 0, h = 0, stride[3] = {}, first[3] = {};
            bool planes[3] = {};
        };
        auto read = [](void* user, FrameHandle f) {
            Seen& s = *static_cast<Seen*>(user);
            s.format = Frame_GetVideoFormat(f);
            s.w = Frame_GetVideoWidth(f);
            s.h = Frame_GetVideoHeight(f);
            int (*strides[3])(FrameHandle) = {Frame_GetVideoStride0, Frame_GetVideoStride1,
                                              Frame_GetVideoStride2};
            unsigned char* (*data[3])(FrameHandle) = {Frame_GetVideoData0, Frame_GetVideoData1,
                                                      Frame_GetVideoData2};
            for (int i = 0; i < 3; ++i) {
                s.stride[i] = strides[i](f);
                unsigned char* plane = data[i](f);
                s.planes[i] = plane != nullptr;
                s.first[i] = plane ? plane[0] : -1;
            }
            return 0;
        };
        Seen processed, original;
        PlayerHandle p = Player_Create(-1);
        Player_SetVideoFrameHandle(p, read, &processed);
        Player_SetOrignalVideoFrameHandle(p, read, &original);
        QCOMPARE(Player_OpenEx(p, "odd.mov", openW, 0, 0, 0), 1);
        QCOMPARE(Player_ShowVideoFrame(p), 1);

        QCOMPARE(processed.format, format);
        QCOMPARE(processed.w, processedW);
        QCOMPARE(processed.h, processedH);
        QCOMPARE(original.w, 99);
        QCOMPARE(original.h, 51);
        for (const Seen* s : {&processed, &original}) {
            QCOMPARE(s->stride[0] % 64, 0);
            QVERIFY(s->stride[0] >= (format == ORV_FRAME_BGRA ? 4 * s->w : s->w));
            if (format == ORV_FRAME_BGRA) {
                QCOMPARE(s->first[0], 0xFF); // B of blue
                QCOMPARE(s->stride[1], 0);
                QVERIFY(!s->planes[1] && !s->planes[2]);
            } else {
                QCOMPARE(s->first[0], 41); // BT.601 limited range blue
                QCOMPARE(s->first[1], 240);
                QCOMPARE(s->first[2], 110);
                QCOMPARE(s->stride[1] % 64, 0);
                QVERIFY(s->stride[1] >= (s->w + 1) / 2);
            }
        }
        QCOMPARE(orvfake::player("P1")->processedFrames, 1);
        // Outside a handler call a frame handle reads as nothing.
        QCOMPARE(Frame_GetVideoWidth(reinterpret_cast<FrameHandle>(&processed)), 0);
    }

    // Pictures delivered from another thread (the engine's, in a real player)
    // stop once Close returns.
    void playerNoHandlerAfterClose()
    {
        orvfake::setMedia("a.mov", {});
        std::atomic<bool> closed{false}, late{false};
        struct Probe
        {
            std::atomic<bool>*closed, *late;
        } probe{&closed, &late};
        PlayerHandle p = Player_Create(27);
        Player_SetVideoFrameHandle(
            p,
            [](void* user, FrameHandle) {
                auto* probe = static_cast<Probe*>(user);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                if (probe->closed->load())
                    probe->late->store(true);
                return 0;
            },
            &probe);
        for (int round = 0; round < 20; ++round) {
            closed = false;
            QCOMPARE(Player_Open(p, "a.mov"), 1);
            QCOMPARE(Player_Play(p), 1);
            std::thread engine([] {
                while (orvfake::deliverFrame("P1")) {
                }
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            QCOMPARE(Player_Close(p), 1);
            closed = true;
            engine.join();
        }
        QVERIFY(!late);
        QVERIFY(orvfake::player("P1")->processedFrames > 0);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_APPLESS_MAIN(TestEngineFake)
#include "tst_fake.moc"
