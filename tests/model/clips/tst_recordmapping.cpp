// The clip records' one mapping to the engine, run for both of its sinks, a
// conversion's configuration and the editor's preview player, against the
// recording engine without an application: both receive the same calls.
#include "ConfigMapping.h"

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

} // namespace

Q_DECLARE_METATYPE(RecordCase)

class TestRecordMapping : public QObject
{
    Q_OBJECT
private slots:
    void init() { orvfake::reset(); }
    void bothSinks_data();
    void bothSinks();
    void defaultsInFull();
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

QTEST_GUILESS_MAIN(TestRecordMapping)
#include "tst_recordmapping.moc"
