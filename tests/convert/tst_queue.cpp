// The queue's add path against the recording engine: which files are taken,
// the add-progress dialog, cancelling, the rows' texts and thumbnails, and
// the empty-queue hint.

#include "QueueTestUtil.h"

#include "../ResourceCopy.h"

#include "AddFileThread.h"
#include "CSingleVersionStringUtil.h"
#include "ProgresssDialog.h"
#include "QIAppUtil.h"
#include "ScrollAreaforBar.h"
#include "ScrollareaContentWidget.h"
#include "VideoConvertBar.h"
#include "files/DataFile.h"
#include "formats/GobelItemChunk.h"
#include "orvalta_fake_control.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMutex>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWaitCondition>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace queuetest;

class TestQueue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void supportedSuffix_data();
    void supportedSuffix();
    void dropTakesAcceptedLocalFiles();
    void dropOfNothingAcceptedShowsMessageOnce();
    void addDialogAddsAndRemembersFolder();
    void cancel_data();
    void cancel();
    void probedRowTexts_data();
    void probedRowTexts();
    void unreadableFileStillBecomesARow();
    void thumbnailCopyChecksHeader_data();
    void thumbnailCopyChecksHeader();
    void numberFromText_data();
    void numberFromText();
    void hintText();

private:
    QString file(const QString& name, int size = 2048);
    void setAcceptedInput(const QString& value);
    std::unique_ptr<QueueUnderTest> makeQueue();

    ResourceCopy m_resources; // the product information and profiles are changed
    QTemporaryDir m_dir;
    QString m_iniPath;
    QString m_eventLog;
};

void TestQueue::initTestCase()
{
    QVERIFY(m_resources.isValid());
    QVERIFY(m_dir.isValid());
    m_eventLog = m_dir.filePath("events.log");
    qputenv("LUMIVANE_EVENT_LOG", m_eventLog.toLocal8Bit());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));

    m_iniPath = QIAppUtil::getResourcePath() + "/versionInfo.ini";
}

void TestQueue::init()
{
    orvfake::reset();
    setAcceptedInput("Media (*.mp4 *.mov *.MOV)");
}

QString TestQueue::file(const QString& name, int size)
{
    const QString path = m_dir.filePath(name);
    writeBytes(path, size);
    return path;
}

void TestQueue::setAcceptedInput(const QString& value)
{
    QFile ini(m_iniPath);
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[Info]\nformat=\"" + value.toUtf8() + "\"\n");
    ini.close();
    CSingleVersionStringUtil::ClearLinkMap();
}

std::unique_ptr<QueueUnderTest> TestQueue::makeQueue()
{
    auto queue = std::make_unique<QueueUnderTest>(nullptr);
    queue->resize(900, 500);
    queue->show();
    return queue;
}

void TestQueue::supportedSuffix_data()
{
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("taken");
    QTest::newRow("listed") << "*.mp4 *.mov"
                            << "/m/a.mov" << true;
    QTest::newRow("not listed") << "*.mp4 *.mov"
                                << "/m/a.avi" << false;
    QTest::newRow("case differs") << "*.mp4"
                                  << "/m/a.MP4" << false;
    QTest::newRow("substring of a listed suffix") << "*.mp4"
                                                  << "/m/a.mp" << true;
    QTest::newRow("no suffix") << "*.mp4"
                               << "/m/clip" << true;
    QTest::newRow("empty value takes all") << ""
                                           << "/m/a.xyz" << true;
}

void TestQueue::supportedSuffix()
{
    QFETCH(QString, accepted);
    QFETCH(QString, path);
    QFETCH(bool, taken);
    setAcceptedInput(accepted);
    QCOMPARE(ScrollAreaforBar::iSSupportFile(path), taken);
}

void TestQueue::dropTakesAcceptedLocalFiles()
{
    const QString a = file("a.mp4");
    const QString refused = file("notes.txt");
    const QString d = file("d.mov");
    orvfake::setMedia(a.toStdString(), orvfake::MediaFacts{});
    orvfake::setMedia(d.toStdString(), orvfake::MediaFacts{});

    auto queue = makeQueue();
    auto* hint = queue->m_WidgetContents;
    QVERIFY(hint->m_labelImage->isVisible());
    QSignalSpy hasVideo(queue.get(), &ScrollAreaforBar::signalHasVideo);

    QVERIFY(drop(queue.get(),
                 {QUrl::fromLocalFile(a), QUrl::fromLocalFile(refused), QUrl("http://example.com/c.mp4"),
                  QUrl::fromLocalFile(d)}));

    QCOMPARE(queue->barList().size(), 2);
    QCOMPARE(queue->barList().at(0)->File(), a);
    QCOMPARE(queue->barList().at(1)->File(), d);
    // The dialog closed itself at the last accepted file, before 100 %.
    QVERIFY(!queue->progressDialog()->isVisible());
    QCOMPARE(queue->progressDialog()->m_labProgress->text(), QString("Adding 2 of 4 file"));
    QCOMPARE(queue->progressDialog()->m_progressBar->getValue(), 50);
    QCOMPARE(queue->progressDialog()->m_labname->text(), d);
    QVERIFY(!hint->m_labelImage->isVisible());
    QVERIFY(!hint->m_labImageText->isVisible());
    QCOMPARE(hasVideo.count(), 2);
    QVERIFY(hasVideo.at(0).at(0).toBool());

    // Each row went into the layout in file order and is shown.
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(queue->Layout->itemAt(i)->widget(), queue->barList().at(i));
        QVERIFY(queue->barList().at(i)->isVisible());
    }

    // The drop and both probes are recorded as usage events.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QFile log(m_eventLog);
            if (!log.open(QIODevice::ReadOnly))
                return false;
            const QByteArray text = log.readAll();
            return text.contains("11603") && text.count("11602") >= 2 && text.count("11604") >= 2;
        }(),
        5000);
}

void TestQueue::dropOfNothingAcceptedShowsMessageOnce()
{
    const QString x = file("x.avi");
    const QString y = file("y.mkv");
    auto queue = makeQueue();

    int boxes = 0;
    QString boxText;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return false;
        ++boxes;
        boxText = box->text();
        box->accept();
        return true;
    });
    QVERIFY(!drop(queue.get(),
                  {QUrl::fromLocalFile(x), QUrl::fromLocalFile(y), QUrl("http://example.com/z.mp4")}));

    QCOMPARE(boxes, 1);
    QCOMPARE(boxText,
             QString("Oops! This format is not supported. To convert it, please use Lumivane Vantoria"));
    QVERIFY(queue->barList().isEmpty());
    QVERIFY(queue->m_WidgetContents->m_labelImage->isVisible());
}

void TestQueue::addDialogAddsAndRemembersFolder()
{
    QDir(m_dir.path()).mkpath("picked");
    const QString folder = m_dir.filePath("picked");
    const QString first = folder + "/one.mov";
    const QString refused = folder + "/two.txt";
    const QString third = folder + "/three.mp4";
    writeBytes(first, 100);
    writeBytes(refused, 100);
    writeBytes(third, 100);
    orvfake::setMedia(first.toStdString(), orvfake::MediaFacts{});
    orvfake::setMedia(third.toStdString(), orvfake::MediaFacts{});

    auto queue = makeQueue();
    ScrollAreaforBar::open_path = folder;

    // Cancelling the dialog adds nothing and stores the folder unchanged.
    {
        ModalWatcher watcher([](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog)
                dialog->reject();
            return dialog != nullptr;
        });
        queue->addFileForBar();
    }
    QVERIFY(queue->barList().isEmpty());
    QCOMPARE(QSettings("kestrova", "Tessalune").value("last_path").toString(), folder);

    QString filter;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return false;
        filter = dialog->nameFilters().join(";;");
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("\"one.mov\" \"two.txt\" \"three.mp4\"");
        QMetaObject::invokeMethod(dialog, "accept");
        return true;
    });
    queue->addFileForBar();

    QCOMPARE(filter, QString("Media (*.mp4 *.mov *.MOV)"));
    QCOMPARE(queue->barList().size(), 2);
    QStringList added{queue->barList().at(0)->File(), queue->barList().at(1)->File()};
    added.sort();
    QStringList expected{first, third};
    expected.sort();
    QCOMPARE(added, expected);
    QCOMPARE(ScrollAreaforBar::open_path, folder);
    QCOMPARE(QSettings("kestrova", "Tessalune").value("last_path").toString(), folder);

    // A new queue starts the dialog in the remembered folder.
    ScrollAreaforBar::open_path = ".";
    ScrollAreaforBar again(nullptr);
    QCOMPARE(ScrollAreaforBar::open_path, folder);
}

namespace {
// Holds every reader of one data file at its read until let go.
class ReadHold
{
public:
    explicit ReadHold(const QString& path)
    {
        DataFile::setReadHook([this, path](const QString& read) {
            if (read != path)
                return;
            QMutexLocker lock(&m_mutex);
            m_reading = true;
            while (!m_open)
                m_let.wait(&m_mutex);
        });
    }
    ~ReadHold()
    {
        DataFile::setReadHook(nullptr);
        QMutexLocker lock(&m_mutex);
        m_open = true;
        m_let.wakeAll();
    }
    // Lets the held reader go; false while none has come.
    bool letGo()
    {
        QMutexLocker lock(&m_mutex);
        if (!m_reading)
            return false;
        m_open = true;
        m_let.wakeAll();
        return true;
    }

private:
    QMutex m_mutex;
    QWaitCondition m_let;
    bool m_reading = false;
    bool m_open = false;
};
} // namespace

void TestQueue::cancel_data()
{
    QTest::addColumn<int>("deliveredBeforeCancel");
    QTest::newRow("while the first probe is under way") << 0;
    QTest::newRow("after two of four") << 2;
}

void TestQueue::cancel()
{
    QFETCH(int, deliveredBeforeCancel);
    QList<QUrl> urls;
    for (int i = 0; i < 4; ++i) {
        const QString path = file(QString("c%1.mp4").arg(i));
        orvfake::setMedia(path.toStdString(), orvfake::MediaFacts{});
        urls << QUrl::fromLocalFile(path);
    }

    // To cancel during a probe, the probe is held at the read of its
    // profile until after the cancel.
    const QString profiles = QIAppUtil::getResourcePath() + "/format/XML/";
    const QString held = profiles + "Held.xml";
    std::unique_ptr<ReadHold> hold;
    if (deliveredBeforeCancel == 0) {
        QFile::remove(held);
        QVERIFY(QFile::copy(profiles + "MP4 Video.xml", held));
        hold = std::make_unique<ReadHold>(held);
        g_itemChunk.setNames("MP4.png", "MP4", "Held.xml");
    }
    bool fed = deliveredBeforeCancel != 0;
    // Even when a check fails, the held probe is let go and later adds read
    // the normal profile: a worker left waiting holds the test.
    const auto release = [&] {
        for (int i = 0; i < 100 && !fed; ++i) {
            fed = hold->letGo();
            if (!fed)
                QTest::qWait(50);
        }
        g_itemChunk.setNames("MP4.png", "MP4", "MP4 Video.xml");
        QFile::remove(held);
    };

    auto queue = makeQueue();
    // Runs before the queue goes, which waits for its worker.
    auto onFailure = qScopeGuard(release);
    QSignalSpy hasVideo(queue.get(), &ScrollAreaforBar::signalHasVideo);
    int cancels = 0;
    {
        ModalWatcher watcher([&](QWidget* modal) {
            auto* dialog = qobject_cast<ProgresssDialog*>(modal);
            if (!dialog || queue->barList().size() < deliveredBeforeCancel)
                return false;
            ++cancels;
            dialog->m_btnCancel->click();
            return true;
        });
        drop(queue.get(), urls);
    }
    QCOMPARE(cancels, 1);
    QVERIFY(!queue->progressDialog()->isVisible());

    // The worker finishes the probe under way, delivers nothing more and ends.
    QTRY_VERIFY_WITH_TIMEOUT((fed = fed || hold->letGo()) && !queue->addFileThread()->isRunning(), 20000);
    QTest::qWait(50);
    onFailure.dismiss();
    release();

    QCOMPARE(queue->barList().size(), deliveredBeforeCancel);
    QCOMPARE(queue->Layout->count(), deliveredBeforeCancel);
    for (int i = 0; i < deliveredBeforeCancel; ++i)
        QCOMPARE(queue->barList().at(i)->File(), urls.at(i).toLocalFile());
    // The rows that never arrived are deleted, none twice.
    QCOMPARE(queue->findChildren<VideoConvertBar*>().size(), deliveredBeforeCancel);

    const bool empty = deliveredBeforeCancel == 0;
    QCOMPARE(queue->m_WidgetContents->m_labelImage->isVisible(), empty);
    QCOMPARE(hasVideo.last().at(0).toBool(), !empty);

    // The queue takes the next add normally.
    drop(queue.get(), {urls.at(3)});
    QCOMPARE(queue->barList().size(), deliveredBeforeCancel + 1);
    QCOMPARE(queue->barList().last()->File(), urls.at(3).toLocalFile());
}

void TestQueue::probedRowTexts_data()
{
    QTest::addColumn<bool>("canSeek");
    QTest::addColumn<QString>("thumbnailTime");
    QTest::newRow("seekable: a third in") << true << "20300000";
    QTest::newRow("not seekable: at 10 s") << false << "10000000";
}

void TestQueue::probedRowTexts()
{
    QFETCH(bool, canSeek);
    QFETCH(QString, thumbnailTime);
    const QString path = file("clip.MOV", 3 * 1024 * 1024 / 2);
    orvfake::MediaFacts facts;
    facts.durationUs = 60900000;
    facts.width = 640;
    facts.height = 360;
    facts.frameRate = 29.97;
    facts.videoBitRate = 1500000;
    facts.sampleRate = 44100;
    facts.channels = 2;
    facts.audioBitRate = 128000;
    facts.canSeek = canSeek;
    facts.pictureArgb = 0xFF3366CC;
    orvfake::setMedia(path.toStdString(), facts);

    auto queue = makeQueue();
    drop(queue.get(), {QUrl::fromLocalFile(path)});
    QCOMPARE(queue->barList().size(), 1);
    VideoConvertBar* row = queue->barList().first();

    const VideoInfo* source = row->m_beforeInfoWidget;
    QCOMPARE(source->m_videoNameLab->getName(), QString("clip.MOV"));
    QVERIFY(!source->m_editButton->isVisible());
    QCOMPARE(source->m_videoNameLab->pos(), QPoint(10, 10));
    QCOMPARE(source->m_length->text(), QString("1.50 MB"));
    QCOMPARE(source->m_time->text(), QString("00:01:00"));
    QCOMPARE(source->m_format->text(), QString("MOV"));
    QCOMPARE(source->m_size->text(), QString("640*360"));

    // The default format is MP4 (3000 + 128 kbps): whole seconds of the
    // length times the rates.
    const VideoInfo* target = row->m_laterInfoWidget;
    QCOMPARE(target->m_videoNameLab->getName(), QString("clip.mp4"));
    QVERIFY(target->m_editButton->isVisible());
    QCOMPARE(target->m_format->text(), QString("MP4"));
    // The profile's current size, not the source's.
    QCOMPARE(target->m_size->text(), QString("1280*720"));
    QCOMPARE(target->m_time->text(), QString("00:01:00"));
    QCOMPARE(target->m_length->text(), QIAppUtil::size2String(3128ull * 60 * 125));

    const Convertinfo& info = row->SourceInfo();
    QCOMPARE(info.V_FrameRate, QString("29 FPS"));
    QCOMPARE(info.V_BitRate, QString("1500 kbps"));
    QCOMPARE(info.A_BitRate, QString("128 kbps"));
    QCOMPARE(info.A_SampleRate, QString("44100 HZ"));
    QCOMPARE(info.A_Channel, QString("2"));
    QCOMPARE(info.F_Name, QString("clip.MOV"));
    QCOMPARE(info.F_Format, QString("MOV"));
    QCOMPARE(row->TargetInfo().V_Extend, QString("mp4"));

    // The picture is made and kept at the size the row draws it, never at
    // the source's.
    const QSize drawn = VideoConvertBar::thumbnailPixels(queue->devicePixelRatioF());
    QVERIFY(row->Thumbnail());
    QCOMPARE(row->Thumbnail()->size(), drawn);
    QCOMPARE(row->Thumbnail()->pixel(drawn.width() / 2, drawn.height() / 2), 0xFF3366CCu);
    QVERIFY(!row->ProbeFailed());
    const auto images = orvfake::calls("Info_GetVideoImage(");
    QVERIFY(!images.empty());
    QCOMPARE(QString::fromStdString(images.front()),
             QString("Info_GetVideoImage(I1, %1, 1, %2, %3)")
                 .arg(thumbnailTime)
                 .arg(drawn.width())
                 .arg(drawn.height()));

    // The row's target name follows a rename.
    QSignalSpy renamed(target, &VideoInfo::emitVideoNameChanged);
    row->m_laterInfoWidget->m_videoNameLab->setText("holiday.mp4");
    row->m_laterInfoWidget->slotEditVideoName();
    QCOMPARE(row->VideoName(), QString("holiday.mp4"));
}

void TestQueue::unreadableFileStillBecomesARow()
{
    const QString bad = file("broken.mp4", 10); // no media facts: the engine cannot read it
    const QString good = file("fine.mp4");
    orvfake::setMedia(good.toStdString(), orvfake::MediaFacts{});

    auto queue = makeQueue();
    drop(queue.get(), {QUrl::fromLocalFile(bad), QUrl::fromLocalFile(good)});
    QCOMPARE(queue->barList().size(), 2);

    VideoConvertBar* broken = queue->barList().at(0);
    QVERIFY(broken->ProbeFailed());
    QVERIFY(!broken->Thumbnail());
    QVERIFY(broken->toolTip().contains(bad));
    // No made-up facts, and its message is not under the play button.
    QCOMPARE(broken->m_beforeInfoWidget->m_time->text(), QString());
    QCOMPARE(broken->m_beforeInfoWidget->m_size->text(), QString());
    QVERIFY(!broken->m_beforeInfoWidget->m_sizeImage->isVisibleTo(broken));
    QCOMPARE(broken->m_laterInfoWidget->m_length->text(), QString());
    QCOMPARE(broken->m_laterInfoWidget->m_time->text(), QString());
    QVERIFY(!broken->m_btnPreviewPlay->isVisibleTo(broken));
    // The row paints without a picture (its message instead) and does not crash.
    broken->grab();

    VideoConvertBar* fine = queue->barList().at(1);
    QVERIFY(!fine->ProbeFailed());
    QVERIFY(fine->Thumbnail());
}

namespace {
QByteArray pictureBlock(int32_t headerWidth, int32_t headerHeight, int pixelWidth, int pixelHeight)
{
    std::vector<unsigned char> p(size_t(54 + 4 * pixelWidth * pixelHeight), 0);
    p[0] = 'B';
    p[1] = 'M';
    auto put32 = [&p](size_t at, int32_t v) { std::memcpy(p.data() + at, &v, 4); };
    put32(2, int32_t(p.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, headerWidth);
    put32(22, headerHeight);
    p[26] = 1;
    p[28] = 32;
    // First stored row red, the rest blue.
    for (int i = 0; i < pixelWidth * pixelHeight; ++i) {
        const size_t px = size_t(54 + 4 * i);
        const bool firstRow = i < pixelWidth;
        p[px] = firstRow ? 0 : 255;
        p[px + 2] = firstRow ? 255 : 0;
        p[px + 3] = 255;
    }
    return QByteArray(reinterpret_cast<const char*>(p.data()), int(p.size()));
}
} // namespace

void TestQueue::thumbnailCopyChecksHeader_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<uint>("width");
    QTest::addColumn<uint>("height");
    QTest::addColumn<bool>("copied");
    QTest::addColumn<uint>("topLeft");
    QTest::newRow("top-down") << pictureBlock(4, -3, 4, 3) << 4u << 3u << true << 0xFFFF0000u;
    QTest::newRow("bottom-up") << pictureBlock(4, 3, 4, 3) << 4u << 3u << true << 0xFF0000FFu;
    QTest::newRow("reported size larger than the block")
        << pictureBlock(4, -3, 4, 3) << 400u << 300u << false << 0u;
    QTest::newRow("header larger than the block")
        << pictureBlock(4000, -3000, 4, 3) << 4000u << 3000u << false << 0u;
    QTest::newRow("zero size") << pictureBlock(0, 0, 1, 1) << 0u << 0u << false << 0u;
    QTest::newRow("absurd size") << pictureBlock(100000, -2, 1, 1) << 100000u << 2u << false << 0u;
    QByteArray notBitmap = pictureBlock(4, -3, 4, 3);
    notBitmap[0] = 'X';
    QTest::newRow("not a bitmap header") << notBitmap << 4u << 3u << false << 0u;
}

void TestQueue::thumbnailCopyChecksHeader()
{
    QFETCH(QByteArray, block);
    QFETCH(uint, width);
    QFETCH(uint, height);
    QFETCH(bool, copied);
    QFETCH(uint, topLeft);
    std::unique_ptr<QImage> image(VideoConvertBar::CopyThumbnail(
        reinterpret_cast<const unsigned char*>(block.constData()), width, height));
    QCOMPARE(image != nullptr, copied);
    if (image) {
        QCOMPARE(image->size(), QSize(int(width), int(height)));
        QCOMPARE(image->pixel(0, 0), topLeft);
    }
    QVERIFY(!VideoConvertBar::CopyThumbnail(nullptr, width, height));
}

void TestQueue::numberFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("rate with unit") << "1500 kbps" << 1500;
    QTest::newRow("Original") << "Original" << 1;
    QTest::newRow("Auto") << "Auto" << 1;
    QTest::newRow("decimal point skipped") << "44.1" << 441;
    QTest::newRow("beyond 32 bits") << "99999999999" << 0;
}

void TestQueue::numberFromText()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(VideoConvertBar::GetNumberFromString(text), number);
}

void TestQueue::hintText()
{
    auto queue = makeQueue();
    auto* hint = queue->m_WidgetContents;
    QCOMPARE(hint->m_labImageText->text(), QString("Drag media files here to start"));
    emit queue->signalUpdateWidgetText();
    QCOMPARE(hint->m_labImageText->text(), QString("Drag Media files here to start"));

    // The hint sits in the middle of the area, the line 5 px under the logo.
    hint->grab();
    const QRect logo = hint->m_labelImage->geometry();
    QCOMPARE(logo.x(), (hint->width() - logo.width()) / 2);
    QCOMPARE(logo.y(), (hint->height() - logo.height()) / 2);
    QCOMPARE(hint->m_labImageText->y(), logo.bottom() + 1 + 5);

    QSignalSpy clicked(hint, &ScrollareaContentWidget::signalAddFile);
    ModalWatcher watcher([](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog)
            dialog->reject();
        return dialog != nullptr;
    });
    hint->m_labelImage->click();
    QCOMPARE(clicked.count(), 1);
}

QTEST_MAIN(TestQueue)
#include "tst_queue.moc"
