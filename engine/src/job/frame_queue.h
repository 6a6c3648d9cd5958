// Bounded queue of reference-counted frames between two stage threads.
// abort() wakes both sides for good.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include <cstdint>

extern "C" {
#include <libavutil/frame.h>
}

namespace orv {

struct StageMessage
{
    enum Kind { Video, Audio, End } kind = End;
    AVFrame* frame = nullptr; // owned; pts = µs from the item's start
};

class FrameQueue
{
public:
    explicit FrameQueue(size_t capacity)
        : m_capacity(capacity)
    {}
    ~FrameQueue() { clear(); }

    // false once aborted; the frame is then freed here
    bool push(StageMessage msg)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_notFull.wait(lock, [&] { return m_aborted || m_items.size() < m_capacity; });
        if (m_aborted) {
            av_frame_free(&msg.frame);
            return false;
        }
        m_items.push_back(msg);
        m_notEmpty.notify_one();
        return true;
    }

    bool pop(StageMessage& msg)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_notEmpty.wait(lock, [&] { return m_aborted || !m_items.empty(); });
        if (m_aborted)
            return false;
        msg = m_items.front();
        m_items.pop_front();
        m_notFull.notify_one();
        return true;
    }

    void abort()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_aborted = true;
        m_notFull.notify_all();
        m_notEmpty.notify_all();
    }

    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (StageMessage& m : m_items)
            av_frame_free(&m.frame);
        m_items.clear();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_notFull, m_notEmpty;
    std::deque<StageMessage> m_items;
    size_t m_capacity;
    bool m_aborted = false;
};

// Pause gate and abort flag shared by a job's stage threads. A paused stage
// sleeps on the condition variable: no CPU, no progress.
class JobGate
{
public:
    // false when the job is being aborted
    bool pass()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait(lock, [&] { return m_aborted || !m_paused; });
        return !m_aborted;
    }
    void setPaused(bool paused)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_paused = paused;
        m_cv.notify_all();
    }
    void abort()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_aborted = true;
        m_cv.notify_all();
    }
    bool aborted()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_aborted;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_paused = false;
    bool m_aborted = false;
};

} // namespace orv
