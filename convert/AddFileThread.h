#pragma once

// The queue's add worker: probes the files of one add batch one after the
// other, away from the GUI thread, and hands each file's facts back by
// queued signals stamped with the batch's generation. It knows no row: the
// queue gives the facts to the row.

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

#include "clips/SourceProbe.h"
#include "formats/ProfileFile.h"
#include "queue/AddBatch.h"

class AddFileThread : public QThread
{
    Q_OBJECT
public:
    explicit AddFileThread(QObject* parent = nullptr);
    ~AddFileThread() override;

    // Only while the worker is not running; the worker probes its own copy
    // of the batch. Each file's picture is made at thumbnailWidth x
    // thumbnailHeight (the size the row draws it, in device pixels); 0 x 0
    // keeps the source's size.
    void setWork(const AddBatch& batch, uint32_t thumbnailWidth = 0, uint32_t thumbnailHeight = 0);

    void requestStop();

    // The pause between two files (one second); tests that add many files
    // shorten it.
    static void setPace(int ms) { s_pauseMs = ms; }

signals:
    // For each file in turn: its facts and the format it adopts (the
    // profile is read here, once a batch, after the first probe), then the
    // progress step.
    void signalProbed(int generation, int index, SourceFacts facts, TaskFormat format);
    void signalSetProgress(int index, QString fileName);

protected:
    void run() override;

private:
    AddBatch m_batch;
    std::atomic<bool> m_bStop{false};
    uint32_t m_thumbnailWidth = 0;
    uint32_t m_thumbnailHeight = 0;
    static std::atomic<int> s_pauseMs; // one file a second
    QMutex m_pauseLock;
    QWaitCondition m_pauseWake;
};
