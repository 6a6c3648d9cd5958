// The preview windows' player on the recording engine: it owns its handle,
// frees it once, never passes it on after that, and turns the engine's
// answers into signals.
#include "EnginePlayer.h"

#include <orvalta_fake_control.h>

#include <QtTest>

#include <memory>

namespace {

constexpr uint64_t kSecond = 1000000;

QStringList playerCalls()
{
    QStringList out;
    for (const std::string& line : orvfake::calls("Player_"))
        out << QString::fromStdString(line);
    return out;
}

} // namespace

class TestEnginePlayer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void steps_data();
    void steps();
};

void TestEnginePlayer::init()
{
    orvfake::reset();
    orvfake::MediaFacts clip;
    clip.durationUs = 10 * kSecond;
    orvfake::setMedia("/media/clip.mp4", clip);
}

void TestEnginePlayer::steps_data()
{
    // Steps: create, release, destroy, open <path>, open <path> <w> <h>,
    // play, pause, seek <us>, poll; at <us> and end move the engine's clock;
    // mark forgets the calls and signals so far.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("calls"); // the engine's, after the last mark
    QTest::addColumn<QStringList>("events"); // the signals, after the last mark

    QTest::newRow("release closes, then frees, once")
        << QStringList{"create", "open /media/clip.mp4", "mark", "release", "release"}
        << QStringList{"Player_Close(P1)", "Player_Release(P1)"} << QStringList{};
    QTest::newRow("the destructor releases")
        << QStringList{"create", "mark", "destroy"} << QStringList{"Player_Close(P1)", "Player_Release(P1)"}
        << QStringList{};
    QTest::newRow("a second create keeps the first player")
        << QStringList{"create", "create"} << QStringList{"Player_Create(27)"} << QStringList{};
    QTest::newRow("after release no call names the freed player")
        << QStringList{"create", "open /media/clip.mp4", "play", "release",
                       "mark",   "seek 1000000",         "play", "poll"}
        << QStringList{"Player_Seek(0, 1000000)", "Player_Play(0)"} << QStringList{"error Play"};
    QTest::newRow("open at a size") << QStringList{"create", "mark", "open /media/clip.mp4 640 360"}
                                    << QStringList{"Player_OpenEx(P1, \"/media/clip.mp4\", 640, 360, 0, 0)"}
                                    << QStringList{"opened"};
    QTest::newRow("a file that does not open")
        << QStringList{"create", "mark", "open /media/missing.mp4"}
        << QStringList{"Player_Open(P1, \"/media/missing.mp4\")"} << QStringList{"error Open"};
    QTest::newRow("play and pause without a file")
        << QStringList{"create", "mark", "play", "pause"}
        << QStringList{"Player_Play(P1)", "Player_Pause(P1)"} << QStringList{"error Play", "error Pause"};
    QTest::newRow("poll while playing gives the time")
        << QStringList{"create", "open /media/clip.mp4", "play", "at 5000000", "mark", "poll"}
        << QStringList{"Player_IsCompleted(P1)", "Player_GetPlayTime(P1)"} << QStringList{"position 5000000"};
    QTest::newRow("poll at the end gives the end alone")
        << QStringList{"create", "open /media/clip.mp4", "play", "end", "mark", "poll"}
        << QStringList{"Player_IsCompleted(P1)"} << QStringList{"ended"};
    QTest::newRow("poll without a player asks nothing")
        << QStringList{"poll"} << QStringList{} << QStringList{};
}

void TestEnginePlayer::steps()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, events);

    auto player = std::make_unique<EnginePlayer>();
    QStringList seen;
    connect(player.get(), &EnginePlayer::opened, [&] { seen << "opened"; });
    connect(player.get(), &EnginePlayer::ended, [&] { seen << "ended"; });
    connect(player.get(), &EnginePlayer::position,
            [&](uint64_t time) { seen << QStringLiteral("position %1").arg(time); });
    connect(player.get(), &EnginePlayer::error, [&](EnginePlayer::Operation operation) {
        seen << QStringLiteral("error ")
                + QMetaEnum::fromType<EnginePlayer::Operation>().valueToKey(operation);
    });

    for (const QString& step : steps) {
        const QStringList word = step.split(' ');
        const QString& verb = word.at(0);
        if (verb == "create")
            player->create(27);
        else if (verb == "release")
            player->release();
        else if (verb == "destroy")
            player.reset();
        else if (verb == "open" && word.size() == 4)
            player->open(word.at(1), word.at(2).toUInt(), word.at(3).toUInt());
        else if (verb == "open")
            player->open(word.at(1));
        else if (verb == "play")
            player->play();
        else if (verb == "pause")
            player->pause();
        else if (verb == "seek")
            player->seek(word.at(1).toULongLong());
        else if (verb == "poll")
            player->poll();
        else if (verb == "at")
            QVERIFY(orvfake::setPlayTime("P1", word.at(1).toULongLong()));
        else if (verb == "end")
            QVERIFY(orvfake::completePlayback("P1"));
        else if (verb == "mark") {
            orvfake::clearCalls();
            seen.clear();
        } else
            QFAIL(qPrintable("unknown step " + step));
    }
    QCOMPARE(playerCalls(), calls);
    QCOMPARE(seen, events);
}

QTEST_APPLESS_MAIN(TestEnginePlayer)
#include "tst_engineplayer.moc"
