// The preview windows' player on the recording engine: it owns its handle,
// frees it once, never passes it on after that, and turns the engine's
// answers into signals. A file opened on the worker leaves every call free
// in the meantime, in any order, and nothing of it stays behind a close.
#include "EnginePlayer.h"

#include <orvalta_fake_control.h>

#include <QThreadPool>
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
    orvfake::holdOpens(false);
    QVERIFY(QThreadPool::globalInstance()->waitForDone(300000));
    orvfake::reset();
    orvfake::MediaFacts clip;
    clip.durationUs = 10 * kSecond;
    orvfake::setMedia("/media/clip.mp4", clip);
    orvfake::setMedia("/media/other.mp4", clip);
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

    // On the worker. hold/free: the engine's opens wait (a slow file);
    // reached: one waits now; settle: the worker is done and its answer in.
    const QString open1 = "Player_Open(P1, \"/media/clip.mp4\")";
    QTest::newRow("on the worker: the file, its first picture, the answer")
        << QStringList{"create", "mark", "begin /media/clip.mp4 640 360", "settle"}
        << QStringList{"Player_OpenEx(P1, \"/media/clip.mp4\", 640, 360, 0, 0)", "Player_ShowVideoFrame(P1)"}
        << QStringList{"opened"};
    QTest::newRow("on the worker: a file that does not open")
        << QStringList{"create", "mark", "begin /media/missing.mp4", "settle"}
        << QStringList{"Player_Open(P1, \"/media/missing.mp4\")"} << QStringList{"error Open"};
    QTest::newRow("while opening: questions wait for nothing, the transport is kept")
        << QStringList{"create",       "hold", "begin /media/clip.mp4",
                       "reached",      "mark", "size",
                       "seek 3000000", "play", "poll",
                       "frame",        "free", "settle"}
        << QStringList{open1, "Player_ShowVideoFrame(P1)", "Player_Seek(P1, 3000000)", "Player_Play(P1)"}
        << QStringList{"size 0x0", "opened"};
    QTest::newRow("while opening: stop drops the kept play and seek")
        << QStringList{"create",  "hold", "begin /media/clip.mp4",
                       "reached", "mark", "seek 3000000",
                       "play",    "stop", "free",
                       "settle"}
        << QStringList{open1, "Player_ShowVideoFrame(P1)"} << QStringList{"opened"};
    QTest::newRow("close while opening: the worker closes what it opened")
        << QStringList{"create", "hold", "begin /media/clip.mp4", "reached", "mark", "play", "close", "free",
                       "settle", "play"}
        << QStringList{open1, "Player_Close(P1)", "Player_Play(P1)"} << QStringList{"error Play"};
    QTest::newRow("a second open drops the first")
        << QStringList{"create",  "hold",  "begin /media/clip.mp4",
                       "reached", "mark",  "begin /media/other.mp4",
                       "free",    "settle"}
        << QStringList{open1, "Player_Close(P1)", "Player_Open(P1, \"/media/other.mp4\")",
                       "Player_ShowVideoFrame(P1)"}
        << QStringList{"opened"};
    QTest::newRow("destroyed while opening: the worker frees the player")
        << QStringList{"create", "hold",  "begin /media/clip.mp4", "reached", "mark", "destroy",
                       "free",   "settle"}
        << QStringList{open1, "Player_Close(P1)", "Player_Close(P1)", "Player_Release(P1)"} << QStringList{};
    QTest::newRow("released while opening, a new player meanwhile")
        << QStringList{"create", "hold",   "begin /media/clip.mp4",  "reached", "release", "create", "mark",
                       "free",   "settle", "begin /media/other.mp4", "settle"}
        << QStringList{open1,
                       "Player_Close(P1)",
                       "Player_Close(P1)",
                       "Player_Release(P1)",
                       "Player_Open(P2, \"/media/other.mp4\")",
                       "Player_ShowVideoFrame(P2)"}
        << QStringList{"opened"};
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
        else if (verb == "begin" && word.size() == 4)
            player->openInBackground(word.at(1), word.at(2).toUInt(), word.at(3).toUInt());
        else if (verb == "begin")
            player->openInBackground(word.at(1));
        else if (verb == "hold" || verb == "free")
            orvfake::holdOpens(verb == "hold");
        else if (verb == "reached")
            QTRY_COMPARE_WITH_TIMEOUT(orvfake::opensWaiting(), 1, 300000);
        else if (verb == "settle") {
            QVERIFY(QThreadPool::globalInstance()->waitForDone(300000));
            QCoreApplication::processEvents();
        } else if (verb == "close")
            player->close();
        else if (verb == "stop")
            player->stop();
        else if (verb == "frame")
            player->showFrame();
        else if (verb == "size")
            seen << QStringLiteral("size %1x%2").arg(player->videoWidth()).arg(player->videoHeight());
        else if (verb == "mark") {
            orvfake::clearCalls();
            seen.clear();
        } else
            QFAIL(qPrintable("unknown step " + step));
    }
    QCOMPARE(playerCalls(), calls);
    QCOMPARE(seen, events);
}

QTEST_GUILESS_MAIN(TestEnginePlayer)
#include "tst_engineplayer.moc"
