#pragma once

#include "EnginePlayer.h"
#include "ui_PlayerWidget.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QLabel;
class QTimer;

// The preview player: one modeless top-level window for the whole run,
// made on first use. It plays one file at a time through an engine player,
// shows the picture on its video surface and is driven from its control
// bar; every file reaches it through its playlist.
class PlayerWidget : public QDialog, public Ui::PlayerWidget
{
    Q_OBJECT
public:
    static PlayerWidget* GetPlayer();

    // The playlist adds or selects the file and has it played; the caller
    // shows the window.
    void StartPlayVideo(QString path);
    // Shows the window, restored and in front of the program's other
    // windows, with the keyboard focus.
    void showInFront();

    // Playback state: 0 nothing opened yet, 1 playing, 2 paused, 3 finished,
    // 4 stopped, 5 error.
    int playState() const { return m_playState; }
    PlayerHandle player() const { return m_engine->handle(); }
    QString currentFile() const { return m_curFilePath; }
    // A file is opening on the worker: the window shows the wait cursor.
    bool isLoading() const { return m_loading; }
    int volume() const { return m_volume; }
    bool isMuted() const { return m_bMute; }
    bool isMaximizedByDoubleClick() const { return m_bMaximized; }
    QTimer* timeTimer() const { return m_timeTimer; }
    QTimer* screenTimer() const { return m_screenTimer; }
    static bool resizesToVideo() { return s_resizeVideo; }
    // The text shown over the picture area when a file cannot be played;
    // empty while none is shown.
    QString messageText() const;

public slots:
    void PlayVideoFile(QString fileName);
    void DeleteVideo();
    void OnBtnPlay();
    void OnBtnPause();
    void OnBtnStop();
    void OnBtnBack();
    void OnBtnFast();
    void ProgressValueChange(double fraction);
    void VolumeValueChange(double fraction);
    void OnBtnVolume(bool flag);
    void OnBtnFullScreen();
    void OnBtnOpenFile();
    void OnBtnListset();
    void OnBtnSnapSetting();
    void OnBtnSnapshoot();
    void OnBtnPreVideo();
    void OnBtnNextVideo();
    void repondFullScreen();
    void ShowPlayBtn(bool flag);
    void VideoWidgetPress();
    void OnBtnClose();
    void OnBtnMax();
    void OnBtnMin();
    void UpdateTime();
    void UpdataScreen();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    explicit PlayerWidget(QWidget* parent = nullptr);
    ~PlayerWidget() override;

    void Init();
    void InitBtn();
    void InitConnect();
    void ResizeWIndow();
    void ResizeVideoWindow();
    void layoutFrame();
    void startPlaying();
    void startPaused();
    void requestRedraw();
    void showTime(uint64_t time);
    void showPosition(uint64_t time);
    void playbackEnded();
    void followSeek();
    void refuseFile(int state);
    void setLoading(bool on);
    // Drops a file still opening; false when none is.
    bool dropLoading();
    void fileOpened();
    void openFailed();
    void showMessage(const QString& text);
    void placeWindow(const QSize& videoSize);
    void keepFocusOnWindow();
    void resetAfterPlay(int state, bool leaveFullScreen);
    void enterFullScreen(bool setWindowState);
    void leaveFullScreen(bool setWindowState);
    void setCursorAndState(QMouseEvent* event);
    void setFrameGeomtry(QMouseEvent* event);

    int m_playState = 0;
    int m_cursorState = 0;
    QRect m_normalRect;
    QPoint m_edgeOffset;
    QPoint m_pressOffset;
    bool m_bLeftPressed = false;
    bool m_bMaximized = false;
    bool m_bMute = false;
    int m_volume = 50;
    int m_moveCount = 1;
    QString m_curFilePath;
    QString m_loadingFile;
    bool m_loading = false;
    EnginePlayer* m_engine = nullptr;
    QTimer* m_timeTimer = nullptr;
    QTimer* m_screenTimer = nullptr;
    QLabel* m_messageLabel = nullptr;

    static bool s_hasInstall;
    static PlayerWidget* s_playerWidget;
    static bool s_resizeVideo;
};
