#pragma once

#include "ui_PlayBtnWidget.h"

#include <QWidget>

class QAction;
class QMenu;
class QPixmap;
class SanpSsetDialog;

// The strip of playback controls at the bottom of the player window. It
// keeps no playback state beyond which button of each pair shows: clicks
// and slider drags leave as signals, and the window tells it what to show.
class PlayBtnWidget : public QWidget, public Ui::PlayBtnWidget
{
    Q_OBJECT
public:
    explicit PlayBtnWidget(QWidget* parent = nullptr);
    ~PlayBtnWidget() override;

    void setTimeLabel(QString text);
    bool IsMute() const;
    void setVolume(double value);
    void setProcessValue(double fraction);
    void VideoFinished();
    void VideoBeginPlay(bool playing);
    void setProcessEnabledChange(bool enabled);
    void setDialogWindow(bool fullScreen);
    void setBtnScreenEnable(bool enabled);
    void setHiddenAbout(bool hidden);
    bool getBtnPalyHide() const;

signals:
    void emitBtnBack();
    void emitBtnFast();
    void emitBtnFullScreen();
    void emitBtnListset();
    void emitBtnNextVideo();
    void emitBtnOpenFloder();
    void emitBtnPause();
    void emitBtnPlay();
    void emitBtnSnapSetting();
    void emitBtnSnapshoot();
    void emitBtnStop();
    void emitBtnVolume(bool muted);
    void emitBtnPreVideo();
    void sendVolumeValue(double fraction);
    void sendProgressValue(double fraction);

public slots:
    void OnBtnPalyOrPause();
    void OnBtnMute();
    void OnListSet();
    void OnBtnSnapSetting();
    void OnActOpenFolder();
    void OnActSetting();
    void OnBtnFullScreen(bool isFull);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap* m_bottomPixmap = nullptr;
    bool m_bFullScreenMode = false;
    SanpSsetDialog* m_snapSetDlg = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_actOpenFolder = nullptr;
    QAction* m_actSetting = nullptr;
};
