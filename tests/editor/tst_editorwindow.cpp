// The editor's playback, trim, tabs, drag handles and snapshots, with the
// recording engine on the offscreen platform.
#include "QCropOperateDlg.h"
#include "QDualSlider.h"
#include "QIAppUtil.h"
#include "QMessOpacityDlg.h"
#include "QSliderCtrlBtn.h"
#include "QTrimOperatedlgDlg.h"
#include "QVideoEditDlg.h"
#include "QWatermarkOperateDlg.h"
#include "VideoImageWindow.h"
#include "editing/QVideoSettingXml.h"
#include "qSliderCtrl.h"

#include <orvalta_fake_control.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const char* kClip = "/clips/twenty.mov";

QStringList calls(const char* prefix)
{
    QStringList out;
    for (const std::string& line : orvfake::calls(prefix))
        out << QString::fromStdString(line);
    return out;
}

// Answers every message box that comes up while act runs; their texts.
QStringList answerMessages(const std::function<void()>& act)
{
    QStringList texts;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        }
    });
    timer.start();
    act();
    return texts;
}

void mouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, p, w->mapToGlobal(p), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// A press, button-held moves in steps and a release on a surface.
void drag(QWidget* w, QPoint from, QPoint to)
{
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int i = 1; i <= 4; ++i)
        mouse(w, QEvent::MouseMove, from + (to - from) * i / 4, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class TestEditorWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void trimCases();
    void resetRestoresWholeClip_data();
    void resetRestoresWholeClip();
    void frameSteps();
    void playSectionPastEndHandle();
    void playAfterStopStartsAtTrim();
    void timeTickWithoutDuration();
    void muteAndRestore();
    void tabLayouts_data();
    void tabLayouts();
    void dragModes_data();
    void dragModes();
    void topmostSwitching();
    void cropDragKeepsPanScan();
    void snapshotSaved();
    void snapshotMissingFolderAndMenu();
    void captionsAndNoticeFit();

private:
    std::unique_ptr<QVideoEditDlg> openEditor(uint64_t durationUs = 20000000);
};

void TestEditorWindow::init() { orvfake::reset(); }

std::unique_ptr<QVideoEditDlg> TestEditorWindow::openEditor(uint64_t durationUs)
{
    orvfake::MediaFacts facts;
    facts.durationUs = durationUs;
    facts.width = 320;
    facts.height = 240;
    orvfake::setMedia(kClip, facts);
    auto editor = std::make_unique<QVideoEditDlg>();
    editor->show();
    if (!editor->SetVideoFile(kClip, 0, 0))
        return nullptr;
    return editor;
}

void TestEditorWindow::trimCases()
{
    auto ed = openEditor();
    QVERIFY(ed);
    QDualSlider* track = ed->m_TrimDSlider;
    QCOMPARE(track->getStartValue(), 0.0f);
    QCOMPARE(track->getEndValue(), 1.0f);

    // 25-75 % of 20 s, then 50-100 % of that keeps the third quarter
    track->setEndValue(75);
    track->setStartValue(25);
    orvfake::clearCalls();
    ed->OnTrimVideo();
    QCOMPARE(ed->GetStartTime(), 5000000ull);
    QCOMPARE(ed->GetEndTime(), 15000000ull);
    QCOMPARE(track->getStartValue(), 0.0f);
    QCOMPARE(track->getEndValue(), 1.0f);
    QCOMPARE(ed->m_playSlider->getValue(), 0.0f);
    QVERIFY(calls("Player_Seek(").contains("Player_Seek(P1, 5000000)"));
    QCOMPARE(ed->m_labPlayTime->text(), QString("00:00:00 / 00:00:10"));

    track->setStartValue(50);
    ed->OnTrimVideo();
    QCOMPARE(ed->GetStartTime(), 10000000ull);
    QCOMPARE(ed->GetEndTime(), 15000000ull);

    // handles together: refused, nothing changes
    track->setStartValue(40);
    track->setEndValue(40);
    const QStringList texts = answerMessages([&] { ed->OnTrimVideo(); });
    QCOMPARE(texts, QStringList{"Trim too short"});
    QCOMPARE(ed->GetStartTime(), 10000000ull);
    QCOMPARE(ed->GetEndTime(), 15000000ull);

    // the panel's Trim and Reset buttons reach the editor
    track->setStartValue(0);
    track->setEndValue(100);
    auto* panel = ed->findChild<QTrimOperatedlgDlg*>();
    QVERIFY(panel);
    panel->m_btnReset->click();
    QCOMPARE(ed->GetStartTime(), 0ull);
    QCOMPARE(ed->GetEndTime(), 0ull);
    track->setStartValue(25);
    panel->m_btnTrim->click();
    QCOMPARE(ed->GetStartTime(), 5000000ull);
}

void TestEditorWindow::resetRestoresWholeClip_data()
{
    QTest::addColumn<bool>("trimmedFirst");
    QTest::addColumn<float>("start");
    QTest::addColumn<float>("end");
    QTest::newRow("end handle at 40 %") << false << 0.0f << 40.0f;
    QTest::newRow("both handles inside") << false << 25.0f << 60.0f;
    QTest::newRow("handles together") << false << 50.0f << 50.0f;
    QTest::newRow("after a trim, end at 40 %") << true << 10.0f << 40.0f;
    QTest::newRow("after a trim, handles at the ends") << true << 0.0f << 100.0f;
}

void TestEditorWindow::resetRestoresWholeClip()
{
    QFETCH(bool, trimmedFirst);
    QFETCH(float, start);
    QFETCH(float, end);
    auto ed = openEditor();
    QVERIFY(ed);
    QDualSlider* track = ed->m_TrimDSlider;
    if (trimmedFirst) {
        track->setEndValue(75);
        track->setStartValue(25);
        ed->OnTrimVideo();
        QCOMPARE(ed->GetEndTime(), 15000000ull);
    }
    track->setEndValue(end);
    track->setStartValue(start);
    ed->trimPanel()->m_btnReset->click();
    QCOMPARE(ed->GetStartTime(), 0ull);
    QCOMPARE(ed->GetEndTime(), 0ull);
    QCOMPARE(ed->getPlayLen(), 20000000ull);
    QCOMPARE(track->getStartValue(), 0.0f);
    QCOMPARE(track->getEndValue(), 1.0f);
    QCOMPARE(ed->m_labPlayTime->text(), QString("00:00:00 / 00:00:20"));
}

void TestEditorWindow::frameSteps()
{
    auto ed = openEditor();
    QVERIFY(ed);
    QDualSlider* track = ed->m_TrimDSlider;
    track->setEndValue(75);
    track->setStartValue(25);
    ed->OnTrimVideo(); // 5..15 s, handles at 0 and 100 %, focus on start

    // back from the trim start: the start handle stays at the start
    orvfake::clearCalls();
    ed->OnPreviousStep();
    QCOMPARE(calls("Player_FrameStep(").size(), 1);
    QCOMPARE(track->getStartValue(), 0.0f);
    QCOMPARE(track->getEndValue(), 1.0f);
    QVERIFY(!ed->m_btnPlay->isHidden()); // paused

    // forward: the start handle follows the frame (40 ms of 10 s)
    ed->OnNextStep();
    QVERIFY(qAbs(track->getStartValue() - 0.004f) < 0.003f);

    // handles together: a step that would pass the other handle only pauses
    track->setEndValue(25); // a whole pixel of the 356-pixel track
    track->setStartValue(25);
    QCOMPARE(track->getStartValue(), track->getEndValue());
    orvfake::clearCalls();
    ed->OnNextStep(); // start focused, forward
    QVERIFY(calls("Player_FrameStep(").isEmpty());
    QCOMPARE(calls("Player_Pause(").size(), 1);
    QTest::mouseClick(track->endHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(!track->GetFocusInStartBtn());
    orvfake::clearCalls();
    ed->OnPreviousStep(); // end focused, back
    QVERIFY(calls("Player_FrameStep(").isEmpty());
}

void TestEditorWindow::playSectionPastEndHandle()
{
    auto ed = openEditor();
    QVERIFY(ed);
    QDualSlider* track = ed->m_TrimDSlider;
    track->setEndValue(75);
    track->setStartValue(25);
    ed->OnTrimVideo(); // 5..15 s
    track->setEndValue(40);
    track->setStartValue(20);
    orvfake::clearCalls();
    ed->PlaySection();
    QVERIFY(calls("Player_Seek(").contains("Player_Seek(P1, 7000000)"));
    QCOMPARE(orvfake::player("P1")->state, orvfake::PlayState::Playing);

    orvfake::setPlayTime("P1", 12000000); // past the end handle, inside the trim
    ed->UpdateTime();
    QCOMPARE(orvfake::player("P1")->state, orvfake::PlayState::Playing);
    QCOMPARE(ed->m_playSlider->getValue(), 70.0f);

    orvfake::setPlayTime("P1", 15040000); // past the trim end
    ed->UpdateTime();
    QCOMPARE(orvfake::player("P1")->state, orvfake::PlayState::Stopped);
    QVERIFY(!ed->m_btnPlay->isHidden());
    QVERIFY(ed->m_btnPause->isHidden());
    QCOMPARE(ed->m_playSlider->getValue(), 0.0f);
}

void TestEditorWindow::playAfterStopStartsAtTrim()
{
    auto ed = openEditor();
    QVERIFY(ed);
    ed->m_TrimDSlider->setEndValue(75);
    ed->m_TrimDSlider->setStartValue(25);
    ed->OnTrimVideo();
    ed->OnBtnStop(); // the engine rewinds to 0, before the trim start
    ed->UpdateTime();
    orvfake::setPlayTime("P1", 2000000);
    ed->UpdateTime(); // no wrap-around: shown as the trim start
    QCOMPARE(ed->m_labPlayTime->text(), QString("00:00:00 / 00:00:10"));
    orvfake::clearCalls();
    ed->OnBtnPlay();
    const QStringList transport = calls("Player_");
    const int seek = transport.indexOf("Player_Seek(P1, 5000000)");
    QVERIFY2(seek >= 0, qPrintable(transport.join('\n')));
    QVERIFY(seek < transport.indexOf("Player_Play(P1)"));
}

void TestEditorWindow::timeTickWithoutDuration()
{
    auto ed = openEditor(0);
    QVERIFY(ed);
    ed->m_playSlider->setValue(37);
    orvfake::setPlayTime("P1", 5000);
    ed->UpdateTime();
    QCOMPARE(ed->m_playSlider->getValue(), 37.0f);
}

void TestEditorWindow::muteAndRestore()
{
    auto ed = openEditor();
    QVERIFY(ed);
    ed->m_soundSlider->setValue(0);
    orvfake::clearCalls();
    ed->m_btnSoundOpen->click(); // mute with the slider at 0 remembers 100
    QVERIFY(ed->m_btnSoundOpen->isHidden());
    QVERIFY(!ed->m_btnSoundClose->isHidden());
    QCOMPARE(calls("Player_SetAudioVolume("), QStringList{"Player_SetAudioVolume(P1, 0)"});
    ed->m_btnSoundClose->click();
    QCOMPARE(ed->m_soundSlider->getValue(), 100.0f);
    QCOMPARE(calls("Player_SetAudioVolume(").last(), QString("Player_SetAudioVolume(P1, 100)"));

    ed->m_soundSlider->setValue(30); // as a drag leaves it
    ed->SoundValueChange(0.3);
    QCOMPARE(calls("Player_SetAudioVolume(").last(), QString("Player_SetAudioVolume(P1, 30)"));
    ed->m_btnSoundOpen->click();
    ed->m_btnSoundClose->click();
    QCOMPARE(ed->m_soundSlider->getValue(), 30.0f);
    ed->SoundValueChange(0.0);
    QVERIFY(ed->m_btnSoundOpen->isHidden());
}

void TestEditorWindow::tabLayouts_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("panel"); // the one panel shown, "" for none
    QTest::addColumn<bool>("track");
    QTest::addColumn<bool>("twoPreviews");
    QTest::addColumn<QString>("cropBorder");
    QTest::addColumn<QString>("waterBorder");
    QTest::newRow("trim") << "m_btnTrim"
                          << "QTrimOperatedlgDlg" << true << false << "0"
                          << "0";
    QTest::newRow("crop") << "m_btnCrop"
                          << "QCropOperateDlg" << false << true << "1"
                          << "0";
    QTest::newRow("watermark") << "m_btnWatermark"
                               << "QWatermarkOperateDlg" << false << false << "0"
                               << "1";
    QTest::newRow("subtitle") << "m_btnSubtitle"
                              << "QSubtitleOperateDlg" << false << false << "0"
                              << "0";
}

void TestEditorWindow::tabLayouts()
{
    QFETCH(QString, button);
    QFETCH(QString, panel);
    QFETCH(bool, track);
    QFETCH(bool, twoPreviews);
    QFETCH(QString, cropBorder);
    QFETCH(QString, waterBorder);
    auto ed = openEditor();
    QVERIFY(ed);
    ed->m_btnWatermark->click(); // borders on, so every other tab must switch them off
    ed->findChild<QImageButton*>(button)->click();
    QVERIFY(!ed->findChild<QImageButton*>(button)->isEnabled());
    for (const char* name :
         {"QTrimOperatedlgDlg", "QCropOperateDlg", "QWatermarkOperateDlg", "QSubtitleOperateDlg"}) {
        QWidget* p = nullptr;
        for (QWidget* w : ed->findChildren<QWidget*>())
            if (QString(w->metaObject()->className()) == name)
                p = w;
        QVERIFY2(p, name);
        QCOMPARE(!p->isHidden(), panel == name);
    }
    QCOMPARE(!ed->m_TrimDSlider->isHidden(), track);
    QCOMPARE(!ed->m_videoOrignalWidget->isHidden(), twoPreviews);
    QCOMPARE(ed->m_videoPreviewWidget->geometry(),
             twoPreviews ? QRect(405, 80, 385, 255) : QRect(140, 80, 520, 255));
    QCOMPARE(calls("Player_EnableVideoCropBorder(").last(),
             QString("Player_EnableVideoCropBorder(P1, %1)").arg(cropBorder));
    QCOMPARE(calls("Player_EnableWatermarkTextBorder(").last(),
             QString("Player_EnableWatermarkTextBorder(P1, %1)").arg(waterBorder));
    QCOMPARE(calls("Player_EnableWatermarkImageBorder(").last(),
             QString("Player_EnableWatermarkImageBorder(P1, %1)").arg(waterBorder));
}

void TestEditorWindow::dragModes_data()
{
    // The text box is 0.25 x 0.1 of the picture at (250, 250) thousandths.
    // Points are fractions of the picture; from = a grip, to = where it goes.
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QList<int>>("record"); // pos_x, pos_y, scale_x, scale_y
    QTest::newRow("bottom-right to twice") << QPointF(0.5, 0.35) << QPointF(0.75, 0.45)
                                           << int(Qt::SizeFDiagCursor) << QList<int>{250, 250, 200, 200};
    QTest::newRow("top-left to the corner: clamped at 0")
        << QPointF(0.25, 0.25) << QPointF(-0.2, -0.2) << int(Qt::SizeFDiagCursor)
        << QList<int>{0, 0, 200, 350};
    QTest::newRow("left edge past the right: 0.02")
        << QPointF(0.25, 0.3) << QPointF(0.9, 0.3) << int(Qt::SizeHorCursor) << QList<int>{480, 250, 8, 100};
    QTest::newRow("right edge past the border")
        << QPointF(0.5, 0.3) << QPointF(1.3, 0.3) << int(Qt::SizeHorCursor) << QList<int>{250, 250, 300, 100};
    QTest::newRow("inside against the border")
        << QPointF(0.4, 0.3) << QPointF(1.4, 1.4) << int(Qt::SizeAllCursor) << QList<int>{750, 900, 100, 100};
    QTest::newRow("outside every grip")
        << QPointF(0.1, 0.1) << QPointF(0.3, 0.3) << int(Qt::ArrowCursor) << QList<int>{250, 250, 100, 100};
}

void TestEditorWindow::dragModes()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(int, cursor);
    QFETCH(QList<int>, record);
    auto ed = openEditor();
    QVERIFY(ed);
    WatermarkTextSettings text;
    ed->GetWatermarkTextSettings(text);
    text.text = "Mark";
    text.pos_x = 250;
    text.pos_y = 250;
    ed->SetWatermarkTextSettings(text);
    ed->m_btnWatermark->click();
    VideoImageWindow* surface = ed->m_videoPreviewWidget;
    const QRect pic = surface->getVideoRect();
    QVERIFY(pic.width() > 100);
    auto at = [&](QPointF f) {
        return QPoint(pic.left() + int(std::lround(f.x() * pic.width())),
                      pic.top() + int(std::lround(f.y() * pic.height())));
    };
    // the grip's cursor shows while the drag runs
    mouse(surface, QEvent::MouseButtonPress, at(from), Qt::LeftButton);
    mouse(surface, QEvent::MouseMove, at((from + to) / 2), Qt::LeftButton);
    QCOMPARE(int(surface->cursor().shape()), cursor);
    for (int i = 1; i <= 4; ++i)
        mouse(surface, QEvent::MouseMove, at(from + (to - from) * i / 4), Qt::LeftButton);
    mouse(surface, QEvent::MouseButtonRelease, at(to), Qt::NoButton);
    ed->GetWatermarkTextSettings(text);
    const QList<int> got{text.pos_x, text.pos_y, text.scale_x, text.scale_y};
    // a pixel of the surface is about 3 thousandths of the picture
    for (int i = 0; i < 4; ++i)
        QVERIFY2(qAbs(got[i] - record[i]) <= 6,
                 qPrintable(QString("%1: %2 vs %3").arg(i).arg(got[i]).arg(record[i])));
    if (record[0] != 250 || record[1] != 250)
        QVERIFY(!calls("Player_SetWatermarkTextPosition(").isEmpty());

    // in another tab the same drag does nothing
    ed->m_btnTrim->click();
    WatermarkTextSettings before;
    ed->GetWatermarkTextSettings(before);
    orvfake::clearCalls();
    drag(surface, at(QPointF(0.4, 0.3)), at(QPointF(0.2, 0.2)));
    ed->GetWatermarkTextSettings(text);
    QCOMPARE(text.pos_x, before.pos_x);
    QVERIFY(calls("Player_SetWatermarkText").isEmpty());
}

void TestEditorWindow::topmostSwitching()
{
    auto ed = openEditor();
    QVERIFY(ed);
    QTemporaryDir dir;
    const QString png = dir.filePath("mark.png");
    QImage mark(32, 32, QImage::Format_RGB32);
    mark.fill(Qt::red);
    QVERIFY(mark.save(png));
    WatermarkTextSettings text;
    ed->GetWatermarkTextSettings(text);
    text.text = "Mark";
    text.pos_x = 100;
    text.pos_y = 100;
    ed->SetWatermarkTextSettings(text);
    WatermarkImageSettings image;
    ed->GetWatermarkImageSettings(image);
    image.image_file = png;
    image.pos_x = 600;
    image.pos_y = 600;
    ed->SetWatermarkImageSettings(image);
    ed->m_btnWatermark->click();
    VideoImageWindow* surface = ed->m_videoPreviewWidget;
    const QRect pic = surface->getVideoRect();
    auto at = [&](double x, double y) {
        return QPoint(pic.left() + int(x * pic.width()), pic.top() + int(y * pic.height()));
    };
    orvfake::clearCalls();
    // hovering shows the grip's cursor, leaving the box the arrow
    mouse(surface, QEvent::MouseMove, at(0.65, 0.65), Qt::NoButton);
    QCOMPARE(surface->cursor().shape(), Qt::SizeAllCursor);
    mouse(surface, QEvent::MouseMove, at(0.9, 0.1), Qt::NoButton);
    QCOMPARE(surface->cursor().shape(), Qt::ArrowCursor);

    drag(surface, at(0.65, 0.65), at(0.55, 0.55)); // the image, text is topmost
    ed->GetWatermarkTextSettings(text);
    QCOMPARE(text.topmost, 0);
    QCOMPARE(calls("Player_SetWatermarkTextLayerTopmost("),
             QStringList{"Player_SetWatermarkTextLayerTopmost(P1, 0)"});
    ed->GetWatermarkImageSettings(image);
    QVERIFY(image.pos_x < 600 && image.pos_y < 600);

    drag(surface, at(0.15, 0.12), at(0.2, 0.2)); // the text again
    ed->GetWatermarkTextSettings(text);
    QCOMPARE(text.topmost, 1);
    QCOMPARE(calls("Player_SetWatermarkTextLayerTopmost(").last(),
             QString("Player_SetWatermarkTextLayerTopmost(P1, 1)"));
}

void TestEditorWindow::cropDragKeepsPanScan()
{
    auto ed = openEditor();
    QVERIFY(ed);
    CropSettings crop;
    ed->GetEditSettings(crop);
    crop.crop_x = crop.crop_y = 0.25;
    crop.crop_w = crop.crop_h = 0.5;
    crop.panscan_x = crop.panscan_y = 0.25;
    crop.panscan_w = crop.panscan_h = 0.5;
    crop.pad = 1;
    crop.fill_type = 1;
    crop.ratio_type = Ratio_OriginalAspect;
    ed->SetEditSettings(crop);
    ed->m_btnCrop->click();
    VideoImageWindow* surface = ed->m_videoOrignalWidget;
    const QRect pic = surface->getVideoRect();
    auto at = [&](double x, double y) {
        return QPoint(pic.left() + int(std::lround(x * pic.width())),
                      pic.top() + int(std::lround(y * pic.height())));
    };
    orvfake::clearCalls();
    drag(surface, at(0.75, 0.75), at(0.95, 0.8)); // bottom-right, wider than tall
    ed->GetEditSettings(crop);
    QCOMPARE(crop.panscan_x, crop.crop_x);
    QCOMPARE(crop.panscan_w, crop.crop_w);
    QCOMPARE(crop.panscan_h, crop.crop_h);
    // the proportions of the press: a square box stays square
    QVERIFY2(qAbs(crop.crop_w - crop.crop_h) < 0.01,
             qPrintable(QString("%1 x %2").arg(crop.crop_w).arg(crop.crop_h)));
    QVERIFY(crop.crop_w > 0.5);
    QVERIFY(!calls("Player_SetVideoCrop(").isEmpty());
}

void TestEditorWindow::snapshotSaved()
{
    QTemporaryDir dir;
    QDir().mkpath(QFileInfo(QVideoSettingXml::fileName()).path());
    QFile settings(QVideoSettingXml::fileName());
    QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
    settings.write(QString("<ROOTITEM><Screenshots IMG_SUFFIX=\"PNG\" IMG_Folder=\"%1/\"/></ROOTITEM>")
                       .arg(dir.path())
                       .toUtf8());
    settings.close();
    auto ed = openEditor();
    QVERIFY(ed);
    ed->m_btnSnapshot->click();
    QMessOpacityDlg* notice = nullptr;
    QTRY_VERIFY((notice = ed->findChild<QMessOpacityDlg*>()) && notice->isVisible());
    QCOMPARE(notice->m_labText->text(), QString("Snapshot successfully!"));
    // Over the output preview, the picture the snapshot is of.
    const QRect preview(ed->m_videoPreviewWidget->mapToGlobal(QPoint(0, 0)),
                        ed->m_videoPreviewWidget->size());
    QCOMPARE(notice->geometry().center(), preview.center());
    const QStringList files = QDir(dir.path()).entryList({"*_kestrova.png"}, QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY(QRegularExpression("^\\d\\d-\\d\\d-\\d{4} \\d\\d-\\d\\d-\\d\\d\\.\\d{3}_kestrova\\.png$")
                .match(files[0])
                .hasMatch());
    const QImage image(dir.filePath(files[0]));
    QCOMPARE(image.size(), QSize(320, 240));
    QCOMPARE(orvfake::player("P1")->captures, 0);
}

void TestEditorWindow::snapshotMissingFolderAndMenu()
{
    auto ed = openEditor();
    QVERIFY(ed);
    const QString folder = ed->captureFolder();
    QVERIFY(QDir(folder).exists());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    ed->OpenImgPath();
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(folder)});

    QVERIFY(QDir(folder).removeRecursively());
    orvfake::clearCalls();
    const QStringList texts = answerMessages([&] { ed->m_btnSnapshot->click(); });
    QCOMPARE(texts, QStringList{QString("\"%1\"is no exists").arg(folder)});
    QVERIFY(calls("Player_CaptureVideoImage(").isEmpty());
    QVERIFY(!ed->findChild<QMessOpacityDlg*>() || !ed->findChild<QMessOpacityDlg*>()->isVisible());
}

void TestEditorWindow::captionsAndNoticeFit()
{
    auto ed = openEditor();
    QVERIFY(ed);
    // Each "Apply to all" lies inside its panel, clear of the texts before it.
    const struct
    {
        QWidget* panel;
        QImageButton* apply;
        QWidget* before;
    } panels[] = {
        {ed->cropPanel(), ed->cropPanel()->m_btnApply, ed->cropPanel()->m_radPanScan},
        {ed->watermarkPanel(), ed->watermarkPanel()->m_btnApply, ed->watermarkPanel()->m_transparencySlider}};
    for (const auto& p : panels) {
        QVERIFY2(p.panel->rect().contains(p.apply->geometry()),
                 qPrintable(QString("%1 in %2").arg(p.apply->geometry().right()).arg(p.panel->width())));
        const auto* radio = qobject_cast<QRadioButton*>(p.before);
        const int end = radio ? radio->x() + 22 + radio->fontMetrics().horizontalAdvance(radio->text())
                              : p.before->geometry().right();
        QVERIFY2(end < p.apply->x(), qPrintable(QString("%1 >= %2").arg(end).arg(p.apply->x())));
    }
    // The Reset caption is as large as the other captions of its colour set.
    QImageButton* reset = ed->trimPanel()->m_btnReset;
    QCOMPARE(reset->font().pointSizeF(), ed->cropPanel()->m_btnApply->font().pointSizeF());
    QVERIFY(QFontMetrics(reset->font()).ascent() >= 8);
    QVERIFY(reset->fontMetrics().horizontalAdvance("Reset") + 10 <= reset->width());

    // The snapshot notice: frameless, the size of its skin picture.
    ed->ShowOpacityMsgDlg("Snapshot successfully!");
    auto* notice = ed->findChild<QMessOpacityDlg*>();
    QVERIFY(notice && notice->isVisible());
    QVERIFY(notice->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(notice->isWindow());
    const QImage skin(QIAppUtil::getResourcePath() + "/image/VideoEditDlg/msg_small_opacity.png");
    QVERIFY(!skin.isNull());
    QCOMPARE(notice->size(), skin.size());
    QCOMPARE(notice->frameGeometry().size(), notice->size());

    // An editor half off the screen still shows the whole notice.
    const QRect room = ed->screen()->availableGeometry();
    ed->move(room.right() - ed->width() / 3, room.bottom() - ed->height() / 3);
    ed->ShowOpacityMsgDlg("Snapshot successfully!");
    QVERIFY2(room.contains(notice->frameGeometry()),
             qPrintable(QString("%1,%2 %3x%4")
                            .arg(notice->x())
                            .arg(notice->y())
                            .arg(notice->width())
                            .arg(notice->height())));
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
