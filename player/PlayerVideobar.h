#pragma once

#include "ui_PlayerVideobar.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

class QPixmap;
class QThreadPool;

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

// What a row shows of its file, read through the engine: facts and a
// thumbnail of thumbSize. Opens the file: call it off the GUI thread.
struct PlaylistRowProbe
{
    MediafileInfo info;
    QImage thumbnail;
};
PlaylistRowProbe probePlaylistFile(const QString& path, const QSize& thumbSize);

// A playlist row: thumbnail, name and duration of one file, a play mark on
// the current row and a close button while hovered or current. The name
// shows at once; the file's facts and thumbnail are read once on the rows'
// own worker thread and shown when they arrive.
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
    // Whether the facts of the current file have arrived.
    bool hasFacts() const { return m_hasFacts; }
    // The size the thumbnail is drawn at, and kept at.
    static QSize thumbnailSize();
    // The worker threads that read the rows' files.
    static QThreadPool* probePool();

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
    struct ProbeLink;
    void applyProbe(const QString& path, const PlaylistRowProbe& probe);

    QPixmap* m_stateSprite = nullptr;
    int m_widgetState = 0;
    QString m_videoPath;
    MediafileInfo m_fileInfo;
    QImage m_thumbnail;
    bool m_hasFacts = false;
    // Shared with the probes in flight, which hand their result over only
    // while the row lives.
    std::shared_ptr<ProbeLink> m_link;
};
