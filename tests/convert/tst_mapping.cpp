// A task's row turned into an engine configuration through the editor and
// by both entry points, read back from the recording engine's call log, and
// the task's hand-off to the editor and the player. The mapping's own
// table runs without widgets with the model's tests.

#include "../ResourceCopy.h"

#include "QIAppUtil.h"
#include "QVideoEditDlg.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "formats/GobelItemChunk.h"
#include "orvalta_fake_control.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>
#include <QXmlStreamWriter>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr unsigned long long kSecond = 1000000ull;

// The quality values of a profile file, as its TEMP_QUALITY_VALUE and
// VIDIO_FOMAT_INFO elements hold them.
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

QStringList withoutCreate(std::vector<std::string> lines)
{
    QStringList out;
    for (const std::string& line : lines) {
        if (line.rfind("Config_Create", 0) != 0)
            out << QString::fromStdString(line);
    }
    return out;
}

} // namespace

class TestMapping : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void fullSequenceInOrder();

    void editHandOff_data();
    void editHandOff();
    void editApplyToAllIsForwarded();
    void editUnopenableFileSaysNotSupported();
    void previewOnlyForExistingSource();
    void customizeTime_data();
    void customizeTime();

private:
    std::unique_ptr<VideoConvertBar> makeTask(const Profile& profile,
                                              const orvfake::MediaFacts& facts = defaultFacts());
    static orvfake::MediaFacts defaultFacts();
    // Runs the task's edit; `act` sees the modal editor, which then ends with
    // `result`. False when no editor came up.
    bool edit(VideoConvertBar* task, const std::function<void(QVideoEditDlg*)>& act, int result);
    // The configuration calls of both entry points, the queue's relabelled
    // as the first configuration's so the logs compare line by line.
    void mapBoth(VideoConvertBar* task, QStringList& own, QStringList& queued);

    ResourceCopy m_resources; // every task's profile is shipped by the test
    QTemporaryDir m_dir;
    QString m_source;
    QString m_eventLog;
    int m_profileCount = 0;
    std::unique_ptr<ScrollAreaforBar> m_queue;
};

void TestMapping::initTestCase()
{
    QVERIFY(m_resources.isValid());
    QVERIFY(m_dir.isValid());
    m_eventLog = m_dir.filePath("events.log");
    qputenv("LUMIVANE_EVENT_LOG", m_eventLog.toLocal8Bit());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));
    QVERIFY(QDir().mkpath(QIAppUtil::getResourcePath() + "/format/XML"));
    m_queue = std::make_unique<ScrollAreaforBar>(nullptr);
}

void TestMapping::init()
{
    orvfake::reset();
    m_source = m_dir.filePath("clip.mov");
    QFile file(m_source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
}

orvfake::MediaFacts TestMapping::defaultFacts()
{
    orvfake::MediaFacts facts;
    facts.width = 1920;
    facts.height = 1080;
    facts.sampleRate = 48000;
    facts.channels = 2;
    facts.durationUs = 60 * kSecond;
    return facts;
}

std::unique_ptr<VideoConvertBar> TestMapping::makeTask(const Profile& p, const orvfake::MediaFacts& facts)
{
    // A fresh profile file per task, chosen as the current format, so the
    // task reads exactly these values when it is probed.
    const QString name = QString("mapping_%1.xml").arg(++m_profileCount);
    QFile file(GobelItemChunk::profilePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return nullptr;
    QXmlStreamWriter xml(&file);
    xml.writeStartDocument();
    xml.writeStartElement("Profile");
    xml.writeAttribute("OnlyAudio", p.isVideo ? "N" : "Y");
    xml.writeStartElement("TEMP_QUALITY_VALUE");
    xml.writeAttribute("V_Encoder", p.vEncoder);
    xml.writeAttribute("V_Resolution", p.vResolution);
    xml.writeAttribute("V_FrameRate", p.vFrameRate);
    xml.writeAttribute("V_BitRate", p.vBitRate);
    xml.writeAttribute("A_Encoder", p.aEncoder);
    xml.writeAttribute("A_Channel", p.aChannel);
    xml.writeAttribute("A_SampleRate", p.aSampleRate);
    xml.writeAttribute("A_BitRate", p.aBitRate);
    xml.writeEndElement();
    xml.writeStartElement("VIDIO_FOMAT_INFO");
    xml.writeAttribute("V_Format", p.vFormat);
    xml.writeAttribute("V_Extend", p.vFormat.toLower());
    xml.writeEndElement();
    xml.writeEndDocument();
    file.close();
    g_itemChunk.setNames("MP4.png", "Test", name);

    orvfake::setMedia(m_source.toStdString(), facts);
    auto task = std::make_unique<VideoConvertBar>(nullptr);
    task->setFile(m_source);
    return task;
}

bool TestMapping::edit(VideoConvertBar* task, const std::function<void(QVideoEditDlg*)>& act, int result)
{
    bool seen = false;
    QTimer watcher;
    watcher.setInterval(5);
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto* editor = qobject_cast<QVideoEditDlg*>(QApplication::activeModalWidget());
        if (!editor || seen)
            return;
        seen = true;
        act(editor);
        editor->done(result);
    });
    watcher.start();
    task->OnEditVideo();
    return seen;
}

void TestMapping::mapBoth(VideoConvertBar* task, QStringList& own, QStringList& queued)
{
    orvfake::clearCalls();
    Config first = Config_Create();
    task->setConverterConfig(first, task);
    own = withoutCreate(orvfake::calls("Config_"));

    orvfake::clearCalls();
    Config second = Config_Create();
    m_queue->setConverterConfig(second, task, task->TargetInfo());
    const QString label = QString::fromStdString(orvfake::label(second));
    for (QString line : withoutCreate(orvfake::calls("Config_")))
        queued << line.replace("(" + label + ",", "(" + QString::fromStdString(orvfake::label(first)) + ",");
    Config_Release(first);
    Config_Release(second);
}

void TestMapping::fullSequenceInOrder()
{
    // The editor takes the first program with streams, here the second.
    orvfake::MediaFacts facts = defaultFacts();
    orvfake::Program empty;
    empty.videoCount = 0;
    empty.audio.clear();
    orvfake::Program full;
    full.audio.assign(3, orvfake::Track{});
    full.subtitles.assign(3, orvfake::Track{});
    facts.programs = {empty, full};
    auto task = makeTask(Profile(), facts);
    QVERIFY(task);

    CropSettings crop;
    crop.ratio_type = Ratio_16_9;
    crop.fill_type = 0;
    crop.aspect_width = 16;
    crop.aspect_height = 9;
    crop.rotate = 270;
    crop.mirror = 1;
    crop.pad = 1;
    crop.pad_color = 0xFF102030u;
    crop.crop_x = 0.125;
    crop.crop_y = 0.25;
    crop.crop_w = 0.5;
    crop.crop_h = 0.625;

    WatermarkTextSettings text;
    text.text = "Mark";
    text.alpha = 150;
    text.scale_x = 90;
    text.scale_y = 80;
    text.pos_x = 500;
    text.pos_y = 250;
    text.topmost = 0;
    text.font_family = "Serif";
    text.font_size = 30;
    text.italic = 1;
    text.strikeout = 1;
    text.text_color = 0xFF0000FFu;
    text.shadow_color = 0x40000000u;
    text.outline_color = 0xFF00FF00u;
    text.shadow_offset = 2000;
    text.outline_size = 750;
    WatermarkImageSettings image;
    image.image_file = "/pictures/logo.png";
    image.alpha = 100;
    image.scale_x = 50;
    image.scale_y = 60;
    image.pos_x = 100;
    image.pos_y = 900;

    SubtitleSettings style;
    style.alpha = 200;
    style.scale_x = 110;
    style.scale_y = 120;
    style.delay = -1500;
    style.font_family = "@Sans";
    style.font_size = 20;
    style.bold = 1;
    style.underline = 1;
    style.text_color = 0x11223344u;
    style.shadow_color = 0x55667788u;
    style.outline_color = 0x99AABBCCu;
    style.shadow_offset = 250;
    style.outline_size = 1500;
    SubtitleValueInfo streams{1, 2, 1, 3, QString()};
    QVERIFY(edit(
        task.get(),
        [&](QVideoEditDlg* editor) {
            editor->IninSubtlSettingDlg(style);
            editor->SetSubtitleInfo(streams);
        },
        QDialog::Accepted));
    // The picture and watermark records go in as a task holds them, not as
    // the editor would recompute them for this clip.
    task->setEditSetting(crop);
    task->setWaterSetting(text, image);

    QStringList own, queued;
    mapBoth(task.get(), own, queued);
    const QStringList expected = {
        "Config_SetVideoFormat(C1, 28)",
        "Config_SetVideoSize(C1, 1280, 720)",
        "Config_SetVideoBitRate(C1, 2000)",
        "Config_SetVideoFrameRate(C1, 25, 1)",
        "Config_SetAudioFormat(C1, 86018)",
        "Config_SetAudioChannels(C1, 2)",
        "Config_SetAudioSampleRate(C1, 44100)",
        "Config_SetAudioBitRate(C1, 128)",
        "Config_SetAudioVolume(C1, 100)",
        "Config_SetVideoAspectRatio(C1, 16, 9)",
        "Config_SetVideoRotate(C1, 270)",
        "Config_SetVideoMirror(C1, 1)",
        "Config_SetVideoPadAndColor(C1, 1, 0xFF102030)",
        "Config_SetVideoCropf(C1, 0.125, 0.25, 0.5, 0.625)",
        "Config_SetProgrIndex(C1, 1)",
        "Config_SetAudioIndex(C1, 2)",
        "Config_SetSubtlIndex(C1, 0)",
        "Config_SetSubtlAlpha(C1, 200)",
        "Config_SetSubtlScale(C1, 110, 120)",
        "Config_SetSubtlDelay(C1, -1500000)",
        "Config_SetSubtlTextFont(C1, \"Sans\")",
        "Config_SetSubtlTextBold(C1, 1)",
        "Config_SetSubtlTextItalic(C1, 0)",
        "Config_SetSubtlTextUnderline(C1, 1)",
        "Config_SetSubtlTextStrikeout(C1, 0)",
        "Config_SetSubtlTextSize(C1, 20)",
        "Config_SetSubtlTextColor(C1, 0x11223344)",
        "Config_SetSubtlTextShadowColor(C1, 0x55667788)",
        "Config_SetSubtlTextOutlineColor(C1, 0x99AABBCC)",
        "Config_SetSubtlTextShadowOffset(C1, 0.25)",
        "Config_SetSubtlTextOutlineSize(C1, 1.5)",
        "Config_SetWatermarkText(C1, \"Mark\")",
        "Config_SetWatermarkImageFile(C1, \"/pictures/logo.png\")",
        "Config_SetWatermarkTextFont(C1, \"Serif\")",
        "Config_SetWatermarkTextAlpha(C1, 150)",
        "Config_SetWatermarkTextScale(C1, 90, 80)",
        "Config_SetWatermarkTextSize(C1, 30)",
        "Config_SetWatermarkTextBold(C1, 0)",
        "Config_SetWatermarkTextItalic(C1, 1)",
        "Config_SetWatermarkTextUnderline(C1, 0)",
        "Config_SetWatermarkTextStrikeout(C1, 1)",
        "Config_SetWatermarkTextColor(C1, 0xFF0000FF)",
        "Config_SetWatermarkTextShadowColor(C1, 0x40000000)",
        "Config_SetWatermarkTextOutlineColor(C1, 0xFF00FF00)",
        "Config_SetWatermarkTextShadowOffset(C1, 2)",
        "Config_SetWatermarkTextOutlineSize(C1, 0.75)",
        "Config_SetWatermarkTextPosition(C1, 0.5, 0.25)",
        "Config_SetWatermarkTextLayerTopmost(C1, 0)",
        "Config_SetWatermarkImageAlpha(C1, 100)",
        "Config_SetWatermarkImageScale(C1, 50, 60)",
        "Config_SetWatermarkImagePosition(C1, 0.1, 0.9)",
    };
    QCOMPARE(own, expected);
    QCOMPARE(queued, own);
}

void TestMapping::editHandOff_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<unsigned long long>("trimBegin");
    QTest::addColumn<unsigned long long>("trimEnd");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<unsigned long long>("begin");
    QTest::addColumn<unsigned long long>("end");

    QTest::newRow("ok") << int(QDialog::Accepted) << 10 * kSecond << 40 * kSecond << true << 10 * kSecond
                        << 40 * kSecond;
    // An inverted range would wrap the trim length round: the trim is kept.
    QTest::newRow("ok, end before start")
        << int(QDialog::Accepted) << 40 * kSecond << 10 * kSecond << true << 0ull << 60 * kSecond;
    QTest::newRow("cancel") << int(QDialog::Rejected) << 10 * kSecond << 40 * kSecond << false << 0ull
                            << 60 * kSecond;
    QTest::newRow("other result") << 7 << 10 * kSecond << 40 * kSecond << false << 0ull << 60 * kSecond;
}

void TestMapping::editHandOff()
{
    QFETCH(int, result);
    QFETCH(unsigned long long, trimBegin);
    QFETCH(unsigned long long, trimEnd);
    QFETCH(bool, taken);
    QFETCH(unsigned long long, begin);
    QFETCH(unsigned long long, end);

    auto task = makeTask(Profile());
    QVERIFY(task);
    CropSettings crop;
    crop.rotate = 90;
    task->setEditSetting(crop);
    WatermarkTextSettings text;
    text.text = "before";
    task->setWaterSetting(text, WatermarkImageSettings());
    const QString lengthBefore = task->m_laterInfoWidget->m_length->text();

    if (taken && trimEnd < trimBegin)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("inverted trim range"));
    bool handedIn = false;
    QVERIFY(edit(
        task.get(),
        [&](QVideoEditDlg* editor) {
            CropSettings c;
            WatermarkTextSettings t;
            editor->GetEditSettings(c);
            editor->GetWatermarkTextSettings(t);
            handedIn = c.rotate == 90 && t.text == "before" && editor->GetStartTime() == 0
                && editor->GetEndTime() == 60 * kSecond;
            c.rotate = 180;
            t.text = "after";
            editor->IninEditSettingDlg(c);
            editor->IninTextSettingsDlg(t);
            editor->SetTrimTime(trimBegin, trimEnd, true);
        },
        result));
    QVERIFY(handedIn);

    CropSettings c;
    WatermarkTextSettings t;
    task->getCropSettings(c);
    task->getWatermarkTextSettings(t);
    QCOMPARE(c.rotate, taken ? 180 : 90);
    QCOMPARE(t.text, QString(taken ? "after" : "before"));
    QCOMPARE(task->getBeginTime(), begin);
    QCOMPARE(task->getEndTime(), end);
    if (taken) {
        QCOMPARE(task->m_laterInfoWidget->m_time->text(), getTime(end - begin));
        // 2000 + 128 kbps over the trimmed length.
        const unsigned long long bytes = 2128ull * ((end - begin) / kSecond) * 1000 / 8;
        QCOMPARE(task->m_laterInfoWidget->m_length->text(), QIAppUtil::size2String(bytes));
    } else {
        QCOMPARE(task->m_laterInfoWidget->m_length->text(), lengthBefore);
    }

    // The edit is reported whatever it ends with.
    QTRY_VERIFY([&] {
        QFile log(m_eventLog);
        return log.open(QIODevice::ReadOnly) && log.readAll().contains("event=11624 value=0");
    }());
}

void TestMapping::editApplyToAllIsForwarded()
{
    auto task = makeTask(Profile());
    QVERIFY(task);
    QSignalSpy crops(task.get(), &VideoConvertBar::seedEditSetting);
    QSignalSpy waters(task.get(), &VideoConvertBar::seedWaterSetting);

    CropSettings applied;
    applied.mirror = 1;
    WatermarkTextSettings text;
    text.text = "to all";
    WatermarkImageSettings image;
    image.image_file = "/pictures/logo.png";
    QVERIFY(edit(
        task.get(),
        [&](QVideoEditDlg* editor) {
            emit editor->seedApplyEditSetting(applied);
            emit editor->seedApplyWaterSetting(text, image);
        },
        QDialog::Rejected));

    QCOMPARE(crops.count(), 1);
    QCOMPARE(crops.at(0).at(0).value<CropSettings>().mirror, 1);
    QCOMPARE(waters.count(), 1);
    QCOMPARE(waters.at(0).at(0).value<WatermarkTextSettings>().text, QString("to all"));
    QCOMPARE(waters.at(0).at(1).value<WatermarkImageSettings>().image_file, QString("/pictures/logo.png"));
    // Without the queue nothing brings the records back to this task.
    CropSettings own;
    task->getCropSettings(own);
    QCOMPARE(own.mirror, 0);
}

void TestMapping::editUnopenableFileSaysNotSupported()
{
    auto task = makeTask(Profile());
    QVERIFY(task);
    CropSettings crop;
    crop.rotate = 270;
    task->setEditSetting(crop);
    // The engine no longer knows the file, as when it has been deleted.
    orvfake::reset();

    QString text, title;
    bool editorSeen = false;
    QTimer watcher;
    watcher.setInterval(5);
    connect(&watcher, &QTimer::timeout, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (qobject_cast<QVideoEditDlg*>(modal))
            editorSeen = true;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            text = box->text();
            title = box->windowTitle();
            box->accept();
        }
    });
    watcher.start();
    task->OnEditVideo();

    QCOMPARE(text, QString("Not Supported!"));
    QCOMPARE(title, QString());
    QVERIFY(!editorSeen);
    CropSettings kept;
    task->getCropSettings(kept);
    QCOMPARE(kept.rotate, 270);
}

void TestMapping::previewOnlyForExistingSource()
{
    auto task = makeTask(Profile());
    QVERIFY(task);
    QSignalSpy plays(task.get(), &VideoConvertBar::emitVideoPlay);
    task->SlotPreviewPlay();
    QCOMPARE(plays.count(), 1);
    QCOMPARE(plays.at(0).at(0).toString(), m_source);

    QVERIFY(QFile::remove(m_source));
    task->SlotPreviewPlay();
    QCOMPARE(plays.count(), 1);
}

void TestMapping::customizeTime_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<unsigned long long>("begin");
    QTest::addColumn<unsigned long long>("end");

    QTest::newRow("ok") << int(QMessageBox::Ok) << 10 * kSecond << 40 * kSecond;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << 0ull << 60 * kSecond;
}

void TestMapping::customizeTime()
{
    QFETCH(int, result);
    QFETCH(unsigned long long, begin);
    QFETCH(unsigned long long, end);

    auto task = makeTask(Profile());
    QVERIFY(task);
    bool limitsRight = false;
    bool seen = false;
    QTimer watcher;
    watcher.setInterval(5);
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        const auto edits = dialog->findChildren<QTimeEdit*>();
        if (edits.size() != 2)
            return dialog->done(0);
        QTimeEdit* from = edits.at(0);
        QTimeEdit* to = edits.at(1);
        limitsRight = dialog->windowTitle() == "Customize" && from->time() == QTime(0, 0)
            && to->time() == QTime(0, 1) && from->maximumTime() == QTime(0, 0, 59)
            && to->maximumTime() == QTime(0, 1);
        to->setTime(QTime(0, 0, 40));
        from->setTime(QTime(0, 0, 10));
        // The start pushes the end to at least a second after it.
        limitsRight = limitsRight && to->minimumTime() == QTime(0, 0, 11);
        dialog->done(result);
    });
    watcher.start();
    task->SlotCutTime();

    QVERIFY(seen);
    QVERIFY(limitsRight);
    QCOMPARE(task->getBeginTime(), begin);
    QCOMPARE(task->getEndTime(), end);
}

QTEST_MAIN(TestMapping)
#include "tst_mapping.moc"
