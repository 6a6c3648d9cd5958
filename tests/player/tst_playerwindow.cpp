// The player window with the recording engine: playback states and timers,
// the time label, seeking, volume and mute, reuse of the one window and its
// player, audio-only files, files it cannot play, closing, sizing and
// placing, full screen and the keyboard.
#include "PlayBtnWidget.h"
#include "PlayListWidget.h"
#include "PlayerVideobar.h"
#include "PlayerWidget.h"
#include "VideoImageWindow.h"
#include "playback/PlaybackMath.h"

#include <orvalta_fake_control.h>

#include <QGuiApplication>
#include <QScreen>
#include <QThreadPool>
#include <QtTest>

#include <functional>

namespace {

// The window opens its file on a worker: its answer is in once the worker
// is done and this thread has taken it.
void settle()
{
    QVERIFY(QThreadPool::globalInstance()->waitForDone(300000));
    QCoreApplication::processEvents();
}

constexpr uint64_t kSecond = 1000000;

bool logged(const std::string& line)
{
    const auto calls = orvfake::calls();
    return std::find(calls.begin(), calls.end(), line) != calls.end();
}

std::vector<std::string> playerCalls() { return orvfake::calls("Player_"); }

} // namespace

class TestPlayerWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void previewStartsPlaybackAndTimeLabel();
    void statesAndTimers();
    void seeking_data();
    void seeking();
    void volumeAndMute();
    void secondPreviewReusesPlayerAndPlaylist();
    void audioOnlyFile();
    void closingDuringPlaybackThenPreviewAgain();
    void fullScreenFollowsWindow();
    void opensOnScreenAndInFront();
    void sizesToVideoUntilOpenedMaximised();
    void pausedSeekMovesLabelAndBar_data();
    void pausedSeekMovesLabelAndBar();
    void pausedPictureIsNotRedrawnEveryTick();
    void spacePlaysAndPauses();
    void whileTheFileOpens_data();
    void whileTheFileOpens();

private:
    PlayerWidget* m_window = nullptr;
    PlayBtnWidget* m_bar = nullptr;
};

void TestPlayerWindow::initTestCase()
{
    orvfake::reset();
    orvfake::MediaFacts clip;
    clip.durationUs = 200 * kSecond;
    clip.width = 640;
    clip.height = 360;
    orvfake::setMedia("/media/a.mp4", clip);
    orvfake::setMedia("/media/b.mp4", clip);
    clip.durationUs = 60 * kSecond;
    orvfake::setMedia("/media/minute.mp4", clip);
    orvfake::MediaFacts song;
    song.programs[0].videoCount = 0;
    orvfake::setMedia("/media/song.m4a", song);
    orvfake::MediaFacts nothing;
    nothing.programs[0].videoCount = 0;
    nothing.programs[0].audio.clear();
    orvfake::setMedia("/media/nothing.bin", nothing);
    m_window = PlayerWidget::GetPlayer();
    QCOMPARE(PlayerWidget::GetPlayer(), m_window);
    m_bar = m_window->m_playBtnWidget;
    QCOMPARE(orvfake::label(m_window->player()), std::string("P1"));
    QVERIFY(logged("Player_SetAudioVolume(P1, 50)"));
    QCOMPARE(m_window->playState(), 0);
    QVERIFY(m_window->m_playListWidget->isHidden());
    QVERIFY(m_window->windowFlags() & Qt::Window);
}

void TestPlayerWindow::init()
{
    orvfake::clearResult("Player_Open");
    orvfake::clearResult("Player_Play");
    orvfake::clearCalls();
}

void TestPlayerWindow::previewStartsPlaybackAndTimeLabel()
{
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    m_window->show();
    QCOMPARE(m_window->playState(), 1);
    QCOMPARE(m_window->windowTitle(), QString("a.mp4"));
    QCOMPARE(m_window->currentFile(), QString("/media/a.mp4"));
    const std::vector<std::string> expected = {
        "Player_SetVideoFrameHandle(P1, fn, ptr)", "Player_EnableVideoCropBorder(P1, 0)",
        "Player_Open(P1, \"/media/a.mp4\")",       "Player_Play(P1)",
        "Player_SetAudioVolume(P1, 50)",
    };
    auto calls = playerCalls();
    auto at = calls.begin();
    for (const std::string& line : expected) {
        at = std::find(at, calls.end(), line);
        QVERIFY2(at != calls.end(), line.c_str());
    }
    QVERIFY(m_window->timeTimer()->isActive());
    QCOMPARE(m_window->timeTimer()->interval(), 100);
    QVERIFY(!m_window->screenTimer()->isActive());
    QVERIFY(m_bar->m_btnPlay->isHidden());
    QVERIFY(!m_bar->m_btnPause->isHidden());

    // Below a millisecond the tick changes nothing.
    const QString before = m_bar->m_timeLabel->text();
    orvfake::setPlayTime("P1", 999);
    m_window->UpdateTime();
    QCOMPARE(m_bar->m_timeLabel->text(), before);
    QCOMPARE(m_bar->m_videoProSlider->position(), 0.0f);

    orvfake::setPlayTime("P1", 65 * kSecond + 400000);
    m_window->UpdateTime();
    QCOMPARE(m_bar->m_timeLabel->text(), QString("01:05 / 03:20"));
    QVERIFY(!m_bar->m_timeLabel->isHidden());
    const float usable = float(m_bar->m_videoProSlider->width());
    QVERIFY(qAbs(m_bar->m_videoProSlider->position() - usable * 65.4f / 200.0f) < 0.01f * usable);
}

void TestPlayerWindow::statesAndTimers()
{
    struct Step
    {
        const char* name;
        std::function<void()> act;
        int state;
        bool timeTimer, screenTimer;
        bool pictureShown = true;
        bool message = false; // the window says the file cannot be played
    };
    const std::vector<Step> steps = {
        {"preview",
         [&] {
             m_window->StartPlayVideo("/media/a.mp4");
             settle();
         },
         1, true, false},
        {"pause button", [&] { m_bar->OnBtnPalyOrPause(); }, 2, false, true},
        {"play button", [&] { m_bar->OnBtnPalyOrPause(); }, 1, true, false},
        {"click on picture", [&] { m_window->VideoWidgetPress(); }, 2, false, true},
        {"click again", [&] { m_window->VideoWidgetPress(); }, 1, true, false},
        {"stop", [&] { m_window->OnBtnStop(); }, 4, false, false, false},
        {"play after stop", [&] { m_bar->OnBtnPalyOrPause(); }, 1, true, false},
        {"end reached",
         [&] {
             orvfake::completePlayback("P1");
             m_window->UpdateTime();
         },
         3, false, false, false},
        {"stop when finished does nothing", [&] { m_window->OnBtnStop(); }, 3, false, false, false},
        {"open fails",
         [&] {
             orvfake::setResult("Player_Open", 0);
             m_window->PlayVideoFile("/media/b.mp4");
             settle();
         },
         4, false, false, false, true},
        {"the next file plays",
         [&] {
             orvfake::clearResult("Player_Open");
             m_window->StartPlayVideo("/media/b.mp4");
             settle();
         },
         1, true, false},
        {"play fails",
         [&] {
             orvfake::setResult("Player_Play", 0);
             m_window->PlayVideoFile("/media/b.mp4");
             settle();
         },
         5, false, false, false, true},
        {"open gives neither picture nor sound",
         [&] {
             orvfake::clearResult("Player_Play");
             m_window->PlayVideoFile("/media/nothing.bin");
             settle();
         },
         4, false, false, false, true},
    };
    for (const Step& step : steps) {
        step.act();
        QVERIFY2(m_window->playState() == step.state, step.name);
        QVERIFY2(m_window->timeTimer()->isActive() == step.timeTimer, step.name);
        QVERIFY2(m_window->screenTimer()->isActive() == step.screenTimer, step.name);
        if (step.screenTimer)
            QVERIFY2(m_window->screenTimer()->interval() == 50, step.name);
        // Once playback ends the picture goes and the bar is reset.
        QVERIFY2(m_window->m_videoWidget->isHidden() != step.pictureShown, step.name);
        QVERIFY2(m_bar->m_btnFullScreen->isEnabled() == step.pictureShown, step.name);
        QVERIFY2(m_bar->m_videoProSlider->enabledPull() == step.pictureShown, step.name);
        QVERIFY2(m_window->messageText().isEmpty() != step.message, step.name);
        // A file that cannot be played leaves nothing open, so nothing plays.
        if (step.message)
            QVERIFY2(orvfake::player("P1")->state == orvfake::PlayState::Closed, step.name);
    }

    orvfake::clearResult("Player_Play");
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    m_bar->OnBtnPalyOrPause();
    orvfake::clearCalls();
    m_window->UpdataScreen();
    QVERIFY(logged("Player_ShowVideoFrame(P1)"));
}

void TestPlayerWindow::seeking_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<quint64>("time");
    QTest::addColumn<qint64>("target"); // -1: no seek
    QTest::newRow("back at 4.9 s") << "back" << quint64(4900000) << qint64(0);
    QTest::newRow("back at 5.1 s") << "back" << quint64(5100000) << qint64(100000);
    QTest::newRow("fast in the last 6 s") << "fast" << quint64(55 * kSecond) << qint64(59 * kSecond);
    QTest::newRow("fast mid-clip") << "fast" << quint64(20 * kSecond) << qint64(25 * kSecond);
    QTest::newRow("previous button seeks back")
        << "previous" << quint64(20 * kSecond) << qint64(15 * kSecond);
    QTest::newRow("next button seeks on") << "next" << quint64(20 * kSecond) << qint64(25 * kSecond);
    QTest::newRow("back when stopped") << "stopped back" << quint64(20 * kSecond) << qint64(-1);
    QTest::newRow("slider at 0.25") << "slider" << quint64(0) << qint64(15 * kSecond);
}

void TestPlayerWindow::seeking()
{
    QFETCH(QString, action);
    QFETCH(quint64, time);
    QFETCH(qint64, target);
    m_window->StartPlayVideo("/media/minute.mp4");
    settle();
    QCOMPARE(m_window->playState(), 1);
    orvfake::setPlayTime("P1", time);
    if (action == "stopped back")
        m_window->OnBtnStop();
    orvfake::clearCalls();
    if (action == "back" || action == "stopped back")
        m_window->OnBtnBack();
    else if (action == "fast")
        m_window->OnBtnFast();
    else if (action == "previous")
        m_bar->m_btnPreVideo->click();
    else if (action == "next")
        m_bar->m_btnNextVideo->click();
    else
        emit m_bar->sendProgressValue(0.25);
    const auto seeks = orvfake::calls("Player_Seek(");
    if (target < 0) {
        QVERIFY(seeks.empty());
    } else {
        QCOMPARE(seeks.size(), size_t(1));
        QCOMPARE(QString::fromStdString(seeks[0]), QString("Player_Seek(P1, %1)").arg(target));
    }
}

void TestPlayerWindow::volumeAndMute()
{
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    orvfake::clearCalls();
    emit m_bar->sendVolumeValue(0.3);
    QCOMPARE(m_window->volume(), 30);
    QVERIFY(logged("Player_SetAudioVolume(P1, 30)"));

    m_bar->m_btnVolume->click();
    QVERIFY(m_bar->IsMute());
    QVERIFY(m_window->isMuted());
    QVERIFY(logged("Player_SetAudioVolume(P1, 0)"));
    QCOMPARE(m_bar->m_volumeSlider->position(), 0.0f);

    orvfake::clearCalls();
    emit m_bar->sendVolumeValue(0.8);
    QCOMPARE(m_window->volume(), 80);
    QVERIFY(orvfake::calls("Player_SetAudioVolume").empty());

    // A new file starts muted.
    m_window->StartPlayVideo("/media/b.mp4");
    settle();
    QCOMPARE(QString::fromStdString(orvfake::calls("Player_SetAudioVolume").back()),
             QString("Player_SetAudioVolume(P1, 0)"));

    orvfake::clearCalls();
    m_bar->m_btnMute->click();
    QVERIFY(!m_bar->IsMute());
    QVERIFY(logged("Player_SetAudioVolume(P1, 80)"));
    QVERIFY(m_bar->m_volumeSlider->position() > 0.0f);
}

void TestPlayerWindow::secondPreviewReusesPlayerAndPlaylist()
{
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    const int rows = m_window->m_playListWidget->rows().size();
    m_bar->OnBtnPalyOrPause(); // paused: the redraw timer runs
    QVERIFY(m_window->screenTimer()->isActive());
    orvfake::clearCalls();
    m_window->StartPlayVideo("/media/b.mp4");
    settle();
    const auto calls = playerCalls();
    QVERIFY(orvfake::calls("Player_Create").empty());
    // The file before goes at once, before the next one opens.
    const auto stop = std::find(calls.begin(), calls.end(), "Player_Close(P1)");
    const auto open = std::find(calls.begin(), calls.end(), "Player_Open(P1, \"/media/b.mp4\")");
    QVERIFY(stop != calls.end() && open != calls.end() && stop < open);
    QCOMPARE(m_window->playState(), 1);
    QVERIFY(m_window->timeTimer()->isActive());
    QVERIFY(!m_window->screenTimer()->isActive());

    // The same path again selects its row and plays it from the start.
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    const auto& list = m_window->m_playListWidget->rows();
    QCOMPARE(list.size(), qMax(rows, 2));
    for (PlayerVideobar* row : list)
        QCOMPARE(row->getVideoPalying(), row->getVideoName() == "/media/a.mp4");
    QCOMPARE(m_window->currentFile(), QString("/media/a.mp4"));
}

void TestPlayerWindow::audioOnlyFile()
{
    m_window->StartPlayVideo("/media/song.m4a");
    settle();
    QCOMPARE(m_window->playState(), 1);
    QVERIFY(m_window->m_videoWidget->isHidden());
    QVERIFY(!m_bar->m_btnFullScreen->isEnabled());
    m_bar->OnBtnPalyOrPause();
    QCOMPARE(m_window->playState(), 2);
    // Play resumes the sound; the picture stays hidden.
    m_bar->OnBtnPalyOrPause();
    QCOMPARE(m_window->playState(), 1);
    QVERIFY(m_window->m_videoWidget->isHidden());
    QVERIFY(!m_bar->m_btnFullScreen->isEnabled());
    m_window->OnBtnStop();
    QCOMPARE(m_window->playState(), 4);
}

void TestPlayerWindow::closingDuringPlaybackThenPreviewAgain()
{
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    m_window->show();
    orvfake::clearCalls();
    m_window->close();
    QVERIFY(m_window->isHidden());
    QVERIFY(logged("Player_Stop(P1)"));
    QVERIFY(logged("Player_Close(P1)"));
    QCOMPARE(m_window->playState(), 4);
    QCOMPARE(orvfake::player("P1")->state, orvfake::PlayState::Closed);

    m_window->StartPlayVideo("/media/b.mp4");
    settle();
    m_window->show();
    QCOMPARE(m_window->playState(), 1);
    QCOMPARE(orvfake::player("P1")->path, std::string("/media/b.mp4"));
    QCOMPARE(orvfake::player("P1")->state, orvfake::PlayState::Playing);
}

void TestPlayerWindow::fullScreenFollowsWindow()
{
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    VideoImageWindow* surface = m_window->m_videoWidget;

    m_bar->m_btnFullScreen->click();
    QVERIFY(m_window->isFullScreen());
    QVERIFY(surface->isFullScreen());
    QVERIFY(m_bar->isHidden());
    QVERIFY(m_bar->m_btnFullScreen->isHidden());
    QVERIFY(!m_bar->m_btnNormalScreen->isHidden());

    // A mouse move over the picture brings the bar back.
    QTest::mouseMove(surface, surface->rect().center());
    QTRY_VERIFY(!m_bar->isHidden());

    QTest::keyClick(m_window, Qt::Key_Escape);
    QVERIFY(!m_window->isFullScreen());
    QVERIFY(!surface->isFullScreen());
    QVERIFY(!m_bar->isHidden());
    QVERIFY(!m_bar->m_btnFullScreen->isHidden());

    // Esc outside full screen neither closes nor changes anything.
    QTest::keyClick(m_window, Qt::Key_Escape);
    QVERIFY(m_window->isVisible());
    QVERIFY(!m_window->isFullScreen());

    // The picture's double click toggles full screen for all three.
    QTest::mouseDClick(surface, Qt::LeftButton, {}, surface->rect().center());
    QVERIFY(m_window->isFullScreen());
    QVERIFY(surface->isFullScreen());
    QTest::mouseDClick(surface, Qt::LeftButton, {}, surface->rect().center());
    QVERIFY(!m_window->isFullScreen());
    QVERIFY(!surface->isFullScreen());
    QVERIFY(!m_bar->isHidden());

    // The end of playback leaves full screen.
    m_bar->m_btnFullScreen->click();
    QVERIFY(m_window->isFullScreen());
    orvfake::completePlayback("P1");
    m_window->UpdateTime();
    QVERIFY(!m_window->isFullScreen());
    QVERIFY(!surface->isFullScreen());
}

void TestPlayerWindow::sizesToVideoUntilOpenedMaximised()
{
    QVERIFY(PlayerWidget::resizesToVideo());
    m_window->showNormal();
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int D = screen->virtualGeometry().width();
    const int A = screen->availableGeometry().height();
    const int w = qMax(m_window->minimumWidth(), qMin(640 + 232, screen->availableGeometry().width() - 304));
    const int h = qMax(m_window->minimumHeight(), qMin(360 + 84, A - 200));
    QCOMPARE(m_window->size(), QSize(w, h));
    const QRect normal = m_window->geometry();
    // The picture fills the window above the bar.
    QCOMPARE(m_window->m_videoWidget->geometry(), QRect(0, 0, w, h - 50));

    // A double click on the free area maximises; opening then stops the
    // sizing for good, also after restoring.
    QTest::mouseDClick(m_window, Qt::LeftButton, {}, QPoint(w / 2, 10));
    QVERIFY(m_window->isMaximizedByDoubleClick());
    QCOMPARE(m_window->geometry(), QRect(0, 0, D, A));
    m_window->StartPlayVideo("/media/b.mp4");
    settle();
    QVERIFY(!PlayerWidget::resizesToVideo());
    QTest::mouseDClick(m_window, Qt::LeftButton, {}, QPoint(w / 2, 10));
    QVERIFY(!m_window->isMaximizedByDoubleClick());
    QCOMPARE(m_window->geometry(), normal);
    m_window->StartPlayVideo("/media/minute.mp4");
    settle();
    QCOMPARE(m_window->geometry(), normal);
}

void TestPlayerWindow::opensOnScreenAndInFront()
{
    // Sound only and a picture smaller than the window's minimum: the
    // minimum size is what is centred, and the whole window with its frame
    // stays on the screen.
    QVERIFY(PlayerWidget::resizesToVideo());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    orvfake::MediaFacts small;
    small.width = 160;
    small.height = 120;
    orvfake::setMedia("/media/small.mp4", small);
    QWidget mainWindow;
    mainWindow.setWindowTitle("main");
    mainWindow.resize(400, 300);
    for (const char* file : {"/media/song.m4a", "/media/small.mp4"}) {
        m_window->close();
        mainWindow.show();
        mainWindow.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        m_window->StartPlayVideo(file);
        settle();
        m_window->showInFront();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QCOMPARE(m_window->size(), m_window->minimumSize());
        QVERIFY2(available.contains(m_window->frameGeometry()), file);
        QCOMPARE(m_window->geometry().center().x(), available.center().x());
        QVERIFY(qAbs(m_window->geometry().center().y() - available.center().y()) <= 1);
        QTRY_COMPARE(QApplication::activeWindow(), m_window);
    }

    // A second preview while the window is open but behind another window
    // brings it to the front, and to the keyboard.
    mainWindow.activateWindow();
    mainWindow.raise();
    QTRY_COMPARE(QApplication::activeWindow(), &mainWindow);
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    m_window->showInFront();
    QTRY_COMPARE(QApplication::activeWindow(), m_window);
    m_window->showMinimized();
    QTRY_VERIFY(m_window->isMinimized());
    m_window->StartPlayVideo("/media/b.mp4");
    settle();
    m_window->showInFront();
    QTRY_VERIFY(!m_window->isMinimized());
    QTRY_COMPARE(QApplication::activeWindow(), m_window);
    m_window->close();
}

void TestPlayerWindow::pausedSeekMovesLabelAndBar_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("fraction");
    QTest::newRow("click at 25 %") << "slider"
                                   << "00:15 / 01:00" << 0.25;
    QTest::newRow("5 s back") << "back"
                              << "00:35 / 01:00" << 35.0 / 60;
    QTest::newRow("5 s on") << "fast"
                            << "00:45 / 01:00" << 45.0 / 60;
}

void TestPlayerWindow::pausedSeekMovesLabelAndBar()
{
    QFETCH(QString, action);
    QFETCH(QString, label);
    QFETCH(double, fraction);
    m_window->StartPlayVideo("/media/minute.mp4");
    settle();
    orvfake::setPlayTime("P1", 40 * kSecond);
    m_window->UpdateTime();
    QCOMPARE(m_bar->m_timeLabel->text(), QString("00:40 / 01:00"));
    m_bar->OnBtnPalyOrPause();
    QCOMPARE(m_window->playState(), 2);
    if (action == "slider")
        emit m_bar->sendProgressValue(0.25);
    else if (action == "back")
        m_bar->m_btnBack->click();
    else
        m_bar->m_btnFast->click();
    // No tick runs while paused: the seek itself moves them.
    QVERIFY(!m_window->timeTimer()->isActive());
    QCOMPARE(m_bar->m_timeLabel->text(), label);
    const float usable = float(m_bar->m_videoProSlider->width());
    QVERIFY(qAbs(m_bar->m_videoProSlider->position() - usable * float(fraction)) < 0.01f * usable);
}

void TestPlayerWindow::pausedPictureIsNotRedrawnEveryTick()
{
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    m_window->show();
    m_bar->OnBtnPalyOrPause();
    QCOMPARE(m_window->playState(), 2);
    orvfake::clearCalls();
    // The picture paused on is drawn once; a second of standing still
    // costs no further trip through the processing chain.
    QTest::qWait(1000);
    const size_t redraws = orvfake::calls("Player_ShowVideoFrame").size();
    qInfo("Player_ShowVideoFrame calls in 1 s paused: %zu", redraws);
    QCOMPARE(redraws, size_t(1));
    QVERIFY(!m_window->screenTimer()->isActive());
    m_bar->OnBtnPalyOrPause();
    QCOMPARE(m_window->playState(), 1);
}

void TestPlayerWindow::spacePlaysAndPauses()
{
    m_window->StartPlayVideo("/media/a.mp4");
    settle();
    m_window->showInFront();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    // The full-screen button used with the mouse keeps no focus.
    QTest::mouseClick(m_bar->m_btnFullScreen, Qt::LeftButton);
    QVERIFY(m_window->isFullScreen());
    QTest::mouseClick(m_bar->m_btnNormalScreen, Qt::LeftButton);
    QVERIFY(!m_window->isFullScreen());
    for (QAbstractButton* button : m_window->findChildren<QAbstractButton*>())
        QVERIFY2(button->focusPolicy() == Qt::NoFocus, qPrintable(button->objectName()));

    const struct
    {
        const char* name;
        int state;
    } presses[] = {{"pauses", 2}, {"plays again", 1}, {"pauses again", 2}};
    for (const auto& press : presses) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : m_window;
        QTest::keyClick(target, Qt::Key_Space);
        QVERIFY2(m_window->playState() == press.state, press.name);
        QVERIFY2(!m_window->isFullScreen(), press.name);
        QVERIFY2(m_bar->m_btnPlay->isHidden() == (press.state == 1), press.name);
    }
    m_window->close();
}

void TestPlayerWindow::whileTheFileOpens_data()
{
    // What the person does while a file still opens on the worker (the
    // engine's open held), and what is open and playing once it is done.
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("playing"); // the file playing at the end, "" none
    QTest::addColumn<int>("state");
    QTest::newRow("nothing") << ""
                             << "/media/a.mp4" << 1;
    QTest::newRow("close the window") << "close"
                                      << "" << 4;
    QTest::newRow("stop") << "stop"
                          << "" << 4;
    QTest::newRow("play and pause wait for the file") << "play pause"
                                                      << "/media/a.mp4" << 1;
    QTest::newRow("another file") << "next"
                                  << "/media/b.mp4" << 1;
}

void TestPlayerWindow::whileTheFileOpens()
{
    QFETCH(QString, action);
    QFETCH(QString, playing);
    QFETCH(int, state);
    m_window->close();
    settle();
    m_window->showInFront();
    orvfake::holdOpens(true);
    m_window->StartPlayVideo("/media/a.mp4");
    QTRY_COMPARE_WITH_TIMEOUT(orvfake::opensWaiting(), 1, 300000);
    QVERIFY(m_window->isLoading());
    QCOMPARE(m_window->cursor().shape(), Qt::WaitCursor);
    QCOMPARE(m_window->m_videoWidget->cursor().shape(), Qt::WaitCursor);
    for (const QString& step : action.split(' ', Qt::SkipEmptyParts)) {
        if (step == "close")
            m_window->close();
        else if (step == "stop")
            m_bar->emitBtnStop();
        else if (step == "play")
            m_bar->emitBtnPlay();
        else if (step == "pause")
            m_bar->emitBtnPause();
        else if (step == "next")
            m_window->PlayVideoFile("/media/b.mp4");
    }
    orvfake::holdOpens(false);
    settle();
    QVERIFY(!m_window->isLoading());
    QVERIFY(m_window->cursor().shape() != Qt::WaitCursor);
    QVERIFY(m_window->m_videoWidget->cursor().shape() != Qt::WaitCursor);
    QCOMPARE(m_window->playState(), state);
    const auto player = orvfake::player("P1");
    QVERIFY(player.has_value());
    QCOMPARE(QString::fromStdString(player->path), playing);
    QCOMPARE(player->state == orvfake::PlayState::Playing, !playing.isEmpty());
    m_window->close();
}

QTEST_MAIN(TestPlayerWindow)
#include "tst_playerwindow.moc"
