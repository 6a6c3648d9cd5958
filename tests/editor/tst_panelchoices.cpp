// What the person chooses in the watermark and subtitle panels, down to
// what the engine configuration receives: the two watermark boxes, and
// picked files the engine cannot use (said at once, kept out, a FIFO
// without hanging), with the longest event-loop stall and the memory a huge
// picture costs reported as figures.
#include "../Figures.h"
#include "QSubtitleOperateDlg.h"
#include "QVideoEditDlg.h"
#include "QWatermarkOperateDlg.h"
#include "clips/ConfigMapping.h"

#include <orvalta_fake_control.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <zlib.h>

#include <sys/stat.h>

#include <functional>
#include <memory>

namespace {

// ---- PNG files made here, row by row, so a huge one costs no memory -------

void chunk(QFile& out, const char* type, const QByteArray& data)
{
    uchar length[4];
    qToBigEndian<quint32>(quint32(data.size()), length);
    out.write(reinterpret_cast<const char*>(length), 4);
    const QByteArray body = QByteArray(type, 4) + data;
    out.write(body);
    uchar crc[4];
    qToBigEndian<quint32>(
        quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))), crc);
    out.write(reinterpret_cast<const char*>(crc), 4);
}

// An RGB PNG of width x height that claims its size in the header and holds
// rowsWritten black rows (fewer than height: a cut file).
bool writePng(const QString& path, quint32 width, quint32 height, quint32 rowsWritten)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 2; // RGB
    chunk(out, "IHDR", header);

    z_stream z{};
    if (deflateInit(&z, Z_BEST_SPEED) != Z_OK)
        return false;
    const QByteArray row(int(1 + 3 * width), '\0');
    QByteArray buffer(1 << 16, '\0');
    for (quint32 y = 0; y <= rowsWritten; ++y) {
        const bool last = y == rowsWritten;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.constData()));
        z.avail_in = last ? 0 : uInt(row.size());
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer.data());
            z.avail_out = uInt(buffer.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            const int produced = buffer.size() - int(z.avail_out);
            if (produced > 0)
                chunk(out, "IDAT", buffer.left(produced));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    chunk(out, "IEND", QByteArray());
    return true;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

// The process's peak resident memory in kB since the last reset.
qint64 peakKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void resetPeak()
{
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Runs act, then spins the event loop until done(), a message box or 20 s,
// answering the box; the texts shown and the longest gap between 5 ms ticks.
struct Watched
{
    QStringList messages;
    qint64 longestStallMs = 0;
};

Watched watch(const std::function<void()>& act, const std::function<bool()>& done)
{
    Watched w;
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        w.longestStallMs = qMax(w.longestStallMs, now - lastTick);
        lastTick = now;
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            w.messages << box->text();
            box->accept();
        }
    });
    ticker.start();
    act();
    w.longestStallMs = qMax(w.longestStallMs, clock.elapsed() - lastTick);
    lastTick = clock.elapsed();
    QElapsedTimer limit;
    limit.start();
    while (!done() && w.messages.isEmpty() && limit.elapsed() < 20000)
        QTest::qWait(10);
    return w;
}

// What the configuration of a conversion with the editor's records holds.
QStringList configuredWatermarks(QVideoEditDlg& editor)
{
    MappingValues values;
    editor.GetWatermarkTextSettings(values.text);
    editor.GetWatermarkImageSettings(values.image);
    orvfake::clearCalls();
    Config config = Config_Create();
    ConfigMapping::send(config, values);
    Config_Release(config);
    QStringList out;
    for (const char* prefix : {"Config_SetWatermarkText(", "Config_SetWatermarkImageFile("}) {
        for (const std::string& line : orvfake::calls(prefix))
            out << QString::fromStdString(line).section('(', 0, 0) + ' '
                    + QString::fromStdString(line).section(", ", 1).chopped(1);
    }
    return out;
}

} // namespace

class TestPanelChoices : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void watermarkBoxes_data();
    void watermarkBoxes();
    void unusableFilesRefused_data();
    void unusableFilesRefused();
    void usableFilesTaken_data();
    void usableFilesTaken();
    void cleanupTestCase();

private:
    std::unique_ptr<QVideoEditDlg> openEditor();
    QTemporaryDir m_dir;
    // The worst over the picked files, reported once.
    qint64 m_longestStallMs = 0;
    qint64 m_peakGrowthKb = 0;
};

void TestPanelChoices::init() { orvfake::reset(); }

std::unique_ptr<QVideoEditDlg> TestPanelChoices::openEditor()
{
    orvfake::setMedia("/clips/clip.mov", orvfake::MediaFacts());
    auto editor = std::make_unique<QVideoEditDlg>();
    if (!editor->SetVideoFile("/clips/clip.mov", 0, 0))
        return nullptr;
    editor->OnWatermarkBtn();
    return editor;
}

void TestPanelChoices::watermarkBoxes_data()
{
    // Steps: "type:<text>", "text" / "image" (a click on that box),
    // "picture" (a usable picture picked).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("configured");
    const QString picture = m_dir.filePath("logo.png");
    const QString text = "Config_SetWatermarkText \"Hi\"";
    const QString image = QString("Config_SetWatermarkImageFile \"%1\"").arg(picture);
    QTest::newRow("text typed") << QStringList{"type:Hi"} << QStringList{text};
    QTest::newRow("text unticked") << QStringList{"type:Hi", "text"} << QStringList{};
    QTest::newRow("text ticked again") << QStringList{"type:Hi", "text", "text"} << QStringList{text};
    QTest::newRow("both") << QStringList{"type:Hi", "image", "picture"} << QStringList{text, image};
    QTest::newRow("image unticked") << QStringList{"type:Hi", "image", "picture", "image"}
                                    << QStringList{text};
    QTest::newRow("text unticked, image kept")
        << QStringList{"type:Hi", "image", "picture", "text", "text"} << QStringList{image};
    QTest::newRow("image ticked, none picked") << QStringList{"image"} << QStringList{};
}

void TestPanelChoices::watermarkBoxes()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, configured);
    QVERIFY(QImage(32, 32, QImage::Format_RGB32).save(m_dir.filePath("logo.png")));
    auto editor = openEditor();
    QVERIFY(editor);
    QWatermarkOperateDlg* panel = editor->watermarkPanel();
    for (const QString& step : steps) {
        if (step.startsWith("type:")) {
            panel->m_editText->setText(step.mid(5));
        } else if (step == "text") {
            panel->m_rdTextWater->click();
        } else if (step == "image") {
            panel->m_rdImageWater->click();
        } else if (step == "picture") {
            panel->pickImageFile(m_dir.filePath("logo.png"));
            QTRY_VERIFY(!panel->m_editImage->text().isEmpty());
        }
    }
    QCOMPARE(configuredWatermarks(*editor), configured);
    // The box of each watermark in the output is ticked.
    QCOMPARE(panel->m_rdTextWater->isChecked() && !panel->m_editText->text().isEmpty(),
             configured.join(' ').contains("Config_SetWatermarkText "));
}

void TestPanelChoices::cleanupTestCase()
{
    figures::report("editor.picker_stall_ms", double(m_longestStallMs), "ms", 200);
    figures::report("editor.picker_memory_kb", double(m_peakGrowthKb), "kB", 64 * 1024);
}

void TestPanelChoices::unusableFilesRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    // The stand-in engine reads headers only: what the real one finds in a
    // damaged body is scripted (-1: the stand-in's own reading).
    QTest::addColumn<int>("engineFinds");
    const QString dir = m_dir.path();
    QVERIFY(writePng(dir + "/huge.png", 12000, 12000, 12000));
    QVERIFY(writePng(dir + "/lying.png", 60000, 60000, 3));
    QVERIFY(writePng(dir + "/cut.png", 200, 200, 20));
    QVERIFY(writeBytes(dir + "/noise.png", randomBytes(4096)));
    QVERIFY(writeBytes(dir + "/words.png", "this is a text, not a picture\n"));
    QVERIFY(writeBytes(dir + "/noise.srt", randomBytes(4096)));
    QVERIFY(writeBytes(dir + "/untimed.srt", "1\nHello there\n\n2\nAgain\n"));
    QVERIFY(writeBytes(dir + "/nodialogue.ass", "[Script Info]\nTitle: x\n"));
    QVERIFY(::mkfifo(qPrintable(dir + "/fifo.png"), 0600) == 0);
    QVERIFY(::mkfifo(qPrintable(dir + "/fifo.srt"), 0600) == 0);
    QVERIFY(QDir().mkdir(dir + "/folder.srt"));
    QVERIFY(QFile::link(dir + "/nothing-here.png", dir + "/gone.png"));
    QFile big(dir + "/big.srt"); // one byte over the limit, mostly a hole
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.write("1\n00:00:01,000 --> 00:00:02,000\nHi\n") > 0);
    QVERIFY(big.resize(64 * 1024 * 1024 + 1));
    big.close();

    const QString tooLarge = "\"%1\" is too large for a watermark (%2 x %2 pixels). Use a picture of at "
                             "most 4096 x 4096 pixels.";
    const QString notPicture =
        "\"%1\" cannot be used as a watermark: it is not a PNG, JPEG, BMP or GIF picture.";
    const QString damaged = "\"%1\" cannot be used as a watermark: the picture is damaged.";
    const QString notSubtitle = "\"%1\" cannot be used as subtitles: it holds no subtitle text.";
    const QString notFile = "\"%1\" cannot be read: it is not a file.";
    QTest::newRow("huge picture") << "huge.png" << tooLarge.arg("huge.png").arg(12000) << -1;
    QTest::newRow("lying header") << "lying.png" << tooLarge.arg("lying.png").arg(60000) << -1;
    QTest::newRow("cut picture") << "cut.png" << damaged.arg("cut.png") << int(ORV_FILE_UNUSABLE);
    QTest::newRow("random bytes as picture") << "noise.png" << notPicture.arg("noise.png") << -1;
    QTest::newRow("text as picture") << "words.png" << notPicture.arg("words.png") << -1;
    QTest::newRow("random bytes as subtitles") << "noise.srt" << notSubtitle.arg("noise.srt") << -1;
    QTest::newRow("subtitles without timings") << "untimed.srt" << notSubtitle.arg("untimed.srt") << -1;
    QTest::newRow("styles without dialogue") << "nodialogue.ass" << notSubtitle.arg("nodialogue.ass") << -1;
    QTest::newRow("FIFO as picture") << "fifo.png" << notFile.arg("fifo.png") << -1;
    QTest::newRow("FIFO as subtitles") << "fifo.srt" << notFile.arg("fifo.srt") << -1;
    QTest::newRow("folder as subtitles") << "folder.srt" << notFile.arg("folder.srt") << -1;
    QTest::newRow("link to nothing") << "gone.png" << QString("\"gone.png\" cannot be read.") << -1;
    QTest::newRow("subtitles over 64 MB")
        << "big.srt"
        << QString("\"big.srt\" is too large for subtitles. Use a subtitle file of at most 64 MB.") << -1;
}

void TestPanelChoices::unusableFilesRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(int, engineFinds);
    auto editor = openEditor();
    QVERIFY(editor);
    const QString path = m_dir.filePath(file);
    const bool subtitle = !file.endsWith(".png");
    // With the size its header states, as the engine tells it.
    if (engineFinds >= 0)
        orvfake::setFileCheck(path.toStdString(), orvfake::FileCheck{engineFinds, 200, 200});
    const int entries = editor->subtitlePanel()->m_cmbSubtitle->count();
    orvfake::clearCalls();
    resetPeak();
    const qint64 before = peakKb();
    const Watched seen = watch(
        [&] {
            if (subtitle)
                editor->subtitlePanel()->pickSubtitleFile(path);
            else
                editor->watermarkPanel()->pickImageFile(path);
        },
        [] { return false; });
    const qint64 grown = peakKb() - before;
    qInfo("%s: longest event-loop stall %lld ms, peak memory grew by %lld kB", qPrintable(file),
          seen.longestStallMs, grown);
    m_longestStallMs = qMax(m_longestStallMs, seen.longestStallMs);
    m_peakGrowthKb = qMax(m_peakGrowthKb, grown);

    QCOMPARE(seen.messages, QStringList{message});
    // Nothing reached the records, the preview player or the choices.
    WatermarkImageSettings image;
    editor->GetWatermarkImageSettings(image);
    QVERIFY(image.image_file.isEmpty());
    QVERIFY(editor->watermarkPanel()->m_editImage->text().isEmpty());
    QVERIFY(editor->subtitlePanel()->getSubtlPath().isEmpty());
    QCOMPARE(editor->subtitlePanel()->m_cmbSubtitle->count(), entries);
    QVERIFY(orvfake::calls("Player_SetWatermarkImageFile(").empty());
    QVERIFY(orvfake::calls("Player_SetSubtlFile(").empty());
}

void TestPanelChoices::usableFilesTaken_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("picture") << "logo.png" << QByteArray();
    QTest::newRow("SubRip") << "a.srt" << QByteArray("1\n00:00:01,000 --> 00:00:02,500\nHello\n");
    QTest::newRow("SubRip in Latin-1")
        << "b.srt" << QByteArray("1\n00:00:01,000 --> 00:00:02,000\nd\xE9j\xE0\n");
    QTest::newRow("SubStation") << "c.ass"
                                << QByteArray(
                                       "[Script Info]\n[Events]\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,"
                                       "0,0,0,,Hi\n");
    QTest::newRow("SAMI") << "d.smi" << QByteArray("<SAMI><BODY><SYNC Start=1000><P>Hi</SAMI>");
    QTest::newRow("MicroDVD") << "e.sub" << QByteArray("{25}{50}Hi\n");
}

void TestPanelChoices::usableFilesTaken()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    const QString path = m_dir.filePath(file);
    if (content.isEmpty())
        QVERIFY(QImage(64, 48, QImage::Format_RGB32).save(path));
    else
        QVERIFY(writeBytes(path, content));
    auto editor = openEditor();
    QVERIFY(editor);
    const bool subtitle = content != QByteArray();
    const Watched seen = watch(
        [&] {
            if (subtitle)
                editor->subtitlePanel()->pickSubtitleFile(path);
            else
                editor->watermarkPanel()->pickImageFile(path);
        },
        [&] {
            return !editor->subtitlePanel()->getSubtlPath().isEmpty()
                || !editor->watermarkPanel()->m_editImage->text().isEmpty();
        });
    QCOMPARE(seen.messages, QStringList());
    if (subtitle) {
        QCOMPARE(editor->subtitlePanel()->getSubtlPath(), path);
    } else {
        WatermarkImageSettings image;
        editor->GetWatermarkImageSettings(image);
        QCOMPARE(image.image_file, path);
        QVERIFY(editor->watermarkPanel()->m_rdImageWater->isChecked());
    }
}

QTEST_MAIN(TestPanelChoices)
#include "tst_panelchoices.moc"
