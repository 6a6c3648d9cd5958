// The queue's runs: up to five tasks at a time, or every task merged into
// one output, and the history entry of each started conversion.
#include "ScrollAreaforBar.h"

#include "CSingleUserLog.h"
#include "ConfigMapping.h"
#include "ConvertJob.h"
#include "ConvertTask.h"
#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "GobelItemChunk.h"
#include "HistoryFile.h"
#include "LogCategories.h"
#include "QueueShared.h"
#include "RunSchedule.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace {
constexpr int kMergePollMs = 500;

RunSchedule::Stage stageOf(ConvertState state)
{
    switch (state) {
    case State_Waiting:
        return RunSchedule::Stage::Waiting;
    case State_Paused:
        return RunSchedule::Stage::Paused;
    case State_Converting:
        return RunSchedule::Stage::Converting;
    case State_Finished:
        return RunSchedule::Stage::Finished;
    case State_Ready:
        break;
    }
    return RunSchedule::Stage::Idle;
}
} // namespace

void ScrollAreaforBar::connectRun(VideoConvertBar* bar)
{
    connect(bar, &VideoConvertBar::emitChangeConvertState, this, &ScrollAreaforBar::slotChangeConvertState,
            Qt::UniqueConnection);
    connect(bar, &VideoConvertBar::emitSaveHistoryXml, this, &ScrollAreaforBar::saveHistoryXml,
            Qt::UniqueConnection);
    connect(bar, &VideoConvertBar::emitNotifyFinish, this, &ScrollAreaforBar::slotConvertFinish,
            Qt::UniqueConnection);
}

void ScrollAreaforBar::disconnectRun(VideoConvertBar* bar)
{
    disconnect(bar, &VideoConvertBar::emitChangeConvertState, this,
               &ScrollAreaforBar::slotChangeConvertState);
    disconnect(bar, &VideoConvertBar::emitSaveHistoryXml, this, &ScrollAreaforBar::saveHistoryXml);
    disconnect(bar, &VideoConvertBar::emitNotifyFinish, this, &ScrollAreaforBar::slotConvertFinish);
}

void ScrollAreaforBar::StartConvert()
{
    if (m_barList.isEmpty())
        return;
    m_bShowDeleteDlg = true;
    m_mergeIndex = 0;
    ++m_runGeneration;
    m_handedOutPaths.clear();
    m_convertingList.clear();
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        bar->SetConvertState(State_Waiting);
        connectRun(bar);
    }
    // Set here as well as by the caller: nothing the run does may see an
    // idle queue.
    m_bConverting = true;

    if (g_Configure.m_bMerge) {
        m_bMerging = true;
        m_mergeJoined = 0;
        m_mergeFailed = 0;
        m_mergeBar = nullptr;
        ConvertIndex();
        return;
    }
    m_maxConvertCount = RunSchedule::kSlots;
    m_startIndex = -1;
    fillSlots();
}

void ScrollAreaforBar::SetConvertState(bool converting) { m_bConverting = converting; }

void ScrollAreaforBar::fillSlots()
{
    if (!m_bConverting || m_bMerging)
        return;
    // Whatever freed a slot, the first waiting task not yet started takes it,
    // and every free slot is filled.
    while (m_convertingList.size() < m_maxConvertCount) {
        QVector<RunSchedule::Task> tasks;
        tasks.reserve(m_barList.size());
        for (VideoConvertBar* bar : qAsConst(m_barList))
            tasks.append({bar->GetCurrentState() == State_Waiting, m_convertingList.contains(bar)});
        const int index = RunSchedule::nextTask(tasks);
        if (index < 0)
            break;
        VideoConvertBar* next = m_barList.at(index);
        m_startIndex = index;
        next->StartConvertMedia();
        m_convertingList.append(next);
    }
}

int ScrollAreaforBar::checkAllConvertFinished() const
{
    QVector<RunSchedule::Stage> stages;
    stages.reserve(m_barList.size());
    for (const VideoConvertBar* bar : m_barList)
        stages.append(stageOf(bar->GetCurrentState()));
    return RunSchedule::runEnded(stages) ? -2 : -1;
}

bool ScrollAreaforBar::CheckAllConvertState() const { return checkAllConvertFinished() == -2; }

void ScrollAreaforBar::StopConverter() {}

void ScrollAreaforBar::slotConvertFinish()
{
    auto* bar = qobject_cast<VideoConvertBar*>(sender());
    if (bar)
        m_convertingList.removeOne(bar);
    if (m_bConverting)
        Check();
}

void ScrollAreaforBar::Check()
{
    if (checkAllConvertFinished() == -2) {
        endRun();
        return;
    }
    fillSlots();
}

void ScrollAreaforBar::endRun()
{
    int failed = 0;
    int endedEarly = 0;
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        if (bar->HasFailed())
            ++failed;
        else if (bar->EndedEarly())
            ++endedEarly;
    }
    const int total = m_barList.size();
    CancelConvert();
    FinishConvertDialog dialog(nullptr);
    dialog.setFailures(failed, total, endedEarly);
    dialog.exec();
    emit emitFinishConvert();
}

void ScrollAreaforBar::slotChangeConvertState(ConvertState state)
{
    auto* bar = qobject_cast<VideoConvertBar*>(sender());
    if (!bar || !m_bConverting || m_bMerging)
        return;
    if (state == State_Paused) {
        if (m_convertingList.removeOne(bar))
            fillSlots();
        return;
    }
    // A refused pause or resume reports an unchanged state: a task keeps its
    // one place in the list.
    if (state != State_Converting || m_convertingList.contains(bar))
        return;
    QVector<RunSchedule::Stage> holders;
    holders.reserve(m_convertingList.size());
    for (const VideoConvertBar* holder : qAsConst(m_convertingList))
        holders.append(stageOf(holder->GetCurrentState()));
    const int yielding = RunSchedule::yieldingHolder(holders, m_maxConvertCount);
    if (yielding >= 0) {
        VideoConvertBar* oldest = m_convertingList.takeAt(yielding);
        oldest->SetConvertState(State_Paused);
    }
    m_convertingList.append(bar);
}

void ScrollAreaforBar::CancelConvert()
{
    m_bConverting = false;
    ++m_runGeneration;
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        bar->setEnabled(true);
        bar->Recover();
        disconnectRun(bar);
    }
    m_convertingList.clear();
    if (m_mergeTimer && m_mergeTimer->isActive())
        m_mergeTimer->stop();
    if (m_merger) {
        ConvertJob::releaseMerge(m_merger, true);
        m_merger = nullptr;
    }
    m_mergeIndex = 0;
    m_mergeBar = nullptr;
    m_bMerging = false;
    // The run's threads have freed their buffers into the allocator's
    // arenas: hand that memory back once the jobs are released.
    VideoConvertBar::GiveBackMemory();
}

// ---- Merge run -------------------------------------------------------------------

void ScrollAreaforBar::deferNextConvertIndex()
{
    // A skipped item hands over through the event loop: a queue of failing
    // items never recurses, and a run never ends inside its own start.
    const int generation = m_runGeneration;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_runGeneration && m_bConverting && m_bMerging)
            NextConvertIndex();
    });
}

void ScrollAreaforBar::ConvertIndex()
{
    qCDebug(lcConvert) << m_barList.size();
    if (m_mergeIndex < 0 || m_mergeIndex >= m_barList.size()) {
        deferNextConvertIndex();
        return;
    }
    if (!m_mergeTimer) {
        m_mergeTimer = new QTimer(this);
        m_mergeTimer->setInterval(kMergePollMs);
        connect(m_mergeTimer, &QTimer::timeout, this, &ScrollAreaforBar::ConverTime);
    }
    VideoConvertBar* item = m_barList.at(m_mergeIndex);
    const ConvertTask& task = item->task();
    m_mergeBar = item;
    item->setEnabled(false);
    item->SetConverting(true);
    m_mergeInfo = g_itemChunk.m_convertinfo;

    const QString folder = g_Configure.m_strOutputFolder;
    const QString output =
        VideoConvertBar::FreeOutputPath(folder, task.name(), m_mergeInfo.V_Extend, &m_handedOutPaths);
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    const QByteArray source = task.path().toUtf8();
    const QByteArray target = output.toUtf8();

    const QString event = conversionEventText(task.path(), m_mergeInfo.V_Format);
    CSingleUserLog::getInstance()->AddUserLog(11621, false, 0, event.toLatin1().constData());

    const QByteArray container = ConvertJob::containerOf(m_mergeInfo);

    bool added = true;
    {
        // The item's clip and marks with the merge settings.
        const MappingValues values = task.mappingValues(m_mergeInfo);
        const ConvertJob::Configuration config(values);
        if (!m_merger) {
            // The output's streams follow the merge profile alone (a video
            // profile: picture and sound), not what the first item leaves out.
            MappingValues outputValues = values;
            outputValues.disVideo = outputValues.disAudio = false;
            const ConvertJob::Configuration outputConfig(outputValues);
            added = ConvertJob::openMerge(m_merger, target, container.isEmpty() ? nullptr : &container,
                                          outputConfig.handle());
            if (added) {
                m_handedOutPaths.insert(output);
                item->setOutputPath(output);
                m_mergeOutput = output;
                m_mergeCategory = task.itemName();
                added = ConvertJob::startMerge(m_merger);
            }
        }
        if (added)
            added =
                ConvertJob::addToMerge(m_merger, source, task.beginUs(), task.lengthUs(), config.handle());
    }

    if (added) {
        if (!m_mergeTimer->isActive())
            m_mergeTimer->start();
        return;
    }
    ++m_mergeFailed;
    item->SetFailed(m_merger ? ConvertJob::failureReason(ConvertJob::mergeError(m_merger), output)
                             : tr("The merger could not be created."));
    deferNextConvertIndex();
}

void ScrollAreaforBar::NextConvertIndex()
{
    ++m_mergeIndex;
    qCDebug(lcConvert) << m_mergeIndex;
    if (m_mergeIndex < m_barList.size()) {
        ConvertIndex();
        return;
    }
    if (m_mergeTimer) {
        m_mergeTimer->stop();
        // This may run inside the timer's own signal.
        m_mergeTimer->deleteLater();
        m_mergeTimer = nullptr;
    }
    const int joined = m_mergeJoined;
    const int failed = m_mergeFailed;
    // The merged file is listed once it is whole, never while it is written.
    if (joined > 0 && QFileInfo::exists(m_mergeOutput))
        appendHistory(m_mergeCategory, m_mergeOutput);
    m_mergeOutput.clear();
    CancelConvert();
    emit emitFinishConvert();
    FinishConvertDialog dialog(nullptr);
    if (joined == 0)
        dialog.setMergeFailed();
    else
        dialog.setFailures(failed, joined + failed);
    dialog.exec();
}

void ScrollAreaforBar::ConverTime()
{
    if (!m_merger || !m_bMerging)
        return;
    // Only the row that is being merged shows the progress; a removed one
    // leaves it unshown.
    VideoConvertBar* item = m_barList.contains(m_mergeBar) ? m_mergeBar : nullptr;
    const ConvertJob::Poll poll = ConvertJob::pollMerge(m_merger);
    if (poll.ended) {
        const int error = poll.error;
        if (m_mergeTimer)
            m_mergeTimer->stop();
        if (error != 0) {
            ++m_mergeFailed;
            if (item)
                item->SetFailed(ConvertJob::failureReason(
                    error,
                    item->OutputPath().isEmpty() ? g_Configure.m_strOutputFolder + "/" : item->OutputPath()));
        } else {
            ++m_mergeJoined;
            CSingleUserLog::getInstance()->AddUserLog(11623, false, 0, nullptr);
            if (item)
                item->SetConvertProgress(100.0f);
        }
        NextConvertIndex();
        return;
    }
    qCDebug(lcConvert) << poll.percent << "------" << m_mergeIndex;
    if (item)
        item->SetConvertProgress(poll.percent);
}

// ---- History file ----------------------------------------------------------------

QString ScrollAreaforBar::historyPath() { return HistoryFile::defaultPath(); }

void ScrollAreaforBar::saveHistoryXml(VideoConvertBar* convertBar)
{
    if (convertBar)
        appendHistory(convertBar->ItemName(), convertBar->OutputPath());
}

void ScrollAreaforBar::CreateNewHistoryXml(VideoConvertBar* convertBar)
{
    HistoryFile history(historyPath());
    history.append(convertBar->ItemName(), convertBar->OutputPath());
    history.save();
}

void ScrollAreaforBar::appendHistory(const QString& category, const QString& path)
{
    // Saved in the background: another copy of the program may hold the file.
    HistoryFile::appendLater(historyPath(), category, path);
}
