// The engine's log lines land in the "lumivane.engine" category: errors and
// warnings by default, information and debug lines once the rules allow.
#include "EngineLog.h"
#include "orvalta_fake_control.h"

#include <QtTest>

namespace {

struct Seen
{
    QtMsgType type;
    QString category, text;
};
QList<Seen> g_seen;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    g_seen.append(Seen{type, QString::fromLatin1(context.category), text});
}

} // namespace

class TestEngineLog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void levels_data();
    void levels();
};

void TestEngineLog::init()
{
    g_seen.clear();
    orvfake::reset();
    EngineLog::install();
    qInstallMessageHandler(capture);
}

void TestEngineLog::cleanup()
{
    qInstallMessageHandler(nullptr);
    QLoggingCategory::setFilterRules(QString());
}

void TestEngineLog::levels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("type");
    QTest::newRow("error") << 0 << "" << true << int(QtCriticalMsg);
    QTest::newRow("warning") << 1 << "" << true << int(QtWarningMsg);
    QTest::newRow("information, by default") << 2 << "" << false << 0;
    QTest::newRow("debug, by default") << 3 << "" << false << 0;
    QTest::newRow("information, asked for") << 2 << "lumivane.engine.info=true" << true << int(QtInfoMsg);
    QTest::newRow("debug, asked for") << 3 << "lumivane.engine.debug=true" << true << int(QtDebugMsg);
    QTest::newRow("warning, turned off") << 1 << "lumivane.engine.warning=false" << false << 0;
}

void TestEngineLog::levels()
{
    QFETCH(int, level);
    QFETCH(QString, rules);
    QFETCH(bool, shown);
    QFETCH(int, type);
    if (!rules.isEmpty())
        QLoggingCategory::setFilterRules(rules);
    orvfake::emitLog(level, "subtitles: a line \xC3\xA9");
    qInstallMessageHandler(nullptr);
    QCOMPARE(g_seen.size(), shown ? 1 : 0);
    if (!shown)
        return;
    QCOMPARE(g_seen[0].category, QString("lumivane.engine"));
    QCOMPARE(int(g_seen[0].type), type);
    QCOMPARE(g_seen[0].text, QString::fromUtf8("subtitles: a line \xC3\xA9"));
}

QTEST_GUILESS_MAIN(TestEngineLog)
#include "tst_enginelog.moc"
