// One conversion: Open resolves everything and creates the output; the job
// then runs on engine threads, polled by the application.
#pragma once

#include "job/transcode_job.h"
#include "orvalta.h"
#include "settings/settings.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orv {

class Converter
{
public:
    ~Converter();

    bool open(const std::string& src, const std::string& dst, const char* container,
              const ConfigStore& config);
    bool setSplitTime(uint64_t beginUs, uint64_t lengthUs);
    bool start();
    bool pause();
    bool isCompleted() const { return m_completed.load(); }
    uint64_t duration() const;
    uint64_t convertTime() const;
    uint64_t convertedDuration() const { return m_convertedUs.load(); }
    int error() const { return m_error.load(); }
    void setInternalError() { m_error = ORV_E_INTERNAL; }
    // Aborts a running job, joins it and removes an output that did not complete.
    void release();

private:
    enum class State { Created, Opened, Running, Paused, Done };
    void run();

    mutable std::mutex m_mutex;
    State m_state = State::Created;
    bool m_openedOnce = false;
    ConfigStore m_config;
    OutputPlan m_plan;
    JobItem m_item;
    uint64_t m_sourceDurationUs = 0;
    std::unique_ptr<TranscodeJob> m_job;
    std::thread m_worker;
    std::atomic<bool> m_completed{false};
    std::atomic<bool> m_succeeded{false};
    std::atomic<int> m_error{0};
    mutable std::atomic<uint64_t> m_progress{0};
    std::atomic<uint64_t> m_convertedUs{0};
};

// Opens the input, picks the streams and builds the item for a config.
// Returns 0 or an ORV_E_* code.
int prepareItem(const std::string& src, const ConfigStore& config, JobItem& item, uint64_t& durationUs);

} // namespace orv
