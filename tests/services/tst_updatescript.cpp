#include "QIAppUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// The shipped install script, run on throw-away bundles.
class TestUpdateScript : public QObject
{
    Q_OBJECT

private:
    static bool writeFile(const QString& path, const QByteArray& data, bool executable = false)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return false;
        file.close();
        return !executable || file.setPermissions(file.permissions() | QFile::ExeOwner);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static int run(const QString& program, const QStringList& args, const QString& dir = QString(),
                   QByteArray* output = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(output ? QProcess::MergedChannels : QProcess::ForwardedErrorChannel);
        p.setWorkingDirectory(dir);
        p.start(program, args);
        const bool finished = p.waitForFinished(60000);
        if (output)
            *output = p.readAll();
        if (!finished || p.exitStatus() != QProcess::NormalExit)
            return -1;
        return p.exitCode();
    }
    // The reason the script gives the person: its last "update_script: " line.
    static QString reasonIn(const QByteArray& output)
    {
        QString reason;
        for (const QByteArray& line : output.split('\n'))
            if (line.startsWith("update_script: "))
                reason = QString::fromUtf8(line.mid(15));
        return reason;
    }

private slots:
    void install_data()
    {
        QTest::addColumn<QString>("image"); // how the image is made
        QTest::addColumn<bool>("installs");
        QTest::addColumn<QString>("reason"); // the start of the reason given
        const QString archive = "the update is not a readable archive";
        const QString link = "the update holds a link (Lumivane.app/Contents/";
        const QString outside = "the update holds a name outside the bundle (";
        QTest::newRow("good bundle") << "good" << true << "";
        QTest::newRow("not an archive") << "garbage" << false << archive;
        // Cut inside its second header: tar reads one folder and stops.
        QTest::newRow("truncated archive") << "truncated" << false << "the update holds no bundle";
        QTest::newRow("two folders") << "two" << false
                                     << "the update does not hold exactly one bundle folder";
        QTest::newRow("no program") << "noprogram" << false << "the bundle in the update has no program";
        QTest::newRow("missing image") << "missing" << false << "the downloaded update is missing";
        // Links could lead the restart out of the bundle.
        QTest::newRow("program links outside") << "linkprogram" << false << link + "MacOS/Lumivane)";
        QTest::newRow("program folder links outside") << "linkfolder" << false << link + "MacOS)";
        QTest::newRow("hard link") << "hardlink" << false << link;
        QTest::newRow("pipe") << "fifo" << false
                              << "the update holds a device or other special file "
                                 "(Lumivane.app/Contents/Resources/pipe)";
        QTest::newRow("name through ..") << "dotdot" << false << outside + "Lumivane.app/../../evil)";
        QTest::newRow("name from the root") << "absolute" << false << outside + "/";
    }

    void install()
    {
        QFETCH(QString, image);
        QFETCH(bool, installs);
        QFETCH(QString, reason);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString apps = tmp.path() + "/apps";
        const QString bundle = apps + "/Lumivane.app";
        QVERIFY(writeFile(bundle + "/Contents/MacOS/Lumivane", "old", true));
        QVERIFY(writeFile(bundle + "/Contents/Resources/data.txt", "old data"));

        // The new version, packed as the download serves it.
        const QString src = tmp.path() + "/src";
        const QString outside = tmp.path() + "/outside";
        QVERIFY(writeFile(outside + "/Lumivane", "outside", true));
        const QString newMacOS = src + "/Lumivane.app/Contents/MacOS";
        QVERIFY(QDir().mkpath(image == "linkfolder" ? QFileInfo(newMacOS).path() : newMacOS));
        if (image == "linkfolder")
            QVERIFY(QFile::link(outside, newMacOS));
        else if (image == "linkprogram")
            QVERIFY(QFile::link(outside + "/Lumivane", newMacOS + "/Lumivane"));
        else
            QVERIFY(writeFile(newMacOS + "/Lumivane", "new", image != "noprogram"));
        QVERIFY(writeFile(src + "/Lumivane.app/Contents/Resources/data.txt", "new data"));
        if (image == "hardlink")
            QVERIFY(::link(QFile::encodeName(newMacOS + "/Lumivane").constData(),
                           QFile::encodeName(src + "/Lumivane.app/Contents/Resources/copy").constData())
                    == 0);
        if (image == "fifo")
            QCOMPARE(
                ::mkfifo(QFile::encodeName(src + "/Lumivane.app/Contents/Resources/pipe").constData(), 0644),
                0);
        if (image == "two")
            QVERIFY(writeFile(src + "/Other.app/Contents/MacOS/Other", "x", true));
        const QString tar = tmp.path() + "/image.tar";
        // -P stores the names exactly as given, ".." and "/" included.
        QStringList members{"-P", "Lumivane.app"};
        if (image == "two")
            members << "Other.app";
        if (image == "dotdot") {
            QVERIFY(writeFile(src + "/evil", "evil"));
            members << "--transform=s,^evil$,Lumivane.app/../../evil,"
                    << "evil";
        }
        if (image == "absolute")
            members << outside + "/Lumivane";
        QCOMPARE(run("tar", QStringList{"-cf", tar, "-C", src} + members), 0);
        if (image == "garbage")
            QVERIFY(writeFile(tar, QByteArray(20000, 'g')));
        if (image == "truncated") {
            const QByteArray whole = readFile(tar);
            QVERIFY(writeFile(tar, whole.left(700)));
        }
        if (image == "missing")
            QVERIFY(QFile::remove(tar));

        const QString script = QIAppUtil::getResourcePath() + "/update_script.sh";
        QVERIFY(QFileInfo(script).isFile());
        QByteArray output;
        const int code = run("/bin/sh", {script, tar, bundle, QDir::homePath()}, tmp.path(), &output);
        QCOMPARE(code == 0, installs);
        const QString given = reasonIn(output);
        QVERIFY2(installs ? given.isEmpty() : given.startsWith(reason), output.constData());
        const QByteArray expected = installs ? "new" : "old";
        QCOMPARE(readFile(bundle + "/Contents/MacOS/Lumivane"), expected);
        QCOMPARE(readFile(bundle + "/Contents/Resources/data.txt"), expected + " data");
        // Nothing left beside the bundle: no staging folder, no old copy.
        QCOMPARE(QDir(apps).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"Lumivane.app"});
        QVERIFY(!QFileInfo(bundle + "/Contents/MacOS").isSymLink());
        QVERIFY(!QFileInfo(bundle + "/Contents/MacOS/Lumivane").isSymLink());
        QCOMPARE(readFile(outside + "/Lumivane"), QByteArray("outside"));
    }

    void refusesWhatIsNotABundle()
    {
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.path() + "/image.tar", "x"));
        const QString script = QIAppUtil::getResourcePath() + "/update_script.sh";
        QVERIFY(
            run("/bin/sh", {script, tmp.path() + "/image.tar", tmp.path() + "/nothing.app", QDir::homePath()})
            != 0);
        QVERIFY(run("/bin/sh", {script}) != 0);
    }
};

QTEST_GUILESS_MAIN(TestUpdateScript)
#include "tst_updatescript.moc"
