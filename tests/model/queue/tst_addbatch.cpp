// One add's batch without a window: results of an earlier batch are
// dropped, rows arrive once and in file order, a row that leaves is never
// reached again, and the chosen format is read once a batch.

#include "queue/AddBatch.h"

#include <QtTest>

namespace {
using Key = AddBatch::Key;

// A batch of `count` files, row keys 1, 2, ...; the reader counts its reads.
AddBatch batchOf(int count, int* reads = nullptr, const QString& profile = QStringLiteral("MP4 Video.xml"))
{
    AddBatch batch([reads, profile] {
        if (reads)
            ++*reads;
        TaskFormat format;
        format.profile = profile;
        format.read = true;
        return format;
    });
    for (int i = 0; i < count; ++i)
        batch.append(QStringLiteral("/media/f%1.mp4").arg(i), Key(i + 1));
    return batch;
}
} // namespace

class TstAddBatch : public QObject
{
    Q_OBJECT

private slots:
    void probeResult_data();
    void probeResult();
    void rowsArriveOnceInFileOrder();
    void removalMidBatch_data();
    void removalMidBatch();
    void resetHandsBackUndelivered_data();
    void resetHandsBackUndelivered();
    void formatReadOncePerBatch();
};

void TstAddBatch::probeResult_data()
{
    // A batch of three files; `resets` new batches (a new add, a cancel or a
    // clear) are opened after the worker took its copy, and the new batch
    // holds three files too.
    QTest::addColumn<int>("resets");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("twice");
    QTest::addColumn<Key>("probed");
    QTest::addColumn<Key>("arrived");
    QTest::newRow("this batch, first file") << 0 << 0 << false << Key(1) << Key(1);
    QTest::newRow("this batch, last file") << 0 << 2 << false << Key(3) << Key(3);
    QTest::newRow("second result for a file") << 0 << 1 << true << Key(0) << Key(2);
    QTest::newRow("index past the end") << 0 << 3 << false << Key(0) << Key(0);
    QTest::newRow("negative index") << 0 << -1 << false << Key(0) << Key(0);
    // The new batch's row at that index still waits for its own probe.
    QTest::newRow("earlier batch") << 1 << 0 << false << Key(0) << Key(0);
    QTest::newRow("two batches back") << 2 << 2 << false << Key(0) << Key(0);
}

void TstAddBatch::probeResult()
{
    QFETCH(int, resets);
    QFETCH(int, index);
    QFETCH(bool, twice);
    QFETCH(Key, probed);
    QFETCH(Key, arrived);

    AddBatch batch = batchOf(3);
    const AddBatch worker = batch;
    for (int i = 0; i < resets; ++i) {
        batch.reset();
        for (int f = 0; f < 3; ++f)
            batch.append(QStringLiteral("/media/new%1.mp4").arg(f), Key(100 + f));
    }
    if (twice)
        batch.takeProbe(worker.generation(), index);

    QCOMPARE(batch.takeProbe(worker.generation(), index), probed);
    QCOMPARE(batch.takeDelivery(index), arrived);
}

void TstAddBatch::rowsArriveOnceInFileOrder()
{
    AddBatch batch = batchOf(3);
    QCOMPARE(batch.file(1), QStringLiteral("/media/f1.mp4"));
    QVERIFY(batch.hasWaiting());

    // A progress step without the file's facts is not a row arriving.
    QCOMPARE(batch.takeDelivery(0), Key(0));

    QVector<Key> arrived;
    for (int i = 0; i < batch.size(); ++i) {
        QCOMPARE(batch.takeProbe(batch.generation(), i), Key(i + 1));
        arrived << batch.takeDelivery(i);
        QCOMPARE(batch.takeDelivery(i), Key(0));
        QCOMPARE(batch.isLast(i), i == 2);
    }
    QCOMPARE(arrived, (QVector<Key>{1, 2, 3}));
    QVERIFY(!batch.hasWaiting());
    QVERIFY(batch.reset().isEmpty());
    QVERIFY(batch.isEmpty());
}

void TstAddBatch::removalMidBatch_data()
{
    // The second of four rows leaves the queue when the batch has got so far.
    QTest::addColumn<int>("stage"); // 0 waiting, 1 probed, 2 arrived
    QTest::newRow("before its probe") << 0;
    QTest::newRow("probed, not arrived") << 1;
    QTest::newRow("arrived") << 2;
}

void TstAddBatch::removalMidBatch()
{
    QFETCH(int, stage);
    AddBatch batch = batchOf(4);
    const int generation = batch.generation();
    QCOMPARE(batch.takeProbe(generation, 0), Key(1));
    QCOMPARE(batch.takeDelivery(0), Key(1));
    if (stage >= 1)
        QCOMPARE(batch.takeProbe(generation, 1), Key(2));
    if (stage >= 2)
        QCOMPARE(batch.takeDelivery(1), Key(2));

    batch.remove(Key(2));
    QCOMPARE(batch.takeProbe(generation, 1), Key(0));
    QCOMPARE(batch.takeDelivery(1), Key(0));
    QCOMPARE(batch.waitingRows(), (QVector<Key>{3, 4}));

    // The rows after it keep their places, and the last is still the last.
    QCOMPARE(batch.size(), 4);
    QCOMPARE(batch.takeProbe(generation, 2), Key(3));
    QCOMPARE(batch.takeDelivery(2), Key(3));
    QCOMPARE(batch.file(3), QStringLiteral("/media/f3.mp4"));
    QVERIFY(batch.isLast(3));
    QCOMPARE(batch.reset(), (QVector<Key>{4}));
}

void TstAddBatch::resetHandsBackUndelivered_data()
{
    // One letter a file: w waiting, p probed, a arrived, r removed.
    QTest::addColumn<QString>("stages");
    QTest::addColumn<QVector<Key>>("handedBack");
    QTest::newRow("none arrived") << "www" << QVector<Key>{1, 2, 3};
    QTest::newRow("cancel during a probe") << "apw" << QVector<Key>{2, 3};
    QTest::newRow("all arrived") << "aaa" << QVector<Key>{};
    QTest::newRow("a row removed") << "raw" << QVector<Key>{3};
    QTest::newRow("empty batch") << "" << QVector<Key>{};
}

void TstAddBatch::resetHandsBackUndelivered()
{
    QFETCH(QString, stages);
    QFETCH(QVector<Key>, handedBack);
    AddBatch batch = batchOf(stages.size());
    const int generation = batch.generation();
    for (int i = 0; i < stages.size(); ++i) {
        const QChar stage = stages.at(i);
        if (stage == QLatin1Char('p') || stage == QLatin1Char('a'))
            batch.takeProbe(generation, i);
        if (stage == QLatin1Char('a'))
            batch.takeDelivery(i);
        if (stage == QLatin1Char('r'))
            batch.remove(Key(i + 1));
    }
    QCOMPARE(batch.waitingRows(), handedBack);
    QCOMPARE(batch.hasWaiting(), !handedBack.isEmpty());
    QCOMPARE(batch.reset(), handedBack);
    QCOMPARE(batch.generation(), generation + 1);
    QVERIFY(batch.isEmpty());
    QVERIFY(!batch.hasWaiting());
}

void TstAddBatch::formatReadOncePerBatch()
{
    int reads = 0;
    AddBatch batch = batchOf(3, &reads);
    // Nothing is read until a file needs the format.
    QCOMPARE(reads, 0);

    // The worker's copy reads once for all its files.
    AddBatch worker = batch;
    for (int i = 0; i < worker.size(); ++i) {
        QCOMPARE(worker.format().profile, QStringLiteral("MP4 Video.xml"));
        QVERIFY(worker.format().read);
    }
    QCOMPARE(reads, 1);

    // The next batch reads again, once.
    batch.reset();
    batch.append(QStringLiteral("/media/next.mov"), Key(7));
    AddBatch next = batch;
    next.format();
    next.format();
    QCOMPARE(reads, 2);
}

QTEST_APPLESS_MAIN(TstAddBatch)
#include "tst_addbatch.moc"
