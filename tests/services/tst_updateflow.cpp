#include "../Figures.h"
#include "../ResourceCopy.h"

#include "CSingleVersionStringUtil.h"
#include "CheckUpdateDialog.h"
#include "CommonDialog.h"
#include "QIAppUtil.h"
#include "TestHttpServer.h"
#include "update/CCheckUpdateInNetworktxt.h"
#include "update/ExeUpdateScriptThread.h"
#include "update/FirewareDownImpl.h"
#include "update/UpdateRestart.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(CheckUpdateDialog::State)

namespace {
// What a row puts in the cache folder before the download.
enum Partial { NoPartial, Partial40, PartialFull, PartialOversize };

void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !qobject_cast<CommonDialog*>(modal)) {
            whenModal(act);
            return;
        }
        act(modal);
    });
}
} // namespace

// Answers TLS handshakes with a certificate nobody trusts.
class TlsServer : public QTcpServer
{
public:
    TlsServer(const QByteArray& cert, const QByteArray& key)
        : m_cert(cert, QSsl::Pem)
        , m_key(key, QSsl::Rsa, QSsl::Pem)
    {}
    int handshakes = 0;

protected:
    void incomingConnection(qintptr handle) override
    {
        auto* socket = new QSslSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        ++handshakes;
        socket->setLocalCertificate(m_cert);
        socket->setPrivateKey(m_key);
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        socket->startServerEncryption();
    }

private:
    QSslCertificate m_cert;
    QSslKey m_key;
};

// The update dialog driven end to end against a loopback server, with the
// test's own versionInfo.ini and a recording install script.
class TestUpdateFlow : public QObject
{
    Q_OBJECT

private:
    ResourceCopy m_resources; // the product information is rewritten
    std::unique_ptr<TestHttpServer> m_server;
    QTemporaryDir m_tmp;
    QByteArray m_image;
    QByteArray m_imageHash;
    CCheckUpdateInNetworktxt* m_checker = nullptr;

    QString recordDir() const { return m_tmp.path() + "/record"; }
    QString cacheDir() const { return m_tmp.path() + "/cache"; }
    QString imagePath() const
    {
        return cacheDir() + "/"
            + CCheckUpdateInNetworktxt::imageFileName(
                   CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME), "3.2.3.0");
    }

    static void writeFile(const QString& path, const QByteArray& data)
    {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        QCOMPARE(file.write(data), qint64(data.size()));
    }
    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeIni(const QByteArray& versionUrl, const QByteArray& base, QByteArray imageBase = QByteArray())
    {
        if (imageBase.isEmpty())
            imageBase = base;
        writeFile(QString::fromStdString(CSingleVersionStringUtil::GetIniFileName()),
                  "[Info]\nProduct Name=\"Media Converter\"\n[Link]\n"
                  "newVersion=\""
                      + versionUrl
                      + "\"\n"
                        "download=\""
                      + base
                      + "/notes.txt\"\n"
                        "download_zip=\""
                      + imageBase
                      + "/image.tar\"\n"
                        "download_sha256=\""
                      + imageBase + "/image.tar.sha256\"\n");
        CSingleVersionStringUtil::ClearLinkMap();
    }

    // The routes of a server that offers 3.2.3.0 and serves it correctly.
    void setGoodRoutes()
    {
        m_server->clearRoutes();
        m_server->setRoute("/latest.txt", {200, "3.2.3.0\r\n"});
        m_server->setRoute("/notes.txt", {200, "<3.2.3.0>\r\nFaster & smaller\r\n<3.2.2.0>\r\nOld\r\n"});
        m_server->setRoute("/image.tar", {200, m_image});
        m_server->setRoute("/image.tar.sha256", {200, m_imageHash + "  MediaConverter.tar\n"});
    }

    std::unique_ptr<CheckUpdateDialog> openDialog()
    {
        std::unique_ptr<CheckUpdateDialog> dlg(new CheckUpdateDialog(nullptr));
        dlg->show();
        return dlg;
    }

    // Waits for the checker to go quiet (a test must not leave a download
    // running into the next one).
    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(m_checker->stage() != UpdateStage::Downloading
                                     && m_checker->stage() != UpdateStage::Installing
                                     && m_checker->stage() != UpdateStage::Checking,
                                 30000);
        m_checker->clearFinishedInstall();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_resources.isValid());
        QVERIFY(m_tmp.isValid());
        QVERIFY(QDir().mkpath(recordDir()));
        m_server.reset(new TestHttpServer);
        QVERIFY(m_server->port() != 0);

        QRandomGenerator gen(17);
        m_image.resize(300 * 1024);
        for (char& c : m_image)
            c = char(gen.bounded(256));
        m_imageHash = QCryptographicHash::hash(m_image, QCryptographicHash::Sha256).toHex();

        // A recording stand-in for the install script.
        const QString script = ExeUpdateScriptThread::scriptPath();
        writeFile(script,
                  "#!/bin/sh\n"
                  "rec='"
                      + recordDir().toUtf8()
                      + "'\n"
                        "printf '%s\\n' \"$0\" \"$@\" > \"$rec/args\"\n"
                        "sha256sum \"$1\" | cut -d' ' -f1 > \"$rec/sha\"\n"
                        "cat \"$rec/say\" 2>/dev/null\n"
                        "exit $(cat \"$rec/exit\" 2>/dev/null || echo 0)\n");

        m_checker = static_cast<CCheckUpdateInNetworktxt*>(CreateCheckUpdateObj());
        QCOMPARE(static_cast<ICheckUpdateOpr*>(m_checker), CreateCheckUpdateObj());
        m_checker->setCacheFolder(cacheDir());
    }

    void init()
    {
        setGoodRoutes();
        writeIni(m_server->url("/latest.txt"), m_server->url(""));
        m_server->clearRequests();
        QDir(cacheDir()).removeRecursively();
        QDir(recordDir()).removeRecursively();
        m_checker->setDiskReserve(FirewareDownImpl::kDiskReserve);
        QVERIFY(QDir().mkpath(recordDir()));
    }

    void cleanup() { waitIdle(); }

    void flows_data()
    {
        QTest::addColumn<QByteArray>("latest"); // body of the latest-version text
        QTest::addColumn<QString>("change"); // what differs from a good server
        QTest::addColumn<int>("partial");
        QTest::addColumn<CheckUpdateDialog::State>("end");
        QTest::addColumn<QString>("text"); // part of the final message
        using S = CheckUpdateDialog::State;
        const QString latest = "You have the latest version. No newer version is available at this time.";
        const QString unreachable = "could not be reached";
        QTest::newRow("equal version")
            << QByteArray("3.2.2.0") << "" << int(NoPartial) << S::NoUpdate << latest;
        QTest::newRow("older version")
            << QByteArray("3.2.1.9") << "" << int(NoPartial) << S::NoUpdate << latest;
        QTest::newRow("newer, installed")
            << QByteArray("3.2.3.0\r\n") << "" << int(NoPartial) << S::Completed << "";
        QTest::newRow("resume from 40 %")
            << QByteArray("3.2.3.0") << "" << int(Partial40) << S::Completed << "";
        QTest::newRow("complete on disk")
            << QByteArray("3.2.3.0") << "" << int(PartialFull) << S::Completed << "";
        QTest::newRow("oversize partial restarts")
            << QByteArray("3.2.3.0") << "" << int(PartialOversize) << S::Completed << "";
        QTest::newRow("ignored range restarts")
            << QByteArray("3.2.3.0") << "norange" << int(Partial40) << S::Completed << "";
        QTest::newRow("wrong hash") << QByteArray("3.2.3.0") << "badhash" << int(NoPartial) << S::Failed
                                    << "does not match its published checksum";
        QTest::newRow("404 image") << QByteArray("3.2.3.0") << "image404" << int(NoPartial) << S::Failed
                                   << "HTTP 404";
        QTest::newRow("404 image after partial")
            << QByteArray("3.2.3.0") << "image404" << int(Partial40) << S::Failed << "HTTP 404";
        QTest::newRow("404 checksum") << QByteArray("3.2.3.0") << "hash404" << int(NoPartial) << S::Failed
                                      << "checksum of the update could not be loaded";
        QTest::newRow("empty image") << QByteArray("3.2.3.0") << "empty" << int(NoPartial) << S::Failed
                                     << "empty";
        QTest::newRow("longer than announced")
            << QByteArray("3.2.3.0") << "long" << int(NoPartial) << S::Failed << "more data than announced";
        QTest::newRow("dropped connection")
            << QByteArray("3.2.3.0") << "drop" << int(NoPartial) << S::Failed << "interrupted";
        QTest::newRow("bad version text") << QByteArray("<html>3.2.3.0</html>") << "" << int(NoPartial)
                                          << S::Failed << "did not answer with a version number";
        QTest::newRow("version 404") << QByteArray("3.2.3.0") << "version404" << int(NoPartial) << S::Failed
                                     << "HTTP 404";
        QTest::newRow("notes 404") << QByteArray("3.2.3.0") << "notes404" << int(NoPartial) << S::Failed
                                   << "release notes";
        QTest::newRow("script exits 1") << QByteArray("3.2.3.0") << "script1" << int(NoPartial) << S::Failed
                                        << "install script failed with code 1";
        QTest::newRow("script says why")
            << QByteArray("3.2.3.0") << "scriptWhy" << int(NoPartial) << S::Failed
            << "The update could not be installed because the update holds a link (A.app/x). "
               "The installed version is unchanged.";
        QTest::newRow("server down") << QByteArray("3.2.3.0") << "down" << int(NoPartial) << S::Failed
                                     << unreachable;
        QTest::newRow("plain http address") << QByteArray("3.2.3.0") << "http" << int(NoPartial) << S::Failed
                                            << "not a secure (https) address";
        // What failed is said in words: never "unreachable" for an answer
        // that came, never a bare status for a redirect.
        const QString notFollowed = "not secure (https), so it was not followed";
        QTest::newRow("version redirect to http")
            << QByteArray("3.2.3.0") << "versionToHttp" << int(NoPartial) << S::Failed << notFollowed;
        QTest::newRow("version redirect loop") << QByteArray("3.2.3.0") << "versionLoop" << int(NoPartial)
                                               << S::Failed << "too many times (a redirect loop)";
        QTest::newRow("image redirect to http")
            << QByteArray("3.2.3.0") << "imageToHttp" << int(NoPartial) << S::Failed << notFollowed;
        QTest::newRow("endless checksum") << QByteArray("3.2.3.0") << "endlessHash" << int(NoPartial)
                                          << S::Failed << "checksum answer is too long";
        QTest::newRow("huge image announced")
            << QByteArray("3.2.3.0") << "huge" << int(Partial40) << S::Failed << "larger than 2048 MB";
        QTest::newRow("endless image body") << QByteArray("3.2.3.0") << "endlessImage" << int(NoPartial)
                                            << S::Failed << "more data than announced";
        // The reserve is counted in, and said to be.
        const QString reserveMB = QString::number((qint64(1) << 60) >> 20);
        QTest::newRow("no free space") << QByteArray("3.2.3.0") << "noRoom" << int(Partial40) << S::Failed
                                       << "not enough free disk space for the update (" + reserveMB
                + " MB are needed, including " + reserveMB + " MB kept free for the system).";
        QTest::newRow("disk refuses writes") << QByteArray("3.2.3.0") << "writeFails" << int(NoPartial)
                                             << S::Failed << "could not be written to disk";
    }

    void flows()
    {
        QFETCH(QByteArray, latest);
        QFETCH(QString, change);
        QFETCH(int, partial);
        QFETCH(CheckUpdateDialog::State, end);
        QFETCH(QString, text);

        m_server->setRoute("/latest.txt", {200, latest});
        if (change == "norange")
            m_server->setRoute("/image.tar", {200, m_image, false});
        if (change == "badhash")
            m_server->setRoute("/image.tar.sha256", {200, QByteArray(64, 'a')});
        if (change == "image404")
            m_server->setRoute("/image.tar", {404, "<html>No such file</html>"});
        if (change == "hash404")
            m_server->setRoute("/image.tar.sha256", {404, "<html>No such file</html>"});
        if (change == "empty")
            m_server->setRoute("/image.tar", {200, QByteArray()});
        if (change == "long") {
            TestHttpServer::Route route{200, m_image};
            route.headLength = m_image.size() / 2;
            m_server->setRoute("/image.tar", route);
        }
        if (change == "drop")
            m_server->setRoute("/image.tar", {200, m_image, true, true});
        if (change == "version404")
            m_server->setRoute("/latest.txt", {404, "<html>3.2.3.0</html>"});
        if (change == "notes404")
            m_server->setRoute("/notes.txt", {404, "<html>gone</html>"});
        if (change == "script1" || change == "scriptWhy")
            writeFile(recordDir() + "/exit", "1");
        if (change == "scriptWhy")
            writeFile(
                recordDir() + "/say",
                "tar: early noise\nupdate_script: the update holds a link (A.app/x)\ntar: late noise\n");
        if (change == "down") {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
            const QByteArray base = "http://127.0.0.1:" + QByteArray::number(closed.serverPort());
            closed.close();
            writeIni(base + "/latest.txt", base);
        }
        if (change == "http")
            writeIni("http://www.lumivane.example/latest.txt", "http://www.lumivane.example");
        TestHttpServer::Route redirect{302, "moved"};
        if (change == "versionToHttp" || change == "imageToHttp") {
            redirect.location = "http://www.lumivane.example/elsewhere";
            m_server->setRoute(change == "versionToHttp" ? "/latest.txt" : "/image.tar", redirect);
        }
        if (change == "versionLoop") {
            redirect.location = m_server->url("/latest.txt");
            m_server->setRoute("/latest.txt", redirect);
        }
        TestHttpServer::Route endless{200, QByteArray()};
        endless.endless = true;
        if (change == "endlessHash")
            m_server->setRoute("/image.tar.sha256", endless);
        if (change == "endlessImage") {
            endless.headLength = m_image.size();
            m_server->setRoute("/image.tar", endless);
        }
        if (change == "huge") {
            TestHttpServer::Route route{200, m_image};
            route.headLength = qint64(50) << 30;
            m_server->setRoute("/image.tar", route);
        }
        if (change == "noRoom")
            m_checker->setDiskReserve(qint64(1) << 60);
        // The file-size limit makes the image's writes fail past 100 KB.
        struct rlimit oldLimit;
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        auto restoreLimit = qScopeGuard([&] { ::setrlimit(RLIMIT_FSIZE, &oldLimit); });

        const qint64 cut = m_image.size() * 40 / 100;
        if (partial != NoPartial) {
            QVERIFY(QDir().mkpath(cacheDir()));
            if (partial == Partial40)
                writeFile(imagePath(), m_image.left(int(cut)));
            if (partial == PartialFull)
                writeFile(imagePath(), m_image);
            if (partial == PartialOversize)
                writeFile(imagePath(), QByteArray(m_image.size() + 1000, 'x'));
        }

        if (change == "writeFails") {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit small = oldLimit;
            small.rlim_cur = 100 * 1024;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        }

        auto dlg = openDialog();
        // An address that is not used fails at once; any other starts a check.
        if (change != "http") {
            QCOMPARE(dlg->state(), CheckUpdateDialog::State::Checking);
            QCOMPARE(dlg->m_labNewVersionInfo->text(), QString("Checking for update now, please wait..."));
        }
        QTRY_VERIFY_WITH_TIMEOUT(dlg->state() != CheckUpdateDialog::State::Checking, 15000);
        const bool found = dlg->state() == CheckUpdateDialog::State::UpdateFound;
        if (found) {
            QCOMPARE(dlg->m_labNewVersionTiltle->text(), QString("What's New? - Version 3.2.3.0"));
            QVERIFY(dlg->m_labNewVersionInfo->text().contains("1. Faster &amp; smaller<br/>"));
            QVERIFY(!dlg->m_labNewVersionInfo->text().contains("Old"));
            QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(dlg->state() == CheckUpdateDialog::State::Completed
                                         || dlg->state() == CheckUpdateDialog::State::Failed,
                                     30000);
        }
        QCOMPARE(dlg->state(), end);
        if (!text.isEmpty())
            QVERIFY2(dlg->m_labNewVersionInfo->text().contains(text),
                     qPrintable(dlg->m_labNewVersionInfo->text()));

        const QStringList args =
            QString::fromUtf8(readFile(recordDir() + "/args")).split('\n', Qt::SkipEmptyParts);
        const bool scriptRan = !args.isEmpty();
        QCOMPARE(scriptRan, end == CheckUpdateDialog::State::Completed || change.startsWith("script"));
        if (scriptRan) {
            QCOMPARE(
                args,
                ExeUpdateScriptThread::scriptArguments(ExeUpdateScriptThread::scriptPath(), imagePath()));
            QCOMPARE(readFile(recordDir() + "/sha").trimmed(), m_imageHash);
            QVERIFY(!QFile::exists(imagePath()));
        }

        if (end == CheckUpdateDialog::State::Completed) {
            QCOMPARE(dlg->m_widButtons->isVisible(), true);
            QCOMPARE(dlg->m_widProgress->isVisible(), false);
            QVERIFY(dlg->m_btnUpdateCompleted->isVisible());
            QVERIFY(!dlg->m_btnUpdate->isVisible());
            QCOMPARE(dlg->m_pgrDownload->value(), 100);
            QCOMPARE(dlg->m_labDownloadPercent->text(), QString("100 %"));
        }
        if (end == CheckUpdateDialog::State::Failed) {
            QCOMPARE(dlg->m_btnUpdate->isVisible(), true);
            QVERIFY(dlg->m_widButtons->isVisible());
            QVERIFY(!dlg->m_widProgress->isVisible());
            // Whatever stays behind is a true prefix of the image, never an
            // error page or a stray tail.
            const QByteArray left = readFile(imagePath());
            QVERIFY(m_image.startsWith(left));
            QVERIFY(left.size() < m_image.size());
            // A download said to be deleted is gone.
            if (dlg->m_labNewVersionInfo->text().contains("deleted"))
                QVERIFY(!QFile::exists(imagePath()));
            // The heading names the step that failed.
            const QString heading = !found    ? "The check for updates did not succeed"
                : change.startsWith("script") ? "The update did not succeed"
                                              : "The download did not succeed";
            QCOMPARE(dlg->m_labNewVersionTiltle->text(), heading);
        }

        const auto gets = m_server->requests("GET", "/image.tar");
        if (partial == Partial40 && end == CheckUpdateDialog::State::Completed) {
            QCOMPARE(gets.value(0).header("Range"), "bytes=" + QByteArray::number(cut) + "-");
            if (change == "norange")
                QCOMPARE(gets.size(), 2); // once ignored, then fetched whole
        }
        if (partial == PartialFull)
            QVERIFY(gets.isEmpty());
    }

    void requestHeaders()
    {
        m_server->setRoute("/latest.txt", {200, "3.2.2.0"});
        auto dlg = openDialog();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::NoUpdate, 15000);
        const auto requests = m_server->requests("GET", "/latest.txt");
        QCOMPARE(requests.size(), 1);
        const TestHttpServer::Request& r = requests.first();
        QVERIFY(r.header("User-Agent").startsWith("Mozilla/5.0"));
        QCOMPARE(r.header("Accept"),
                 QByteArray("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"));
        QCOMPARE(r.header("Accept-Language"), QByteArray("zh-cn,zh;q=0.5"));
        QCOMPARE(r.header("Accept-Charset"), QByteArray("utf-8;q=0.7,*;q=0.7"));
        // The network layer's own offer, which it can decode, not a raw one.
        QVERIFY(r.header("Accept-Encoding") != "deflate");
    }

    // A second "Check for Update" during a download shows that download
    // and starts neither a check nor a second download.
    void secondCheckShowsTheDownload()
    {
        m_server->setRoute("/image.tar", {200, m_image, true, false, 40, 16 * 1024});
        auto first = openDialog();
        QTRY_COMPARE_WITH_TIMEOUT(first->state(), CheckUpdateDialog::State::UpdateFound, 15000);
        QTest::mouseClick(first->m_btnUpdate, Qt::LeftButton);
        QCOMPARE(first->state(), CheckUpdateDialog::State::Downloading);
        QVERIFY(first->m_widProgress->isVisible());
        QVERIFY(!first->m_widButtons->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(first->m_pgrDownload->value() > 0, 15000);
        first.reset(); // closing the dialog leaves the download running

        const int checks = m_server->requests("GET", "/latest.txt").size();
        auto second = openDialog();
        QCOMPARE(second->state(), CheckUpdateDialog::State::Downloading);
        QVERIFY(second->m_widProgress->isVisible());
        QCOMPARE(second->m_labNewVersionTiltle->text(), QString("What's New? - Version 3.2.3.0"));
        QTest::mouseClick(second->m_btnUpdate, Qt::LeftButton); // hidden: nothing may start
        QTRY_COMPARE_WITH_TIMEOUT(second->state(), CheckUpdateDialog::State::Completed, 30000);
        QCOMPARE(m_server->requests("GET", "/latest.txt").size(), checks);
        QCOMPARE(m_server->requests("GET", "/image.tar").size(), 1);
        QCOMPARE(readFile(recordDir() + "/sha").trimmed(), m_imageHash);
    }

    // Stop ends a download under way and deletes what it wrote; the longest
    // event-loop stall meanwhile goes to the benchmark.
    void stopDeletesPartial()
    {
        m_server->setRoute("/image.tar", {200, m_image, true, false, 40, 16 * 1024});
        auto dlg = openDialog();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::UpdateFound, 15000);
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] {
            longest = qMax(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        clock.start();
        tick.start(5);
        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton);
        QVERIFY(dlg->m_btnStop->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(dlg->m_pgrDownload->value() >= 10, 15000);
        QVERIFY(QFileInfo(imagePath()).size() > 0);
        QTest::mouseClick(dlg->m_btnStop, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::Failed, 5000);
        tick.stop();
        figures::report("update.download_longest_stall", double(longest), "ms", 500);
        QCOMPARE(dlg->m_labNewVersionTiltle->text(), QString("The download was stopped"));
        QVERIFY(dlg->m_labNewVersionInfo->text().contains("stopped"));
        QVERIFY(!QFile::exists(imagePath()));
        QCOMPARE(m_checker->stage(), UpdateStage::Idle);
        QVERIFY(readFile(recordDir() + "/args").isEmpty());
    }

    void untrustedCertificate_data()
    {
        QTest::addColumn<bool>("download"); // the check or the download meets it
        QTest::newRow("check") << false;
        QTest::newRow("download") << true;
    }
    // A server whose certificate is not trusted gives nothing, for the
    // check and the download alike.
    void untrustedCertificate()
    {
        QFETCH(bool, download);
        if (!QSslSocket::supportsSsl())
            QSKIP("no TLS support in this Qt");
        const QString key = m_tmp.path() + "/key.pem";
        const QString cert = m_tmp.path() + "/cert.pem";
        QProcess openssl;
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days",
                       "1", "-subj", "/CN=127.0.0.1"});
        if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
            QSKIP("openssl cannot make a test certificate here");
        TlsServer tls(readFile(cert), readFile(key));
        QVERIFY(tls.listen(QHostAddress::LocalHost, 0));
        const QByteArray https = "https://127.0.0.1:" + QByteArray::number(tls.serverPort());
        if (download)
            writeIni(m_server->url("/latest.txt"), m_server->url(""), https);
        else
            writeIni(https + "/latest.txt", https);

        auto dlg = openDialog();
        QTRY_VERIFY_WITH_TIMEOUT(dlg->state() != CheckUpdateDialog::State::Checking, 15000);
        if (download) {
            QCOMPARE(dlg->state(), CheckUpdateDialog::State::UpdateFound);
            QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton);
        }
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::Failed, 15000);
        QVERIFY2(dlg->m_labNewVersionInfo->text().contains("certificate could not be verified"),
                 qPrintable(dlg->m_labNewVersionInfo->text()));
        QVERIFY(tls.handshakes > 0);
        QVERIFY(!QFile::exists(imagePath()));
    }

    void retryChecksAgain()
    {
        m_server->setRoute("/latest.txt", {200, "not a version"});
        auto dlg = openDialog();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::Failed, 15000);
        QVERIFY(dlg->m_btnCancel->isVisible());
        m_server->setRoute("/latest.txt", {200, "3.2.2.0"});
        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton);
        QCOMPARE(dlg->state(), CheckUpdateDialog::State::Checking);
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::NoUpdate, 15000);
        QCOMPARE(m_server->requests("GET", "/latest.txt").size(), 2);
        QVERIFY(dlg->isVisible());
        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton); // "OK" closes
        QVERIFY(!dlg->isVisible());
    }

    // Three failed host look-ups while a request runs end the check.
    void lostNetworkFails()
    {
        m_server->setRoute("/latest.txt", {200, QByteArray(64, '3'), true, false, 2000, 1});
        auto dlg = openDialog();
        QCOMPARE(m_checker->stage(), UpdateStage::Checking);
        QHostInfo failed;
        failed.setError(QHostInfo::HostNotFound);
        m_checker->onLookUpHost(failed);
        QHostInfo ok;
        m_checker->onLookUpHost(ok);
        m_checker->onLookUpHost(failed);
        QCOMPARE(dlg->state(), CheckUpdateDialog::State::Checking);
        m_checker->onLookUpHost(failed);
        QCOMPARE(dlg->state(), CheckUpdateDialog::State::Failed);
        QVERIFY(dlg->m_labNewVersionInfo->text().contains("could not be reached"));
        QCOMPARE(m_checker->stage(), UpdateStage::Idle);
    }

    // Losing the network during a download ends it with a failure; Retry
    // checks again and the download goes on from what is on disk.
    void lostNetworkDuringDownloadResumes()
    {
        m_server->setRoute("/image.tar", {200, m_image, true, false, 40, 16 * 1024});
        auto dlg = openDialog();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::UpdateFound, 15000);
        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(dlg->m_pgrDownload->value() >= 10, 15000);
        m_checker->onConnectInternetError();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::Failed, 15000);
        QVERIFY(dlg->m_labNewVersionInfo->text().contains("could not be reached"));
        const QByteArray kept = readFile(imagePath());
        QVERIFY(!kept.isEmpty());
        QVERIFY(m_image.startsWith(kept));

        m_server->setRoute("/image.tar", {200, m_image});
        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton); // Retry
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::UpdateFound, 15000);
        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::Completed, 30000);
        const auto gets = m_server->requests("GET", "/image.tar");
        QCOMPARE(gets.size(), 2);
        QCOMPARE(gets.last().header("Range"), "bytes=" + QByteArray::number(kept.size()) + "-");
        QCOMPARE(readFile(recordDir() + "/sha").trimmed(), m_imageHash);
    }

    void progressDisplay_data()
    {
        QTest::addColumn<qulonglong>("done");
        QTest::addColumn<qulonglong>("total");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("installing");
        QTest::newRow("nothing yet") << 0ull << 0ull << 0 << false;
        QTest::newRow("a third") << 1ull << 3ull << 33 << false;
        QTest::newRow("99.6 %") << 996ull << 1000ull << 99 << false;
        QTest::newRow("all") << 1000ull << 1000ull << 99 << true;
        QTest::newRow("huge") << (1ull << 62) << (1ull << 63) << 50 << false;
    }
    void progressDisplay()
    {
        QFETCH(qulonglong, done);
        QFETCH(qulonglong, total);
        QFETCH(int, shown);
        QFETCH(bool, installing);
        m_server->setRoute("/latest.txt", {200, "3.2.2.0"});
        auto dlg = openDialog();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::NoUpdate, 15000);
        dlg->onBegin();
        dlg->onProgress(done, total);
        QCOMPARE(dlg->m_pgrDownload->value(), shown);
        QCOMPARE(dlg->m_labDownloadPercent->text(), QString("%1 %").arg(shown));
        QCOMPARE(dlg->m_labStatus->text().startsWith("Installing the latest version of Media Converter"),
                 installing);
        dlg->onEnd();
        QCOMPARE(dlg->m_pgrDownload->value(), 100);
        QVERIFY(!dlg->m_widProgress->isVisible());
    }

    void restart_data()
    {
        QTest::addColumn<bool>("converting");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("restarts");
        QTest::newRow("idle") << false << 0 << true;
        QTest::newRow("converting, confirmed") << true << int(QMessageBox::Ok) << true;
        QTest::newRow("converting, declined") << true << int(QMessageBox::Cancel) << false;
    }
    // OK after an install closes the program the normal way and starts only
    // its own executable; while conversions run it asks first.
    void restart()
    {
        QFETCH(bool, converting);
        QFETCH(int, answer);
        QFETCH(bool, restarts);
        m_server->setRoute("/latest.txt", {200, "3.2.2.0"});
        auto dlg = openDialog();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::NoUpdate, 15000);
        dlg->onHaveUpdate(true, "3.2.3.0", QString());
        dlg->onEnd();
        QCOMPARE(dlg->state(), CheckUpdateDialog::State::Completed);
        int closed = 0;
        bool asked = false;
        dlg->setConversionQuery([converting] { return converting; });
        dlg->setCloseApplication([&closed] { ++closed; });
        if (converting)
            whenModal([&](QWidget* box) {
                asked = true;
                static_cast<QDialog*>(box)->done(answer);
            });
        QTest::mouseClick(dlg->m_btnUpdateCompleted, Qt::LeftButton);
        QCOMPARE(asked, converting);
        QTRY_COMPARE(closed, restarts ? 1 : 0);
        QCOMPARE(UpdateRestart::isRequested(), restarts);
        QCOMPARE(dlg->isVisible(), !restarts);
        QCOMPARE(UpdateRestart::program(), QCoreApplication::applicationFilePath());
        if (!restarts) {
            // Declined: it says when the update takes effect, and OK now
            // only closes, without asking again.
            QCOMPARE(
                dlg->m_labNewVersionTiltle->text(),
                QString(
                    "Version 3.2.3.0 is installed. It will be used the next time Media Converter starts."));
            asked = false;
            QTest::mouseClick(dlg->m_btnUpdateCompleted, Qt::LeftButton);
            QVERIFY(!asked);
            QVERIFY(!dlg->isVisible());
            QCOMPARE(closed, 0);
            QVERIFY(!UpdateRestart::isRequested());
        }
        UpdateRestart::cancel();
    }

    void privateCacheFolder()
    {
        auto dlg = openDialog();
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::UpdateFound, 15000);
        // A link planted where the folder goes is refused, not followed.
        QVERIFY(QDir().mkpath(m_tmp.path() + "/elsewhere"));
        QVERIFY(QFile::link(m_tmp.path() + "/elsewhere", cacheDir()));
        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton);
        QCOMPARE(dlg->state(), CheckUpdateDialog::State::Failed);
        QVERIFY(dlg->m_labNewVersionInfo->text().contains("could not be stored"));
        QVERIFY(QDir(m_tmp.path() + "/elsewhere").isEmpty());
        QVERIFY(QFile::remove(cacheDir()));

        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton); // Retry
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::UpdateFound, 15000);
        QTest::mouseClick(dlg->m_btnUpdate, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dlg->state(), CheckUpdateDialog::State::Completed, 30000);
        QCOMPARE(QFileInfo(cacheDir()).permissions()
                     & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                        | QFile::WriteOther | QFile::ExeOther),
                 QFileDevice::Permissions());
    }
};

QTEST_MAIN(TestUpdateFlow)
#include "tst_updateflow.moc"
