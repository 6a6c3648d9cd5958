#pragma once

#include "ui_PlayerVideobar.h"

#include <orvalta.h>

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>

class QPixmap;

// One file's facts as the playlist shows them.
struct MediafileInfo
{
    QString m_fileName;
    QString m_filePath;
    uint64_t m_duration = 0;
    QString m_formatName;
    int m_videoWidth = 0;
    int m_videoHeight = 0;
    int m_videoBitRate = 0;
};

// A playlist row: thumbnail, name and duration of one file, a play mark on
// the current row and a close button while hovered or current. It reads
// the file's facts once through the engine when it receives its file.
class PlayerVideobar : public QWidget, public Ui::PlayerVideobar
{
    Q_OBJECT
public:
    explicit PlayerVideobar(QWidget* parent = nullptr);
    ~PlayerVideobar() override;

    void setVideoName(QString path);
    QString getVideoName() const { return m_videoPath; }
    bool getVideoPalying() const { return m_widgetState == 2; }
    bool setWidgetState(int state);
    int widgetState() const { return m_widgetState; }
    void setBtnPlayHidden(bool hidden);
    void setVideoTotalTime(QString text);
    bool setWidgetImage(QString path);

    const MediafileInfo& fileInfo() const { return m_fileInfo; }
    const QImage& thumbnail() const { return m_thumbnail; }

signals:
    void emitDoublePressEvent();
    void emitPressEvent();
    void emitReleseEvent();
    void emitLeaveEvent();
    void emitEnterEvent();
    void emitDelete();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap* m_stateSprite = nullptr;
    int m_widgetState = 0;
    QString m_videoPath;
    MediafileInfo m_fileInfo;
    QImage m_thumbnail;
    InfoHandle m_info = nullptr;
};
