// The source model's checks without an engine or a window: the thumbnail
// block the engine hands over, free output names, and the run's choice of
// the next task.

#include "clips/SourceProbe.h"
#include "queue/RunOutputs.h"
#include "queue/RunSchedule.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <cstring>

Q_DECLARE_METATYPE(QVector<RunSchedule::Task>)

namespace {

void putLe32(QByteArray& b, int at, int32_t v)
{
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((u >> (8 * i)) & 0xff);
}

// A 54-byte bitmap header for a w x h picture, then `rows` x `cols` pixels
// whose value is their row number (the order they are stored in).
QByteArray block(int32_t w, int32_t h, int rows, int cols)
{
    QByteArray b(54 + rows * cols * 4, '\0');
    b[0] = 'B';
    b[1] = 'M';
    putLe32(b, 2, 54 + qAbs(qint64(w) * h) * 4 > INT_MAX ? 0 : int32_t(54 + qAbs(qint64(w) * h) * 4));
    putLe32(b, 10, 54);
    putLe32(b, 18, w);
    putLe32(b, 22, h);
    b[28] = 32;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            putLe32(b, 54 + (r * cols + c) * 4, r);
    return b;
}

} // namespace

class TestSourceChecks : public QObject
{
    Q_OBJECT

private slots:
    void thumbnailBlock_data();
    void thumbnailBlock();
    void freeOutputPath();
    void nextTask_data();
    void nextTask();
};

void TestSourceChecks::thumbnailBlock_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<uint>("width");
    QTest::addColumn<uint>("height");
    QTest::addColumn<QList<int>>("rowsTopDown"); // empty: refused

    QTest::newRow("top-down") << block(2, -3, 3, 2) << 2u << 3u << QList<int>{0, 1, 2};
    QTest::newRow("bottom-up") << block(2, 3, 3, 2) << 2u << 3u << QList<int>{2, 1, 0};
    QTest::newRow("size differs from the probe") << block(2, 3, 3, 2) << 3u << 2u << QList<int>{};
    QTest::newRow("lowest height") << block(2, INT_MIN, 1, 2) << 2u << 0u << QList<int>{};
    QTest::newRow("side too large") << block(16385, -1, 1, 1) << 16385u << 1u << QList<int>{};
    QTest::newRow("negative width") << block(-2, 3, 1, 1) << 2u << 3u << QList<int>{};
    QByteArray bits = block(2, 3, 3, 2);
    bits[28] = 24;
    QTest::newRow("24 bits") << bits << 2u << 3u << QList<int>{};
    QByteArray compressed = block(2, 3, 3, 2);
    putLe32(compressed, 30, 3);
    QTest::newRow("compressed") << compressed << 2u << 3u << QList<int>{};
    QByteArray offset = block(2, 3, 3, 2);
    putLe32(offset, 10, 58);
    QTest::newRow("pixels elsewhere") << offset << 2u << 3u << QList<int>{};
    QByteArray sizeField = block(2, 3, 3, 2);
    putLe32(sizeField, 2, 54 + 2 * 3 * 4 + 4);
    QTest::newRow("size field disagrees") << sizeField << 2u << 3u << QList<int>{};
}

void TestSourceChecks::thumbnailBlock()
{
    QFETCH(QByteArray, bytes);
    QFETCH(uint, width);
    QFETCH(uint, height);
    QFETCH(QList<int>, rowsTopDown);

    QByteArray pixels("untouched");
    const bool ok = SourceProbe::checkThumbnail(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                                width, height, pixels);
    QCOMPARE(ok, !rowsTopDown.isEmpty());
    if (!ok) {
        QCOMPARE(pixels, QByteArray("untouched"));
        return;
    }
    QCOMPARE(pixels.size(), int(width * height * 4));
    for (int y = 0; y < rowsTopDown.size(); ++y) {
        int32_t first;
        std::memcpy(&first, pixels.constData() + y * int(width) * 4, 4);
        QCOMPARE(first, rowsTopDown.at(y));
    }
    QByteArray none;
    QVERIFY(!SourceProbe::checkThumbnail(nullptr, width, height, none));
}

void TestSourceChecks::freeOutputPath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path();
    QCOMPARE(RunOutputs::freePath(folder + "/", "clip.v1.mov", "mp4", nullptr), folder + "/clip.v1.mp4");

    QFile(folder + "/clip.mp4").open(QIODevice::WriteOnly);
    // A dangling link also holds its name.
    QVERIFY(QFile::link(folder + "/nowhere", folder + "/clip1.mp4"));
    const QSet<QString> taken{folder + "/clip2.mp4"};
    QCOMPARE(RunOutputs::freePath(folder, "clip.mov", "mp4", &taken), folder + "/clip3.mp4");
    QCOMPARE(SourceProbe::stemOf("noext"), QString("noext"));
}

void TestSourceChecks::nextTask_data()
{
    using Task = RunSchedule::Task;
    QTest::addColumn<QVector<Task>>("tasks");
    QTest::addColumn<int>("next");
    QTest::newRow("empty") << QVector<Task>{} << -1;
    QTest::newRow("first waiting") << QVector<Task>{{false, false}, {true, false}, {true, false}} << 1;
    QTest::newRow("started ones skipped") << QVector<Task>{{true, true}, {false, true}, {true, false}} << 2;
    QTest::newRow("none left") << QVector<Task>{{false, false}, {true, true}} << -1;
}

void TestSourceChecks::nextTask()
{
    QFETCH(QVector<RunSchedule::Task>, tasks);
    QFETCH(int, next);
    QCOMPARE(RunSchedule::nextTask(tasks), next);
}

QTEST_APPLESS_MAIN(TestSourceChecks)
#include "tst_sourcechecks.moc"
