#pragma once

// The queue's remove worker: releases the engine converter of a task that
// leaves the queue during a run, away from the GUI thread.

#include <QThread>

class VideoConvertBar;

class DeleteVideoThread : public QThread
{
    Q_OBJECT
public:
    explicit DeleteVideoThread(QObject* parent = nullptr);
    ~DeleteVideoThread() override;

    void setConvertBar(VideoConvertBar* bar) { m_convertBar = bar; }
    VideoConvertBar* convertBar() const { return m_convertBar; }

protected:
    void run() override;

private:
    VideoConvertBar* m_convertBar = nullptr;
};
