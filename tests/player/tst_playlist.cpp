// The playlist and its rows with the recording engine: adding and
// selecting by path, wrap-around, the menu and close-button deletions,
// drops, and what a row reads about its file, off the GUI thread.
#include "PlayListWidget.h"
#include "PlayerVideobar.h"

#include <orvalta_fake_control.h>

#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThreadPool>
#include <QtTest>

namespace {

QStringList paths(const PlayListWidget& list)
{
    QStringList out;
    for (PlayerVideobar* row : list.rows())
        out << row->getVideoName();
    return out;
}

QString marked(const PlayListWidget& list)
{
    QStringList out;
    for (PlayerVideobar* row : list.rows())
        if (row->getVideoPalying())
            out << row->getVideoName();
    return out.join(',');
}

struct DropTarget : PlayListWidget
{
    using PlayListWidget::dropEvent;
};

void dropUrls(DropTarget* list, const QStringList& files)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    mime.setUrls(urls);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    list->dropEvent(&drop);
}

} // namespace

class TestPlaylist : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void addOneVideoSelectsByExactPath();
    void addVideosSkipsListedOnce();
    void nextAndPreviousWrapAround_data();
    void nextAndPreviousWrapAround();
    void deleteFromMenu_data();
    void deleteFromMenu();
    void closeButtonAndDeleteAll();
    void dropsAreAddedByTheTimer();
    void rowReadsFileFacts_data();
    void rowReadsFileFacts();
    void rowReadsOffTheGuiThread();
};

void TestPlaylist::init()
{
    // Rows of the test before may still be read on the worker: the reset
    // must not renumber the handles under them.
    QVERIFY(PlayerVideobar::probePool()->waitForDone(5000));
    orvfake::reset();
}

void TestPlaylist::addOneVideoSelectsByExactPath()
{
    PlayListWidget list;
    QSignalSpy play(&list, &PlayListWidget::emitPlayVideo);
    list.AddOneVideo("/m/a.mp4");
    list.AddOneVideo("/m/b.mp4");
    list.AddOneVideo("/m/a.mp4");
    list.AddOneVideo("/m/A.mp4");
    QCOMPARE(paths(list), QStringList({"/m/a.mp4", "/m/b.mp4", "/m/A.mp4"}));
    QCOMPARE(marked(list), QString("/m/A.mp4"));
    list.AddOneVideo("/m/a.mp4");
    QCOMPARE(marked(list), QString("/m/a.mp4"));
    QCOMPARE(list.currentFile(), QString("/m/a.mp4"));
    QCOMPARE(play.count(), 5);
    QCOMPARE(play.last().at(0).toString(), QString("/m/a.mp4"));
}

void TestPlaylist::addVideosSkipsListedOnce()
{
    PlayListWidget list;
    list.AddOneVideo("/m/a.mp4");
    list.AddOneVideo("/m/b.mp4");
    QSignalSpy play(&list, &PlayListWidget::emitPlayVideo);
    // Each listed row removes one entry: a name given twice still gets a row.
    list.AddVideos({"/m/c.mp4", "/m/a.mp4", "/m/a.mp4"}, false);
    QCOMPARE(paths(list), QStringList({"/m/a.mp4", "/m/b.mp4", "/m/c.mp4", "/m/a.mp4"}));
    QCOMPARE(play.count(), 0);
    // Playing a listed first entry marks every row of it and keeps the
    // current path.
    list.AddVideos({"/m/b.mp4", "/m/d.mp4"}, true);
    QCOMPARE(marked(list), QString("/m/b.mp4"));
    QCOMPARE(play.count(), 1);
    QCOMPARE(play.last().at(0).toString(), QString("/m/b.mp4"));
    QCOMPARE(list.currentFile(), QString("/m/b.mp4"));
    QCOMPARE(paths(list).size(), 5);
    list.AddVideos({}, true);
    QCOMPARE(play.count(), 1);
}

void TestPlaylist::nextAndPreviousWrapAround_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("next");
    QTest::addColumn<QString>("played");
    const QStringList three{"/m/a", "/m/b", "/m/c"};
    QTest::newRow("next from the last") << three << "/m/c" << true << "/m/a";
    QTest::newRow("next from the middle") << three << "/m/b" << true << "/m/c";
    QTest::newRow("previous from the first") << three << "/m/a" << false << "/m/c";
    QTest::newRow("one row, next") << QStringList{"/m/a"} << "/m/a" << true << "/m/a";
    QTest::newRow("one row, previous") << QStringList{"/m/a"} << "/m/a" << false << "/m/a";
    QTest::newRow("none marked, next plays the first") << three << "" << true << "/m/a";
    QTest::newRow("none marked, previous plays the last") << three << "" << false << "/m/c";
}

void TestPlaylist::nextAndPreviousWrapAround()
{
    QFETCH(QStringList, files);
    QFETCH(QString, current);
    QFETCH(bool, next);
    QFETCH(QString, played);
    PlayListWidget list;
    list.AddVideos(files, false);
    for (PlayerVideobar* row : list.rows())
        if (row->getVideoName() == current)
            row->setWidgetState(2);
    QSignalSpy play(&list, &PlayListWidget::emitPlayVideo);
    next ? list.NextVideoPlay() : list.PreVideoPlay();
    QCOMPARE(play.count(), 1);
    QCOMPARE(play.at(0).at(0).toString(), played);
    QCOMPARE(marked(list), played);
    QCOMPARE(list.currentFile(), played);
}

void TestPlaylist::deleteFromMenu_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("stops");
    QTest::addColumn<QString>("currentAfter");
    QTest::newRow("the current file") << "/m/b.mp4" << 1 << "";
    QTest::newRow("another file") << "/m/a.mp4" << 0 << "/m/b.mp4";
}

void TestPlaylist::deleteFromMenu()
{
    QFETCH(QString, target);
    QFETCH(int, stops);
    QFETCH(QString, currentAfter);
    PlayListWidget list;
    list.resize(230, 400);
    list.show();
    list.AddOneVideo("/m/a.mp4");
    list.AddOneVideo("/m/b.mp4");
    QSignalSpy stop(&list, &PlayListWidget::emitDeleteVideo);
    PlayerVideobar* row = list.rows().at(paths(list).indexOf(target));
    QPointer<PlayerVideobar> watch(row);
    QTest::mousePress(row, Qt::RightButton, {}, QPoint(20, 20));
    QVERIFY(list.menu()->isVisible()); // shown without blocking
    list.menu()->actions().at(0)->trigger(); // "Delete"
    list.menu()->hide();
    QCOMPARE(stop.count(), stops);
    QCOMPARE(list.currentFile(), currentAfter);
    QVERIFY(!paths(list).contains(target));
    QVERIFY(watch); // still alive while its menu is handled
    QTRY_VERIFY(!watch);
    // The menu no longer refers to the deleted row.
    list.menu()->actions().at(2)->trigger(); // "Play"
    QCOMPARE(list.rows().size(), 1);
}

void TestPlaylist::closeButtonAndDeleteAll()
{
    PlayListWidget list;
    list.AddOneVideo("/m/a.mp4");
    list.AddOneVideo("/m/b.mp4");
    QSignalSpy stop(&list, &PlayListWidget::emitDeleteVideo);
    // Removing a file that is not current still stops the player.
    QPointer<PlayerVideobar> first(list.rows().at(0));
    first->m_btnClose->click();
    QCOMPARE(stop.count(), 1);
    QCOMPARE(paths(list), QStringList({"/m/b.mp4"}));
    QCOMPARE(list.currentFile(), QString("/m/b.mp4"));
    QTRY_VERIFY(!first);

    list.menu()->actions().at(1)->trigger(); // "Delete ALL"
    QCOMPARE(stop.count(), 2);
    QVERIFY(list.rows().isEmpty());
    list.menu()->actions().at(1)->trigger();
    QCOMPARE(stop.count(), 3);
}

void TestPlaylist::dropsAreAddedByTheTimer()
{
    DropTarget list;
    QSignalSpy play(&list, &PlayListWidget::emitPlayVideo);
    dropUrls(&list, {"/m/a.mp4"});
    dropUrls(&list, {"/m/b.mp4", "/m/c.mp4"});
    QVERIFY(list.rows().isEmpty());
    list.aaa();
    QCOMPARE(paths(list), QStringList({"/m/a.mp4", "/m/b.mp4", "/m/c.mp4"}));
    dropUrls(&list, {"/m/a.mp4"});
    list.aaa();
    list.aaa();
    QCOMPARE(paths(list).size(), 3);
    QCOMPARE(play.count(), 0);
}

void TestPlaylist::rowReadsFileFacts_data()
{
    QTest::addColumn<bool>("canSeek");
    QTest::addColumn<quint64>("duration");
    QTest::addColumn<QString>("imageCall");
    QTest::addColumn<QString>("text");
    QTest::newRow("seekable") << true << quint64(3599000000) << "Info_GetVideoImage(I1, 359900000, 1, 58, 43)"
                              << "59:59";
    QTest::newRow("not seekable") << false << quint64(3600000000) << "Info_GetVideoImage(I1, 0, 1, 58, 43)"
                                  << "01:00:00";
}

void TestPlaylist::rowReadsFileFacts()
{
    QFETCH(bool, canSeek);
    QFETCH(quint64, duration);
    QFETCH(QString, imageCall);
    QFETCH(QString, text);
    orvfake::MediaFacts facts;
    facts.canSeek = canSeek;
    facts.durationUs = duration;
    facts.width = 64;
    facts.height = 48;
    facts.pictureArgb = 0xFF00FF00;
    orvfake::setMedia("/m/clip one.mp4", facts);
    PlayerVideobar row;
    row.setVideoName("/m/clip one.mp4");
    QCOMPARE(row.fileInfo().m_fileName, QString("clip one.mp4"));
    QTRY_VERIFY(row.hasFacts());
    const auto calls = orvfake::calls("Info_");
    QVERIFY(std::find(calls.begin(), calls.end(), imageCall.toStdString()) != calls.end());
    QCOMPARE(QString::fromStdString(calls.back()), QString("Info_Release(I1)"));
    QCOMPARE(row.fileInfo().m_fileName, QString("clip one.mp4"));
    QCOMPARE(row.fileInfo().m_duration, duration);
    QCOMPARE(row.m_labTime->text(), text);
    // Kept at the size it is drawn, not the picture's.
    QCOMPARE(row.thumbnail().size(), QSize(58, 43));
    QCOMPARE(row.thumbnail().pixelColor(10, 10), QColor(0, 255, 0));

    QVERIFY(!row.setWidgetState(3));
    QCOMPARE(row.widgetState(), 0);
    QVERIFY(row.setWidgetState(2));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&row, &enter);
    QCOMPARE(row.widgetState(), 2);
}

void TestPlaylist::rowReadsOffTheGuiThread()
{
    orvfake::MediaFacts facts;
    facts.durationUs = 65000000;
    orvfake::setMedia("/m/a.mp4", facts);
    // Hold the rows' worker: whatever reads the file must wait for it.
    QThreadPool* pool = PlayerVideobar::probePool();
    QSemaphore hold, held;
    pool->start([&] {
        held.release();
        hold.acquire();
    });
    held.acquire();
    auto* gone = new PlayerVideobar;
    gone->setVideoName("/m/a.mp4");
    PlayerVideobar row;
    row.setVideoName("/m/a.mp4");
    QCOMPARE(row.fileInfo().m_fileName, QString("a.mp4"));
    QTest::qWait(50);
    QVERIFY(orvfake::calls("Info_").empty());
    QVERIFY(!row.hasFacts());
    delete gone; // a row removed before its facts arrive
    hold.release();
    QTRY_VERIFY(row.hasFacts());
    QCOMPARE(row.m_labTime->text(), QString("01:05"));
    QVERIFY(pool->waitForDone(2000));
    QCOMPARE(orvfake::calls("Info_Open").size(), size_t(2));
    QCOMPARE(orvfake::calls("Info_Release").size(), size_t(2));
}

QTEST_MAIN(TestPlaylist)
#include "tst_playlist.moc"
