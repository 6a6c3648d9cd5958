// The clip records' one mapping to the engine, run for both of its sinks, a
// conversion's configuration and the editor's preview player, against the
// recording engine without an application: both receive the same calls.
// Then a whole task's configuration, its profile resolved against the
// source's facts, with the records' part checked against the preview's.
#include "clips/ConfigMapping.h"
#include "clips/SourceProbe.h"
#include "editing/EditArithmetic.h"
#include "formats/ProfileFile.h"
#include "queue/ConvertTask.h"

#include <orvalta_fake_control.h>

#include <QRegularExpression>
#include <QtTest>

#include <functional>

namespace {

// One row: records changed from their defaults, and the calls (without the
// sink's prefix and handle) that must appear, in this order, among those of
// the same kind.
struct RecordCase
{
    CropSettings crop;
    SubtitleSettings subtitle;
    WatermarkTextSettings text;
    WatermarkImageSettings image;
    QStringList expected;
};

// "Config_SetVideoCropf(C1, 0, 0, 1, 1)" -> "SetVideoCrop(0, 0, 1, 1)"
QStringList neutral(const std::vector<std::string>& lines)
{
    static const QRegularExpression prefix(QStringLiteral("^(?:Config|Player)_(\\w+)\\([CP]\\d+(?:, )?"));
    QStringList out;
    for (const std::string& line : lines) {
        QString call = QString::fromStdString(line);
        call.replace(prefix, QStringLiteral("\\1("));
        call.replace(QStringLiteral("SetVideoCropf("), QStringLiteral("SetVideoCrop("));
        out << call;
    }
    return out;
}

template <class Handle>
QStringList sendAll(Handle h, const RecordCase& row)
{
    orvfake::clearCalls();
    ConfigMapping::sendPicture(h, row.crop);
    ConfigMapping::sendSubtitleStyle(h, row.subtitle);
    ConfigMapping::sendTextStyle(h, row.text);
    ConfigMapping::sendImageStyle(h, row.image);
    return neutral(orvfake::calls());
}

// The calls of the expected lines' kinds, in the order they came.
QStringList sameKinds(const QStringList& calls, const QStringList& expected)
{
    QStringList kinds;
    for (const QString& line : expected)
        kinds << line.section('(', 0, 0) + '(';
    QStringList out;
    for (const QString& call : calls) {
        if (kinds.contains(call.section('(', 0, 0) + '('))
            out << call;
    }
    return out;
}

// The quality values of a task's profile.
struct Profile
{
    bool isVideo = true;
    QString vEncoder = "H264";
    QString vResolution = "1280*720";
    QString vFrameRate = "25";
    QString vBitRate = "2000";
    QString aEncoder = "AAC";
    QString aChannel = "2";
    QString aSampleRate = "44100";
    QString aBitRate = "128";
    QString vFormat = "mp4";
};

// One row of the task table: what the task holds, and the lines its
// configuration must and must not show.
struct MappingCase
{
    Profile profile;
    CropSettings crop;
    SubtitleValueInfo streams{0, 0, 0, 0, QString()};
    SubtitleSettings subtitle;
    WatermarkTextSettings text;
    QStringList present;
    QStringList absent;
};

// A 1920 x 1080 source of a minute, 48 kHz stereo, two audio and two
// subtitle streams.
SourceFacts sourceFacts()
{
    SourceFacts facts;
    facts.path = QStringLiteral("/media/clip.mov");
    facts.name = QStringLiteral("clip.mov");
    facts.suffix = QStringLiteral("mov");
    facts.bytes = 4096;
    facts.duration = 60000000;
    facts.width = 1920;
    facts.height = 1080;
    facts.frameRate = 25000;
    facts.videoBitRate = 1000000;
    facts.sampleRate = 48000;
    facts.channels = 2;
    facts.audioBitRate = 128000;
    facts.program = 0;
    facts.audioCount = 2;
    facts.subtitleCount = 2;
    return facts;
}

TaskFormat taskFormat(const Profile& p)
{
    TaskFormat format;
    format.itemName = QStringLiteral("Test");
    format.profile = QStringLiteral("mapping.xml");
    format.read = true;
    Convertinfo& v = format.values;
    v.isVideo = p.isVideo;
    v.V_Encoder = p.vEncoder;
    v.V_Resolution = p.vResolution;
    v.V_FrameRate = p.vFrameRate;
    v.V_BitRate = p.vBitRate;
    v.A_Encoder = p.aEncoder;
    v.A_Channel = p.aChannel;
    v.A_SampleRate = p.aSampleRate;
    v.A_BitRate = p.aBitRate;
    v.V_Format = p.vFormat;
    v.V_Extend = p.vFormat.toLower();
    return format;
}

} // namespace

Q_DECLARE_METATYPE(RecordCase)
Q_DECLARE_METATYPE(MappingCase)

class TestRecordMapping : public QObject
{
    Q_OBJECT
private slots:
    void init() { orvfake::reset(); }
    void bothSinks_data();
    void bothSinks();
    void defaultsInFull();
    void taskTable_data();
    void taskTable();
};

void TestRecordMapping::bothSinks_data()
{
    QTest::addColumn<RecordCase>("row");
    auto row = [](const char* name, const std::function<void(RecordCase&)>& fill) {
        RecordCase c;
        fill(c);
        QTest::newRow(name) << c;
    };
    row("crop with padding", [](RecordCase& c) {
        c.crop.ratio_type = Ratio_4_3;
        c.crop.aspect_width = 4;
        c.crop.aspect_height = 3;
        c.crop.pad_color = 0xFF336699u;
        c.crop.crop_x = 0.25;
        c.expected = QStringList{"SetVideoAspectRatio(4, 3)", "SetVideoPadAndColor(1, 0xFF336699)",
                                 "SetVideoCrop(0.25, 0, 1, 1)"};
    });
    row("pan and scan cuts its own rectangle", [](RecordCase& c) {
        c.crop.fill_type = 1;
        c.crop.crop_x = 0.25;
        c.crop.panscan_x = 0.125;
        c.crop.panscan_w = 0.75;
        c.expected = QStringList{"SetVideoAspectRatio(0, 0)", "SetVideoPadAndColor(0, 0xFF000000)",
                                 "SetVideoCrop(0.125, 0, 0.75, 1)"};
    });
    row("pan and scan at full screen crops", [](RecordCase& c) {
        c.crop.fill_type = 1;
        c.crop.ratio_type = Ratio_FullScreen;
        c.crop.crop_x = 0.25;
        c.crop.panscan_x = 0.125;
        c.expected = QStringList{"SetVideoPadAndColor(0, 0xFF000000)", "SetVideoCrop(0.25, 0, 1, 1)"};
    });
    row("pan and scan unpadded crops", [](RecordCase& c) {
        c.crop.pad = 0;
        c.crop.fill_type = 1;
        c.crop.panscan_x = 0.125;
        c.expected = QStringList{"SetVideoPadAndColor(0, 0xFF000000)", "SetVideoCrop(0, 0, 1, 1)"};
    });
    for (int rotate : {90, 180, 270}) {
        row(qPrintable(QString("full screen at %1").arg(rotate)), [rotate](RecordCase& c) {
            c.crop.ratio_type = Ratio_FullScreen;
            c.crop.rotate = rotate;
            c.crop.aspect_width = 1280;
            c.crop.aspect_height = 720;
            c.expected = QStringList{rotate == 180 ? "SetVideoAspectRatio(1280, 720)"
                                                   : "SetVideoAspectRatio(720, 1280)",
                                     QString("SetVideoRotate(%1)").arg(rotate)};
        });
    }
    row("16:9 at 90 keeps the pair", [](RecordCase& c) {
        c.crop.ratio_type = Ratio_16_9;
        c.crop.rotate = 90;
        c.crop.mirror = 1;
        c.crop.aspect_width = 16;
        c.crop.aspect_height = 9;
        c.expected = QStringList{"SetVideoAspectRatio(16, 9)", "SetVideoRotate(90)", "SetVideoMirror(1)"};
    });
    // The records the editor's ratio and fill choices make for a 1920 x 1080
    // clip in a 1280 x 720 output frame.
    row("original size takes the crop's pixels", [](RecordCase& c) {
        c.crop.crop_w = 0.5;
        c.crop.crop_h = 0.25;
        EditArithmetic::applyRatioChoice(c.crop, Ratio_OriginalSize, 1920, 1080, 1280, 720);
        c.expected = QStringList{"SetVideoAspectRatio(960, 270)", "SetVideoPadAndColor(1, 0xFF000000)",
                                 "SetVideoCrop(0, 0, 0.5, 0.25)"};
    });
    row("original aspect after 4:3", [](RecordCase& c) {
        EditArithmetic::applyRatioChoice(c.crop, Ratio_4_3, 1920, 1080, 1280, 720);
        EditArithmetic::applyRatioChoice(c.crop, Ratio_OriginalAspect, 1920, 1080, 1280, 720);
        c.expected = QStringList{"SetVideoAspectRatio(0, 0)", "SetVideoPadAndColor(1, 0xFF000000)"};
    });
    row("4:3 at 270 keeps the pair", [](RecordCase& c) {
        c.crop.rotate = 270;
        EditArithmetic::applyRatioChoice(c.crop, Ratio_4_3, 1920, 1080, 1280, 720);
        c.expected = QStringList{"SetVideoAspectRatio(4, 3)", "SetVideoRotate(270)",
                                 "SetVideoPadAndColor(1, 0xFF000000)"};
    });
    row("full screen chosen at 90 fills the turned frame", [](RecordCase& c) {
        c.crop.rotate = 90;
        c.crop.crop_x = 0.25;
        EditArithmetic::applyRatioChoice(c.crop, Ratio_FullScreen, 1920, 1080, 1280, 720);
        c.expected = QStringList{"SetVideoAspectRatio(720, 1280)", "SetVideoRotate(90)",
                                 "SetVideoPadAndColor(0, 0xFF000000)", "SetVideoCrop(0.25, 0, 1, 1)"};
    });
    for (int rotate : {0, 90, 180}) {
        row(qPrintable(QString("pan and scan chosen at %1 fills the frame").arg(rotate)),
            [rotate](RecordCase& c) {
                c.crop.rotate = rotate;
                c.crop.mirror = 1;
                c.crop.crop_x = 0.5;
                c.crop.panscan_x = 0.25;
                c.crop.panscan_w = 0.5;
                EditArithmetic::applyRatioChoice(c.crop, Ratio_16_9, 1920, 1080, 1280, 720);
                EditArithmetic::applyPanScan(c.crop, 1280, 720);
                c.expected = QStringList{
                    rotate == 90 ? "SetVideoAspectRatio(720, 1280)" : "SetVideoAspectRatio(1280, 720)",
                    QString("SetVideoRotate(%1)").arg(rotate), "SetVideoMirror(1)",
                    "SetVideoPadAndColor(0, 0xFF000000)", "SetVideoCrop(0.25, 0, 0.5, 1)"};
            });
    }
    row("thousandths", [](RecordCase& c) {
        c.subtitle.shadow_offset = 250;
        c.subtitle.outline_size = 1500;
        c.text.pos_x = 500;
        c.text.pos_y = 250;
        c.text.shadow_offset = 2000;
        c.image.pos_x = 100;
        c.image.pos_y = 900;
        c.expected = QStringList{"SetSubtlTextShadowOffset(0.25)", "SetSubtlTextOutlineSize(1.5)",
                                 "SetWatermarkTextShadowOffset(2)", "SetWatermarkTextPosition(0.5, 0.25)",
                                 "SetWatermarkImagePosition(0.1, 0.9)"};
    });
    row("one at sign is dropped", [](RecordCase& c) {
        c.subtitle.font_family = "@Noto Sans";
        c.text.font_family = "@@Serif";
        c.expected = QStringList{"SetSubtlTextFont(\"Noto Sans\")", "SetWatermarkTextFont(\"@Serif\")"};
    });
    row("long subtitle delay", [](RecordCase& c) {
        c.subtitle.delay = 3000000; // beyond what 32 bits hold once in microseconds
        c.expected = QStringList{"SetSubtlDelay(3000000000)"};
    });
    row("styles and colours", [](RecordCase& c) {
        c.subtitle.bold = 1;
        c.subtitle.text_color = 0x11223344u;
        c.text.italic = 1;
        c.text.font_size = 30;
        c.text.outline_color = 0xFF00FF00u;
        c.text.topmost = 0;
        c.image.alpha = 100;
        c.image.scale_x = 50;
        c.expected = QStringList{"SetSubtlTextBold(1)",
                                 "SetSubtlTextColor(0x11223344)",
                                 "SetWatermarkTextSize(30)",
                                 "SetWatermarkTextItalic(1)",
                                 "SetWatermarkTextOutlineColor(0xFF00FF00)",
                                 "SetWatermarkTextLayerTopmost(0)",
                                 "SetWatermarkImageAlpha(100)",
                                 "SetWatermarkImageScale(50, 100)"};
    });
}

void TestRecordMapping::bothSinks()
{
    QFETCH(RecordCase, row);
    Config config = Config_Create();
    PlayerHandle player = Player_Create(-1);
    const QStringList output = sendAll(config, row);
    const QStringList preview = sendAll(player, row);
    Config_Release(config);
    Player_Release(player);
    QCOMPARE(preview, output);
    QCOMPARE(sameKinds(output, row.expected), row.expected);
}

void TestRecordMapping::defaultsInFull()
{
    // Every call once, in one order, for both sinks alike; the layers' text
    // and file are the callers'.
    Config config = Config_Create();
    PlayerHandle player = Player_Create(-1);
    const QStringList output = sendAll(config, RecordCase());
    const QStringList preview = sendAll(player, RecordCase());
    Config_Release(config);
    Player_Release(player);
    const QStringList expected = {
        "SetVideoAspectRatio(0, 0)",
        "SetVideoRotate(0)",
        "SetVideoMirror(0)",
        "SetVideoPadAndColor(1, 0xFF000000)",
        "SetVideoCrop(0, 0, 1, 1)",
        "SetSubtlAlpha(255)",
        "SetSubtlScale(100, 100)",
        "SetSubtlDelay(0)",
        "SetSubtlTextFont(\"\")",
        "SetSubtlTextBold(0)",
        "SetSubtlTextItalic(0)",
        "SetSubtlTextUnderline(0)",
        "SetSubtlTextStrikeout(0)",
        "SetSubtlTextSize(18)",
        "SetSubtlTextColor(0xFFFFFFFF)",
        "SetSubtlTextShadowColor(0x80000000)",
        "SetSubtlTextOutlineColor(0xFF000000)",
        "SetSubtlTextShadowOffset(0.5)",
        "SetSubtlTextOutlineSize(1)",
        "SetWatermarkTextFont(\"\")",
        "SetWatermarkTextAlpha(255)",
        "SetWatermarkTextScale(100, 100)",
        "SetWatermarkTextSize(36)",
        "SetWatermarkTextBold(0)",
        "SetWatermarkTextItalic(0)",
        "SetWatermarkTextUnderline(0)",
        "SetWatermarkTextStrikeout(0)",
        "SetWatermarkTextColor(0xFFFFFFFF)",
        "SetWatermarkTextShadowColor(0x80000000)",
        "SetWatermarkTextOutlineColor(0xFF000000)",
        "SetWatermarkTextShadowOffset(0.5)",
        "SetWatermarkTextOutlineSize(1)",
        "SetWatermarkTextPosition(0, 0)",
        "SetWatermarkTextLayerTopmost(1)",
        "SetWatermarkImageAlpha(255)",
        "SetWatermarkImageScale(100, 100)",
        "SetWatermarkImagePosition(0, 0)",
    };
    QCOMPARE(output, expected);
    QCOMPARE(preview, expected);
}

void TestRecordMapping::taskTable_data()
{
    QTest::addColumn<MappingCase>("row");
    auto row = [](const char* name, const std::function<void(MappingCase&)>& fill) {
        MappingCase c;
        fill(c);
        QTest::newRow(name) << c;
    };

    row("audio-only profile", [](MappingCase& c) {
        c.profile.isVideo = false;
        c.profile.vResolution = "640*480";
        c.present = QStringList{"Config_SetVideoFormat(C1, -1)", "Config_SetVideoSize(C1, 640, 480)",
                                "Config_SetAudioFormat(C1, 86018)", "Config_SetAudioSampleRate(C1, 44100)"};
        c.absent = QStringList{"Config_SetVideoFrameRate("};
    });
    row("unknown video codec", [](MappingCase& c) {
        c.profile.vEncoder = "x264";
        c.present = QStringList{"Config_SetVideoFormat(C1, 0)"};
    });
    row("resolution Original", [](MappingCase& c) {
        c.profile.vResolution = "Original";
        c.present = QStringList{"Config_SetVideoSize(C1, 1920, 1080)"};
    });
    row("resolution without height", [](MappingCase& c) {
        c.profile.vResolution = "1280*";
        c.present = QStringList{"Config_SetVideoSize(C1, 1280, 1080)"};
    });
    row("resolution with zero width", [](MappingCase& c) {
        c.profile.vResolution = "0*480";
        c.present = QStringList{"Config_SetVideoSize(C1, 1920, 480)"};
    });
    row("resolution empty", [](MappingCase& c) {
        c.profile.vResolution = "";
        c.present = QStringList{"Config_SetVideoSize(C1, 1920, 1080)"};
    });
    for (const char* container : {"avi", "AVI", "MpegTS", "mpeg1video"}) {
        row(qPrintable(QString("flag for %1").arg(container)), [container](MappingCase& c) {
            c.profile.vFormat = container;
            c.present = QStringList{"Config_SetVideoFrameRateFlag(C1, 1)"};
        });
    }
    row("no flag for mp4", [](MappingCase& c) { c.absent = QStringList{"Config_SetVideoFrameRateFlag("}; });
    row("frame rate Auto", [](MappingCase& c) {
        c.profile.vFrameRate = "Auto";
        c.absent = QStringList{"Config_SetVideoFrameRate("};
    });
    row("frame rate Original", [](MappingCase& c) {
        c.profile.vFrameRate = "Original";
        c.absent = QStringList{"Config_SetVideoFrameRate("};
    });
    row("frame rate not a number", [](MappingCase& c) {
        c.profile.vFrameRate = "fast";
        c.absent = QStringList{"Config_SetVideoFrameRate("};
    });
    row("frame rate negative", [](MappingCase& c) {
        c.profile.vFrameRate = "-25";
        c.absent = QStringList{"Config_SetVideoFrameRate("};
    });
    row("frame rate 23.976", [](MappingCase& c) {
        c.profile.vFrameRate = "23.976";
        c.present = QStringList{"Config_SetVideoFrameRate(C1, 24000, 1001)"};
    });
    row("frame rate 29.97", [](MappingCase& c) {
        c.profile.vFrameRate = "29.97";
        c.present = QStringList{"Config_SetVideoFrameRate(C1, 30000, 1001)"};
    });
    row("frame rate 30", [](MappingCase& c) {
        c.profile.vFrameRate = "30";
        c.present = QStringList{"Config_SetVideoFrameRate(C1, 30, 1)"};
    });
    row("Auto audio values", [](MappingCase& c) {
        c.profile.aChannel = "Auto";
        c.profile.aSampleRate = "Auto";
        c.profile.aBitRate = "Auto";
        c.profile.vBitRate = "Auto";
        c.present = QStringList{"Config_SetAudioChannels(C1, 0)", "Config_SetAudioSampleRate(C1, 48000)",
                                "Config_SetAudioBitRate(C1, 0)", "Config_SetVideoBitRate(C1, 0)"};
    });
    row("Original audio values", [](MappingCase& c) {
        c.profile.aChannel = "Original";
        c.profile.aSampleRate = "Original";
        c.profile.aBitRate = "Original";
        c.profile.vBitRate = "Original";
        c.present = QStringList{"Config_SetAudioChannels(C1, 2)", "Config_SetAudioSampleRate(C1, 48000)",
                                "Config_SetAudioBitRate(C1, 0)", "Config_SetVideoBitRate(C1, 0)"};
    });
    row("words are case-sensitive", [](MappingCase& c) {
        c.profile.aSampleRate = "auto";
        c.profile.aChannel = "original";
        c.present = QStringList{"Config_SetAudioSampleRate(C1, 0)", "Config_SetAudioChannels(C1, 0)"};
    });
    for (int rotate : {90, 180, 270}) {
        row(qPrintable(QString("full screen at %1").arg(rotate)), [rotate](MappingCase& c) {
            c.crop.ratio_type = Ratio_FullScreen;
            c.crop.rotate = rotate;
            c.crop.aspect_width = 1280;
            c.crop.aspect_height = 720;
            c.present = QStringList{rotate == 180 ? "Config_SetVideoAspectRatio(C1, 1280, 720)"
                                                  : "Config_SetVideoAspectRatio(C1, 720, 1280)",
                                    QString("Config_SetVideoRotate(C1, %1)").arg(rotate)};
        });
    }
    row("16:9 at 90 keeps the pair", [](MappingCase& c) {
        c.crop.ratio_type = Ratio_16_9;
        c.crop.rotate = 90;
        c.crop.aspect_width = 16;
        c.crop.aspect_height = 9;
        c.present = QStringList{"Config_SetVideoAspectRatio(C1, 16, 9)"};
    });
    row("pan and scan", [](MappingCase& c) {
        c.crop.pad = 1;
        c.crop.fill_type = 1;
        c.crop.ratio_type = Ratio_OriginalAspect;
        c.crop.crop_x = 0.25;
        c.crop.panscan_x = 0.125;
        c.crop.panscan_w = 0.75;
        c.present = QStringList{"Config_SetVideoPadAndColor(C1, 0, 0xFF000000)",
                                "Config_SetVideoCropf(C1, 0.125, 0, 0.75, 1)"};
        c.absent = QStringList{"Config_SetVideoCropf(C1, 0.25"};
    });
    row("pan and scan at full screen", [](MappingCase& c) {
        c.crop.pad = 1;
        c.crop.fill_type = 1;
        c.crop.ratio_type = Ratio_FullScreen;
        c.crop.crop_x = 0.25;
        c.crop.panscan_x = 0.125;
        c.present = QStringList{"Config_SetVideoPadAndColor(C1, 0, 0xFF000000)",
                                "Config_SetVideoCropf(C1, 0.25, 0, 1, 1)"};
    });
    row("crop with padding", [](MappingCase& c) {
        c.crop.pad = 1;
        c.crop.fill_type = 0;
        c.crop.ratio_type = Ratio_4_3;
        c.crop.pad_color = 0xFF336699u;
        c.crop.crop_x = 0.25;
        c.present = QStringList{"Config_SetVideoPadAndColor(C1, 1, 0xFF336699)",
                                "Config_SetVideoCropf(C1, 0.25, 0, 1, 1)"};
    });
    const struct
    {
        const char* name;
        int index;
        QStringList present;
        QStringList absent;
    } subtitleChoices[] = {
        {"no subtitle",
         0,
         {"Config_SetSubtlIndex(C1, -1)"},
         {"Config_EnableClosedCaption(", "Config_SetSubtlFile("}},
        {"second embedded subtitle", 2, {"Config_SetSubtlIndex(C1, 1)"}, {"Config_EnableClosedCaption("}},
        {"closed captions",
         3,
         {"Config_EnableClosedCaption(C1, 1)"},
         {"Config_SetSubtlIndex(", "Config_SetSubtlFile("}},
        {"external file",
         4,
         {"Config_SetSubtlFile(C1, \"/subs/film.srt\")"},
         {"Config_SetSubtlIndex(", "Config_EnableClosedCaption("}},
    };
    for (const auto& choice : subtitleChoices) {
        row(choice.name, [&choice](MappingCase& c) {
            c.streams = SubtitleValueInfo{0, 1, choice.index, 2, "/subs/film.srt"};
            c.present = choice.present;
            c.absent = choice.absent;
        });
    }
    row("one at sign is dropped", [](MappingCase& c) {
        c.subtitle.font_family = "@Noto Sans";
        c.text.font_family = "@Serif";
        c.present = QStringList{"Config_SetSubtlTextFont(C1, \"Noto Sans\")",
                                "Config_SetWatermarkTextFont(C1, \"Serif\")"};
    });
    row("only one at sign is dropped", [](MappingCase& c) {
        c.subtitle.font_family = "@@Noto Sans";
        c.text.font_family = "@@Serif";
        c.present = QStringList{"Config_SetSubtlTextFont(C1, \"@Noto Sans\")",
                                "Config_SetWatermarkTextFont(C1, \"@Serif\")"};
    });
    row("text watermark", [](MappingCase& c) {
        c.text.text = QString::fromUtf8("Ünïcode mark");
        c.text.pos_x = 500;
        c.text.pos_y = 250;
        c.present = QStringList{QString::fromUtf8("Config_SetWatermarkText(C1, \"Ünïcode mark\")"),
                                "Config_SetWatermarkTextPosition(C1, 0.5, 0.25)"};
    });
    row("no watermark", [](MappingCase& c) {
        c.absent = QStringList{"Config_SetWatermarkText(", "Config_SetWatermarkImageFile("};
        c.present = QStringList{"Config_SetWatermarkTextFont(C1, \"\")",
                                "Config_SetWatermarkTextLayerTopmost(C1, 1)"};
    });
    row("long subtitle delay", [](MappingCase& c) {
        c.subtitle.delay = 3000000; // beyond what 32 bits hold once in microseconds
        c.present = QStringList{"Config_SetSubtlDelay(C1, 3000000000)"};
    });
}

void TestRecordMapping::taskTable()
{
    QFETCH(MappingCase, row);
    ConvertTask task;
    task.applyFacts(sourceFacts());
    QVERIFY(task.applyFormat(taskFormat(row.profile)));
    task.clips().crop = row.crop;
    task.clips().streams = row.streams;
    task.clips().subtitle = row.subtitle;
    task.clips().text = row.text;

    orvfake::clearCalls();
    Config config = Config_Create();
    ConfigMapping::send(config, task.mappingValues(task.target()));
    std::vector<std::string> sent;
    QStringList own;
    for (const std::string& line : orvfake::calls("Config_")) {
        if (line.rfind("Config_Create", 0) != 0) {
            sent.push_back(line);
            own << QString::fromStdString(line);
        }
    }
    Config_Release(config);
    for (const QString& line : row.present)
        QVERIFY2(own.contains(line), qPrintable(line + " missing in\n" + own.join('\n')));
    for (const QString& start : row.absent) {
        for (const QString& line : own)
            QVERIFY2(!line.startsWith(start), qPrintable(line));
    }
    QVERIFY2(own.size() >= 48 && own.size() <= 52, qPrintable(QString::number(own.size())));

    // The preview of the same records gets the configuration's calls of
    // their kinds, in their order.
    RecordCase records;
    records.crop = row.crop;
    records.subtitle = row.subtitle;
    records.text = row.text;
    PlayerHandle player = Player_Create(-1);
    const QStringList preview = sendAll(player, records);
    Player_Release(player);
    QCOMPARE(sameKinds(neutral(sent), preview), preview);
}

QTEST_GUILESS_MAIN(TestRecordMapping)
#include "tst_recordmapping.moc"
