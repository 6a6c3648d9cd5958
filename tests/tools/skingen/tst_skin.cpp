// The drawn skin and the product information file, as the bundle ships them.
#include "pictures.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QSettings>
#include <QtTest>

namespace {

QString resources() { return QCoreApplication::applicationDirPath() + "/../Resources"; }

QImage frame(const QImage& img, int frames, int k)
{
    const int w = img.width() / frames;
    return img.copy(k * w, 0, w, img.height());
}

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT

private slots:
    void tableHasNoDuplicates();
    void pictures_data();
    void pictures();
    void productInformation_data();
    void productInformation();
    void productInformationIsPlainAscii();
};

void TestSkin::tableHasNoDuplicates()
{
    QSet<QString> seen;
    for (int i = 0; i < skin::kPictureCount; ++i) {
        const QString path = QString::fromLatin1(skin::kPictures[i].path);
        QVERIFY2(path.startsWith('/') && path.endsWith(".png", Qt::CaseInsensitive), qPrintable(path));
        QVERIFY2(!seen.contains(path), qPrintable(path));
        seen.insert(path);
    }
}

void TestSkin::pictures_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < skin::kPictureCount; ++i)
        QTest::newRow(skin::kPictures[i].path) << i;
}

void TestSkin::pictures()
{
    QFETCH(int, index);
    const skin::Picture& pic = skin::kPictures[index];
    const QString path = resources() + QString::fromLatin1(pic.path);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const QImage img(path);
    QVERIFY(!img.isNull());
    QCOMPARE(img.size(), QSize(pic.frameWidth * pic.frames, pic.height));
    QVERIFY(pic.frames == 1 || pic.frames == 4);
    QCOMPARE(img.width() % pic.frames, 0);
    if (pic.frames > 1) {
        // A sprite whose states look alike gives the user no feedback.
        const QImage normal = frame(img, pic.frames, 0);
        QVERIFY2(frame(img, pic.frames, 1) != normal, "hover looks like normal");
        QVERIFY2(frame(img, pic.frames, 2) != normal, "pressed looks like normal");
        QVERIFY2(frame(img, pic.frames, 3) != normal, "disabled looks like normal");
    } else {
        // A single picture must not be blank.
        bool drawn = false;
        for (int y = 0; y < img.height() && !drawn; ++y)
            for (int x = 0; x < img.width() && !drawn; ++x)
                drawn = qAlpha(img.pixel(x, y)) != 0;
        QVERIFY(drawn);
    }
}

void TestSkin::productInformation_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("mayBeEmpty");
    const struct
    {
        const char* key;
        bool mayBeEmpty;
    } keys[] = {
        // clang-format off
        {"Link/home", false},          {"Link/support", false},      {"Link/products", false},
        {"Link/help", false},          {"Link/download", true},      {"Link/download_zip", true},
        {"Link/newVersion", true},     {"Softlog/siteID", false},    {"Softlog/productID", false},
        {"Softlog/versionID", false},  {"Link/update_message", true}, {"Info/Product Name", false},
        {"Info/Help", true},           {"Info/format", false},
        // clang-format on
    };
    for (const auto& k : keys)
        QTest::newRow(k.key) << QString::fromLatin1(k.key) << k.mayBeEmpty;
}

void TestSkin::productInformation()
{
    QFETCH(QString, key);
    QFETCH(bool, mayBeEmpty);
    QSettings ini(resources() + "/versionInfo.ini", QSettings::IniFormat);
    QCOMPARE(ini.status(), QSettings::NoError);
    QVERIFY2(ini.contains(key), qPrintable(key));
    const QVariant v = ini.value(key, QString());
    // A value read as a list would reach the program as the empty text.
    QCOMPARE(int(v.type()), int(QVariant::String));
    QVERIFY(mayBeEmpty || !v.toString().isEmpty());
    if (key == "Info/Product Name")
        QCOMPARE(v.toString(), QString("Media Converter"));
    if (key.startsWith("Softlog/")) {
        bool ok = false;
        v.toString().toInt(&ok);
        QVERIFY(ok);
    }
    if (key == "Info/format") {
        // The queue matches suffixes case-sensitively inside this text.
        for (const char* suffix : {"*.mp4", "*.MP4", "*.mkv", "*.MOV", "*.mp3", "*.WAV", "*.flac"})
            QVERIFY2(v.toString().contains(QLatin1String(suffix)), suffix);
    }
}

void TestSkin::productInformationIsPlainAscii()
{
    QFile f(resources() + "/versionInfo.ini");
    QVERIFY(f.open(QIODevice::ReadOnly));
    for (const char c : f.readAll())
        QVERIFY(static_cast<unsigned char>(c) < 0x80);
}

QTEST_GUILESS_MAIN(TestSkin)
#include "tst_skin.moc"
