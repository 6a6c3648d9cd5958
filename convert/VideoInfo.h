#pragma once

// One file's facts inside a task row: name (renamable on the target side),
// file size, duration, format and picture size, each beside its icon.

#include <QString>
#include <QWidget>

#include <memory>

#include "ui_VideoInfo.h"

class QImage;

class VideoInfo : public QWidget, public Ui::VideoInfo
{
    Q_OBJECT
public:
    explicit VideoInfo(QWidget* parent = nullptr);
    ~VideoInfo() override;

    void Init();
    void SetVideoInfo(QString name, bool canRename, QString size, QString time, QString format,
                      QString resolution);
    void SetEnableRename(bool enable);
    void SetVideoTime(QString time);
    void SetVideoFormat(QString format);
    void SetVideoSize(QString size);
    void SetVideoLength(QString length);
    QString GetVideoName();

public slots:
    void slotSetVideoName(QString name);
    void OnBtnEdit();
    void slotEditVideoName();

signals:
    void emitVideoNameChanged(QString name);

private:
    std::unique_ptr<QImage> m_imgSize;
    std::unique_ptr<QImage> m_imgTime;
    std::unique_ptr<QImage> m_imgFormat;
    std::unique_ptr<QImage> m_imgScreen;
};
