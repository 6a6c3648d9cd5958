// Every entry point given 0 or a released handle does nothing and answers
// 0, 0.0 or NULL; yes/no answers are exactly 1 or 0.
#include "engine_test_util.h"

#include <functional>
#include <vector>

using namespace etest;

class TestEngineContract : public QObject
{
    Q_OBJECT

private slots:
    void noneSafety_data();
    void noneSafety();
    void configSettersAnswerOne();
    void errorTexts();
};

void TestEngineContract::noneSafety_data()
{
    QTest::addColumn<bool>("released");
    QTest::newRow("zero handles") << false;
    QTest::newRow("released handles") << true;
}

void TestEngineContract::noneSafety()
{
    QFETCH(bool, released);
    InfoHandle info = nullptr;
    Config cfg = nullptr;
    ConverterHandle conv = nullptr;
    MergerHandle merger = nullptr;
    PlayerHandle player = nullptr;
    if (released) {
        info = Info_Create(-1);
        cfg = Config_Create();
        conv = Converter_Create(-1);
        merger = Merger_Create(-1);
        QVERIFY(info && cfg && conv && merger);
        QCOMPARE(Info_Release(info), 1);
        QCOMPARE(Config_Release(cfg), 1);
        QCOMPARE(Converter_Release(conv), 1);
        QCOMPARE(Merger_Release(merger), 1);
        player = Player_Create(-1);
        QVERIFY(player);
        QCOMPARE(Player_Open(player, u8(fixture("clip.mov"))), 1);
        QCOMPARE(Player_Play(player), 1);
        QCOMPARE(Player_Release(player), 1);
    }
    const QByteArray clip = u8(fixture("clip.mov"));
    const char* p = clip.constData();

    QCOMPARE(Info_Open(info, p), 0);
    QCOMPARE(Info_Close(info), 0);
    QCOMPARE(Info_Release(info), 0);
    QCOMPARE(Info_GetDuration(info), uint64_t(0));
    QVERIFY(!Info_GetFormatName(info));
    QCOMPARE(Info_GetVideoWidth(info) + Info_GetVideoHeight(info) + Info_GetVideoBitRate(info)
                 + Info_GetVideoFrameRate(info) + Info_GetAudioSampleRate(info) + Info_GetAudioChannels(info)
                 + Info_GetAudioBitRate(info),
             0u);
    QCOMPARE(Info_CanSeek(info), 0);
    QVERIFY(!Info_GetVideoImage(info, 0, 1, 0, 0));
    QCOMPARE(Info_GetProgrCount(info), 0);
    QCOMPARE(Info_SetProgrIndex(info, -1), 0);
    QVERIFY(!Info_GetProgrName(info));
    QCOMPARE(Info_GetVideoCount(info) + Info_GetAudioCount(info) + Info_GetSubtlCount(info), 0);
    QCOMPARE(Info_SetAudioIndex(info, 0), 0);
    QCOMPARE(Info_SetSubtlIndex(info, -1), 0);
    QVERIFY(!Info_GetAudioTitle(info) && !Info_GetAudioLanguage(info));
    QVERIFY(!Info_GetSubtlTitle(info) && !Info_GetSubtlLanguage(info));
    QCOMPARE(Info_EnableClosedCaption(info, 0), 0);

    QCOMPARE(Config_Release(cfg), 0);
    QCOMPARE(Config_SetVideoFormat(cfg, 28), 0);
    QCOMPARE(Config_SetVideoCropf(cfg, 0, 0, 1, 1), 0);
    QCOMPARE(Config_SetWatermarkText(cfg, "x"), 0);
    QCOMPARE(Config_SetSubtlFile(cfg, "x.srt"), 0);
    QCOMPARE(Config_SetWatermarkImagePosition(cfg, 0.5, 0.5), 0);

    QCOMPARE(Converter_Open(conv, p, "/tmp/never.mp4", "mp4", cfg), 0);
    QVERIFY(!QFile::exists("/tmp/never.mp4"));
    QCOMPARE(Converter_SetSplitTime(conv, 0, 0), 0);
    QCOMPARE(Converter_Start(conv), 0);
    QCOMPARE(Converter_Pause(conv), 0);
    QCOMPARE(Converter_IsCompleted(conv), 0);
    QCOMPARE(Converter_GetDuration(conv), uint64_t(0));
    QCOMPARE(Converter_GetConvertTime(conv), uint64_t(0));
    QCOMPARE(Converter_GetError(conv), 0);
    QCOMPARE(Converter_Release(conv), 0);

    QCOMPARE(Merger_Open(merger, "/tmp/never.mp4", "mp4", cfg), 0);
    QCOMPARE(Merger_Start(merger), 0);
    QCOMPARE(Merger_AddTask(merger, p, 0, 0, cfg), 0);
    QCOMPARE(Merger_IsCompleted(merger), 0);
    QCOMPARE(Merger_GetDuration(merger), uint64_t(0));
    QCOMPARE(Merger_GetConvertTime(merger), uint64_t(0));
    QCOMPARE(Merger_Close(merger), 0);
    QCOMPARE(Merger_GetError(merger), 0);
    QCOMPARE(Merger_Release(merger), 0);

    // Player and frame functions, by kind of result.
    const std::vector<std::function<int()>> ints = {
        [&] { return Player_Open(player, p); },
        [&] { return Player_OpenEx(player, p, 64, 64, 0, 0); },
        [&] { return Player_Play(player); },
        [&] { return Player_Pause(player); },
        [&] { return Player_Stop(player); },
        [&] { return Player_IsCompleted(player); },
        [&] { return Player_Seek(player, 1000); },
        [&] { return Player_FrameStep(player, 1); },
        [&] { return Player_HasVideo(player) + Player_HasAudio(player); },
        [&] { return Player_GetVideoWidth(player) + Player_GetVideoHeight(player); },
        [&] { return Player_GetVideoAspectRatioX(player) + Player_GetVideoAspectRatioY(player); },
        [&] { return Player_SetAudioVolume(player, 50); },
        [&] { return Player_SetVideoFrameHandle(player, nullptr, nullptr); },
        [&] { return Player_SetOrignalVideoFrameHandle(player, nullptr, nullptr); },
        [&] { return Player_ShowVideoFrame(player); },
        [&] { return Player_FreeVideoImage(player, nullptr); },
        [&] { return Player_SetAudioIndex(player, 0) + Player_SetSubtlIndex(player, 0); },
        [&] { return Player_EnableClosedCaption(player, 1) + Player_SetSubtlFile(player, "x.srt"); },
        [&] { return Player_SetVideoCrop(player, 0, 0, 1, 1) + Player_SetVideoRotate(player, 90); },
        [&] { return Player_SetVideoAspectRatio(player, 4, 3) + Player_SetVideoMirror(player, 1); },
        [&] { return Player_SetVideoPadAndColor(player, 1, 0) + Player_EnableVideoCropBorder(player, 1); },
        [&] { return Player_SetWatermarkText(player, "x") + Player_SetWatermarkTextFont(player, "x"); },
        [&] {
            return Player_SetWatermarkTextPosition(player, 0.5, 0.5)
                + Player_SetWatermarkTextScale(player, 1, 1);
        },
        [&] {
            return Player_SetWatermarkImageFile(player, "x.png") + Player_SetWatermarkImageAlpha(player, 1);
        },
        [&] {
            return Player_EnableWatermarkTextBorder(player, 1) + Player_EnableWatermarkImageBorder(player, 1);
        },
        [&] { return Player_SetSubtlDelay(player, -5) + Player_SetSubtlTextSize(player, 9); },
        [&] { return Player_Close(player); },
        [&] { return Player_Release(player); },
        [] {
            return Frame_GetVideoFormat(nullptr) + Frame_GetVideoWidth(nullptr)
                + Frame_GetVideoHeight(nullptr);
        },
        [] {
            return Frame_GetVideoStride0(nullptr) + Frame_GetVideoStride1(nullptr)
                + Frame_GetVideoStride2(nullptr);
        },
    };
    for (size_t i = 0; i < ints.size(); ++i)
        QVERIFY2(ints[i]() == 0, qPrintable(QString("call %1").arg(i)));
    QCOMPARE(Player_GetDuration(player) + Player_GetPlayTime(player), uint64_t(0));
    QCOMPARE(Player_GetWatermarkTextWidth(player) + Player_GetWatermarkImageHeight(player), 0.0);
    QVERIFY(!Player_CaptureVideoImage(player, 16, 16));
    QVERIFY(!Frame_GetVideoData0(nullptr) && !Frame_GetVideoData1(nullptr) && !Frame_GetVideoData2(nullptr));
}

void TestEngineContract::configSettersAnswerOne()
{
    Config c = Config_Create();
    QVERIFY(c);
    // odd and hostile values are clamped, never refused
    QCOMPARE(Config_SetVideoSize(c, 99999, -5), 1);
    QCOMPARE(Config_SetVideoFrameRate(c, 100000, 1), 1);
    QCOMPARE(Config_SetAudioVolume(c, -50), 1);
    QCOMPARE(Config_SetVideoRotate(c, -90), 1);
    QCOMPARE(Config_SetVideoCropf(c, -1, 2, qQNaN(), 1e300), 1);
    QCOMPARE(Config_SetSubtlTextFont(c, nullptr), 1);
    QCOMPARE(Config_SetWatermarkText(c, "{\\b1}100% : [x] 'y' \"z\""), 1);
    QCOMPARE(Config_SetWatermarkTextShadowOffset(c, qInf()), 1);
    QCOMPARE(Config_SetSubtlIndex(c, -2), 1);
    QCOMPARE(Config_Release(c), 1);
    QCOMPARE(Config_Release(c), 0);

    // a player's setters too, with no file open
    PlayerHandle p = Player_Create(-1);
    QCOMPARE(Player_SetAudioVolume(p, 400), 1);
    QCOMPARE(Player_SetVideoCrop(p, -1, 2, qQNaN(), 1e300), 1);
    QCOMPARE(Player_SetVideoRotate(p, 45), 1);
    QCOMPARE(Player_SetSubtlFile(p, nullptr), 1);
    QCOMPARE(Player_SetWatermarkTextFont(p, nullptr), 1);
    QCOMPARE(Player_SetWatermarkImagePosition(p, qInf(), -qInf()), 1);
    QCOMPARE(Player_SetSubtlIndex(p, -2), 1);
    QCOMPARE(Player_Close(p), 1);
    QCOMPARE(Player_Release(p), 1);
}

void TestEngineContract::errorTexts()
{
    for (int code = ORV_OK; code <= ORV_E_ACCESS; ++code)
        QVERIFY(Engine_GetErrorText(code) && *Engine_GetErrorText(code));
    QVERIFY(Engine_GetErrorText(999));
}

QTEST_GUILESS_MAIN(TestEngineContract)
#include "tst_engine_contract.moc"
