// Every shipped profile converts a short clip through the real engine the
// way a task does (its profile values read by the task row, the engine
// configuration filled by the row's own mapping), and the output is what
// the profile promises.
#include "QIAppUtil.h"
#include "VideoConvertBar.h"
#include "formats/GobelItemChunk.h"

#include "../Figures.h"
#include "../MediaTools.h"

#include <orvalta.h>

#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int kSourceWidth = 320;
constexpr int kSourceHeight = 240;
constexpr double kSourceRate = 25.0;
constexpr int kSourceSampleRate = 44100;
constexpr int kSourceChannels = 2;
constexpr int kParallel = 4;

struct Job
{
    QString item;
    QString icon;
    QString profile;
    Convertinfo target;
    QString output;
    ConverterHandle converter = nullptr;
    QElapsedTimer started;
    bool opened = false;
    bool finished = false;
    int error = 0;
};

QString videoCodecName(const QString& profileName)
{
    static const QHash<QString, QString> names{// clang-format off
        {"H264", "h264"},    {"MPEG-4", "mpeg4"}, {"XVID", "mpeg4"},          {"WMV2", "wmv2"},
        {"WMV1", "wmv1"},    {"FLV", "flv1"},     {"VP8", "vp8"},             {"MPEG-2", "mpeg2video"},
        {"MPEG-1", "mpeg1video"}, {"H263", "h263"}, {"DVVIDEO", "dvvideo"}, {"MJPEG", "mjpeg"},
                                               // clang-format on
                                               {"MSMPEG4V3", "msmpeg4v3"}};
    return names.value(profileName.toUpper(), "?" + profileName);
}

QString audioCodecName(const QString& profileName)
{
    static const QHash<QString, QString> names{{"AAC", "aac"},       {"MP3", "mp3"},     {"AC3", "ac3"},
                                               {"MP2", "mp2"},       {"WMAV2", "wmav2"}, {"WMAV1", "wmav1"},
                                               {"VORBIS", "vorbis"}, {"FLAC", "flac"},   {"PCM", "pcm_"}};
    return names.value(profileName.toUpper(), "?" + profileName);
}

// The demuxer ffprobe names for a container argument.
QString demuxerOf(const QString& format)
{
    static const QHash<QString, QString> names{// clang-format off
        {"mp4", "mov,mp4"}, {"m4v", "mov,mp4"},  {"m4a", "mov,mp4"},      {"mov", "mov,mp4"}, {"3gp", "mov,mp4"},
        {"mkv", "matroska"}, {"webm", "matroska"}, {"avi", "avi"},       {"wmv", "asf"},     {"wma", "asf"},
        {"flv", "flv"},      {"mpg", "mpeg"},      {"ts", "mpegts"},     {"ogv", "ogg"},     {"ogg", "ogg"},
        {"dv", "dv"},        {"mp3", "mp3"},       {"mp2", "mp3"},       {"aac", "aac"},     {"wav", "wav"},
                                               // clang-format on
                                               {"flac", "flac"},
                                               {"ac3", "ac3"}};
    return names.value(format.toLower(), "?" + format);
}

QJsonObject probe(const QString& path) { return mediatools::ffprobe(path, {"-count_frames"}); }

QJsonObject streamOf(const QJsonObject& info, const QString& type)
{
    for (const QJsonValue& s : info.value("streams").toArray()) {
        if (s.toObject().value("codec_type").toString() == type)
            return s.toObject();
    }
    return {};
}

double seconds(const QJsonValue& value) { return value.toString().toDouble(); }

} // namespace

class TestCatalogueConvert : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void convertEveryProfile();
    void outputs_data();
    void outputs();

private:
    QTemporaryDir m_dir;
    QString m_clip;
    QList<std::shared_ptr<Job>> m_jobs;
};

void TestCatalogueConvert::initTestCase()
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()
        || QStandardPaths::findExecutable("ffprobe").isEmpty())
        QSKIP("the ffmpeg and ffprobe commands are needed to make and check the clips");
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("source.mov");
    mediatools::ClipSpec source;
    source.video =
        QString("testsrc=size=%1x%2:rate=%3").arg(kSourceWidth).arg(kSourceHeight).arg(kSourceRate);
    source.sampleRate = kSourceSampleRate;
    source.channels = kSourceChannels;
    source.seconds = "1";
    QVERIFY(mediatools::makeClip(m_clip, source));

    // Every profile that a catalogue item names, once.
    QSet<QString> seen;
    for (const char* catalogue : {"video", "audio", "hd3d", "webshare", "devices"}) {
        QFile file(QIAppUtil::getResourcePath() + "/format/" + catalogue + ".xml");
        QDomDocument doc;
        QVERIFY(file.open(QIODevice::ReadOnly) && doc.setContent(&file));
        for (QDomElement e = doc.documentElement().firstChildElement("item"); !e.isNull();
             e = e.nextSiblingElement("item")) {
            if (seen.contains(e.attribute("relevantfile")))
                continue;
            seen.insert(e.attribute("relevantfile"));
            auto job = std::make_shared<Job>();
            job->item = e.attribute("itemname");
            job->icon = e.attribute("imagename");
            job->profile = e.attribute("relevantfile");
            m_jobs << job;
        }
    }
    QVERIFY(m_jobs.size() > 50);
}

// A few at a time, each as a task starts it: the row probes the file and
// adopts the current choice, then fills the configuration it opens with.
void TestCatalogueConvert::convertEveryProfile()
{
    QElapsedTimer clock;
    clock.start();
    int next = 0;
    int running = 0;
    while (next < m_jobs.size() || running > 0) {
        while (running < kParallel && next < m_jobs.size()) {
            Job& job = *m_jobs[next];
            g_itemChunk.setNames(job.icon, job.item, job.profile);
            VideoConvertBar bar;
            bar.setFile(m_clip);
            QVERIFY2(!bar.ProbeFailed(), qPrintable(m_clip));
            QCOMPARE(bar.Relevantfile(), job.profile);
            job.target = bar.TargetInfo();
            job.output = m_dir.filePath(QString("%1.%2").arg(next).arg(job.target.V_Extend));

            Config config = Config_Create();
            bar.setConverterConfig(config, &bar);
            job.converter = Converter_Create(-1);
            const QByteArray source = m_clip.toUtf8();
            const QByteArray target = job.output.toUtf8();
            const QByteArray container = job.target.V_Format.toLower().toUtf8();
            job.opened = Converter_Open(job.converter, source.constData(), target.constData(),
                                        container.constData(), config)
                == 1;
            const unsigned long long begin = bar.getBeginTime();
            const unsigned long long end = bar.getEndTime();
            Converter_SetSplitTime(job.converter, begin, end != 0 && end > begin ? end - begin : 0);
            Config_Release(config);
            if (job.opened && Converter_Start(job.converter)) {
                job.started.start();
                ++running;
            } else {
                job.error = Converter_GetError(job.converter);
                job.finished = true;
                Converter_Release(job.converter);
                job.converter = nullptr;
            }
            ++next;
        }
        QTest::qWait(50);
        for (const auto& job : qAsConst(m_jobs)) {
            if (!job->converter || job->finished)
                continue;
            if (Converter_IsCompleted(job->converter)) {
                job->error = Converter_GetError(job->converter);
                job->finished = true;
                Converter_Release(job->converter);
                job->converter = nullptr;
                --running;
            }
        }
        // A one-second clip converts in seconds (the slowest encoders in
        // tens of them on a busy machine): a job still running after ten
        // minutes hangs.
        for (const auto& job : qAsConst(m_jobs))
            QVERIFY2(!job->converter || job->finished || !job->started.hasExpired(600000),
                     qPrintable(job->profile + " never completes"));
    }
    qInfo("%d profiles converted in %lld ms", int(m_jobs.size()), clock.elapsed());
    figures::report("catalogue.convert_all_time", clock.elapsed() / 1000.0, "s", 240);
}

void TestCatalogueConvert::outputs_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < m_jobs.size(); ++i)
        QTest::newRow(qPrintable(m_jobs[i]->profile)) << i;
}

void TestCatalogueConvert::outputs()
{
    QFETCH(int, index);
    const Job& job = *m_jobs[index];
    const Convertinfo& t = job.target;
    QVERIFY2(job.opened, qPrintable(QString("open failed, error %1").arg(job.error)));
    QCOMPARE(job.error, 0);
    QVERIFY(job.output.endsWith("." + t.V_Extend));

    const QJsonObject info = probe(job.output);
    QVERIFY2(!info.isEmpty(), qPrintable(job.output));
    const QJsonObject format = info.value("format").toObject();
    QVERIFY2(format.value("format_name").toString().startsWith(demuxerOf(t.V_Extend)),
             qPrintable(format.value("format_name").toString()));

    const QJsonObject audio = streamOf(info, "audio");
    QVERIFY(!audio.isEmpty());
    QVERIFY2(audio.value("codec_name").toString().startsWith(audioCodecName(t.A_Encoder)),
             qPrintable(audio.value("codec_name").toString()));
    const int rate = t.A_SampleRate.toInt() > 0 ? t.A_SampleRate.toInt() : kSourceSampleRate;
    QCOMPARE(audio.value("sample_rate").toString().toInt(), rate);
    const int channels = t.A_Channel.toInt() > 0 ? t.A_Channel.toInt() : kSourceChannels;
    QCOMPARE(audio.value("channels").toInt(), channels);

    const QJsonObject video = streamOf(info, "video");
    double frame = 0.0;
    double duration = 0.0;
    if (t.isVideo) {
        QVERIFY(!video.isEmpty());
        QCOMPARE(video.value("codec_name").toString(), videoCodecName(t.V_Encoder));
        const QStringList size = t.V_Resolution.split('*');
        QCOMPARE(video.value("width").toInt(), size.value(0).toInt());
        QCOMPARE(video.value("height").toInt(), size.value(1).toInt());
        const double fps = t.V_FrameRate.toDouble() > 0 ? t.V_FrameRate.toDouble() : kSourceRate;
        frame = 1.0 / fps;
        // Counted pictures: container durations also hold the audio's
        // encoder delay.
        duration = video.value("nb_read_frames").toString().toInt() * frame;
    } else {
        QVERIFY(video.isEmpty());
        // The stored length includes the encoder's delay and its padding to
        // a whole block: up to two blocks of at most 2048 samples.
        duration = seconds(format.value("duration"));
        frame = 2 * 2048.0 / rate;
    }
    QVERIFY2(qAbs(duration - 1.0) <= frame + 1e-6,
             qPrintable(QString("duration %1 s, allowed %2 s").arg(duration).arg(frame)));
}

QTEST_MAIN(TestCatalogueConvert)
#include "tst_catalogue_convert.moc"
