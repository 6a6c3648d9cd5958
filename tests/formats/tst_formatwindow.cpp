#include "../ResourceCopy.h"

#include "FormatItem.h"
#include "FormatSettingDialog.h"
#include "FormatTypeWidget.h"
#include "FormatWindow.h"
#include "GobelConfigure.h"
#include "QIAppUtil.h"
#include "SignalClass.h"
#include "files/DataFile.h"
#include "formats/GobelItemChunk.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The catalogue panel, its strips and tiles, and the format settings dialog,
// driven the way a user drives them.
class TstFormatWindow : public QObject
{
    Q_OBJECT

private:
    static QString res() { return QIAppUtil::getResourcePath(); }
    static QString catalogue(const QString& name) { return res() + "/format/" + name + ".xml"; }

    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeFile(const QString& path, const QByteArray& data)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(data);
    }
    // name|icon|profile per entry
    static QByteArray catalogueXml(const QStringList& entries)
    {
        QByteArray xml = "<catalogue>";
        for (const QString& e : entries) {
            const QStringList p = e.split('|');
            xml += QString("<item imagename=\"%2\" itemname=\"%1\" relevantfile=\"%3\"/>")
                       .arg(p.value(0), p.value(1), p.value(2))
                       .toUtf8();
        }
        return xml + "</catalogue>";
    }
    // The item names of a strip as its list holds them.
    static QStringList names(const FormatTypeWidget* strip)
    {
        QStringList out;
        for (const FormatItem* item : strip->GetListItem())
            out << item->itemname;
        return out;
    }
    // name, icon, profile of the file's items, in file order
    static QStringList fileItems(const QString& path)
    {
        QDomDocument doc;
        if (!doc.setContent(readFile(path)))
            return {"<unreadable>"};
        QStringList out;
        for (QDomElement e = doc.documentElement().firstChildElement("item"); !e.isNull();
             e = e.nextSiblingElement("item"))
            out << e.attribute("itemname") + "|" + e.attribute("imagename") + "|"
                    + e.attribute("relevantfile");
        return out;
    }
    static void press(FormatItem* item, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(item, button, Qt::NoModifier, QPoint(40, 40));
        QTest::mouseRelease(item, button, Qt::NoModifier, QPoint(40, 40));
    }

    std::unique_ptr<FormatWindow> newWindow()
    {
        auto window = std::make_unique<FormatWindow>();
        window->setFormatEnableSelect(false); // what the main window does last: selection on
        return window;
    }

    ResourceCopy m_resources; // the catalogues are rewritten
    QHash<QString, QByteArray> m_shipped;

private slots:
    void initTestCase()
    {
        QVERIFY(m_resources.isValid());
        qRegisterMetaType<Convertinfo>();
        for (const char* name : {"video", "audio", "hd3d", "webshare", "devices"})
            m_shipped.insert(name, readFile(catalogue(name)));
    }

    void init()
    {
        for (auto it = m_shipped.cbegin(); it != m_shipped.cend(); ++it)
            writeFile(catalogue(it.key()), it.value());
        QFile::remove(FormatTypeWidget::recentXmlPath());
        QFile::remove(catalogue("video") + ".broken");
        QFile::remove(GobelItemChunk::defaultXmlPath());
        g_itemChunk.setDefaultinfo();
        g_itemChunk.m_convertinfo = Convertinfo();
        g_itemChunk.m_bEnableSelect = false;
        g_Configure.m_bMerge = false;
    }

    // Every strip lays its tiles side by side from the first time it is
    // shown, at the panel's own width: a click lands on the tile under it.
    void stripsLaidOutAtFirstShow()
    {
        auto window = newWindow();
        window->resize(960, 170);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        for (FormatType type : {Format_Devices, Format_Video, Format_WebShare, Format_HD3D, Format_Audio}) {
            window->showWidget(type);
            QCoreApplication::processEvents();
            const QList<FormatItem*> items = window->stripOf(type)->GetListItem();
            QVERIFY(items.size() > 1);
            for (int i = 1; i < items.size(); ++i) {
                const QRect prev = items[i - 1]->geometry();
                const QRect cur = items[i]->geometry();
                QVERIFY2(prev.width() >= items[i - 1]->minimumWidth() && !prev.intersects(cur),
                         qPrintable(QString("strip %1 tile %2: %3,%4 %5 wide after %6,%7 %8 wide")
                                        .arg(type)
                                        .arg(i)
                                        .arg(cur.x())
                                        .arg(cur.y())
                                        .arg(cur.width())
                                        .arg(prev.x())
                                        .arg(prev.y())
                                        .arg(prev.width())));
            }
        }
    }

    // Without a recent list the panel opens on the Video strip, marking the
    // current choice there; its tab is the one disabled.
    void startsOnVideoStrip()
    {
        auto window = newWindow();
        QCOMPARE(window->currentWidget(), window->m_videoWidget);
        QVERIFY(!window->m_btnVideo->isEnabled());
        QVERIFY(window->m_btnRecent->isEnabled());
        QVERIFY(window->m_videoWidget->selectedItem());
        QCOMPARE(window->m_videoWidget->selectedItem()->itemname, QString("MP4"));
        QVERIFY(window->m_videoWidget->selectedItem()->m_btnSetting->isVisibleTo(
            window->m_videoWidget->selectedItem()));
        QCOMPARE(window->m_recentWidget->objectName(), QString("RECENT"));
        QCOMPARE(window->m_recentWidget->m_itemLayout->direction(), QBoxLayout::RightToLeft);
        QCOMPARE(window->m_videoWidget->m_itemLayout->direction(), QBoxLayout::LeftToRight);
        // The start-up wrote the built-in choice.
        QCOMPARE(fileItems(GobelItemChunk::defaultXmlPath()), QStringList{"MP4|MP4.png|MP4 Video.xml"});

        window->m_btnAudio->click();
        QCOMPARE(window->currentWidget(), window->m_audioWidget);
        QVERIFY(!window->m_btnAudio->isEnabled());
        QVERIFY(window->m_btnVideo->isEnabled());
        QVERIFY(window->m_audioWidget->isVisibleTo(window.get()));
        QVERIFY(!window->m_videoWidget->isVisibleTo(window.get()));
    }

    void pressingItemsFillsRecentList()
    {
        auto window = newWindow();
        QSignalSpy chosen(window.get(), &FormatWindow::signalFotmatChoosen);
        const QList<FormatItem*> video = window->m_videoWidget->GetListItem();
        QVERIFY(video.size() >= 12);

        // Eleven distinct formats; the right button chooses just like the left.
        QStringList expected;
        for (int i = 1; i <= 11; ++i) {
            press(video[i], i == 5 ? Qt::RightButton : Qt::LeftButton);
            expected << video[i]->itemname + "|" + video[i]->imagename + "|" + video[i]->relevantfile;
            QCOMPARE(g_itemChunk.itemname, video[i]->itemname);
            QCOMPARE(g_itemChunk.relevantfile, video[i]->relevantfile);
            QCOMPARE(fileItems(GobelItemChunk::defaultXmlPath()), QStringList{expected.last()});
            QCOMPARE(window->m_videoWidget->selectedItem(), video[i]);
        }
        QCOMPARE(chosen.count(), 11);
        QCOMPARE(g_itemChunk.m_convertinfo.V_Format, video[11]->itemname);
        // Ten at most, oldest first, in the file and in the strip.
        expected.removeFirst();
        QCOMPARE(fileItems(FormatTypeWidget::recentXmlPath()), expected);
        QCOMPARE(window->m_recentWidget->GetListLength(), 10);
        QCOMPARE(window->m_recentWidget->selectedItem()->itemname, video[11]->itemname);

        // The selected tile again: the choice is stored, nobody is told.
        QFile::remove(GobelItemChunk::defaultXmlPath());
        press(video[11]);
        QCOMPARE(chosen.count(), 11);
        QCOMPARE(fileItems(GobelItemChunk::defaultXmlPath()), QStringList{expected.last()});

        // A format already listed (by icon) leaves the list as it is.
        press(video[3]);
        QCOMPARE(chosen.count(), 12);
        QCOMPARE(fileItems(FormatTypeWidget::recentXmlPath()), expected);

        // A tile of the Recent strip reports the choice but adds nothing.
        FormatItem* recentTile = window->m_recentWidget->GetListItem().first();
        const QString recentIcon = recentTile->imagename;
        press(recentTile);
        QCOMPARE(chosen.count(), 13);
        QCOMPARE(g_itemChunk.imagename, recentIcon);
        QCOMPARE(fileItems(FormatTypeWidget::recentXmlPath()), expected);

        // The next start shows the list, newest at the left, nothing marked.
        window.reset();
        auto again = newWindow();
        QCOMPARE(again->currentWidget(), again->m_recentWidget);
        QVERIFY(!again->m_btnRecent->isEnabled());
        QCOMPARE(again->m_recentWidget->GetListLength(), 10);
        QVERIFY(!again->m_recentWidget->selectedItem());
        QCOMPARE(g_itemChunk.imagename, recentIcon);
        again->resize(960, again->height());
        again->show();
        QVERIFY(QTest::qWaitForWindowExposed(again.get()));
        const QList<FormatItem*> shown = again->m_recentWidget->GetListItem();
        QVERIFY(shown.last()->x() < shown.first()->x());
    }

    // Another running copy added to the recent list after this window read
    // it: a press here adds to that list instead of writing over it.
    void recentKeepsAnotherCopysFormats()
    {
        auto window = newWindow();
        const QString other = "Other|Other.png|Other Video.xml";
        writeFile(FormatTypeWidget::recentXmlPath(), catalogueXml({other}));
        FormatItem* tile = window->m_videoWidget->GetListItem().at(1);
        press(tile);
        QVERIFY(DataFile::waitForChanges(60000));
        QCOMPARE(fileItems(FormatTypeWidget::recentXmlPath()),
                 QStringList({other, tile->itemname + "|" + tile->imagename + "|" + tile->relevantfile}));
    }

    void selectionOffIgnoresPresses()
    {
        auto window = std::make_unique<FormatWindow>();
        QSignalSpy chosen(window.get(), &FormatWindow::signalFotmatChoosen);
        press(window->m_videoWidget->GetListItem().at(2));
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(g_itemChunk.itemname, QString("MP4"));
    }

    void nameLookup_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("strip"); // FormatType, -1: nothing found
        QTest::newRow("recent before video") << "mp4" << int(Format_Recent);
        QTest::newRow("hd3d before webshare") << "Shared" << int(Format_HD3D);
        QTest::newRow("webshare only") << "WEBONLY" << int(Format_WebShare);
        QTest::newRow("video") << "avi" << int(Format_Video);
        QTest::newRow("devices before video") << "Both" << int(Format_Devices);
        QTest::newRow("audio") << "Mp3" << int(Format_Audio);
        QTest::newRow("no such name") << "nothing" << -1;
        // The queue also sends the current icon name, which names no item.
        QTest::newRow("icon name") << "MP4.png" << -1;
    }

    void nameLookup()
    {
        QFETCH(QString, name);
        QFETCH(int, strip);
        writeFile(FormatTypeWidget::recentXmlPath(), catalogueXml({"MP4|MP4.png|MP4 Video.xml"}));
        writeFile(catalogue("devices"), catalogueXml({"Phone|P.png|P.xml", "Both|B1.png|B.xml"}));
        writeFile(
            catalogue("video"),
            catalogueXml({"MP4|MP4.png|MP4 Video.xml", "AVI|AVI.png|AVI Video.xml", "Both|B2.png|B.xml"}));
        writeFile(catalogue("hd3d"), catalogueXml({"Other|O.png|O.xml", "Shared|S1.png|S.xml"}));
        writeFile(catalogue("webshare"), catalogueXml({"Shared|S2.png|S.xml", "WebOnly|W.png|W.xml"}));
        writeFile(catalogue("audio"), catalogueXml({"MP3|MP3.png|MP3 Audio.xml"}));
        auto window = newWindow();
        window->showWidget(Format_Audio);
        FormatTypeWidget* before = window->currentWidget();
        const FormatItem* markedBefore = before->selectedItem();

        window->slotChangeFormatChoosed(name);

        if (strip < 0) {
            QCOMPARE(g_itemChunk.itemname, QString("MP4"));
            QCOMPARE(window->currentWidget(), before);
            QCOMPARE(before->selectedItem(), markedBefore);
            return;
        }
        FormatTypeWidget* expected = window->stripOf(FormatType(strip));
        QCOMPARE(window->currentWidget(), expected);
        QVERIFY(!window->buttonOf(FormatType(strip))->isEnabled());
        QVERIFY(expected->selectedItem());
        QCOMPARE(expected->selectedItem()->itemname.toUpper(), name.toUpper());
        QVERIFY(expected->selectedItem()->isPressed());
        // The marked item is the current choice, not an earlier press.
        QCOMPARE(g_itemChunk.itemname, expected->selectedItem()->itemname);
        QCOMPARE(g_itemChunk.relevantfile, expected->selectedItem()->relevantfile);
    }

    // A broken catalogue is kept aside, not destroyed; its strip is empty.
    void brokenCatalogueKept()
    {
        const QByteArray broken = "<catalogue><item imagename=\"MP4.png\"";
        writeFile(catalogue("video"), broken);
        auto window = newWindow();
        QCOMPARE(window->m_videoWidget->GetListLength(), 0);
        QVERIFY(!QFile::exists(catalogue("video")));
        QCOMPARE(readFile(catalogue("video") + ".broken"), broken);
        QVERIFY(window->m_audioWidget->GetListLength() > 0);
    }

    // The settings button asks the queue, or in merge mode the panel.
    void settingsButtonRoutes()
    {
        auto window = newWindow();
        QSignalSpy toQueue(SignalClass::GetInstance(nullptr), &SignalClass::signalShowSettingDialog);
        QSignalSpy toMerge(SignalClass::GetInstance(nullptr), &SignalClass::signalShowMergeSetting);
        FormatItem* marked = window->m_videoWidget->selectedItem();
        QVERIFY(marked);
        // Merge settings: answered by the panel's own dialog, reused.
        bool sawDialog = false;
        QTimer::singleShot(0, this, [&] {
            if (auto* dlg = qobject_cast<FormatSettingDialog*>(QApplication::activeModalWidget())) {
                sawDialog = dlg == window->mergeSettingDialog();
                dlg->close();
            }
        });
        g_Configure.m_bMerge = true;
        marked->m_btnSetting->click();
        QCOMPARE(toMerge.count(), 1);
        QVERIFY(sawDialog);
        FormatSettingDialog* first = window->mergeSettingDialog();
        QTimer::singleShot(0, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        marked->m_btnSetting->click();
        QCOMPARE(window->mergeSettingDialog(), first);
        QCOMPARE(first->xmlFile(), GobelItemChunk::profilePath("MP4 Video.xml"));

        g_Configure.m_bMerge = false;
        marked->m_btnSetting->click();
        QCOMPARE(toQueue.count(), 1);
        QCOMPARE(toMerge.count(), 2);
    }

    void iconPlacement_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("drawn");
        QTest::newRow("largest unscaled") << QSize(65, 70) << QRect(12, 11, 65, 70);
        QTest::newRow("too wide") << QSize(66, 10) << QRect(22, 16, 46, 60);
        QTest::newRow("too high") << QSize(10, 71) << QRect(22, 16, 46, 60);
        QTest::newRow("small centred") << QSize(40, 30) << QRect(24, 31, 40, 30);
    }

    void iconPlacement()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, drawn);
        QTemporaryDir dir;
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(dir.filePath("icon.png")));
        FormatItem item;
        item.setbgImage(dir.filePath("icon.png"));
        QCOMPARE(item.imagename, QString("icon.png"));
        QVERIFY(item.hasImage());
        QCOMPARE(item.imageRect(), drawn);
        item.setbgImage(dir.filePath("missing.png"));
        QVERIFY(!item.hasImage());
        QCOMPARE(item.imagename, QString("missing.png"));
    }

    // A left click settles on whole tiles: from 137 it steps 112, 85, 60,
    // 35, 10, 0 and stops there; a right click moves 30.
    void scrollButtons()
    {
        auto window = newWindow();
        window->resize(500, window->height());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        FormatTypeWidget* strip = window->m_videoWidget;
        QScrollBar* bar = strip->m_scrollArea->horizontalScrollBar();
        QVERIFY(bar->maximum() > 200);
        QVERIFY(strip->m_btnLeft->isVisible());

        strip->moveX(137);
        strip->OnPressLeft();
        strip->OnLeft();
        QList<int> steps;
        for (int i = 0; i < 8; ++i) {
            strip->timeOu();
            steps << bar->value();
        }
        QCOMPARE(steps, QList<int>({112, 85, 60, 35, 10, 0, 0, 0}));

        strip->OnPressRight();
        strip->OnRight();
        // one tick of the strip's timer, then it stops
        QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 30, 5000);
        QTest::qWait(60);
        QCOMPARE(bar->value(), 30);
    }

    void settingsDialog_data()
    {
        QTest::addColumn<QString>("button"); // "", High, Default, Small
        QTest::addColumn<bool>("merge");
        QTest::addColumn<QStringList>("result"); // the eight values after Ok
        const QStringList handedIn{"H264", "640*360", "25", "Auto", "AAC", "2", "44100", "128"};
        QTest::newRow("as handed in, task") << "" << false << handedIn;
        QTest::newRow("as handed in, merge") << "" << true << handedIn;
        QTest::newRow("high, task") << "High" << false
                                    << QStringList{"MPEG-4", "1280*720", "Original", "3000",
                                                   "MP3",    "2",        "48000",    "Auto"};
        QTest::newRow("default, merge") << "Default" << true << handedIn;
        // The small preset's size is not offered: that list keeps its value.
        QTest::newRow("small, task") << "Small" << false << QStringList{"H264", "640*360", "24",    "800",
                                                                        "AAC",  "1",       "22050", "64"};
    }

    void settingsDialog()
    {
        QFETCH(QString, button);
        QFETCH(bool, merge);
        QFETCH(QStringList, result);
        writeFile(
            GobelItemChunk::profilePath("Dialog Test.xml"),
            "<P OnlyAudio=\"N\">"
            "<ATTRIBUTE_VALUE V_Encoder=\"H264,MPEG-4\" V_Resolution=\"640*360,1280*720\" "
            "V_FrameRate=\"Original,24,25\" V_BitRate=\"Auto,800,3000\" A_Encoder=\"AAC,MP3\" "
            "A_Channel=\"1,2\" A_SampleRate=\"22050,44100,48000\" A_BitRate=\"Auto,64,128\"/>"
            "<HIGH_QUALITY_VALUE V_Encoder=\"MPEG-4\" V_Resolution=\"1280*720\" V_FrameRate=\"Original\" "
            "V_BitRate=\"3000\" A_Encoder=\"MP3\" A_Channel=\"2\" A_SampleRate=\"48000\" A_BitRate=\"Auto\"/>"
            "<STANDARD_QUALITY_VALUE V_Encoder=\"H264\" V_Resolution=\"640*360\" V_FrameRate=\"25\" "
            "V_BitRate=\"Auto\" A_Encoder=\"AAC\" A_Channel=\"2\" A_SampleRate=\"44100\" A_BitRate=\"128\"/>"
            "<SMALL_QUALITY_VALUE V_Encoder=\"H264\" V_Resolution=\"320*240\" V_FrameRate=\"24\" "
            "V_BitRate=\"800\" A_Encoder=\"AAC\" A_Channel=\"1\" A_SampleRate=\"22050\" A_BitRate=\"64\"/>"
            "<VIDIO_FOMAT_INFO V_Format=\"MP4\" V_Extend=\"mp4\"/></P>");
        g_Configure.m_bMerge = merge;
        Convertinfo in;
        in.isVideo = true;
        in.V_Encoder = "H264";
        in.V_Resolution = "640*360";
        in.V_FrameRate = "25";
        in.V_BitRate = "Auto";
        in.A_Encoder = "AAC";
        in.A_Channel = "2";
        in.A_SampleRate = "44100";
        in.A_BitRate = "128";
        in.V_Format = "MP4";
        in.V_Extend = "mp4";
        g_itemChunk.m_convertinfo = Convertinfo();

        FormatSettingDialog dialog(nullptr);
        QSignalSpy changed(&dialog, &FormatSettingDialog::signalChangeConvertInfo);
        dialog.setConvertinfo(in);
        dialog.setXmlfile(GobelItemChunk::profilePath("Dialog Test.xml"));
        QCOMPARE(dialog.v_framerateBox->currentText(), QString("25 fps"));
        QCOMPARE(dialog.itemsOf(FormatSettingDialog::V_FrameRate),
                 QStringList({"Original", "24 fps", "25 fps"}));
        QCOMPARE(dialog.itemsOf(FormatSettingDialog::A_BitRate),
                 QStringList({"Auto", "64 kbps", "128 kbps"}));
        QCOMPARE(dialog.a_samplerateBox->currentText(), QString("44100 HZ"));
        QCOMPARE(dialog.presetsOf(FormatSettingDialog::V_Resolution), QList<int>({1, 0, -1}));

        if (!button.isEmpty())
            dialog.findChild<QImageButton*>("m_btn" + button)->click();
        dialog.m_btnOK->click();

        const Convertinfo out = merge
            ? g_itemChunk.m_convertinfo
            : (changed.isEmpty() ? Convertinfo() : changed.first().first().value<Convertinfo>());
        QCOMPARE(changed.count(), merge ? 0 : 1);
        QCOMPARE(QStringList({out.V_Encoder, out.V_Resolution, out.V_FrameRate, out.V_BitRate, out.A_Encoder,
                              out.A_Channel, out.A_SampleRate, out.A_BitRate}),
                 result);
        QVERIFY(out.isVideo);
        QCOMPARE(out.V_Format, QString("MP4"));
        QCOMPARE(out.V_Extend, QString("mp4"));
        if (!merge)
            QVERIFY(g_itemChunk.m_convertinfo.V_Format.isEmpty());
    }

    // Values that are not offered, a reopened file and an audio-only profile.
    void settingsDialogEdges()
    {
        writeFile(
            GobelItemChunk::profilePath("Audio Test.xml"),
            "<P OnlyAudio=\"Y\"><ATTRIBUTE_VALUE A_Encoder=\"MP3\" A_Channel=\"Original,2\" "
            "A_SampleRate=\"44100\" A_BitRate=\"64, 128\"/>"
            "<HIGH_QUALITY_VALUE A_Encoder=\"MP3\" A_Channel=\"2\" A_SampleRate=\"44100\" A_BitRate=\"64\"/>"
            "<STANDARD_QUALITY_VALUE A_Encoder=\"MP3\" A_Channel=\"Original\" A_SampleRate=\"44100\" "
            "A_BitRate=\" 128\"/></P>");
        Convertinfo in;
        in.isVideo = false;
        in.V_Encoder = "kept";
        in.A_Encoder = "MP3";
        in.A_Channel = "2";
        in.A_SampleRate = "44100";
        in.A_BitRate = "128"; // the list offers " 128" (blank kept), so not found
        FormatSettingDialog dialog(nullptr);
        QSignalSpy changed(&dialog, &FormatSettingDialog::signalChangeConvertInfo);
        dialog.setConvertinfo(in);
        dialog.setXmlfile(GobelItemChunk::profilePath("Audio Test.xml"));
        QVERIFY(!dialog.v_codecBox->isEnabled());
        QCOMPARE(dialog.v_codecBox->count(), 0);
        QCOMPARE(dialog.itemsOf(FormatSettingDialog::A_BitRate), QStringList({"64 kbps", " 128 kbps"}));
        QCOMPARE(dialog.a_bitrateBox->currentIndex(), -1);

        // No choice in a list: Ok keeps that value rather than emptying it.
        dialog.m_btnOK->click();
        QCOMPARE(changed.count(), 1);
        Convertinfo out = changed.takeFirst().first().value<Convertinfo>();
        QCOMPARE(out.A_BitRate, QString("128"));
        QCOMPARE(out.A_Channel, QString("2"));
        QCOMPARE(out.V_Encoder, QString("kept"));

        // Small is missing: nothing changes. High, then Cancel: nothing told.
        dialog.m_btnSmall->click();
        QCOMPARE(dialog.a_channelBox->currentText(), QString("2"));
        dialog.m_btnHigh->click();
        QCOMPARE(dialog.a_bitrateBox->currentText(), QString("64 kbps"));
        dialog.m_btnCancel->click();
        QCOMPARE(changed.count(), 0);

        // Reopened on the same file: the remembered entries, not the values
        // handed in.
        in.A_Channel = "Original";
        dialog.setConvertinfo(in);
        dialog.setXmlfile(GobelItemChunk::profilePath("Audio Test.xml"));
        QCOMPARE(dialog.a_channelBox->currentText(), QString("2"));
        QCOMPARE(dialog.a_bitrateBox->currentIndex(), -1);
    }
};

QTEST_MAIN(TstFormatWindow)
#include "tst_formatwindow.moc"
