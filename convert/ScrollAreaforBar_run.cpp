// The queue's runs: up to five tasks at a time, or every task merged into
// one output, and the history entry of each written output. The run itself
// is the run queue's (model/queue/RunQueue); the queue hands it the rows'
// tasks, forwards to it and shows how the run ended.
#include "ScrollAreaforBar.h"

#include "CSingleUserLog.h"
#include "FinishConvertDialog.h"
#include "GobelConfigure.h"
#include "LogCategories.h"
#include "formats/GobelItemChunk.h"
#include "history/HistoryFile.h"
#include "queue/RunQueue.h"

#include <QDebug>
#include <QFileInfo>

void ScrollAreaforBar::initRun()
{
    m_run = new RunQueue(this);
    connect(m_run, &RunQueue::runEnded, this, &ScrollAreaforBar::endRun);
    connect(m_run, &RunQueue::mergeEnded, this, &ScrollAreaforBar::endMerge);
    connect(m_run, &RunQueue::usage, this, [](int event, const QString& text) {
        CSingleUserLog::getInstance()->AddUserLog(event, false, 0,
                                                  text.isNull() ? nullptr : text.toLatin1().constData());
    });
}

bool ScrollAreaforBar::isConverting() const { return m_run && m_run->isRunning(); }

QList<VideoConvertBar*> ScrollAreaforBar::convertingList() const
{
    QList<VideoConvertBar*> rows;
    for (const RunTask* holder : m_run->holders()) {
        if (VideoConvertBar* bar = rowOf(holder->id()))
            rows.append(bar);
    }
    return rows;
}

QSet<QString> ScrollAreaforBar::runOutputs() const
{
    return isConverting() ? m_run->outputs() : QSet<QString>();
}

int ScrollAreaforBar::mergeIndex() const { return m_run->mergeIndex(); }

void ScrollAreaforBar::StartConvert()
{
    if (m_barList.isEmpty())
        return;
    m_bShowDeleteDlg = true;
    // Everything the run needs, taken now: nothing changes it mid-run.
    RunRequest request;
    request.outputFolder = g_Configure.m_strOutputFolder;
    request.merge = g_Configure.m_bMerge;
    request.historyPath = historyPath();
    if (request.merge)
        request.mergeFormat = g_itemChunk.m_convertinfo;
    // The run queue's tasks in their order; the run is under way from here.
    m_run->convert(request);
}

void ScrollAreaforBar::SetConvertState(bool converting)
{
    // The run queue says whether a run is under way; only the end of one is
    // asked for here.
    if (!converting && isConverting())
        CancelConvert();
}

void ScrollAreaforBar::fillSlots() { m_run->fillSlots(); }

int ScrollAreaforBar::checkAllConvertFinished() const { return m_run->ended() ? -2 : -1; }

bool ScrollAreaforBar::CheckAllConvertState() const { return checkAllConvertFinished() == -2; }

void ScrollAreaforBar::StopConverter() {}

void ScrollAreaforBar::slotConvertFinish()
{
    // The run queue has freed the task's slot and checked the run already.
}

void ScrollAreaforBar::Check() { m_run->check(); }

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
    // The run queue gave up or took the task's slot as it paused or resumed
    // the task.
    Q_UNUSED(state);
}

void ScrollAreaforBar::CancelConvert()
{
    // Every task back to idle; the jobs are released on the opener thread.
    for (VideoConvertBar* bar : qAsConst(m_barList))
        bar->Recover();
    m_run->cancel();
}

// ---- Merge run -------------------------------------------------------------------

void ScrollAreaforBar::ConvertIndex()
{
    qCDebug(lcConvert) << m_barList.size();
    m_run->mergeCurrent();
}

void ScrollAreaforBar::NextConvertIndex() { m_run->mergeNext(); }

void ScrollAreaforBar::ConverTime() { m_run->pollMerge(); }

void ScrollAreaforBar::endMerge(int joined, int failed)
{
    // The run queue has listed the merged file. Joined items whose source
    // ended early count as such, as in a run outside merge mode.
    int endedEarly = 0;
    for (VideoConvertBar* bar : qAsConst(m_barList)) {
        if (!bar->HasFailed() && bar->EndedEarly())
            ++endedEarly;
    }
    CancelConvert();
    emit emitFinishConvert();
    FinishConvertDialog dialog(nullptr);
    if (joined == 0)
        dialog.setMergeFailed();
    else
        dialog.setFailures(failed, joined + failed, endedEarly);
    dialog.exec();
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
