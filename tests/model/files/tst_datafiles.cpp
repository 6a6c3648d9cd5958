// The data files without a window: the history file's format and its policy
// for a file it cannot use, its bounds and the order of its changes, the
// atomic writer on a full disk, the lock every save keeps to, and the
// per-user folder. Expected texts are written out by hand here.

#include "../../Figures.h"
#include "files/DataFile.h"
#include "files/UserData.h"
#include "formats/FormatCatalogue.h"
#include "formats/GobelItemChunk.h"
#include "formats/ProfileFile.h"
#include "history/HistoryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QXmlStreamReader>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The DOM writes attributes in hash order, which changes from run to run:
// each tag's attributes are sorted on both sides; the rest stays exact.
QByteArray sortedAttributes(const QByteArray& text)
{
    static const QRegularExpression tag(R"(^(\s*<[\w:]+)((?:\s+[\w:]+="[^"]*")+)(\s*/?>)$)");
    static const QRegularExpression attribute(R"([\w:]+="[^"]*")");
    QStringList lines = QString::fromUtf8(text).split('\n');
    for (QString& line : lines) {
        const QRegularExpressionMatch m = tag.match(line);
        if (!m.hasMatch())
            continue;
        QStringList attributes;
        for (auto it = attribute.globalMatch(m.captured(2)); it.hasNext();)
            attributes.append(it.next().captured(0));
        attributes.sort();
        line = m.captured(1) + ' ' + attributes.join(' ') + m.captured(3);
    }
    return lines.join('\n').toUtf8();
}

#define COMPARE_XML(actual, expected) QCOMPARE(sortedAttributes(actual), sortedAttributes(expected))

const QDateTime kWhen(QDate(2016, 3, 5), QTime(14, 7, 9));

// A history written by another run: two categories, MP4 used last.
const QByteArray kTwoCategories = "<?xml version='1.0'?>\n"
                                  "<history>\n"
                                  "    <Type name=\"AVI\">\n"
                                  "        <item filepath=\"/o/a.avi\" time=\"2016-03-01 10:00:00\"/>\n"
                                  "    </Type>\n"
                                  "    <Type name=\"MP4\">\n"
                                  "        <item filepath=\"/o/b.mp4\" time=\"2016-03-02 11:00:00\"/>\n"
                                  "        <item filepath=\"/o/c.mp4\" time=\"2016-03-03 12:00:00\"/>\n"
                                  "    </Type>\n"
                                  "</history>\n";

QByteArray item(const QString& path, const QString& time)
{
    return QString("<item filepath=\"%1\" time=\"%2\"/>").arg(path, time).toUtf8();
}

QByteArray nested(int depth)
{
    return "<history>" + QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth)
        + "</history>";
}

// Makes every write past `bytes` in any file of this process fail the way a
// full disk does (EFBIG instead of ENOSPC), for as long as it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestDataFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void historyAppend_data();
    void historyAppend();
    void historyUnusableFile_data();
    void historyUnusableFile();
    void historyRemoveAndClear();
    void historyClearInTurn_data();
    void historyClearInTurn();
    void historyRemoveByPathAndTime();
    void profileCurrentValues_data();
    void profileCurrentValues();
    void failedWriteKeepsOldFile();
    void userFolder();
    void historyStaysReadable_data();
    void historyStaysReadable();
    void historyBytesBound_data();
    void historyBytesBound();
    void saveWaitsForTheLock_data();
    void saveWaitsForTheLock();
    void savesKeepTheirOrder();
    void setAsideKeepsEveryOne();
    void notRegularFile_data();
    void notRegularFile();
    void writerProcessesKeepEveryEntry();
    void anyFileNameGoesThrough_data();
    void anyFileNameGoesThrough();
    void damagedHistoryKeepsEarlierEntries();
    void lockFileCannotBeMade_data();
    void lockFileCannotBeMade();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_path;
};

void TestDataFiles::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
    m_path = m_dir->filePath("history/history.xml");
}

void TestDataFiles::cleanup()
{
    DataFile::setFailureHandler(nullptr);
    DataFile::setNoticeHandler(nullptr);
}

void TestDataFiles::historyAppend_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("no file") << QByteArray() << "MP4"
                             << QByteArray(
                                    "<?xml version='1.0'?>\n"
                                    "<history>\n"
                                    "    <Type name=\"MP4\">\n"
                                    "        <item filepath=\"/o/new.mp4\" time=\"2016-03-05 14:07:09\"/>\n"
                                    "    </Type>\n"
                                    "</history>\n");
    // An existing category moves last; others keep their order.
    QTest::newRow("existing category")
        << kTwoCategories << "AVI"
        << QByteArray("<?xml version='1.0'?>\n"
                      "<history>\n"
                      "    <Type name=\"MP4\">\n"
                      "        <item filepath=\"/o/b.mp4\" time=\"2016-03-02 11:00:00\"/>\n"
                      "        <item filepath=\"/o/c.mp4\" time=\"2016-03-03 12:00:00\"/>\n"
                      "    </Type>\n"
                      "    <Type name=\"AVI\">\n"
                      "        <item filepath=\"/o/a.avi\" time=\"2016-03-01 10:00:00\"/>\n"
                      "        <item filepath=\"/o/new.mp4\" time=\"2016-03-05 14:07:09\"/>\n"
                      "    </Type>\n"
                      "</history>\n");
    // Names are compared exactly; what the writer does not know is kept.
    QTest::newRow("case and unknown content")
        << QByteArray(
               "<?xml version='1.0'?>\n<history note=\"x\"><Type name=\"mp4\"><item filepath=\"/o/d.mp4\" "
               "time=\"t\" extra=\"1\"/></Type><!-- kept --></history>\n")
        << "MP4"
        << QByteArray("<?xml version='1.0'?>\n"
                      "<history note=\"x\">\n"
                      "    <Type name=\"mp4\">\n"
                      "        <item filepath=\"/o/d.mp4\" time=\"t\" extra=\"1\"/>\n"
                      "    </Type>\n"
                      "    <!-- kept -->\n"
                      "    <Type name=\"MP4\">\n"
                      "        <item filepath=\"/o/new.mp4\" time=\"2016-03-05 14:07:09\"/>\n"
                      "    </Type>\n"
                      "</history>\n");
}

void TestDataFiles::historyAppend()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, category);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        QVERIFY(writeAll(m_path, before));

    HistoryFile history(m_path);
    QCOMPARE(history.read(), !before.isEmpty());
    history.append(category, "/o/new.mp4", kWhen);
    QVERIFY(history.save());
    COMPARE_XML(readAll(m_path), after);
    QVERIFY(!QFile::exists(m_path + ".bad"));
}

void TestDataFiles::historyUnusableFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("setAside");

    QTest::newRow("zero bytes") << QByteArray() << false;
    QTest::newRow("root only") << QByteArray("<history/>") << false;
    QTest::newRow("not XML") << QByteArray("<history><Type name=") << true;
    QTest::newRow("two roots") << QByteArray("<history/><history/>") << true;
    // Deep enough to overflow a recursive parser's stack.
    QTest::newRow("deeply nested") << nested(50000) << true;
    QTest::newRow("huge") << ("<history>" + QByteArray("<Type name=\"x\"/>").repeated(400000) + "</history>")
                          << true;
    // No real path is this long; showing it took minutes.
    QTest::newRow("100 KB path") << ("<history><Type name=\"MP4\"><item filepath=\"/"
                                     + QByteArray(100000, 'a') + "\" time=\"t\"/></Type></history>")
                                 << true;
}

void TestDataFiles::historyUnusableFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, setAside);
    QVERIFY(writeAll(m_path, content));

    HistoryFile history(m_path);
    QVERIFY(!history.read());
    QVERIFY(history.isEmpty());
    // The person's file is kept aside, never deleted.
    QCOMPARE(QFile::exists(m_path + ".bad"), setAside);
    if (setAside)
        QCOMPARE(readAll(m_path + ".bad"), content);

    history.append("MP4", "/o/new.mp4", kWhen);
    QVERIFY(history.save());
    HistoryFile again(m_path);
    QVERIFY(again.read());
    QCOMPARE(again.categories().size(), 1);
    QCOMPARE(again.categories().first().entries.size(), 1);
}

void TestDataFiles::historyRemoveAndClear()
{
    QVERIFY(writeAll(m_path, kTwoCategories));
    HistoryFile history(m_path);
    QVERIFY(history.read());
    QVERIFY(!history.removeEntry("MP4", 2));
    QVERIFY(!history.removeEntry("WMV", 0));
    QVERIFY(history.removeEntry("MP4", 0));
    QVERIFY(history.save());
    // A category left without entries stays in the file.
    QVERIFY(history.removeEntry("AVI", 0));
    QVERIFY(history.save());
    COMPARE_XML(readAll(m_path),
                QByteArray("<?xml version='1.0'?>\n"
                           "<history>\n"
                           "    <Type name=\"AVI\"/>\n"
                           "    <Type name=\"MP4\">\n"
                           "        <item filepath=\"/o/c.mp4\" time=\"2016-03-03 12:00:00\"/>\n"
                           "    </Type>\n"
                           "</history>\n"));

    HistoryFile reread(m_path);
    QVERIFY(reread.read());
    const QList<HistoryCategory> categories = reread.categories();
    QCOMPARE(categories.size(), 2);
    QCOMPARE(categories.at(0).entries.size(), 0);
    QCOMPARE(categories.at(1).entries.first().filePath, QString("/o/c.mp4"));
    QCOMPARE(categories.at(1).entries.first().time, QString("2016-03-03 12:00:00"));

    QVERIFY(HistoryFile::clearLocked(m_path));
    QVERIFY(!QFile::exists(m_path));
    QVERIFY(HistoryFile::clearLocked(m_path));
}

// Clear takes its turn after the changes queued before it, however long
// they are held up, so none of them comes back; those queued after it
// stay. With nothing before it and the file free, it is made at once.
void TestDataFiles::historyClearInTurn_data()
{
    QTest::addColumn<int>("before"); // entries queued before the clear
    QTest::addColumn<int>("after"); // and after it
    QTest::addColumn<int>("heldMs"); // another copy holds the file meanwhile
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("nothing queued") << 0 << 0 << 0 << true;
    QTest::newRow("entries queued before") << 20 << 0 << 0 << false;
    QTest::newRow("entries before and after") << 20 << 5 << 0 << false;
    // Longer than any moment the GUI thread could wait for them.
    QTest::newRow("entries held up before") << 20 << 0 << 600 << false;
    QTest::newRow("another copy holds the file") << 0 << 3 << 300 << false;
}

void TestDataFiles::historyClearInTurn()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(int, heldMs);
    QFETCH(bool, atOnce);
    QVERIFY(writeAll(m_path, kTwoCategories));
    QLockFile other(m_path + ".lock");
    if (heldMs > 0)
        QVERIFY(other.tryLock(0));

    for (int i = 0; i < before; ++i)
        HistoryFile::appendLater(m_path, "MP4", QString("/o/before-%1.mp4").arg(i), kWhen);
    std::atomic<int> told{-1};
    HistoryFile::clearInTurn(m_path, [&told](bool cleared) { told = cleared ? 1 : 0; });
    QCOMPARE(told.load() != -1, atOnce);
    for (int i = 0; i < after; ++i)
        HistoryFile::appendLater(m_path, "AVI", QString("/o/after-%1.avi").arg(i), kWhen);

    if (heldMs > 0) {
        QThread::msleep(heldMs);
        // Nothing is written past the other copy's lock.
        QCOMPARE(readAll(m_path), kTwoCategories);
        other.unlock();
    }
    QVERIFY(HistoryFile::waitForLater(60000));
    QCOMPARE(told.load(), 1);
    if (after == 0) {
        QVERIFY(!QFile::exists(m_path));
        return;
    }
    HistoryFile history(m_path);
    QVERIFY(history.read());
    const QList<HistoryCategory> categories = history.categories();
    QCOMPARE(categories.size(), 1);
    QCOMPARE(categories.first().name, QString("AVI"));
    QCOMPARE(categories.first().entries.size(), after);
}

// An entry named by path and time: the right one of two with the same path
// goes, also from the second of two categories with the same name.
void TestDataFiles::historyRemoveByPathAndTime()
{
    QVERIFY(writeAll(m_path,
                     "<history>"
                     "<Type name=\"MP4\"><item filepath=\"/o/a.mp4\" time=\"1\"/></Type>"
                     "<Type name=\"MP4\"><item filepath=\"/o/a.mp4\" time=\"2\"/>"
                     "<item filepath=\"/o/a.mp4\" time=\"3\"/></Type>"
                     "</history>"));
    HistoryFile history(m_path);
    QVERIFY(history.read());
    QVERIFY(!history.removeEntry("MP4", "/o/a.mp4", "4"));
    QVERIFY(!history.removeEntry("AVI", "/o/a.mp4", "3"));
    QVERIFY(history.removeEntry("MP4", "/o/a.mp4", "3"));
    QVERIFY(history.save());

    HistoryFile reread(m_path);
    QVERIFY(reread.read());
    const QList<HistoryCategory> categories = reread.categories();
    QCOMPARE(categories.size(), 2);
    QCOMPARE(categories.at(0).entries.size(), 1);
    QCOMPARE(categories.at(0).entries.first().time, QString("1"));
    QCOMPARE(categories.at(1).entries.size(), 1);
    QCOMPARE(categories.at(1).entries.first().time, QString("2"));
}

void TestDataFiles::profileCurrentValues_data()
{
    QTest::addColumn<QByteArray>("onlyAudio");
    QTest::addColumn<QByteArray>("videoAfter");
    const QByteArray before = "V_Encoder=\"H264\" V_Resolution=\"1280*720\" V_FrameRate=\"Original\" "
                              "V_BitRate=\"3000\"";
    const QByteArray after = "V_Encoder=\"MPEG-4\" V_Resolution=\"640*360\" V_FrameRate=\"25\" "
                             "V_BitRate=\"Auto\"";
    QTest::newRow("video") << QByteArray("N") << after;
    // An audio-only profile keeps whatever picture values it holds.
    QTest::newRow("audio only") << QByteArray("Y") << before;
}

void TestDataFiles::profileCurrentValues()
{
    QFETCH(QByteArray, onlyAudio);
    QFETCH(QByteArray, videoAfter);
    const QByteArray audioBefore =
        "A_Encoder=\"AAC\" A_Channel=\"2\" A_SampleRate=\"44100\" A_BitRate=\"128\"";
    const QString path = m_dir->filePath("Round Trip.xml");
    QVERIFY(writeAll(path,
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<P OnlyAudio=\"" + onlyAudio
                         + "\">"
                           "<ATTRIBUTE_VALUE A_BitRate=\"64,128\"/>"
                           "<TEMP_QUALITY_VALUE V_Encoder=\"H264\" V_Resolution=\"1280*720\" "
                           "V_FrameRate=\"Original\" V_BitRate=\"3000\" "
                         + audioBefore
                         + "/>"
                           "<VIDIO_FOMAT_INFO V_Format=\"MP4\" V_Extend=\"mp4\"/></P>\n"));

    Convertinfo edited;
    for (const QualityAttribute& a : kQualityAttributes)
        edited.*(a.value) = QString("x");
    edited.V_Encoder = "MPEG-4";
    edited.V_Resolution = "640*360";
    edited.V_FrameRate = "25";
    edited.V_BitRate = "Auto";
    edited.A_Encoder = "MP3";
    edited.A_Channel = "1";
    edited.A_SampleRate = "22050";
    edited.A_BitRate = "64";
    QVERIFY(ProfileFile::writeCurrent(path, edited));
    QCOMPARE(edited.isVideo, onlyAudio == "N");

    // The declaration is kept (the DOM writes it with single quotes).
    COMPARE_XML(readAll(path),
                "<?xml version='1.0' encoding='UTF-8'?>\n"
                "<P OnlyAudio=\""
                    + onlyAudio
                    + "\">\n"
                      "    <ATTRIBUTE_VALUE A_BitRate=\"64,128\"/>\n"
                      "    <TEMP_QUALITY_VALUE "
                    + videoAfter
                    + " A_Encoder=\"MP3\" A_Channel=\"1\" "
                      "A_SampleRate=\"22050\" A_BitRate=\"64\"/>\n"
                      "    <VIDIO_FOMAT_INFO V_Format=\"MP4\" V_Extend=\"mp4\"/>\n"
                      "</P>\n");

    Convertinfo read;
    read.F_Name = "kept";
    QVERIFY(ProfileFile::read(path, "TEMP_QUALITY_VALUE", read));
    QCOMPARE(read.A_Encoder, QString("MP3"));
    QCOMPARE(read.V_Encoder, onlyAudio == "N" ? QString("MPEG-4") : QString("H264"));
    QCOMPARE(read.V_Extend, QString("mp4"));
    QCOMPARE(read.F_Name, QString("kept"));

    // A damaged profile is neither read nor rewritten.
    QVERIFY(writeAll(path, "<P><TEMP"));
    QVERIFY(!ProfileFile::read(path, "TEMP_QUALITY_VALUE", read));
    QVERIFY(!ProfileFile::writeCurrent(path, edited));
    QCOMPARE(readAll(path), QByteArray("<P><TEMP"));
}

void TestDataFiles::failedWriteKeepsOldFile()
{
    // The stream meets the full device only when it flushes.
    QFile full("/dev/full");
    QVERIFY(full.open(QIODevice::WriteOnly));
    QDomDocument small;
    small.setContent(QByteArray("<history/>"));
    QVERIFY(!DataFile::writeTo(full, small));

    QVERIFY(writeAll(m_path, kTwoCategories));
    HistoryFile history(m_path);
    QVERIFY(history.read());
    for (int i = 0; i < 2000; ++i)
        history.append("MP4", "/o/long/path/to/an/output/file" + QString::number(i) + ".mp4", kWhen);

    QStringList failures;
    DataFile::setFailureHandler([&failures](const QString& path) { failures.append(path); });
    bool saved = true;
    {
        const FileSizeLimit limit(4096);
        saved = history.save();
    }
    QVERIFY(!saved);
    QCOMPARE(failures, QStringList{m_path});
    QCOMPARE(readAll(m_path), kTwoCategories);
    // No half-written temporary file is left beside it.
    QCOMPARE(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files), QStringList{"history.xml"});

    // Once there is room again the same write succeeds.
    QVERIFY(history.save());
    HistoryFile reread(m_path);
    QVERIFY(reread.read());
    QCOMPARE(reread.categories().last().entries.size(), 2002);
}

void TestDataFiles::userFolder()
{
    // The resource path needs the application object: it gives the test's
    // own bundle, whose Resources hold the shipped profiles.
    int argc = 1;
    char name[] = "tst_datafiles";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    const QString folder = UserData::folder();
    QVERIFY(folder.startsWith(m_dir->filePath("data")));
    const QString profile = "format/XML/MP4 Video.xml";
    const QString shipped = UserData::shippedPath(profile);
    QVERIFY(QFile::exists(shipped));

    // Reading copies nothing; the shipped file is read while the person has
    // no copy of their own.
    QCOMPARE(UserData::readPath(profile), shipped);
    QVERIFY(!QFile::exists(folder + "/" + profile));

    // The person's copy starts as the shipped one, and is read from then on.
    const QString own = UserData::path(profile);
    QCOMPARE(own, folder + "/" + profile);
    QCOMPARE(readAll(own), readAll(shipped));
    QVERIFY(QFileInfo(own).isWritable());
    QCOMPARE(UserData::readPath(profile), own);

    // The current values a person sets go to their copy; what ships stays.
    const QString otherProfile = "format/XML/AVI Video.xml";
    const QByteArray shippedText = readAll(UserData::shippedPath(otherProfile));
    Convertinfo values;
    values.A_BitRate = "96";
    QVERIFY(ProfileFile::writeCurrent(ProfileFile::path("AVI Video.xml"), values));
    QCOMPARE(readAll(UserData::shippedPath(otherProfile)), shippedText);
    QCOMPARE(ProfileFile::path("AVI Video.xml"), folder + "/" + otherProfile);
    Convertinfo reread;
    QVERIFY(ProfileFile::read(ProfileFile::path("AVI Video.xml"), "TEMP_QUALITY_VALUE", reread));
    QCOMPARE(reread.A_BitRate, QString("96"));

    // A file that ships nothing starts absent.
    QVERIFY(!QFile::exists(UserData::path("history/history.xml")));
    QCOMPARE(HistoryFile::defaultPath(), folder + "/history/history.xml");
}

namespace {

// "2016-01-01 00:00:00" plus n seconds.
QString timeAt(int n) { return HistoryFile::timeText(QDateTime(QDate(2016, 1, 1), QTime(0, 0)).addSecs(n)); }

int elementCount(const HistoryFile& history)
{
    int count = 0;
    for (const HistoryCategory& category : history.categories())
        count += 1 + category.entries.size();
    return count;
}

} // namespace

// A history at or past the bound, as a long-used program leaves it (up to
// what the reader accepts): the append drops the oldest entries, by time,
// whatever their category, and empties no category it adds to; the file
// reads back.
void TestDataFiles::historyStaysReadable_data()
{
    QTest::addColumn<int>("categories");
    QTest::addColumn<int>("perCategory");
    QTest::newRow("one category, what the reader accepts") << 1 << 19998;
    QTest::newRow("one category at the bound") << 1 << HistoryFile::kMaxElements - 1;
    QTest::newRow("a category per entry") << 6000 << 1;
    QTest::newRow("categories mixed in time") << 40 << 300;
}

void TestDataFiles::historyStaysReadable()
{
    QFETCH(int, categories);
    QFETCH(int, perCategory);
    // Entry k of category c is the (k * categories + c)-th oldest.
    QByteArray text = "<history>";
    for (int c = 0; c < categories; ++c) {
        text += "<Type name=\"F" + QByteArray::number(c) + "\">";
        for (int k = 0; k < perCategory; ++k)
            text += item("/o/" + QString::number(k * categories + c) + ".mp4", timeAt(k * categories + c));
        text += "</Type>";
    }
    QVERIFY(writeAll(m_path, text + "</history>"));
    const int total = categories * perCategory;

    QElapsedTimer timer;
    timer.start();
    QVERIFY(HistoryFile::appendLocked(m_path, "F0", "/o/new.mp4", QDateTime(QDate(2020, 1, 1), QTime(0, 0))));
    if (total == 19998)
        figures::report("history.append_19998_ms", timer.elapsed(), "ms", 2000);

    HistoryFile history(m_path);
    QVERIFY(history.read());
    QVERIFY(!QFile::exists(m_path + ".bad"));
    QVERIFY(elementCount(history) <= HistoryFile::kMaxElements);
    const QList<HistoryCategory> kept = history.categories();
    QCOMPARE(kept.last().name, QString("F0"));
    QCOMPARE(kept.last().entries.last().filePath, QString("/o/new.mp4"));
    // Exactly the oldest went: what is left are the newest ones, each once.
    QSet<int> left;
    for (const HistoryCategory& category : kept) {
        QVERIFY(!category.entries.isEmpty());
        for (const HistoryEntry& entry : category.entries) {
            if (entry.filePath != "/o/new.mp4")
                left.insert(QFileInfo(entry.filePath).baseName().toInt());
        }
    }
    const int expected = qMin(total, HistoryFile::kMaxElements - int(kept.size()) - 1);
    QCOMPARE(left.size(), expected);
    for (int n = total - expected; n < total; ++n)
        QVERIFY2(left.contains(n), qPrintable(QString::number(n)));
}

// Entries appended up to the bound in bytes and past it, with paths as long
// as the reader takes, of characters the file writes longer than they are:
// the newest ones that fit are kept, and the file reads back.
void TestDataFiles::historyBytesBound_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("length");
    QTest::newRow("4,096-character paths") << "a" << HistoryFile::kMaxTextLength;
    QTest::newRow("420-character paths") << "a" << 420;
    QTest::newRow("markup characters, tabs and line ends") << "\"&<>\t\n\r" << HistoryFile::kMaxTextLength;
    QTest::newRow("three-byte characters") << QString(QChar(0x4E2D)) << HistoryFile::kMaxTextLength;
    // Stored five characters long each: as long as the reader takes then.
    QTest::newRow("characters stored escaped") << QString("\x01\x1b") + QChar(0xFFFE)
            + QChar(DataFile::kEscape) << 10 + (HistoryFile::kMaxTextLength - 10) / 5;
}

void TestDataFiles::historyBytesBound()
{
    QFETCH(QString, pattern);
    QFETCH(int, length);
    const QString tail = pattern.repeated(length / pattern.size() + 1).left(length - 10);
    const auto pathOf = [&tail](int n) { return QString("/%1/").arg(n, 8, 10, QChar('0')) + tail; };
    QCOMPARE(pathOf(0).size(), length);
    // Up to the bound (the first entry gone, looked at every hundred) and
    // fifty on; each entry writes at least its path's characters.
    HistoryFile history(m_path);
    int count = 0;
    for (int bound = -1; bound < 0 || count < bound + 50; ++count) {
        QVERIFY(count < HistoryFile::kMaxBytes / length + 200);
        QVERIFY(history.append("MP4", pathOf(count), kWhen.addSecs(count)));
        if (bound < 0 && count % 100 == 0
            && history.categories().first().entries.first().filePath != pathOf(0))
            bound = count;
    }
    // Longer than the reader takes: not written at all.
    QVERIFY(!history.append("MP4", "/" + QString(HistoryFile::kMaxTextLength, 'x'), kWhen.addSecs(count)));
    QVERIFY(history.save());

    const qint64 size = QFileInfo(m_path).size();
    QVERIFY2(size <= HistoryFile::kMaxBytes, qPrintable(QString::number(size)));
    // The bound is not met by keeping far fewer than fit.
    QVERIFY2(size > HistoryFile::kMaxBytes * 9 / 10, qPrintable(QString::number(size)));
    HistoryFile reread(m_path);
    QVERIFY(reread.read());
    QVERIFY(!QFile::exists(m_path + ".bad"));
    const QList<HistoryEntry> kept = reread.categories().first().entries;
    QVERIFY(kept.size() < count);
    // The newest ones, whole and in order.
    for (int k = 0; k < kept.size(); ++k) {
        QCOMPARE(kept.at(k).filePath, pathOf(count - kept.size() + k));
        QCOMPARE(kept.at(k).time, HistoryFile::timeText(kWhen.addSecs(count - kept.size() + k)));
    }
}

namespace {
enum class Save { RecentList, Catalogue, ProfileValues, HistoryClear };
}
Q_DECLARE_METATYPE(Save)

// Every save the GUI thread asks for while another copy holds the file:
// nothing is written past that lock, the caller does not wait it out, and
// the save is made once the lock is free.
void TestDataFiles::saveWaitsForTheLock_data()
{
    QTest::addColumn<Save>("save");
    QTest::newRow("recent list") << Save::RecentList;
    QTest::newRow("default format") << Save::Catalogue;
    QTest::newRow("profile values") << Save::ProfileValues;
    QTest::newRow("history clear") << Save::HistoryClear;
}

void TestDataFiles::saveWaitsForTheLock()
{
    QFETCH(Save, save);
    const QString path = m_dir->filePath("data.xml");
    const QByteArray before = save == Save::ProfileValues
        ? QByteArray("<P OnlyAudio=\"Y\"><TEMP_QUALITY_VALUE A_BitRate=\"128\"/></P>")
        : QByteArray(
            "<default><item imagename=\"MP4.png\" itemname=\"MP4\" relevantfile=\"MP4.xml\"/></default>");
    QVERIFY(writeAll(path, before));
    QLockFile other(path + ".lock");
    QVERIFY(other.tryLock(0));

    const FormatCatalogue::Item mp4{"MP4.png", "MP4", "MP4.xml"};
    const FormatCatalogue::Item mkv{"MKV.png", "MKV", "MKV.xml"};
    Convertinfo values;
    values.A_BitRate = "64";
    switch (save) {
    case Save::RecentList:
        FormatCatalogue::addRecent(mkv, path);
        break;
    case Save::Catalogue:
        QVERIFY(FormatCatalogue::save(path, {mkv}));
        break;
    case Save::ProfileValues:
        QVERIFY(ProfileFile::writeCurrent(path, values));
        break;
    case Save::HistoryClear:
        HistoryFile::clearInTurn(path);
        break;
    }
    // Back while the lock is still held: the save was left for later.
    QThread::msleep(300);
    QCOMPARE(readAll(path), before);

    other.unlock();
    QVERIFY(DataFile::waitForChanges(60000));
    switch (save) {
    case Save::RecentList:
        QCOMPARE(FormatCatalogue::read(path), QList<FormatCatalogue::Item>({mp4, mkv}));
        break;
    case Save::Catalogue:
        QCOMPARE(FormatCatalogue::read(path), QList<FormatCatalogue::Item>({mkv}));
        break;
    case Save::ProfileValues:
        QVERIFY2(readAll(path).contains("A_BitRate=\"64\""), readAll(path).constData());
        break;
    case Save::HistoryClear:
        QVERIFY(!QFile::exists(path));
        break;
    }
}

// A save asked for while an earlier one still waits for the lock goes after
// it, even when the lock is free by then: the latest choice is the one kept.
void TestDataFiles::savesKeepTheirOrder()
{
    const QString path = m_dir->filePath("format/default.xml");
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QLockFile other(path + ".lock");
    QVERIFY(other.tryLock(0));
    const FormatCatalogue::Item first{"AVI.png", "AVI", "AVI.xml"};
    const FormatCatalogue::Item latest{"MKV.png", "MKV", "MKV.xml"};
    QVERIFY(FormatCatalogue::save(path, {first}));
    other.unlock();
    QVERIFY(FormatCatalogue::save(path, {latest}));
    QVERIFY(DataFile::waitForChanges(60000));
    QCOMPARE(FormatCatalogue::read(path), QList<FormatCatalogue::Item>({latest}));
}

// Each unusable file is kept under a name of its own, and told.
void TestDataFiles::setAsideKeepsEveryOne()
{
    QStringList told;
    QStringList paths;
    DataFile::setNoticeHandler([&](const QString& path, const QString& keptAs) {
        paths << path;
        told << keptAs;
    });
    for (int i = 0; i < 3; ++i) {
        QVERIFY(writeAll(m_path, "<history><Type " + QByteArray::number(i)));
        HistoryFile history(m_path);
        QVERIFY(!history.read());
        QVERIFY(HistoryFile::appendLocked(m_path, "MP4", "/o/new.mp4", kWhen));
    }
    const QStringList names{m_path + ".bad", m_path + ".bad.1", m_path + ".bad.2"};
    QCOMPARE(told, names);
    QCOMPARE(paths, QStringList({m_path, m_path, m_path}));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(readAll(names.at(i)), "<history><Type " + QByteArray::number(i));
}

namespace {
enum class Call { DataRead, HistoryRead, HistoryAppend, ProfileRead, ProfileWrite, DefaultFormat };
}
Q_DECLARE_METATYPE(Call)

// A pipe or a folder where a data file belongs is refused at once, never
// waited on, and told; a file that can be set aside is.
void TestDataFiles::notRegularFile_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<Call>("call");
    QTest::addColumn<bool>("folder");
    QTest::newRow("history read") << "history/history.xml" << Call::HistoryRead << false;
    QTest::newRow("history append") << "history/history.xml" << Call::HistoryAppend << false;
    QTest::newRow("history, a folder") << "history/history.xml" << Call::HistoryAppend << true;
    QTest::newRow("recent formats") << "format/recent.xml" << Call::DataRead << false;
    QTest::newRow("default format") << "format/default.xml" << Call::DefaultFormat << false;
    QTest::newRow("profile read") << "format/XML/MP4 Video.xml" << Call::ProfileRead << false;
    QTest::newRow("profile values") << "format/XML/MP4 Video.xml" << Call::ProfileWrite << false;
    QTest::newRow("snapshot settings") << "VideoCaptureSetting.xml" << Call::DataRead << false;
}

void TestDataFiles::notRegularFile()
{
    QFETCH(QString, relative);
    QFETCH(Call, call);
    QFETCH(bool, folder);
    int argc = 1;
    char name[] = "tst_datafiles";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const QString path = UserData::folder() + "/" + relative;
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    if (folder)
        QVERIFY(QDir().mkpath(path));
    else
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QStringList told;
    DataFile::setNoticeHandler(
        [&told](const QString& p, const QString& keptAs) { told << p + " " + keptAs; });

    QThread* worker = QThread::create([&] {
        QDomDocument doc;
        Convertinfo info;
        switch (call) {
        case Call::DataRead:
            QCOMPARE(DataFile::read(path, doc), DataFile::Read::Unreadable);
            break;
        case Call::HistoryRead:
            QVERIFY(!HistoryFile(path).read());
            break;
        case Call::HistoryAppend:
            QVERIFY(HistoryFile::appendLocked(path, "MP4", "/o/new.mp4", kWhen));
            break;
        case Call::DefaultFormat:
            GobelItemChunk().Init();
            break;
        case Call::ProfileRead:
            QVERIFY(!ProfileFile::read(ProfileFile::path("MP4 Video.xml"), "TEMP_QUALITY_VALUE", info));
            break;
        case Call::ProfileWrite:
            QVERIFY(!ProfileFile::writeCurrent(ProfileFile::path("MP4 Video.xml"), info));
            break;
        }
    });
    QElapsedTimer timer;
    timer.start();
    worker->start();
    const bool returned = worker->wait(1000);
    if (!returned && !folder) {
        // Lets the blocked reader go, so the test ends.
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        worker->wait();
    }
    delete worker;
    QVERIFY2(returned, "blocked on a data file that is not a regular file");
    qInfo("returned in %lld ms", timer.elapsed());
    QVERIFY(!told.isEmpty());
    QCOMPARE(told.first(), path + " ");
    if (call == Call::HistoryAppend || call == Call::HistoryRead || call == Call::DefaultFormat) {
        // Set aside as it is, and a usable file in its place.
        QCOMPARE(told.last(), path + " " + path + ".bad");
        QCOMPARE(QFileInfo(path + ".bad").isDir(), folder);
        QVERIFY(!QFileInfo(path).exists() || QFileInfo(path).isFile());
    }
}

// Two other copies of the program and this one's background thread append
// at the same time: every entry of each is kept.
void TestDataFiles::writerProcessesKeepEveryEntry()
{
    constexpr int kEach = 300;
    int argc = 1;
    char name[] = "tst_datafiles";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QList<QProcess*> writers;
    for (const char* tag : {"A", "B"}) {
        auto* writer = new QProcess(this);
        writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer->start(QCoreApplication::applicationFilePath(),
                      {"--append-history", m_path, tag, QString::number(kEach)});
        writers << writer;
    }
    for (int i = 0; i < kEach; ++i)
        HistoryFile::appendLater(m_path, "C", QString("/o/C-%1.mp4").arg(i), kWhen);
    // Hang bounds: 900 read-change-saves of a growing file, taking turns
    // with two other processes, take tens of seconds under the sanitizers.
    QVERIFY(HistoryFile::waitForLater(600000));
    for (QProcess* writer : writers) {
        QVERIFY(writer->waitForFinished(600000));
        QCOMPARE(writer->exitCode(), 0);
        delete writer;
    }
    HistoryFile history(m_path);
    QVERIFY(history.read());
    QMap<QString, QSet<QString>> byCategory;
    for (const HistoryCategory& category : history.categories()) {
        for (const HistoryEntry& entry : category.entries)
            byCategory[category.name].insert(entry.filePath);
    }
    QCOMPARE(byCategory.keys(), QStringList({"A", "B", "C"}));
    for (const QString& tag : byCategory.keys())
        QCOMPARE(byCategory.value(tag).size(), kEach);
}

// Run with "--append-history <path> <category> <count>", the test is one of
// the writers above.
namespace {
enum class Store { History, RecentList, Profile };
}
Q_DECLARE_METATYPE(Store)

// A file name may hold characters XML cannot: each goes through every data
// file with free text and reads back as it was, and nothing is set aside,
// also at the next change. Text a file written before holds (the escape
// character itself, with or without digits after it) reads unchanged.
void TestDataFiles::anyFileNameGoesThrough_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Store>("store");
    const QChar escape(DataFile::kEscape);
    const QList<QPair<const char*, QString>> texts{
        {"U+0001", QString("/o/clip") + QChar(0x01) + "odd.mp4"},
        {"U+001B", QString("/o/clip") + QChar(0x1B) + "[0m.mp4"},
        {"U+001F", QString("/o/") + QChar(0x1F) + QChar(0x1F) + ".mp4"},
        {"U+FFFE", QString("/o/clip") + QChar(0xFFFE) + ".mp4"},
        {"U+FFFF and a lone surrogate", QString("/o/") + QChar(0xFFFF) + QChar(0xD800) + "x.mp4"},
        {"tab", QString("/o/clip\tx.mp4")},
        {"the escape character", QString("/o/") + escape + "0001" + escape + ".mp4"},
        {"the escape character after a control", QString("/o/") + QChar(0x01) + escape + "0001.mp4"},
    };
    for (const auto& t : texts) {
        QTest::addRow("history, %s", t.first) << t.second << Store::History;
        QTest::addRow("recent list, %s", t.first) << t.second << Store::RecentList;
        QTest::addRow("profile, %s", t.first) << t.second << Store::Profile;
    }
}

void TestDataFiles::anyFileNameGoesThrough()
{
    QFETCH(QString, text);
    QFETCH(Store, store);
    QStringList setAside;
    DataFile::setNoticeHandler([&setAside](const QString&, const QString& keptAs) { setAside << keptAs; });
    const QString path = m_dir->filePath("data.xml");
    switch (store) {
    case Store::History: {
        // Twice: the second change reads what the first wrote.
        QVERIFY(HistoryFile::appendLocked(path, text, text, kWhen));
        QVERIFY(HistoryFile::appendLocked(path, "MP4", text + "2", kWhen));
        HistoryFile history(path);
        QVERIFY(history.read());
        const QList<HistoryCategory> categories = history.categories();
        QCOMPARE(categories.size(), 2);
        QCOMPARE(categories.at(0).name, text);
        QCOMPARE(categories.at(0).entries.first().filePath, text);
        QCOMPARE(categories.at(1).entries.first().filePath, text + "2");
        break;
    }
    case Store::RecentList: {
        const FormatCatalogue::Item first{text, text, text};
        const FormatCatalogue::Item second{"2" + text, "MKV", text + ".xml"};
        QVERIFY(FormatCatalogue::save(path, {first}));
        FormatCatalogue::addRecent(second, path);
        QVERIFY(DataFile::waitForChanges(300000));
        QCOMPARE(FormatCatalogue::read(path), QList<FormatCatalogue::Item>({first, second}));
        break;
    }
    case Store::Profile: {
        QVERIFY(writeAll(path,
                         "<P OnlyAudio=\"N\"><TEMP_QUALITY_VALUE A_BitRate=\"128\"/>"
                         "<VIDIO_FOMAT_INFO V_Format=\"MP4\" V_Extend=\"mp4\"/></P>"));
        Convertinfo values;
        values.V_Encoder = text;
        values.A_BitRate = text + "2";
        QVERIFY(ProfileFile::writeCurrent(path, values));
        values.A_BitRate = "64";
        QVERIFY(ProfileFile::writeCurrent(path, values));
        Convertinfo read;
        QVERIFY(ProfileFile::read(path, "TEMP_QUALITY_VALUE", read));
        QCOMPARE(read.V_Encoder, text);
        QCOMPARE(read.A_BitRate, QString("64"));
        break;
    }
    }
    QCOMPARE(setAside, QStringList());
    QVERIFY(!QFile::exists(path + ".bad"));
    // What the file holds is XML any reader takes.
    QXmlStreamReader reader(readAll(path));
    while (!reader.atEnd())
        reader.readNext();
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));

    // A file written before that holds the escape character reads as
    // written.
    const QString before = QString("/o/") + QChar(DataFile::kEscape) + "0041" + QChar(DataFile::kEscape)
        + "00" + QChar(DataFile::kEscape);
    QVERIFY(writeAll(m_path, "<history><Type name=\"MP4\">" + item(before, "t") + "</Type></history>"));
    HistoryFile older(m_path);
    QVERIFY(older.read());
    QCOMPARE(older.categories().first().entries.first().filePath, before);
}

// A history an older copy wrote with a character XML cannot hold: the file
// is set aside as before, and the entries before the fault stay listed and
// are written back with the next one.
void TestDataFiles::damagedHistoryKeepsEarlierEntries()
{
    QByteArray text = "<?xml version='1.0'?>\n<history>\n<Type name=\"AVI\">";
    for (int i = 0; i < 3; ++i)
        text += item(QString("/o/%1.avi").arg(i), timeAt(i));
    text += "</Type>\n<Type name=\"MP4\">" + item("/o/3.mp4", timeAt(3))
        + item("/o/clip\x01odd.mp4", timeAt(4)) + item("/o/5.mp4", timeAt(5)) + "</Type>\n</history>\n";
    QVERIFY(writeAll(m_path, text));

    HistoryFile history(m_path);
    QVERIFY(history.read());
    QCOMPARE(readAll(m_path + ".bad"), text);
    QVERIFY(!QFile::exists(m_path));
    const QList<HistoryCategory> kept = history.categories();
    QCOMPARE(kept.size(), 2);
    QCOMPARE(kept.at(0).entries.size(), 3);
    QCOMPARE(kept.at(0).entries.at(2).filePath, QString("/o/2.avi"));
    QCOMPARE(kept.at(1).entries.size(), 1);
    QCOMPARE(kept.at(1).entries.first().filePath, QString("/o/3.mp4"));
    QCOMPARE(kept.at(1).entries.first().time, timeAt(3));

    QVERIFY(writeAll(m_path, text));
    QVERIFY(HistoryFile::appendLocked(m_path, "MP4", "/o/new.mp4", kWhen));
    QVERIFY(QFile::exists(m_path + ".bad.1"));
    HistoryFile reread(m_path);
    QVERIFY(reread.read());
    const QList<HistoryCategory> after = reread.categories();
    QCOMPARE(after.size(), 2);
    QCOMPARE(after.at(0).entries.size(), 3);
    QCOMPARE(after.at(1).entries.size(), 2);
    QCOMPARE(after.at(1).entries.last().filePath, QString("/o/new.mp4"));
    QVERIFY(!QFile::exists(m_path + ".bad.2"));
}

// A lock file that cannot be made is told as such, not as another copy's
// lock, and the file is left alone.
void TestDataFiles::lockFileCannotBeMade_data()
{
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("full disk") << true;
    QTest::newRow("a file where the folder belongs") << false;
}

void TestDataFiles::lockFileCannotBeMade()
{
    QFETCH(bool, fullDisk);
    const QString path = fullDisk ? m_path : m_dir->filePath("file/history.xml");
    QVERIFY(fullDisk ? QDir().mkpath(QFileInfo(m_path).absolutePath())
                     : writeAll(m_dir->filePath("file"), "x"));
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable("data file's lock file could not be made: " + path + ".lock"));
    bool locked = true;
    {
        const FileSizeLimit limit(fullDisk ? 0 : RLIM_INFINITY);
        const DataFile::Lock lock(path, 1000);
        locked = lock.isLocked();
    }
    QVERIFY(!locked);
}

int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--append-history") == 0) {
        const QString path = QFile::decodeName(argv[2]);
        const QString tag = QString::fromLatin1(argv[3]);
        for (int i = 0; i < atoi(argv[4]); ++i) {
            if (!HistoryFile::appendLocked(path, tag, QString("/o/%1-%2.mp4").arg(tag).arg(i), kWhen))
                return 1;
        }
        return 0;
    }
    TestDataFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_datafiles.moc"
