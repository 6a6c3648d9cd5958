// The format catalogues and a profile's value lists without a window: a
// strip's tiles and the recent list as read from their files, the one policy
// for a file that cannot be used, additions to the recent list by two
// running copies, and the lists and presets the settings dialog offers.

#include "QIAppUtil.h"
#include "files/DataFile.h"
#include "files/UserData.h"
#include "formats/FormatCatalogue.h"
#include "formats/ProfileLists.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Items = QList<FormatCatalogue::Item>;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// "A|B" -> an item with picture A.png, name A and profile "B.xml".
FormatCatalogue::Item item(const QString& spec)
{
    const QStringList parts = spec.split('|');
    return {parts.at(0) + ".png", parts.at(0), parts.at(1) + ".xml"};
}

QByteArray catalogueXml(const QStringList& specs)
{
    QByteArray xml =
        "<?xml version='1.0'?>\n<default>\n    <!-- comment -->\n    <group name=\"skipped\"/>\n";
    for (const QString& spec : specs) {
        const FormatCatalogue::Item i = item(spec);
        xml += QString("    <item imagename=\"%1\" itemname=\"%2\" relevantfile=\"%3\"/>\n")
                   .arg(i.imageName, i.itemName, i.relevantFile)
                   .toUtf8();
    }
    return xml + "</default>\n";
}

QStringList twelve()
{
    QStringList specs;
    for (int n = 1; n <= 12; ++n)
        specs << QString("F%1|F%1 Video").arg(n);
    return specs;
}

} // namespace

Q_DECLARE_METATYPE(Items)

class TestFormatCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
        QIAppUtil::setResourcePath(m_dir.filePath("Resources"));
    }

    void cleanup()
    {
        QDir(m_dir.filePath("data")).removeRecursively();
        QDir(m_dir.filePath("Resources")).removeRecursively();
    }

    void readCatalogue_data()
    {
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<QByteArray>("content"); // null: no file; "fifo": a pipe
        QTest::addColumn<int>("keepNewest");
        QTest::addColumn<Items>("expected");
        QTest::addColumn<QString>("asideSuffix"); // empty: the file stays

        const Items two = {item("MP4|MP4 Video"), item("AVI|AVI Video")};
        Items newest;
        for (const QString& spec : twelve().mid(2))
            newest << item(spec);
        const QByteArray damaged = "<default><item imagename=\"MP4.png\"";
        QTest::newRow("good") << false << catalogueXml({"MP4|MP4 Video", "AVI|AVI Video"}) << 0 << two << "";
        QTest::newRow("good shipped")
            << true << catalogueXml({"MP4|MP4 Video", "AVI|AVI Video"}) << 0 << two << "";
        QTest::newRow("recent keeps newest")
            << false << catalogueXml(twelve()) << FormatCatalogue::kMaxRecent << newest << "";
        QTest::newRow("damaged") << false << damaged << 0 << Items() << ".bad";
        QTest::newRow("damaged shipped") << true << damaged << 0 << Items() << ".broken";
        QTest::newRow("too deep") << false << "<default>" + QByteArray("<item>").repeated(200) + "</default>"
                                  << 0 << Items() << ".bad";
        QTest::newRow("missing") << false << QByteArray() << 0 << Items() << "";
        QTest::newRow("empty") << false << QByteArray("") << 0 << Items() << "";
        QTest::newRow("fifo") << false << QByteArray("fifo") << 0 << Items() << ".bad";
    }

    void readCatalogue()
    {
        QFETCH(bool, shipped);
        QFETCH(QByteArray, content);
        QFETCH(int, keepNewest);
        QFETCH(Items, expected);
        QFETCH(QString, asideSuffix);
        const QString relative = "format/video.xml";
        const QString path = shipped ? UserData::shippedPath(relative) : UserData::folder() + "/" + relative;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        const bool fifo = content == "fifo";
        if (fifo)
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (!content.isNull())
            writeAll(path, content);

        // On a thread of its own, so that a reader blocking on the pipe
        // fails the test instead of hanging it.
        Items items;
        QThread* reader = QThread::create([&] { items = FormatCatalogue::read(path, keepNewest); });
        QElapsedTimer timer;
        timer.start();
        reader->start();
        const bool returned = reader->wait(1000);
        if (!returned) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            reader->wait();
        }
        delete reader;
        QVERIFY2(returned, "blocked on a catalogue that is not a regular file");
        qInfo("read in %lld ms", timer.elapsed());

        QCOMPARE(items, expected);
        if (asideSuffix.isEmpty()) {
            QVERIFY(!QFileInfo::exists(path + ".bad") && !QFileInfo::exists(path + ".broken"));
            QCOMPARE(readAll(path), content);
        } else {
            // Kept aside as it was, never destroyed.
            QVERIFY(!QFileInfo::exists(path));
            if (fifo)
                QVERIFY(QFileInfo(path + asideSuffix).exists() && !QFileInfo(path + asideSuffix).isFile());
            else
                QCOMPARE(readAll(path + asideSuffix), content);
        }
    }

    // An addition goes last on the list the file holds now and keeps the
    // newest ten; a picture already listed leaves the file as it is.
    void addRecent_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("setAside");
        const QStringList two{"MP4|MP4 Video", "AVI|AVI Video"};
        QTest::newRow("no file") << QByteArray() << "MKV|MKV Video" << QStringList{"MKV|MKV Video"} << false;
        QTest::newRow("added last") << catalogueXml(two) << "MKV|MKV Video"
                                    << (two + QStringList{"MKV|MKV Video"}) << false;
        QTest::newRow("picture listed") << catalogueXml(two) << "AVI|Other" << two << false;
        QTest::newRow("newest ten") << catalogueXml(twelve()) << "MKV|MKV Video"
                                    << (twelve().mid(3) + QStringList{"MKV|MKV Video"}) << false;
        QTest::newRow("damaged") << QByteArray("<default><item") << "MKV|MKV Video"
                                 << QStringList{"MKV|MKV Video"} << true;
    }

    void addRecent()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, added);
        QFETCH(QStringList, after);
        QFETCH(bool, setAside);
        const QString path = FormatCatalogue::recentPath();
        QCOMPARE(path, UserData::folder() + "/format/recent.xml");
        if (!content.isNull())
            writeAll(path, content);
        const QByteArray before = readAll(path);

        FormatCatalogue::addRecent(item(added));
        QVERIFY(DataFile::waitForChanges(60000));
        Items expected;
        for (const QString& spec : after)
            expected << item(spec);
        QCOMPARE(FormatCatalogue::read(path), expected);
        if (after == QStringList({"MP4|MP4 Video", "AVI|AVI Video"}))
            QCOMPARE(readAll(path), before);
        QCOMPARE(QFile::exists(path + ".bad"), setAside);
    }

    // Two running copies add to the recent list at once: neither loses the
    // other's formats, and each keeps its own order.
    void recentTwoWriters()
    {
        constexpr int kEach = FormatCatalogue::kMaxRecent / 2;
        const QString path = FormatCatalogue::recentPath();
        QList<QProcess*> writers;
        for (const char* tag : {"A", "B"}) {
            auto* writer = new QProcess(this);
            writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writer->start(QCoreApplication::applicationFilePath(),
                          {"--add-recent", path, tag, QString::number(kEach)});
            writers << writer;
        }
        for (QProcess* writer : writers) {
            QVERIFY(writer->waitForFinished(60000));
            QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
            QCOMPARE(writer->exitCode(), 0);
            delete writer;
        }
        QStringList names;
        for (const FormatCatalogue::Item& listed : FormatCatalogue::read(path))
            names << listed.itemName;
        QCOMPARE(names.size(), 2 * kEach);
        for (const char* tag : {"A", "B"}) {
            const QStringList own = names.filter(QRegularExpression(QString("^%1\\d$").arg(tag)));
            QStringList inOrder;
            for (int i = 0; i < kEach; ++i)
                inOrder << QString("%1%2").arg(tag).arg(i);
            QCOMPARE(own, inOrder);
        }
    }

    void profileLists()
    {
        const QString path = m_dir.filePath("data/Lists Test.xml");
        writeAll(path, R"(<Profile OnlyAudio="N">
    <HIGH_QUALITY_VALUE V_Encoder="H264" V_FrameRate="30" A_BitRate="192"/>
    <ATTRIBUTE_VALUE V_Encoder="MPEG-4" A_BitRate="96"/>
    <ATTRIBUTE_VALUE V_Encoder="H264,MPEG-4" V_Resolution="Original" V_FrameRate="Original,25,30,"
        V_BitRate="Auto,800" A_Encoder="AAC" A_Channel="2,1" A_SampleRate="44100,48000" A_BitRate="128,192"/>
    <STANDARD_QUALITY_VALUE V_Encoder="MPEG-4" V_FrameRate="25" A_BitRate="128"/>
    <TEMP_QUALITY_VALUE V_Encoder="H264"/>
    <SMALL_QUALITY_VALUE V_FrameRate="Original" A_BitRate="64"/>
</Profile>
)");
        ProfileLists lists;
        QVERIFY(lists.read(path));
        QVERIFY(lists.hasLists());
        // The later list element wins; texts are kept as written.
        QCOMPARE(lists.listText(0), QString("H264,MPEG-4"));
        QCOMPARE(lists.listText(2), QString("Original,25,30,"));
        QCOMPARE(lists.listText(7), QString("128,192"));
        QCOMPARE(ProfileLists::split(lists.listText(2)), QStringList({"Original", "25", "30", ""}));
        QCOMPARE(ProfileLists::split(""), QStringList({""}));
        // Presets in file order; the current values are not one.
        QCOMPARE(lists.presets().size(), 3);
        QCOMPARE(lists.presets().at(0).V_FrameRate, QString("30"));
        QCOMPARE(lists.presets().at(1).V_Encoder, QString("MPEG-4"));
        QCOMPARE(lists.presets().at(2).A_BitRate, QString("64"));
        QCOMPARE(lists.presets().at(2).V_Encoder, QString());

        // A profile that cannot be used leaves the lists as they were and
        // stays where it is.
        const QByteArray damaged = "<Profile><ATTRIBUTE_VALUE";
        writeAll(path, damaged);
        QVERIFY(!lists.read(path));
        QVERIFY(!lists.read(m_dir.filePath("data/No Such.xml")));
        QCOMPARE(lists.listText(0), QString("H264,MPEG-4"));
        QCOMPARE(readAll(path), damaged);
    }

private:
    QTemporaryDir m_dir;
};

// Run with "--add-recent <path> <tag> <count>", the test is one of the
// copies above: it adds <tag>0, <tag>1, ... one after another, as presses
// on the format panel do.
int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--add-recent") == 0) {
        const QString path = QFile::decodeName(argv[2]);
        const QString tag = QString::fromLatin1(argv[3]);
        for (int i = 0; i < atoi(argv[4]); ++i) {
            const QString name = tag + QString::number(i);
            FormatCatalogue::addRecent({name + ".png", name, name + ".xml"}, path);
        }
        return DataFile::waitForChanges(60000) ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    TestFormatCatalogue test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_formatcatalogue.moc"
