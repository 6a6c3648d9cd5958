// What the history window decides without a widget: the listed
// categories, the search, and which recorded files Clear may delete.

#include "history/HistoryFile.h"
#include "history/HistoryRecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestHistoryRecords : public QObject
{
    Q_OBJECT

private slots:
    void categories();
    void search_data();
    void search();
    void verdicts();
    void removeRecordedFiles();
};

// Empty categories are dropped, two of the same name stay two, entries keep
// the file order; what the writer appends is read as it wrote it.
void TestHistoryRecords::categories()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.xml");
    QVERIFY(writeAll(
        path,
        "<history>"
        "<Type name=\"AVI\"><item filepath=\"/o/a.avi\" time=\"t1\"/></Type>"
        "<Type name=\"WMV\"/>"
        "<Type><item filepath=\"/o/x\" time=\"t2\"/></Type>"
        "<Type name=\"AVI\"><item filepath=\"/o/b.avi\"/><item time=\"t4\" filepath=\"/o/c.avi\"/></Type>"
        "</history>"));
    HistoryFile writer(path);
    QVERIFY(writer.read());
    writer.append("MP4", "/o/new.mp4", QDateTime(QDate(2016, 3, 5), QTime(14, 7, 9)));
    QVERIFY(writer.save());

    HistoryFile file(path);
    QVERIFY(file.read());
    const QList<HistoryTypeInfo> types = HistoryRecords::fromFile(file);
    QStringList names;
    QList<int> counts;
    for (const HistoryTypeInfo& t : types) {
        names << t.m_name;
        counts << t.m_filePaths.size();
        QCOMPARE(t.m_times.size(), t.m_filePaths.size());
    }
    QCOMPARE(names, QStringList({"AVI", "", "AVI", "MP4"}));
    QCOMPARE(counts, QList<int>({1, 1, 2, 1}));
    QCOMPARE(types.at(2).m_filePaths, QStringList({"/o/b.avi", "/o/c.avi"}));
    QCOMPARE(types.at(2).m_times, QStringList({"", "t4"}));
    QCOMPARE(types.at(3).m_filePaths, QStringList({"/o/new.mp4"}));
    QCOMPARE(types.at(3).m_times, QStringList({"2016-03-05 14:07:09"}));
}

void TestHistoryRecords::search_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    QTest::newRow("empty text") << "/o/Clip.mp4"
                                << "" << true;
    QTest::newRow("same case") << "/o/Clip.mp4"
                               << "Cli" << true;
    QTest::newRow("other case") << "/o/CLIP.mp4"
                                << "clip" << false;
    QTest::newRow("folder only") << "/music/a.mp4"
                                 << "music" << false;
    QTest::newRow("dots kept") << "/o/a.b.c.mp4"
                               << "b.c.m" << true;
    QTest::newRow("no slash") << "clip.mp4"
                              << "clip" << true;
    QTest::newRow("trailing slash") << "/o/clip/"
                                    << "clip" << false;
}

void TestHistoryRecords::search()
{
    QFETCH(QString, path);
    QFETCH(QString, text);
    QFETCH(bool, shown);
    QCOMPARE(HistoryRecords::matchesSearch(path, text), shown);
}

// Only absolute paths of existing regular files that no run is writing.
void TestHistoryRecords::verdicts()
{
    using V = HistoryRecords::Verdict;
    QTemporaryDir dir;
    const QString file = dir.filePath("a.mp4");
    const QString busy = dir.filePath("busy.mp4");
    const QString folder = dir.filePath("folder.mp4");
    const QString link = dir.filePath("link.mp4");
    QVERIFY(writeAll(file, "x"));
    QVERIFY(writeAll(busy, "x"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::link(file, link));
    const QSet<QString> running{dir.path() + "/./busy.mp4"};

    QCOMPARE(HistoryRecords::verdict(file, running), V::Removable);
    QCOMPARE(HistoryRecords::verdict(busy, running), V::Busy);
    QCOMPARE(HistoryRecords::verdict(folder, running), V::NotAFile);
    QCOMPARE(HistoryRecords::verdict(link, running), V::NotAFile);
    QCOMPARE(HistoryRecords::verdict(dir.filePath("gone.mp4"), running), V::Missing);
    QCOMPARE(HistoryRecords::verdict("a.mp4", running), V::Relative);
    QCOMPARE(HistoryRecords::verdict("", running), V::Relative);
    if (QFile::exists("/dev/null"))
        QCOMPARE(HistoryRecords::verdict("/dev/null", running), V::NotAFile);
}

// Our files go; everything else stays and is counted; a path listed twice
// is tried once; a link's target survives.
void TestHistoryRecords::removeRecordedFiles()
{
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString a = dir.filePath("a.mp4");
    const QString b = dir.filePath("b.avi");
    const QString busy = dir.filePath("busy.mp4");
    const QString target = dir.filePath("target.mp4");
    const QString link = dir.filePath("link.mp4");
    const QString folder = dir.filePath("folder");
    for (const QString& p : {a, b, busy, target, dir.filePath("relative.mp4")})
        QVERIFY(writeAll(p, "x"));
    QVERIFY(QFile::link(target, link));
    QVERIFY(QDir().mkpath(folder));

    HistoryTypeInfo mp4{"MP4", {a, busy, link, "relative.mp4", a, dir.filePath("gone.mp4")}, {}};
    HistoryTypeInfo avi{"AVI", {b, folder}, {}};
    const HistoryRecords::ClearOutcome outcome = HistoryRecords::removeRecordedFiles({mp4, avi}, {busy});
    QCOMPARE(outcome.removed, 2);
    QCOMPARE(outcome.notRemoved, 4); // busy, link, relative, folder
    QVERIFY(!QFile::exists(a));
    QVERIFY(!QFile::exists(b));
    for (const QString& p : {busy, target, link, folder, dir.filePath("relative.mp4")})
        QVERIFY2(QFileInfo(p).exists() || QFileInfo(p).isSymLink(), qPrintable(p));
}

QTEST_GUILESS_MAIN(TestHistoryRecords)
#include "tst_history_records.moc"
