// End to end with the real engine: a task is edited in the editor, the
// choice confirmed with Ok, the task converted, and the output decoded. The
// editor's own processed picture at the same time must agree with it.
#include "HiddenEditorCost.h"

#include "../ResourceCopy.h"

#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "QCropOperateDlg.h"
#include "QSubtitleOperateDlg.h"
#include "QVideoEditDlg.h"
#include "ScrollAreaforBar.h"
#include "VideoConvertBar.h"
#include "formats/GobelItemChunk.h"

#include <orvalta.h>

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamWriter>
#include <QtTest>

#include <cmath>
#include <functional>

using namespace queuetest;

namespace {

constexpr int kW = 640;
constexpr int kH = 480;

bool run(const QStringList& args)
{
    QProcess p;
    p.start("ffmpeg", QStringList{"-v", "error", "-y"} + args);
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

// The output's picture at 1 s, as RGB.
QImage frameAt1s(const QString& path)
{
    QProcess p;
    p.start("ffmpeg",
            {"-v", "error", "-ss", "1", "-i", path, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24",
             "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    const QByteArray raw = p.readAllStandardOutput();
    if (raw.size() != kW * kH * 3)
        return QImage();
    return QImage(reinterpret_cast<const uchar*>(raw.constData()), kW, kH, kW * 3, QImage::Format_RGB888)
        .copy();
}

// The dominant tone of the output's first audio stream, by zero crossings.
double toneOf(const QString& path)
{
    QProcess p;
    p.start("ffmpeg",
            {"-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1", "-ar", "48000", "-f", "s16le", "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return 0;
    const QByteArray raw = p.readAllStandardOutput();
    const auto* s = reinterpret_cast<const qint16*>(raw.constData());
    const int n = raw.size() / 2;
    int crossings = 0;
    for (int i = 1; i < n; ++i)
        crossings += (s[i - 1] < 0) != (s[i] < 0) ? 1 : 0;
    return n > 0 ? crossings / 2.0 / (n / 48000.0) : 0;
}

enum class Colour { Red, Blue, Green, Black, Grey, Any };

bool is(QRgb c, Colour want)
{
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    switch (want) {
    case Colour::Red:
        return r > 160 && g < 90 && b < 90;
    case Colour::Blue:
        return b > 160 && r < 90 && g < 90;
    case Colour::Green:
        return g > 100 && r < 90 && b < 90;
    case Colour::Black:
        return r < 40 && g < 40 && b < 40;
    case Colour::Grey:
        return qAbs(r - 128) < 30 && qAbs(g - 128) < 30 && qAbs(b - 128) < 30;
    case Colour::Any:
        return true;
    }
    return false;
}

QString describe(QRgb c) { return QString("(%1,%2,%3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)); }

struct Probe
{
    QPoint at;
    Colour colour;
};

// Pixels of the lower fifth that are not the grey ground: burnt-in text.
int textPixels(const QImage& frame)
{
    int count = 0;
    for (int y = kH * 4 / 5; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            count += is(frame.pixel(x, y), Colour::Grey) ? 0 : 1;
    return count;
}

} // namespace

struct EditCase
{
    QString clip;
    std::function<void(QVideoEditDlg*)> choose;
    QVector<Probe> probes;
    int subtitleText = -1; // 1: burnt-in text expected, 0: none, -1: not checked
    double tone = 0; // expected audio tone, 0: not checked
};
Q_DECLARE_METATYPE(EditCase)

class TestEditorEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void editThenConvert_data();
    void editThenConvert();
    void hiddenEditorCost();

private:
    ResourceCopy m_resources; // a profile is shipped by the test
    QTemporaryDir m_dir;
    bool m_ready = false;
};

void TestEditorEngine::initTestCase()
{
    QVERIFY(m_resources.isValid());
    QVERIFY(m_dir.isValid());
    qputenv("LUMIVANE_EVENT_LOG", m_dir.filePath("events.log").toLocal8Bit());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        QSKIP("the ffmpeg command is needed to make and check the clips");

    const QString d = m_dir.path() + "/";
    // Left half red, right half blue, 4:3, with a 440 Hz tone.
    QVERIFY(run({"-f",
                 "lavfi",
                 "-i",
                 "color=c=red:s=160x240:r=25:d=2",
                 "-f",
                 "lavfi",
                 "-i",
                 "color=c=blue:s=160x240:r=25:d=2",
                 "-f",
                 "lavfi",
                 "-i",
                 "sine=frequency=440:sample_rate=48000:d=2",
                 "-filter_complex",
                 "[0][1]hstack=inputs=2[v]",
                 "-map",
                 "[v]",
                 "-map",
                 "2",
                 "-c:v",
                 "libx264",
                 "-pix_fmt",
                 "yuv420p",
                 "-c:a",
                 "aac",
                 "-shortest",
                 d + "lr.mp4"}));
    // Grey with one subtitle stream covering the whole clip.
    QFile srt(d + "line.srt");
    QVERIFY(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:00,000 --> 00:00:02,000\nWWWWWWWWWW\n\n");
    srt.close();
    QVERIFY(run({"-f", "lavfi", "-i", "color=c=gray:s=320x240:r=25:d=2", "-i", d + "line.srt", "-map", "0",
                 "-map", "1", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:s", "srt", d + "sub.mkv"}));
    // Grey with two audio tracks, 440 Hz and 880 Hz.
    QVERIFY(run({"-f",        "lavfi",      "-i",   "color=c=gray:s=320x240:r=25:d=2",
                 "-f",        "lavfi",      "-i",   "sine=frequency=440:sample_rate=48000:d=2",
                 "-f",        "lavfi",      "-i",   "sine=frequency=880:sample_rate=48000:d=2",
                 "-map",      "0",          "-map", "1",
                 "-map",      "2",          "-c:v", "libx264",
                 "-pix_fmt",  "yuv420p",    "-c:a", "aac",
                 "-shortest", d + "two.mkv"}));
    QVERIFY(run({"-f", "lavfi", "-i", "color=c=0x00C000:s=48x48", "-frames:v", "1", d + "mark.png"}));

    // A 4:3 output of 640 x 480.
    const QString name = "editor_e2e.xml";
    QFile profile(GobelItemChunk::profilePath(name));
    QVERIFY(profile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QXmlStreamWriter xml(&profile);
    xml.writeStartDocument();
    xml.writeStartElement("Profile");
    xml.writeAttribute("OnlyAudio", "N");
    xml.writeStartElement("TEMP_QUALITY_VALUE");
    for (const auto& kv : {std::pair<const char*, const char*>{"V_Encoder", "H264"},
                           {"V_Resolution", "640*480"},
                           {"V_FrameRate", "25"},
                           {"V_BitRate", "2000"},
                           {"A_Encoder", "AAC"},
                           {"A_Channel", "2"},
                           {"A_SampleRate", "48000"},
                           {"A_BitRate", "128"}})
        xml.writeAttribute(kv.first, kv.second);
    xml.writeEndElement();
    xml.writeStartElement("VIDIO_FOMAT_INFO");
    xml.writeAttribute("V_Format", "MP4");
    xml.writeAttribute("V_Extend", "mp4");
    xml.writeEndElement();
    xml.writeEndDocument();
    profile.close();
    g_itemChunk.setNames("MP4.png", "Test", name);

    // Without the engine's player the editor cannot open anything.
    QVideoEditDlg probe(nullptr);
    m_ready = probe.SetVideoFile(d + "lr.mp4", 0, 0);
}

void TestEditorEngine::editThenConvert_data()
{
    QTest::addColumn<EditCase>("row");
    const QString d = m_dir.path() + "/";
    QTest::newRow("rotate right: red on top")
        << EditCase{d + "lr.mp4",
                    [](QVideoEditDlg* e) {
                        e->OnCropBtn();
                        e->cropPanel()->m_btnRightRotate->click();
                    },
                    {{{320, 60}, Colour::Red}, {{320, 420}, Colour::Blue}, {{20, 240}, Colour::Black}}};
    QTest::newRow("horizontal: sides swapped")
        << EditCase{d + "lr.mp4",
                    [](QVideoEditDlg* e) {
                        e->OnCropBtn();
                        e->cropPanel()->m_btnFlipH->click();
                    },
                    {{{100, 240}, Colour::Blue}, {{540, 240}, Colour::Red}}};
    QTest::newRow("16:9 into 4:3: bars top and bottom")
        << EditCase{d + "lr.mp4",
                    [](QVideoEditDlg* e) {
                        e->OnCropBtn();
                        e->cropPanel()->m_radRatio16_9->click();
                    },
                    {{{320, 20}, Colour::Black}, {{320, 460}, Colour::Black}, {{100, 240}, Colour::Red}}};
    QTest::newRow("full screen: no bars") << EditCase{d + "lr.mp4",
                                                      [](QVideoEditDlg* e) {
                                                          e->OnCropBtn();
                                                          e->cropPanel()->m_radScreen->click();
                                                      },
                                                      {{{100, 10}, Colour::Red}, {{540, 470}, Colour::Blue}}};
    QTest::newRow("png watermark at the top left")
        << EditCase{d + "lr.mp4",
                    [d](QVideoEditDlg* e) {
                        WatermarkImageSettings s;
                        e->GetWatermarkImageSettings(s);
                        s.image_file = d + "mark.png";
                        s.pos_x = s.pos_y = 0;
                        e->SetWatermarkImageSettings(s);
                    },
                    {{{8, 8}, Colour::Green}, {{100, 240}, Colour::Red}}};
    QTest::newRow("first subtitle burnt in by default")
        << EditCase{d + "sub.mkv", [](QVideoEditDlg*) {}, {}, 1};
    QTest::newRow("[Disable] leaves the picture clean")
        << EditCase{d + "sub.mkv",
                    [](QVideoEditDlg* e) { e->subtitlePanel()->m_cmbSubtitle->setCurrentIndex(0); },
                    {},
                    0};
    QTest::newRow("audio track 2") << EditCase{
        d + "two.mkv",
        [](QVideoEditDlg* e) { e->subtitlePanel()->m_cmbAudio->setCurrentIndex(1); },
        {},
        -1,
        880};
}

void TestEditorEngine::editThenConvert()
{
    QFETCH(EditCase, row);
    if (!m_ready)
        QSKIP("the engine reports no player: the editor cannot open a clip");

    const QString out = m_dir.filePath("out/" + QString(QTest::currentDataTag()).left(10).replace(' ', '_'));
    g_Configure.m_strOutputFolder = out;
    g_Configure.m_bMerge = false;
    QueueUnderTest queue(nullptr);
    queue.resize(900, 400);
    queue.show();
    drop(&queue, {QUrl::fromLocalFile(row.clip)});
    QCOMPARE(queue.barList().size(), 1);
    VideoConvertBar* task = queue.barList().at(0);

    QImage preview;
    bool edited = false;
    ModalWatcher editor([&](QWidget* modal) {
        auto* dlg = qobject_cast<QVideoEditDlg*>(modal);
        if (!dlg)
            return false;
        edited = true;
        row.choose(dlg);
        // The editor's processed picture at 1 s, at the output's size.
        Player_Pause(dlg->player());
        Player_Seek(dlg->player(), 1000000);
        if (auto* block = static_cast<unsigned char*>(Player_CaptureVideoImage(dlg->player(), kW, kH))) {
            preview = QImage(block + 54, kW, kH, kW * 4, QImage::Format_RGB32).copy();
            Player_FreeVideoImage(dlg->player(), block);
        }
        dlg->m_btnOk->click();
        return true;
    });
    task->OnEditVideo();
    QVERIFY(edited);

    QSignalSpy finished(&queue, &ScrollAreaforBar::emitFinishConvert);
    ModalWatcher done([](QWidget* modal) {
        auto* dialog = qobject_cast<FinishConvertDialog*>(modal);
        if (dialog)
            dialog->m_okButton->click();
        return dialog != nullptr;
    });
    queue.StartConvert();
    queue.SetConvertState(true);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 120000);
    const QString output = task->OutputPath();
    QVERIFY2(QFileInfo::exists(output), qPrintable(output));

    if (!row.probes.isEmpty() || row.subtitleText >= 0) {
        const QImage frame = frameAt1s(output);
        QVERIFY(!frame.isNull());
        QVERIFY(!preview.isNull());
        for (const Probe& p : row.probes) {
            QVERIFY2(
                is(frame.pixel(p.at), p.colour),
                qPrintable(
                    QString("output %1,%2 %3").arg(p.at.x()).arg(p.at.y()).arg(describe(frame.pixel(p.at)))));
            QVERIFY2(is(preview.pixel(p.at), p.colour),
                     qPrintable(QString("preview %1,%2 %3")
                                    .arg(p.at.x())
                                    .arg(p.at.y())
                                    .arg(describe(preview.pixel(p.at)))));
        }
        if (row.subtitleText >= 0) {
            const int pixels = textPixels(frame);
            QVERIFY2(row.subtitleText ? pixels > 200 : pixels < 20, qPrintable(QString::number(pixels)));
            const int shown = textPixels(preview.convertToFormat(QImage::Format_RGB888));
            QVERIFY2(row.subtitleText ? shown > 200 : shown < 20, qPrintable(QString::number(shown)));
        }
    }
    if (row.tone > 0) {
        const double tone = toneOf(output);
        // Zero crossings of the coded tone read a little high; the other track
        // would read half as much.
        QVERIFY2(std::abs(tone - row.tone) < row.tone * 0.15, qPrintable(QString::number(tone)));
    }
}

void TestEditorEngine::hiddenEditorCost()
{
    if (!m_ready)
        QSKIP("the engine reports no player");
    QStringList files;
    for (int i = 0; i < 20; ++i) {
        const QString copy = m_dir.filePath(QString("cost%1.mp4").arg(i));
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_dir.filePath("lr.mp4"), copy));
        files << copy;
    }
    const HiddenEditorCost cost = measureHiddenEditorCost(files);
    QCOMPARE(cost.added, 20);
    figures::report("editor.hidden_cost_ratio_engine", cost.ratio(), "ratio", 1.2);
}

QTEST_MAIN(TestEditorEngine)
#include "tst_editor_engine.moc"
