// A conversion task's record without a window: the trimmed length, facts
// and a format turned into target values, the values its engine
// configuration is made from (its own target and a merge target), and its
// job against the recording engine: an open that is delivered and one that
// is let go of.
#include "clips/ConfigMapping.h"
#include "clips/SourceProbe.h"
#include "formats/ProfileFile.h"
#include "queue/ConvertJob.h"
#include "queue/ConvertTask.h"

#include <orvalta_fake_control.h>

#include <QtTest>

Q_DECLARE_METATYPE(uint64_t)

namespace {

SourceFacts facts1080(const QString& path = QStringLiteral("/media/clip.mov"))
{
    SourceFacts facts;
    facts.path = path;
    facts.name = QFileInfo(path).fileName();
    facts.suffix = QStringLiteral("mov");
    facts.bytes = 2048;
    facts.duration = 10000000;
    facts.width = 1920;
    facts.height = 1080;
    facts.frameRate = 25000;
    facts.videoBitRate = 4000000;
    facts.sampleRate = 44100;
    facts.channels = 2;
    facts.audioBitRate = 192000;
    facts.program = 0;
    facts.audioCount = 1;
    facts.subtitleCount = 2;
    return facts;
}

TaskFormat mp4Format(const QString& resolution)
{
    TaskFormat format;
    format.itemName = QStringLiteral("MP4 Video");
    format.profile = QStringLiteral("mp4.xml");
    format.read = true;
    format.values.isVideo = true;
    format.values.V_Encoder = QStringLiteral("H264");
    format.values.V_Resolution = resolution;
    format.values.V_FrameRate = QStringLiteral("25");
    format.values.V_BitRate = QStringLiteral("1000");
    format.values.A_Encoder = QStringLiteral("AAC");
    format.values.A_Channel = QStringLiteral("Original");
    format.values.A_SampleRate = QStringLiteral("Original");
    format.values.A_BitRate = QStringLiteral("128");
    format.values.V_Format = QStringLiteral("MP4");
    format.values.V_Extend = QStringLiteral("mp4");
    return format;
}

} // namespace

class TestConvertTask : public QObject
{
    Q_OBJECT

private slots:
    void init() { orvfake::reset(); }

    void lengthUs_data()
    {
        QTest::addColumn<uint64_t>("begin");
        QTest::addColumn<uint64_t>("end");
        QTest::addColumn<uint64_t>("length");
        QTest::newRow("whole source") << uint64_t(0) << uint64_t(0) << uint64_t(0);
        QTest::newRow("trimmed") << uint64_t(1000000) << uint64_t(4500000) << uint64_t(3500000);
        QTest::newRow("no end mark") << uint64_t(2000000) << uint64_t(0) << uint64_t(0);
        QTest::newRow("end before begin") << uint64_t(5000000) << uint64_t(3000000) << uint64_t(0);
        QTest::newRow("empty range") << uint64_t(3000000) << uint64_t(3000000) << uint64_t(0);
    }

    void lengthUs()
    {
        QFETCH(uint64_t, begin);
        QFETCH(uint64_t, end);
        QFETCH(uint64_t, length);
        ConvertTask task;
        task.applyFacts(facts1080());
        QCOMPARE(task.lengthUs(), uint64_t(10000000)); // the facts mark the whole source
        task.setTrim(begin, end);
        QCOMPARE(task.lengthUs(), length);
    }

    void factsAndFormat_data()
    {
        QTest::addColumn<QString>("resolution");
        QTest::addColumn<bool>("probeFailed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("original is the source's") << "Original" << false << "1920*1080";
        QTest::newRow("a set size") << "1280*720" << false << "1280*720";
        QTest::newRow("a missing side is the source's") << "640*" << false << "640*1080";
        QTest::newRow("unreadable source") << "Original" << true << "";
    }

    void factsAndFormat()
    {
        QFETCH(QString, resolution);
        QFETCH(bool, probeFailed);
        QFETCH(QString, shown);
        SourceFacts facts = facts1080();
        facts.failed = probeFailed;
        ConvertTask task;
        task.applyFacts(facts);
        QVERIFY(task.applyFormat(mp4Format(resolution)));

        const Convertinfo& target = task.target();
        QCOMPARE(target.V_Resolution, resolution);
        QCOMPARE(target.V_Format, QString("MP4"));
        QCOMPARE(target.F_Duration, QString("00:00:10"));
        QCOMPARE(target.F_Format, QString("MOV"));
        QCOMPARE(task.sourceInfo().V_Resolution, QString("1920*1080"));
        QCOMPARE(task.sourceInfo().V_FrameRate, QString("25 FPS"));
        QCOMPARE(task.itemName(), QString("MP4 Video"));
        QCOMPARE(task.targetResolutionText(), shown);
        QCOMPARE(task.clips().streams.subtitle_index, probeFailed ? -1 : 1);

        // The same profile again is not taken twice: a changed value stays.
        Convertinfo changed = target;
        changed.V_BitRate = QStringLiteral("2500");
        task.setQualityValues(changed);
        QVERIFY(!task.applyFormat(mp4Format(QStringLiteral("320*240"))));
        QCOMPARE(task.target().V_BitRate, QString("2500"));
        QCOMPARE(task.target().V_Resolution, resolution);
    }

    void estimateFollowsTheTrim()
    {
        ConvertTask task;
        task.applyFacts(facts1080());
        task.applyFormat(mp4Format(QStringLiteral("Original")));
        // (1000 + 128) kbps over 10 s, then over the 4 s left by the trim.
        QCOMPARE(task.estimatedOutputBytes(), 1128ull * 10 * 1000 / 8);
        task.setTrim(3000000, 7000000);
        QCOMPARE(task.estimatedOutputBytes(), 1128ull * 4 * 1000 / 8);
        // A rate the profile leaves to the source is estimated with the source's.
        Convertinfo source = task.target();
        source.V_BitRate = QStringLiteral("Original");
        task.setQualityValues(source);
        QCOMPARE(task.estimatedOutputBytes(), (4000ull + 128) * 4 * 1000 / 8);
    }

    void mappingValues_data()
    {
        QTest::addColumn<bool>("merge");
        QTest::newRow("its own target") << false;
        QTest::newRow("a merge target") << true;
    }

    void mappingValues()
    {
        QFETCH(bool, merge);
        ConvertTask task;
        task.applyFacts(facts1080());
        task.applyFormat(mp4Format(QStringLiteral("Original")));
        task.clips().crop.rotate = 90;
        task.clips().text.text = QStringLiteral("mark");

        Convertinfo mergeTarget;
        mergeTarget.isVideo = true;
        mergeTarget.V_Resolution = QStringLiteral("1280*");
        mergeTarget.V_BitRate = QStringLiteral("800");
        mergeTarget.A_Channel = QStringLiteral("1");
        mergeTarget.A_SampleRate = QStringLiteral("Auto");
        mergeTarget.A_BitRate = QStringLiteral("Auto");
        mergeTarget.V_Format = QStringLiteral("AVI");
        const Convertinfo target = merge ? mergeTarget : task.target();

        const MappingValues values = task.mappingValues(target);
        QCOMPARE(values.target.V_Format, target.V_Format);
        QCOMPARE(values.width, merge ? 1280 : 1920);
        QCOMPARE(values.height, 1080);
        QCOMPARE(values.videoBitRate, merge ? 800 : 1000);
        QCOMPARE(values.channels, merge ? 1 : 2);
        QCOMPARE(values.sampleRate, 44100);
        QCOMPARE(values.audioBitRate, merge ? 0 : 128);
        // The clip records are the task's whichever target it is written with.
        QCOMPARE(values.crop.rotate, 90);
        QCOMPARE(values.text.text, QString("mark"));
        QCOMPARE(values.streams.subtitle_count, 2);
    }

    // The job opens on the opener thread with the task's values and trim,
    // and hands the converter over on this thread.
    void jobOpensWithTheTaskValues()
    {
        orvfake::setCreateFiles(false);
        const QString source = QStringLiteral("/media/clip.mov");
        orvfake::setMedia(source.toStdString(), orvfake::MediaFacts());
        ConvertTask task;
        task.applyFacts(facts1080(source));
        task.applyFormat(mp4Format(QStringLiteral("1280*720")));
        task.setTrim(1000000, 3000000);

        ConvertJob job;
        int opened = 0;
        job.open(task, QStringLiteral("/out/clip.mp4"), [&] { ++opened; });
        QVERIFY(job.isOpening());
        ConvertJob::waitForOpens();
        QCOMPARE(opened, 1);
        QVERIFY(!job.isOpening());
        QVERIFY(job.created() && job.isOpen());
        const std::string label = orvfake::label(job.converter());
        const auto record = orvfake::converter(label);
        QVERIFY(record);
        QCOMPARE(record->src, source.toStdString());
        QCOMPARE(record->dst, std::string("/out/clip.mp4"));
        QCOMPARE(record->container.value_or(""), std::string("mp4"));
        QCOMPARE(record->beginUs, uint64_t(1000000));
        QCOMPARE(record->lengthUs, uint64_t(2000000));
        QCOMPARE(record->config.at("SetVideoSize"), std::string("1280, 720"));
        // The configuration goes once the open was handed over.
        QCOMPARE(orvfake::calls("Config_Release(").size(), size_t(1));

        QVERIFY(job.start());
        job.releaseLater();
        QVERIFY(!job.converter());
        ConvertJob::waitForOpener();
        QCOMPARE(orvfake::calls("Converter_Release(" + label + ")").size(), size_t(1));
    }

    // A job let go of while it opens never calls back; its open is released
    // once it returns.
    void abandonedOpenIsReleased()
    {
        orvfake::setCreateFiles(false);
        const QString source = QStringLiteral("/media/clip.mov");
        orvfake::setMedia(source.toStdString(), orvfake::MediaFacts());
        ConvertTask task;
        task.applyFacts(facts1080(source));
        task.applyFormat(mp4Format(QStringLiteral("Original")));

        int opened = 0;
        {
            ConvertJob job;
            job.open(task, QStringLiteral("/out/a.mp4"), [&] { ++opened; });
            job.abandonOpen();
            QVERIFY(!job.isOpening());
        }
        {
            // Dropped while it opens: waited for and released.
            ConvertJob job;
            job.open(task, QStringLiteral("/out/b.mp4"), [&] { ++opened; });
        }
        ConvertJob::waitForOpens();
        QCOMPARE(opened, 0);
        QCOMPARE(orvfake::calls("Converter_Open(").size(), size_t(2));
        QCOMPARE(orvfake::calls("Converter_Release(").size(), size_t(2));
        QCOMPARE(orvfake::calls("Config_Release(").size(), size_t(2));
    }
};

QTEST_GUILESS_MAIN(TestConvertTask)
#include "tst_converttask.moc"
