// Every entry point given 0 or a released handle does nothing and answers
// 0, 0.0 or NULL; yes/no answers are exactly 1 or 0.
#include "engine_test_util.h"

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
    }
    const QByteArray clip = u8(fixture("clip.mov"));
    const char* p = clip.constData();

    QCOMPARE(Info_Open(info, p), 0);
    QCOMPARE(Info_Close(info), 0);
    QCOMPARE(Info_Release(info), 0);
    QCOMPARE(Info_GetDuration(info), uint64_t(0));
    QVERIFY(!Info_GetFormatName(info));
    QCOMPARE(Info_GetVideoWidth(info) + Info_GetVideoHeight(info) + Info_GetVideoBitRate(info) +
                 Info_GetVideoFrameRate(info) + Info_GetAudioSampleRate(info) + Info_GetAudioChannels(info) +
                 Info_GetAudioBitRate(info),
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
}

void TestEngineContract::errorTexts()
{
    for (int code = ORV_OK; code <= ORV_E_INTERNAL; ++code)
        QVERIFY(Engine_GetErrorText(code) && *Engine_GetErrorText(code));
    QVERIFY(Engine_GetErrorText(999));
}

QTEST_GUILESS_MAIN(TestEngineContract)
#include "tst_engine_contract.moc"
