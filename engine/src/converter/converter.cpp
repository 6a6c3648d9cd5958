#include "converter/converter.h"

#include "core/errors.h"
#include "core/log.h"
#include "core/paths.h"
#include "job/video_stage.h"
#include "orvalta.h"

namespace orv {

int prepareItem(const std::string& src, const ConfigStore& config, JobItem& item, uint64_t& durationUs)
{
    auto input = std::make_shared<InputFile>();
    const int err = input->open(src);
    if (err)
        return err;
    const ProcessingSettings& proc = config.proc;
    const Program& prog = input->program(proc.program);
    item.input = input;
    item.proc = proc;
    item.videoStream = input->bestStream(prog, AVMEDIA_TYPE_VIDEO);
    item.audioStream = input->audioStream(prog, proc.audioIndex);

    LayerSettings& layers = item.proc.layers;
    layers.textBorder = layers.imageBorder = false;
    if (layers.subSource == SubtitleSource::Stream) {
        if (const int stream = prog.subtitleAt(proc.subtitleIndex); stream >= 0) {
            layers.subSourcePath = src;
            layers.subStreamIndex = stream;
        } else {
            logf(LogWarning, "subtitle stream %d does not exist in \"%s\"; none burnt in", proc.subtitleIndex,
                 src.c_str());
            layers.subSource = SubtitleSource::None;
        }
    }
    durationUs = input->durationUs();
    return ORV_OK;
}

namespace {

// Layers need the output frame size, so they open once the plan is known.
int openLayers(JobItem& item, const OutputPlan& plan)
{
    item.layers.reset();
    if (!plan.hasVideo())
        return ORV_OK;
    auto stack = std::make_shared<LayerStack>();
    stack->setRenderBudget(kConversionSubtitleBudgetMs, LayerStack::BudgetClock::RenderCpu);
    const int err = stack->open(item.proc.layers, plan.width, plan.height);
    if (err)
        return err;
    item.layers = stack;
    return ORV_OK;
}

} // namespace

Converter::~Converter() { release(); }

bool Converter::open(const std::string& src, const std::string& dst, const char* container,
                     const ConfigStore& config)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_openedOnce) {
        // a second Open changes nothing of the first
        m_error = ORV_E_STATE;
        return false;
    }
    m_openedOnce = true;
    // everything is prepared aside and kept only on success
    ConfigStore cfg = config;
    OutputPlan plan;
    JobItem item;
    uint64_t duration = 0;
    int err = resolveContainer(cfg.enc, container, dst, plan);
    if (!err)
        err = prepareItem(src, cfg, item, duration);
    if (!err)
        err = resolveParameters(cfg.enc, *item.input, item.videoStream, item.audioStream, plan);
    if (!err)
        err = openLayers(item, plan);
    item.beginUs = 0;
    item.lengthUs = itemLength(duration, 0, 0);
    if (!err && item.lengthUs <= 0) {
        logf(LogError, "\"%s\" has no duration", src.c_str());
        err = ORV_E_INPUT;
    }
    if (!err)
        err = createExclusive(dst);
    if (err) {
        m_error = err;
        return false;
    }
    m_config = cfg;
    m_plan = plan;
    m_item = std::move(item);
    m_sourceDurationUs = duration;
    m_state = State::Opened;
    m_error = ORV_OK;
    return true;
}

bool Converter::setSplitTime(uint64_t beginUs, uint64_t lengthUs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_state != State::Opened)
        return false;
    const int64_t length = itemLength(m_sourceDurationUs, beginUs, lengthUs);
    if (length <= 0)
        return false;
    m_item.beginUs = int64_t(beginUs);
    m_item.lengthUs = length;
    return true;
}

bool Converter::start()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    switch (m_state) {
    case State::Created:
        return false;
    case State::Running:
    case State::Done:
        return true;
    case State::Paused:
        m_job->setPaused(false);
        m_state = State::Running;
        return true;
    case State::Opened:
        break;
    }
    m_job = std::make_unique<TranscodeJob>(m_plan);
    m_state = State::Running;
    m_worker = std::thread([this] { run(); });
    return true;
}

bool Converter::pause()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    switch (m_state) {
    case State::Created:
    case State::Opened:
        return false;
    case State::Paused:
    case State::Done:
        return true;
    case State::Running:
        break;
    }
    if (m_completed)
        return true;
    m_job->setPaused(true);
    m_state = State::Paused;
    return true;
}

uint64_t Converter::duration() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state == State::Created ? 0 : uint64_t(m_item.lengthUs);
}

uint64_t Converter::convertTime() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_succeeded)
        return uint64_t(m_item.lengthUs);
    if (!m_job)
        return 0;
    // monotonic and within the duration
    const uint64_t now = uint64_t(std::min<int64_t>(m_job->itemDoneUs(), m_item.lengthUs));
    uint64_t prev = m_progress.load();
    while (now > prev && !m_progress.compare_exchange_weak(prev, now)) {
    }
    return std::max(now, prev);
}

void Converter::run()
{
    lowerThreadPriority();
    int err = ORV_E_INTERNAL;
    try {
        err = m_job->runItem(m_item);
        if (!err)
            err = m_job->finish();
    } catch (const std::exception& e) {
        logf(LogError, "internal error: %s", e.what());
    }
    if (err) {
        m_job->closeOutput();
        removeFile(m_plan.path);
        // a Release is no failure
        if (err != ORV_E_STATE && !m_job->aborted())
            logf(LogError, "conversion to \"%s\" failed: %s", m_plan.path.c_str(), errorText(err));
        m_error = err;
    } else {
        // what the output holds of the source
        const int64_t content = convertedLength(m_plan, m_item.lengthUs, m_job->lastItemUs());
        if (content < m_item.lengthUs)
            logf(LogWarning, "\"%s\" ended after %.1f s of %.1f s", m_item.input->path().c_str(),
                 content / 1e6, m_item.lengthUs / 1e6);
        m_convertedUs = uint64_t(content);
        m_succeeded = true;
    }
    // Freed as the job ends, not when the caller gets round to Release:
    // a queue of jobs would otherwise hold the encoders of finished ones.
    m_job->releaseOutput();
    m_item.layers.reset();
    m_item.input.reset();
    m_completed = true;
}

void Converter::release()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_job)
        m_job->abort();
    std::thread worker = std::move(m_worker);
    lock.unlock();
    if (worker.joinable())
        worker.join();
    lock.lock();
    m_job.reset();
    if (m_state != State::Created && !m_succeeded)
        removeFile(m_plan.path);
    m_state = State::Created;
    m_item = JobItem();
}

} // namespace orv
