// A watermark picture or subtitle file the person picks is judged as the
// conversion then treats it: a file the picker takes converts, a file it
// refuses fails the conversion with the watermark or subtitle error (the
// one exception: a picture over the editor's size limit, which the engine
// would draw). Damaged pictures, lying headers, a top-down BMP, files that
// are not regular files and an over-size subtitle file, on the real engine.
#include "editing/PickedFiles.h"

#include <orvalta.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ffmpeg(const QStringList& args)
{
    QProcess p;
    p.start("ffmpeg", QStringList{"-nostdin", "-v", "error", "-y"} + args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A 24-bit BMP of width x height whose header states height as given
// (negative: rows stored top-down), with bodyBytes of pixel data.
QByteArray bmp(int width, int height, int bodyBytes)
{
    QByteArray b("BM");
    auto put = [&b](qint64 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(char((quint64(value) >> (8 * i)) & 0xFF));
    };
    put(54 + bodyBytes, 4); // file size
    put(0, 4);
    put(54, 4); // pixels start
    put(40, 4); // info header size
    put(width, 4);
    put(height, 4);
    put(1, 2); // planes
    put(24, 2); // bits per pixel
    put(0, 4); // no compression
    put(bodyBytes, 4);
    put(2835, 4); // 72 dpi
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    return b + QByteArray(bodyBytes, char(0x40));
}

int rowBytes(int width) { return (width * 3 + 3) & ~3; }

// Converts 1 s of the clip with the picked file as watermark or subtitles:
// 0 when it succeeds, else the engine's error.
int convertWith(const QString& clip, const QString& picked, bool subtitles, const QString& dst)
{
    Config c = Config_Create();
    if (subtitles)
        Config_SetSubtlFile(c, picked.toUtf8().constData());
    else
        Config_SetWatermarkImageFile(c, picked.toUtf8().constData());
    ConverterHandle h = Converter_Create(-1);
    int result = -1;
    if (!Converter_Open(h, clip.toUtf8().constData(), dst.toUtf8().constData(), "mp4", c)) {
        result = Converter_GetError(h);
    } else {
        Converter_Start(h);
        QElapsedTimer t;
        t.start();
        // only a hang: the job takes well under a second
        while (!Converter_IsCompleted(h) && t.elapsed() < 60000)
            QThread::msleep(20);
        result = Converter_IsCompleted(h) ? Converter_GetError(h) : -2;
    }
    Converter_Release(h);
    Config_Release(c);
    QFile::remove(dst);
    return result;
}

} // namespace

class TestPickedFilesEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void judgedAsConverted_data();
    void judgedAsConverted();

private:
    QTemporaryDir m_dir;
    QString m_clip;
};

void TestPickedFilesEngine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("clip.mp4");
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-t", "1", "-pix_fmt", "yuv420p",
                    "-c:v", "libx264", m_clip}));
    const QString dir = m_dir.path() + '/';

    // Pictures: whole ones, cut ones and one that lies about its size.
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=33x17", "-frames:v", "1", dir + "whole.png"}));
    QVERIFY(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120", "-frames:v", "1", dir + "whole.gif"}));
    const QByteArray png = readAll(dir + "whole.png");
    QVERIFY(png.size() > 200);
    QVERIFY(writeAll(dir + "cut.png", png.left(png.size() / 2)));
    const QByteArray gif = readAll(dir + "whole.gif");
    QVERIFY(gif.size() > 200);
    QVERIFY(writeAll(dir + "cut.gif", gif.left(gif.size() / 2)));
    const int w = 17, h = 9;
    QVERIFY(writeAll(dir + "bottomup.bmp", bmp(w, h, rowBytes(w) * h)));
    QVERIFY(writeAll(dir + "topdown.bmp", bmp(w, -h, rowBytes(w) * h)));
    QVERIFY(writeAll(dir + "cut.bmp", bmp(w, h, rowBytes(w) * h / 2)));
    QVERIFY(writeAll(dir + "lying.bmp", bmp(4000, 4000, 16)));
    QVERIFY(writeAll(dir + "huge.bmp", bmp(5000, 10, rowBytes(5000) * 10)));
    QVERIFY(writeAll(dir + "words.png", "this is a text, not a picture\n"));

    // Subtitles.
    const QByteArray cue = "1\n00:00:00,000 --> 00:00:01,000\nHello\n\n";
    QVERIFY(writeAll(dir + "a.srt", cue));
    QVERIFY(writeAll(dir + "untimed.srt", "1\nHello there\n\n2\nAgain\n"));
    QVERIFY(writeAll(dir + "nodialogue.ass", "[Script Info]\nTitle: x\n"));
    QVERIFY(writeAll(dir + "oneline.sub", "{25}{50}Hi\n"));
    QVERIFY(writeAll(dir + "threelines.sub", "{0}{10}Hi\n{12}{20}there\n{22}{30}again\n"));
    // One byte over the limit, mostly a hole: costs no disk.
    QFile big(dir + "big.srt");
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.write(cue) == cue.size());
    QVERIFY(big.resize(qint64(ORV_MAX_PICKED_FILE_BYTES) + 1));
    big.close();

    // Files that are not regular files, and files that cannot be read.
    QVERIFY(::mkfifo(qPrintable(dir + "fifo.png"), 0600) == 0);
    QVERIFY(::mkfifo(qPrintable(dir + "fifo.srt"), 0600) == 0);
    QVERIFY(QDir().mkdir(dir + "folder.png"));
    QVERIFY(QFile::link(dir + "nothing-here.png", dir + "gone.png"));
    QVERIFY(writeAll(dir + "locked.srt", cue));
    QVERIFY(QFile::setPermissions(dir + "locked.srt", QFileDevice::Permissions()));
}

void TestPickedFilesEngine::judgedAsConverted_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("says"); // a part of the refusal
    QTest::addColumn<bool>("converts");

    const QString notPicture = "it is not a PNG, JPEG, BMP or GIF picture";
    const QString damaged = "cannot be used as a watermark: the picture is damaged.";
    const QString notSubtitle = "it holds no subtitle text";
    const QString notFile = "cannot be read: it is not a file";
    QTest::newRow("whole PNG 33x17") << "whole.png" << true << "" << true;
    QTest::newRow("whole GIF") << "whole.gif" << true << "" << true;
    QTest::newRow("bottom-up BMP 17x9") << "bottomup.bmp" << true << "" << true;
    QTest::newRow("top-down BMP 17x9") << "topdown.bmp" << true << "" << true;
    QTest::newRow("PNG cut in half") << "cut.png" << false << damaged << false;
    QTest::newRow("BMP cut in half") << "cut.bmp" << false << damaged << false;
    QTest::newRow("GIF cut in half") << "cut.gif" << false << damaged << false;
    QTest::newRow("BMP header claims 4000x4000") << "lying.bmp" << false << damaged << false;
    QTest::newRow("wider than a watermark may be") << "huge.bmp" << false << "(5000 x 10 pixels)" << true;
    QTest::newRow("text as a picture") << "words.png" << false << notPicture << false;
    QTest::newRow("FIFO as a picture") << "fifo.png" << false << notFile << false;
    QTest::newRow("folder as a picture") << "folder.png" << false << notFile << false;
    QTest::newRow("link to nothing") << "gone.png" << false << "\"gone.png\" cannot be read." << false;

    QTest::newRow("SubRip") << "a.srt" << true << "" << true;
    QTest::newRow("MicroDVD") << "threelines.sub" << true << "" << true;
    QTest::newRow("one MicroDVD line") << "oneline.sub" << false << notSubtitle << false;
    QTest::newRow("untimed text") << "untimed.srt" << false << notSubtitle << false;
    QTest::newRow("styles without dialogue") << "nodialogue.ass" << false << notSubtitle << false;
    QTest::newRow("over the size limit") << "big.srt" << false << "at most 64 MB" << false;
    QTest::newRow("FIFO as subtitles") << "fifo.srt" << false << notFile << false;
    QTest::newRow("no permission") << "locked.srt" << false << "\"locked.srt\" cannot be read." << false;
}

void TestPickedFilesEngine::judgedAsConverted()
{
    QFETCH(QString, file);
    QFETCH(bool, usable);
    QFETCH(QString, says);
    QFETCH(bool, converts);
    const QString path = m_dir.filePath(file);
    if (file == "locked.srt" && ::access(qPrintable(path), R_OK) == 0)
        QSKIP("this user reads files without permission");
    const bool subtitles = file.endsWith(".srt") || file.endsWith(".ass") || file.endsWith(".sub");

    const PickedFiles::Verdict verdict =
        subtitles ? PickedFiles::checkSubtitleFile(path) : PickedFiles::checkWatermarkPicture(path);
    QCOMPARE(verdict.usable, usable);
    QVERIFY2(verdict.message.contains(says), qPrintable(verdict.message));

    // What the conversion does with the same file.
    const int result = convertWith(m_clip, path, subtitles, m_dir.filePath("out.mp4"));
    QCOMPARE(result, converts ? int(ORV_OK) : subtitles ? int(ORV_E_SUBTITLE) : int(ORV_E_WATERMARK));
}

QTEST_GUILESS_MAIN(TestPickedFilesEngine)
#include "tst_pickedfiles_engine.moc"
