// The music library file without a window: its playlist names and the
// track times the import dialog shows.

#include "library/MusicLibrary.h"

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

class TestMusicLibrary : public QObject
{
    Q_OBJECT

private slots:
    void playlists_data();
    void playlists();
    void clockText_data();
    void clockText();
};

void TestMusicLibrary::playlists_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("names");
    const QByteArray head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>Tracks</key><dict><key>1</key><dict><key>Name</key><string>Track</string></dict></dict>";
    QTest::newRow("two playlists") << head
            + "<key>Playlists</key><array>"
              "<dict><key>Name</key><string>Library</string><key>Playlist ID</key><integer>1</integer></dict>"
              "<dict><key>Playlist ID</key><integer>2</integer><key>Name</key><string>Road &amp; "
              "Rain</string></dict>"
              "</array></dict></plist>"
                                   << QStringList({"Library", "Road & Rain"});
    QTest::newRow("not an array") << head + "<key>Playlists</key><dict/></dict></plist>" << QStringList();
    QTest::newRow("no playlists key")
        << head + "<key>playlists</key><array/></dict></plist>" << QStringList();
    QTest::newRow("not XML") << QByteArray("<plist><dict>") << QStringList();
    QTest::newRow("no file") << QByteArray() << QStringList();
}

void TestMusicLibrary::playlists()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, names);
    QTemporaryDir dir;
    const QString path = dir.filePath("Music/iTunes/iTunes Music Library.xml");
    if (!content.isEmpty())
        QVERIFY(writeAll(path, content));
    QCOMPARE(MusicLibrary::playlistNames(path), names);
}

void TestMusicLibrary::clockText_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "00:00";
    QTest::newRow("under a minute") << qint64(59999) << "00:59";
    QTest::newRow("under an hour") << qint64(3599999) << "59:59";
    QTest::newRow("an hour") << qint64(3600000) << "01:00:00";
    QTest::newRow("under a day") << qint64(86399999) << "23:59:59";
    QTest::newRow("a day") << qint64(86400000) << "";
    QTest::newRow("negative") << qint64(-5000) << "";
}

void TestMusicLibrary::clockText()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(MusicLibrary::clockText(ms), text);
}

QTEST_GUILESS_MAIN(TestMusicLibrary)
#include "tst_musiclibrary.moc"
