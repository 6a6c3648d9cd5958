// The editor as the queue's tasks use it: the default records a new task
// takes from a hidden editor, "Apply to all" reaching every task, and what
// the hidden editor costs per added file.
#include "HiddenEditorCost.h"

#include "CommonDialog.h"
#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "QCropOperateDlg.h"
#include "QVideoEditDlg.h"
#include "QWatermarkOperateDlg.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "formats/GobelItemChunk.h"
#include "orvalta_fake_control.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace queuetest;

class TestEditorQueue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void defaultRecords_data();
    void defaultRecords();
    void applyToAllReachesEveryTaskDuringRun();
    void hiddenEditorCost();

private:
    QString media(const QString& name, const orvfake::MediaFacts& facts = orvfake::MediaFacts());
    std::unique_ptr<QueueUnderTest> queueWith(const QStringList& files);

    QTemporaryDir m_dir;
};

void TestEditorQueue::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("LUMIVANE_EVENT_LOG", m_dir.filePath("events.log").toLocal8Bit());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));
}

void TestEditorQueue::init()
{
    orvfake::reset();
    g_Configure.m_bMerge = false;
    g_Configure.m_strOutputFolder = m_dir.filePath("out");
    g_itemChunk.setNames("MP4.png", "MP4", "MP4 Video.xml");
}

QString TestEditorQueue::media(const QString& name, const orvfake::MediaFacts& facts)
{
    const QString path = m_dir.filePath(name);
    writeBytes(path, 2048);
    orvfake::setMedia(path.toStdString(), facts);
    return path;
}

std::unique_ptr<QueueUnderTest> TestEditorQueue::queueWith(const QStringList& files)
{
    auto queue = std::make_unique<QueueUnderTest>(nullptr);
    queue->resize(900, 600);
    queue->show();
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    drop(queue.get(), urls);
    for (VideoConvertBar* bar : queue->barList())
        bar->convertTimer()->blockSignals(true);
    return queue;
}

void TestEditorQueue::defaultRecords_data()
{
    QTest::addColumn<int>("subtitles");
    QTest::addColumn<int>("audio");
    QTest::addColumn<bool>("known");
    QTest::addColumn<SubtitleValueInfo>("expected");
    QTest::newRow("two subtitles: the first is burnt in")
        << 2 << 1 << true << SubtitleValueInfo{0, 0, 1, 2, {}};
    QTest::newRow("no subtitles") << 0 << 1 << true << SubtitleValueInfo{0, 0, 0, 0, {}};
    QTest::newRow("no audio") << 0 << 0 << true << SubtitleValueInfo{0, -1, 0, 0, {}};
    QTest::newRow("unreadable file") << 0 << 1 << false << SubtitleValueInfo{-1, -1, -1, 0, {}};
}

void TestEditorQueue::defaultRecords()
{
    QFETCH(int, subtitles);
    QFETCH(int, audio);
    QFETCH(bool, known);
    QFETCH(SubtitleValueInfo, expected);
    const QString path = m_dir.filePath("defaults.mov");
    writeBytes(path, 2048);
    if (known) {
        orvfake::MediaFacts facts;
        facts.programs[0].subtitles.assign(size_t(subtitles), orvfake::Track{});
        facts.programs[0].audio.assign(size_t(audio), orvfake::Track{});
        orvfake::setMedia(path.toStdString(), facts);
    }
    VideoConvertBar task(nullptr);
    task.setFile(path);
    task.slotSetEditInfo();

    SubtitleValueInfo streams;
    task.getSubtitleValueInfo(streams);
    QCOMPARE(streams.program_index, expected.program_index);
    QCOMPARE(streams.audio_index, expected.audio_index);
    QCOMPARE(streams.subtitle_index, expected.subtitle_index);
    QCOMPARE(streams.subtitle_count, expected.subtitle_count);
    CropSettings crop;
    task.getCropSettings(crop);
    QCOMPARE(crop.pad, 1);
    QCOMPARE(crop.crop_w, 1.0);
    WatermarkTextSettings text;
    task.getWatermarkTextSettings(text);
    QVERIFY(text.text.isEmpty());
    QCOMPARE(text.font_size, 36);

    // Converting such a task never asks for silence or a missing stream.
    Config config = Config_Create();
    orvfake::clearCalls();
    task.setConverterConfig(config, &task);
    Config_Release(config);
    const auto settings = orvfake::calls("Config_SetAudioIndex");
    QCOMPARE(QString::fromStdString(settings.at(0)),
             QString("Config_SetAudioIndex(C1, %1)").arg(expected.audio_index));
    QVERIFY(orvfake::calls("Config_SetSubtlFile").empty());
}

void TestEditorQueue::applyToAllReachesEveryTaskDuringRun()
{
    orvfake::JobScript never;
    never.polls = -1;
    orvfake::setJobScript(never);
    auto queue = queueWith({media("a.mov"), media("b.mov"), media("c.mov")});
    QCOMPARE(queue->barList().size(), 3);
    ModalWatcher runDialogs([](QWidget* modal) {
        if (auto* question = qobject_cast<CommonDialog*>(modal)) {
            question->m_btnOK->click();
            return true;
        }
        return false;
    });
    queue->StartConvert();
    queue->SetConvertState(true);
    // a job opens off the GUI thread, so the task converts shortly after
    QTRY_COMPARE(queue->barList().at(0)->GetCurrentState(), State_Converting);

    SubtitleSettings style;
    style.delay = 700;
    VideoConvertBar* edited = queue->barList().at(2);
    bool seen = false;
    ModalWatcher editor([&](QWidget* modal) {
        auto* dlg = qobject_cast<QVideoEditDlg*>(modal);
        if (!dlg)
            return false;
        seen = true;
        dlg->OnCropBtn();
        dlg->cropPanel()->m_btnRightRotate->click();
        dlg->cropPanel()->m_btnApply->click();
        dlg->OnWatermarkBtn();
        dlg->watermarkPanel()->m_editText->setText("everywhere");
        dlg->watermarkPanel()->m_btnApply->click();
        dlg->IninSubtlSettingDlg(style);
        dlg->m_btnCancel->click();
        return true;
    });
    edited->OnEditVideo();
    QVERIFY(seen);

    // Every task has both, the converting ones and the edited one, though
    // the editor ended with Cancel; the subtitle style stayed in the editor.
    for (VideoConvertBar* bar : queue->barList()) {
        CropSettings crop;
        WatermarkTextSettings text;
        SubtitleSettings subtitle;
        bar->getCropSettings(crop);
        bar->getWatermarkTextSettings(text);
        bar->getSubtitleSettings(subtitle);
        QCOMPARE(crop.rotate, 90);
        QCOMPARE(text.text, QString("everywhere"));
        QCOMPARE(text.border, 1); // the preview's frame; a conversion never draws it
        QCOMPARE(subtitle.delay, 0);
    }
    queue->CancelConvert();
}

void TestEditorQueue::hiddenEditorCost()
{
    QStringList files;
    for (int i = 0; i < 20; ++i)
        files << media(QString("cost%1.mov").arg(i));
    const HiddenEditorCost cost = measureHiddenEditorCost(files);
    QCOMPARE(cost.added, 20);
    figures::report("editor.hidden_cost_ratio", cost.ratio(), "ratio", 1.2);
}

QTEST_MAIN(TestEditorQueue)
#include "tst_editor_queue.moc"
