#include "update/CCheckUpdateInNetworktxt.h"
#include "update/UpdateTexts.h"

#include <QUrl>
#include <QtTest>

// The text rules of the update client, without a window or a network.
class TestUpdateTexts : public QObject
{
    Q_OBJECT

private slots:
    void compare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("result");
        QTest::newRow("newer last part") << "3.2.2.1"
                                         << "3.2.2.0" << 1;
        QTest::newRow("newer first part") << "4.0.0.0"
                                          << "3.2.2.0" << 1;
        QTest::newRow("equal") << "3.2.2.0"
                               << "3.2.2.0" << 0;
        QTest::newRow("older") << "3.2.1.9"
                               << "3.2.2.0" << -1;
        QTest::newRow("numeric, not textual") << "3.2.10.0"
                                              << "3.2.9.0" << 1;
        QTest::newRow("leading zeros") << "3.2.02.0"
                                       << "3.2.2.0" << 0;
        QTest::newRow("longer than any integer") << "99999999999999999999.0.0.0"
                                                 << "3.2.2.0" << 1;
        QTest::newRow("white space trimmed") << " 3.2.2.1\r\n"
                                             << "3.2.2.0" << 1;
        QTest::newRow("letters for dots") << "3x2x2x1"
                                          << "3.2.2.0" << -2;
        QTest::newRow("three parts") << "3.2.2"
                                     << "3.2.2.0" << -2;
        QTest::newRow("five parts") << "3.2.2.0.1"
                                    << "3.2.2.0" << -2;
        QTest::newRow("trailing text") << "3.2.2.1beta"
                                       << "3.2.2.0" << -2;
        QTest::newRow("negative part") << "3.2.-2.1"
                                       << "3.2.2.0" << -2;
        QTest::newRow("html") << "<html>"
                              << "3.2.2.0" << -2;
        QTest::newRow("empty") << ""
                               << "3.2.2.0" << -2;
    }
    void compare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, result);
        QCOMPARE(UpdateTexts::compareVersion(a, b), result);
    }

    void versionAnswer_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("version");
        QTest::newRow("line break") << QByteArray("3.2.2.1\r\n") << "3.2.2.1";
        QTest::newRow("zero byte ends it") << QByteArray("3.2.2.1\0garbage", 15) << "3.2.2.1";
        QTest::newRow("page") << QByteArray("<html><body>3.2.2.1</body></html>") << "";
        QTest::newRow("two lines") << QByteArray("3.2.2.1\n3.2.2.2") << "";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void versionAnswer()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, version);
        QCOMPARE(UpdateTexts::parseVersionAnswer(body), version);
    }

    void notes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        const QString h = "<font size=\"5\" color=\"gray\">%1</font><br/>";
        QTest::newRow("newer sections only, in file order")
            << "intro line\r\n<3.2.3.0>\r\n  Faster  "
               "\r\n\r\nSmaller\r\n<3.2.2.0>\r\nOld\r\n<3.2.2.5>\r\nFix\r\n"
            << h.arg("3.2.3.0") + "1. Faster<br/>2. Smaller<br/><br/>" + h.arg("3.2.2.5")
                + "1. Fix<br/><br/>";
        QTest::newRow("nothing newer") << "<3.2.2.0>\r\nOld\r\n<3.1.0.0>\r\nOlder"
                                       << "";
        QTest::newRow("section without notes") << "<3.3.0.0>\r\n" << h.arg("3.3.0.0") + "<br/>";
        QTest::newRow("markup is shown, not run") << "<3.3.0.0>\r\n<script>alert(1)</script> & <b>bold</b>"
                                                  << h.arg("3.3.0.0")
                + "1. &lt;script&gt;alert(1)&lt;/script&gt; &amp; &lt;b&gt;bold&lt;/b&gt;<br/><br/>";
        QTest::newRow("loose section marks are notes")
            << "<3.3.0.0>\r\n<3x3x0x0>\r\n<3.3.0>"
            << h.arg("3.3.0.0") + "1. &lt;3x3x0x0&gt;<br/>2. &lt;3.3.0&gt;<br/><br/>";
        QTest::newRow("repeated version keeps its last notes")
            << "<3.3.0.0>\r\nA\r\n<3.3.0.0>\r\nB"
            << h.arg("3.3.0.0") + "1. B<br/><br/>" + h.arg("3.3.0.0") + "1. B<br/><br/>";
    }
    void notes()
    {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(UpdateTexts::getVersionInfo(text), html);
    }

    void addresses_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("https") << "https://www.lumivane.example/update/latestversion.txt" << true;
        QTest::newRow("http") << "http://www.lumivane.example/update/latestversion.txt" << false;
        QTest::newRow("http loopback") << "http://127.0.0.1:8080/a" << true;
        QTest::newRow("http loopback v6") << "http://[::1]:8080/a" << true;
        QTest::newRow("http localhost") << "http://localhost/a" << true;
        QTest::newRow("http look-alike") << "http://127.0.0.1.lumivane.example/a" << false;
        QTest::newRow("ftp") << "ftp://www.lumivane.example/a" << false;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("empty") << "" << false;
    }
    void addresses()
    {
        QFETCH(QString, url);
        QFETCH(bool, allowed);
        QCOMPARE(UpdateTexts::isAllowedUpdateUrl(QUrl(url)), allowed);
    }

    void checksum_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("hash");
        const QByteArray hex = QByteArray(64, 'a');
        QTest::newRow("bare") << hex << hex;
        QTest::newRow("sha256sum line") << hex + "  MediaConverter.tar\n" << hex;
        QTest::newRow("upper case") << hex.toUpper() << hex;
        QTest::newRow("short") << QByteArray(63, 'a') << QByteArray();
        QTest::newRow("not hex") << QByteArray(64, 'g') << QByteArray();
        QTest::newRow("page") << QByteArray("<html>404</html>") << QByteArray();
    }
    void checksum()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, hash);
        QCOMPARE(UpdateTexts::parseSha256Text(text), hash);
    }

    void imageName()
    {
        QCOMPARE(CCheckUpdateInNetworktxt::imageFileName("P", "3.2.3.0"), QString("P3.2.3.0_temp.tar"));
        QCOMPARE(CCheckUpdateInNetworktxt::imageFileName("../x/Media", "3.2.3.0"),
                 QString(".._x_Media3.2.3.0_temp.tar"));
    }
};

QTEST_APPLESS_MAIN(TestUpdateTexts)
#include "tst_updatetexts.moc"
