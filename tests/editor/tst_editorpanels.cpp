// The trim tool panel, the tool panels' hand-off through the editing state
// and the snapshot settings dialog, offscreen.
#include "../ResourceCopy.h"
#include "editing/EditingState.h"

#include "QCaptureSettingDlg.h"
#include "QCropOperateDlg.h"
#include "QIAppUtil.h"
#include "QTrimOperatedlgDlg.h"
#include "QWatermarkOperateDlg.h"
#include "editing/QVideoSettingXml.h"

#include "files/UserData.h"
#include <QApplication>
#include <QDir>
#include <QDomDocument>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

namespace {

QString settingsFile() { return QVideoSettingXml::fileName(); }

void writeSettings(const QString& content)
{
    QDir().mkpath(QFileInfo(settingsFile()).path());
    QFile f(settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content.toUtf8());
}

QString readSettings()
{
    QFile f(settingsFile());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Answers the next message box and remembers its text.
QString answerNextMessage(const std::function<void()>& act)
{
    QString text;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->accept();
        }
    });
    timer.start();
    act();
    return text;
}

} // namespace

class TestEditorPanels : public QObject
{
    Q_OBJECT
private slots:
    void init() { QFile::remove(settingsFile()); }
    void trimPanelButtons_data();
    void trimPanelButtons();
    void settingsDialogShowsStored_data();
    void settingsDialogShowsStored();
    void settingsOkStoresBoth();
    void settingsCancelStoresNothing();
    void settingsOkReportsUnstored();
    void settingsRefusesUnwritableFolder_data();
    void settingsRefusesUnwritableFolder();
    void trimPanelMissingSprite();
    void panelsWorkThroughTheState();

private:
    ResourceCopy m_resources; // a sprite goes missing
};

void TestEditorPanels::trimPanelButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QString>("tip");
    QTest::newRow("previous") << "m_btnPrevious" << SIGNAL(OnPreviousBtn()) << QPoint(250, 8)
                              << "Previous Frame";
    QTest::newRow("next") << "m_btnNext" << SIGNAL(OnNextBtn()) << QPoint(295, 8) << "Next Frame";
    QTest::newRow("play section") << "m_btnPlaySection" << SIGNAL(OnPlayBtn()) << QPoint(345, 8)
                                  << "Play Section";
    QTest::newRow("trim") << "m_btnTrim" << SIGNAL(OnTrimBtn()) << QPoint(400, 8) << "Trim";
    QTest::newRow("reset") << "m_btnReset" << SIGNAL(OnResetTrim()) << QPoint(450, 3) << "Reset";
}

void TestEditorPanels::trimPanelButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, signal);
    QFETCH(QPoint, pos);
    QFETCH(QString, tip);
    QTrimOperatedlgDlg panel;
    const QList<const char*> all{SIGNAL(OnPreviousBtn()), SIGNAL(OnNextBtn()), SIGNAL(OnPlayBtn()),
                                 SIGNAL(OnTrimBtn()), SIGNAL(OnResetTrim())};
    QList<QSignalSpy*> spies;
    for (const char* s : all)
        spies << new QSignalSpy(&panel, s);
    auto* b = panel.findChild<QImageButton*>(button);
    QVERIFY(b);
    QCOMPARE(b->pos(), pos);
    QCOMPARE(b->toolTip(), tip);
    b->click();
    for (int i = 0; i < all.size(); ++i)
        QCOMPARE(spies[i]->count(), QString(all[i]) == signal ? 1 : 0);
    qDeleteAll(spies);

    // the panel paints its own dark background
    panel.resize(524, 58);
    const QImage shot = panel.grab().toImage();
    QCOMPARE(shot.pixelColor(5, 5), QColor(34, 36, 37));
}

void TestEditorPanels::settingsDialogShowsStored_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("PNG") << "PNG"
                         << "PNG";
    QTest::newRow("BMP") << "BMP"
                         << "BMP";
    QTest::newRow("lower case is not a choice") << "png"
                                                << "JPEG";
    QTest::newRow("unknown") << "TIFF"
                             << "JPEG";
}

void TestEditorPanels::settingsDialogShowsStored()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    const QString folder = QDir::tempPath() + "/lv-shots";
    writeSettings(QString("<ROOTITEM><Screenshots IMG_SUFFIX=\"%1\" IMG_Folder=\"%2\"/></ROOTITEM>")
                      .arg(stored, folder));
    QDir(UserData::folder() + "/Screenshots").removeRecursively();
    QCaptureSettingDlg dlg;
    QStringList items;
    for (int i = 0; i < dlg.m_cmbFormat->count(); ++i)
        items << dlg.m_cmbFormat->itemText(i);
    QCOMPARE(items, QStringList({"JPEG", "JPG", "BMP", "PNG"}));
    QCOMPARE(dlg.m_cmbFormat->currentText(), shown);
    QCOMPARE(dlg.m_editPath->text(), folder);
    QVERIFY(dlg.m_editPath->isReadOnly());
    // the default folder is made even though another one is stored
    QVERIFY(QDir(UserData::folder() + "/Screenshots").exists());
    // every child moved up by 30 from its place
    QCOMPARE(dlg.m_cmbFormat->pos(), QPoint(100, 45));
    QCOMPARE(dlg.m_btnOk->pos(), QPoint(395, 150));
    QCOMPARE(dlg.windowTitle(), QString("Save"));
}

void TestEditorPanels::settingsOkStoresBoth()
{
    QCaptureSettingDlg dlg;
    QCOMPARE(dlg.m_cmbFormat->currentText(), QString("JPEG"));
    QCOMPARE(dlg.savePath(), UserData::folder() + "/Screenshots");
    dlg.m_cmbFormat->setCurrentText("BMP");
    dlg.setSavePath("/tmp/elsewhere");
    dlg.m_btnOk->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(QVideoSettingXml::getCaptureImgSuffix(), QString("BMP"));
    QCOMPARE(QVideoSettingXml::getCaptrueImaSavePath(), QString("/tmp/elsewhere"));

    // Ok with nothing changed writes both values again
    writeSettings("<ROOTITEM><Screenshots IMG_SUFFIX=\"PNG\" IMG_Folder=\"/tmp/x\" keep=\"1\"/>"
                  "<Other a=\"b\"/></ROOTITEM>");
    QCaptureSettingDlg again;
    again.m_btnOk->click();
    QDomDocument doc;
    QVERIFY(doc.setContent(readSettings()));
    const QDomElement shots = doc.documentElement().firstChildElement("Screenshots");
    QCOMPARE(shots.attribute("IMG_SUFFIX"), QString("PNG"));
    QCOMPARE(shots.attribute("IMG_Folder"), QString("/tmp/x"));
    QCOMPARE(shots.attribute("keep"), QString("1"));
    QVERIFY(!doc.documentElement().firstChildElement("Other").isNull());
}

void TestEditorPanels::settingsCancelStoresNothing()
{
    writeSettings("<ROOTITEM><Screenshots IMG_SUFFIX=\"PNG\" IMG_Folder=\"/tmp/x\"/></ROOTITEM>");
    const QString before = readSettings();
    QCaptureSettingDlg dlg;
    dlg.show();
    dlg.m_cmbFormat->setCurrentText("BMP");
    dlg.setSavePath("/tmp/other");
    dlg.m_btnCancel->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!dlg.isVisible());
    QCOMPARE(readSettings(), before);
}

void TestEditorPanels::settingsOkReportsUnstored()
{
    QCaptureSettingDlg dlg; // writes the defaults
    dlg.show();
    writeSettings("this is not xml");
    dlg.m_cmbFormat->setCurrentText("PNG");
    const QString message = answerNextMessage([&] { dlg.m_btnOk->click(); });
    QVERIFY2(message.contains("could not be saved"), qPrintable(message));
    QVERIFY(dlg.isVisible()); // not ended as if stored
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(readSettings(), QString("this is not xml"));
}

void TestEditorPanels::settingsRefusesUnwritableFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("writable folder") << "folder" << true;
    // Nobody, not even root, makes a file in /proc.
    QTest::newRow("folder nobody can write") << "proc" << false;
    QTest::newRow("a file") << "file" << false;
    QTest::newRow("a FIFO") << "fifo" << false;
    QTest::newRow("gone") << "gone" << false;
}

void TestEditorPanels::settingsRefusesUnwritableFolder()
{
    QFETCH(QString, kind);
    QFETCH(bool, accepted);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QString chosen = tmp.filePath("shots");
    if (kind == "folder")
        QVERIFY(QDir().mkpath(chosen));
    if (kind == "proc")
        chosen = "/proc";
    if (kind == "file") {
        QFile f(chosen);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(chosen).constData(), 0644), 0);

    QCaptureSettingDlg dlg;
    dlg.show();
    const QString before = dlg.savePath();
    QString message;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->accept();
        }
    });
    answer.start(10);
    dlg.pickFolder(chosen);
    if (accepted) {
        QTRY_COMPARE(dlg.savePath(), chosen);
        QCOMPARE(dlg.m_editPath->text(), chosen);
        // The trial file is gone again.
        QCOMPARE(QDir(chosen).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    } else {
        QTRY_VERIFY(!message.isEmpty());
        QCOMPARE(message,
                 QString("Snapshots cannot be saved in \"%1\": the folder cannot be written to. "
                         "Choose another folder.")
                     .arg(chosen));
        QCOMPARE(dlg.savePath(), before);
        QCOMPARE(dlg.m_editPath->text(), before);
    }
    dlg.m_btnOk->click();
    QCOMPARE(QVideoSettingXml::getCaptrueImaSavePath(), accepted ? chosen : before);
    QVERIFY(message.isEmpty() == accepted);
}

void TestEditorPanels::trimPanelMissingSprite()
{
    QVERIFY(m_resources.isValid());
    const QString sprite = QIAppUtil::getResourcePath() + "/image/VideoEditDlg/button_next_frame.png";
    QVERIFY(QFile::rename(sprite, sprite + ".away"));
    QTrimOperatedlgDlg panel;
    QFile::rename(sprite + ".away", sprite);
    // The previous-frame button has its picture; nothing is placed or wired.
    QCOMPARE(panel.m_btnPrevious->width(), 40);
    QCOMPARE(panel.m_btnPrevious->pos(), QPoint(50, 20));
    QSignalSpy spy(&panel, SIGNAL(OnPreviousBtn()));
    panel.m_btnPrevious->click();
    panel.m_btnReset->click();
    QCOMPARE(spy.count(), 0);
}

void TestEditorPanels::panelsWorkThroughTheState()
{
    // No editor anywhere: a plain parent, and the state alone.
    QWidget host;
    EditingState state;
    CropSettings mirrored;
    mirrored.mirror = 1;
    state.changeCrop(mirrored);
    WatermarkTextSettings faint;
    faint.alpha = 200;
    state.changeText(faint);
    QList<CropSettings> crops;
    QList<WatermarkTextSettings> texts;
    connect(&state, &EditingState::cropChanged, [&](CropSettings s) { crops << s; });
    connect(&state, &EditingState::textChanged, [&](WatermarkTextSettings s) { texts << s; });
    QCropOperateDlg crop(&host, &state);
    QWatermarkOperateDlg watermark(&host, &state);

    crop.m_btnRightRotate->click();
    QCOMPARE(crops.size(), 1);
    // the stored record, changed: mirrored, so a right turn is 270
    QCOMPARE(crops[0].rotate, 270);
    QCOMPARE(crops[0].mirror, 1);
    // the state stored it before announcing, so the next turn builds on it
    QCOMPARE(state.crop().rotate, 270);
    crop.m_btnRightRotate->click();
    QCOMPARE(crops.size(), 2);
    QCOMPARE(state.crop().rotate, 180);
    QCOMPARE(crops[1].rotate, 180);

    texts.clear();
    watermark.m_editText->setText("Hi");
    QCOMPARE(texts.size(), 1);
    QCOMPARE(texts[0].text, QString("Hi"));
    QCOMPARE(texts[0].alpha, 255); // the panel's own opacity
    QCOMPARE(state.text().text, QString("Hi"));

    // Without a state the panels change nothing and do not fail.
    QCropOperateDlg lone(&host);
    lone.m_btnRightRotate->click();
    QCOMPARE(crops.size(), 2);
}

QTEST_MAIN(TestEditorPanels)
#include "tst_editorpanels.moc"
