// Several sources, one after another, into one output. The output's streams
// are the ones its settings name (a video codec and an audio codec unless
// either is -1), whatever the items hold; the first item fixes the zeros of
// those settings (size, rate, audio format) where it has the stream. Every
// item is fitted into the output, and a stream an item lacks, or leaves out
// by its own settings, is filled with black or silence for its length.
#pragma once

#include "job/transcode_job.h"
#include "settings/settings.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orv {

class Merger
{
public:
    ~Merger();

    bool open(const std::string& dst, const char* container, const ConfigStore& output);
    bool start();
    bool addTask(const std::string& src, uint64_t beginUs, uint64_t lengthUs, const ConfigStore& item);
    bool isCompleted() const;
    uint64_t duration() const;
    uint64_t convertTime() const;
    // Once the current item completed without error: how much of it the
    // output holds (its length unless its source ended early); else 0.
    uint64_t convertedDuration() const;
    bool close();
    void release();
    int error() const;
    void setInternalError();

private:
    void run();
    // The worker, once an item ended: what it holds, or, when it failed
    // before any item was written, the output started again. Locked.
    void itemEnded(JobItem& item, int err);

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_opened = false;
    bool m_started = false;
    bool m_closing = false;
    bool m_closed = false;
    bool m_planResolved = false;
    ConfigStore m_output;
    OutputPlan m_plan;
    OutputPlan m_openPlan; // as Open resolved it, before any item
    int m_joined = 0; // items written without an error
    std::unique_ptr<TranscodeJob> m_job;
    std::deque<JobItem> m_pending;
    std::thread m_worker;

    // the current item, as the application polls it
    uint64_t m_itemLength = 0;
    bool m_itemCompleted = false;
    int m_itemError = 0;
    bool m_itemRunning = false;
    uint64_t m_itemProgress = 0;
    uint64_t m_itemConverted = 0;
    int m_fatalError = 0;
    int m_finishError = 0;
    bool m_finished = false;
};

} // namespace orv
