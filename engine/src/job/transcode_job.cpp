#include "job/transcode_job.h"

#include "core/log.h"
#include "job/audio_shaper.h"
#include "job/decode_timeline.h"
#include "job/video_stage.h"
#include "media/decode_loop.h"
#include "media/decoder.h"
#include "orvalta.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orv {
namespace {

std::atomic<int> g_runningJobs{0};

// Where to seek so that the first decoded picture comes at or before
// beginUs. Files without an index (program streams) land anywhere on a
// seek, often after the last picture that starts decoding before the
// range; the seek then backs off until the first picture is early enough.
int64_t decodableSeekPoint(InputFile& input, int videoStream, int64_t beginUs)
{
    DecodeLoop probe(input.fmt());
    if (!probe.addStream(videoStream, false))
        return beginUs;
    const AVStream* st = input.fmt()->streams[videoStream];
    const int64_t fileStart = input.startTimeUs();
    for (int64_t back : {int64_t(0), int64_t(1000000), int64_t(4000000), int64_t(15000000)}) {
        const int64_t at = beginUs - back;
        if (at <= 0)
            break;
        int64_t first = INT64_MIN;
        probe.seek(fileStart + at);
        probe.run([&](int, AVFrame* f) {
            first = frameTimeUs(f, st, fileStart);
            return false;
        });
        if (first != INT64_MIN && first <= beginUs)
            return at;
    }
    return 0;
}

} // namespace

int64_t itemLength(uint64_t durationUs, uint64_t beginUs, uint64_t lengthUs)
{
    if (beginUs >= durationUs)
        return 0;
    const uint64_t rest = durationUs - beginUs;
    const uint64_t l = (lengthUs == 0 || lengthUs > rest) ? rest : lengthUs;
    return int64_t(std::min<uint64_t>(l, uint64_t(INT64_MAX / 4)));
}

namespace {

// A sound frame of the longest common kind (MP3, MP2), at the output's rate.
constexpr int kSoundFrameSamples = 1152;

} // namespace

int64_t convertedLength(const OutputPlan& plan, int64_t lengthUs, int64_t writtenUs)
{
    int64_t frameUs = 0;
    if (plan.hasVideo())
        frameUs = slotToUs(1, plan.fps);
    if (plan.hasAudio() && plan.sampleRate > 0)
        frameUs = std::max(frameUs, av_rescale(kSoundFrameSamples, 1000000, plan.sampleRate));
    const int64_t content = std::min(writtenUs, lengthUs);
    return lengthUs - content <= 2 * frameUs ? lengthUs : content;
}

void lowerThreadPriority()
{
    // ORVALTA_JOB_NICE (0-19) replaces the step: the test suite sets 0, so
    // that busy loops beside it slow its conversions no more than its own.
    static const int step = [] {
        const char* set = std::getenv("ORVALTA_JOB_NICE");
        if (!set || !*set)
            return 5;
        char* end = nullptr;
        const long v = std::strtol(set, &end, 10);
        return (*end == '\0' && v >= 0 && v <= 19) ? int(v) : 5;
    }();
    if (step == 0)
        return;
    const id_t tid = id_t(syscall(SYS_gettid));
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        setpriority(PRIO_PROCESS, tid, std::min(current + step, 19));
}

namespace {

// The pixels of the item's decoded pictures, 0 without video.
int64_t decodedPixels(const JobItem& item)
{
    if (item.videoStream < 0)
        return 0;
    const AVCodecParameters* par = item.input->fmt()->streams[item.videoStream]->codecpar;
    return int64_t(std::max(par->width, 0)) * std::max(par->height, 0);
}

// The source's picture interval, the output's, and how far each stream runs.
DecodeTimeline::Bounds timelineBounds(const JobItem& item, int vIndex, const OutputPlan& plan)
{
    const AVRational srcRate = vIndex >= 0 ? item.input->frameRate(vIndex) : AVRational{25, 1};
    DecodeTimeline::Bounds b;
    b.pictureUs =
        (srcRate.num > 0 && srcRate.den > 0) ? av_rescale(1000000, srcRate.den, srcRate.num) : 40000;
    b.pictureUs = std::clamp<int64_t>(b.pictureUs, 1000, 1000000);
    b.outFrameUs = av_rescale(1000000, plan.fps.den, plan.fps.num);
    b.lengthUs = item.lengthUs;
    // video runs a little past the length, so the last slot has its picture
    b.videoEndUs = item.lengthUs + 2 * std::max(b.pictureUs, b.outFrameUs);
    return b;
}

} // namespace

struct TranscodeJob::ItemRun
{
    JobItem& item;
    FrameQueue q1; // decoded pictures and sound
    FrameQueue q2; // processed pictures and sound
    std::atomic<int> error{0};
    int64_t maxSlots = 0; // video slots of the item's length
    bool hasVideo = false; // the output has video
    bool hasAudio = false;
    int decoderThreads = 0; // 0: FFmpeg's own count
    // the job's flight; a merge item's own pictures size its first queue
    explicit ItemRun(JobItem& i, const Flight& flight)
        : item(i)
        , q1(size_t(countForPicture(kDecodedQueue1080p, decodedPixels(i))))
        , q2(size_t(flight.processedQueue))
        , decoderThreads(flight.decoderThreads)
    {}
    void fail(int code)
    {
        int expected = 0;
        error.compare_exchange_strong(expected, code);
    }
};

TranscodeJob::TranscodeJob(const OutputPlan& plan)
    : m_sink(plan)
{
    ++g_runningJobs;
}

TranscodeJob::~TranscodeJob()
{
    abort();
    --g_runningJobs;
}

void TranscodeJob::abort()
{
    m_gate.abort();
    m_sink.abort();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aborted = true;
    if (m_currentInput)
        m_currentInput->abort();
    if (m_currentLayers)
        m_currentLayers->interrupt();
    if (m_q1)
        m_q1->abort();
    if (m_q2)
        m_q2->abort();
}

void TranscodeJob::stopItem()
{
    m_stopItem = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_currentInput)
        m_currentInput->abort(); // unblocks a slow read; the stage then ends normally
}

int64_t TranscodeJob::itemDoneUs() const
{
    return std::max<int64_t>(0, m_sink.mainEndUs() - m_itemStartUs.load());
}

int TranscodeJob::runItem(JobItem& item)
{
    if (m_gate.aborted())
        return ORV_E_STATE;
    m_stopItem = false;
    if (!m_sink.isOpen()) {
        FlightInput in;
        in.decodedPixels = decodedPixels(item);
        in.outputPixels = m_sink.plan().hasVideo() ? int64_t(m_sink.plan().width) * m_sink.plan().height : 0;
        in.jobs = std::max(1, g_runningJobs.load());
        in.cores = int(std::max(1u, std::thread::hardware_concurrency()));
        in.availableBytes = availableMemoryBytes();
        m_flight = m_reservation.reserve(in);
        logf(LogDebug, "frames in flight: level %d of %d, about %lld MB (%d jobs, %lld MB available)",
             m_flight.level, kFlightLevels - 1, static_cast<long long>(m_flight.bytes >> 20), in.jobs,
             static_cast<long long>(in.availableBytes >> 20));
        const int err = m_sink.open(m_flight);
        if (err) {
            m_fatal = true;
            return err;
        }
    }
    const OutputPlan& plan = m_sink.plan();
    ItemRun run(item, m_flight);
    run.hasVideo = plan.hasVideo();
    run.hasAudio = plan.hasAudio();
    run.maxSlots = std::max<int64_t>(run.hasVideo ? usToSlot(item.lengthUs, plan.fps) : 0, 0);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_aborted)
            return ORV_E_STATE;
        m_currentInput = item.input;
        m_currentLayers = item.layers;
        m_q1 = &run.q1;
        m_q2 = &run.q2;
    }
    m_itemStartUs = run.hasVideo ? slotToUs(m_sink.videoFrames(), plan.fps)
                                 : av_rescale(m_sink.audioSamples(), 1000000, plan.sampleRate);

    // an exception in a stage fails the item and takes the others down
    auto guardedStage = [&](void (TranscodeJob::*stage)(ItemRun&)) {
        try {
            (this->*stage)(run);
        } catch (const std::exception& e) {
            logf(LogError, "internal error: %s", e.what());
            run.fail(ORV_E_INTERNAL);
            run.q1.abort();
            run.q2.abort();
            item.input->abort();
        }
    };
    std::thread decoder(guardedStage, &TranscodeJob::decodeStage);
    std::thread video(guardedStage, &TranscodeJob::videoStage);
    const int outErr = outputStage(run);
    if (outErr) {
        run.fail(outErr);
        run.q1.abort();
        run.q2.abort();
        item.input->abort();
    }
    decoder.join();
    video.join();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_currentInput.reset();
        m_currentLayers.reset();
        m_q1 = m_q2 = nullptr;
    }
    if (outErr == ORV_E_WRITE || outErr == ORV_E_ENCODER)
        m_fatal = true;
    if (m_gate.aborted())
        return run.error ? run.error.load() : ORV_E_STATE;
    return run.error;
}

int TranscodeJob::evenEnds()
{
    const OutputPlan& plan = m_sink.plan();
    if (!m_sink.isOpen() || !plan.hasVideo() || !plan.hasAudio() || m_fatal || m_gate.aborted())
        return ORV_OK;
    // pictures to the sound's end, then sound to the last picture's end
    const int64_t soundUs = av_rescale(m_sink.audioSamples(), 1000000, plan.sampleRate);
    int64_t frames = usToSlot(soundUs, plan.fps);
    if (slotToUs(frames, plan.fps) < soundUs)
        ++frames;
    int err = ORV_OK;
    if (m_sink.videoFrames() < frames) {
        const FramePtr black = blackFrame(plan.width, plan.height, plan.pixFmt);
        for (int64_t i = m_sink.videoFrames(); !err && i < frames; ++i) {
            if (!m_gate.pass())
                return ORV_E_STATE;
            FramePtr copy(black ? av_frame_clone(black.get()) : nullptr);
            err = copy ? m_sink.writeVideo(copy.get()) : ORV_E_INTERNAL;
        }
    }
    const int64_t samples = av_rescale(slotToUs(m_sink.videoFrames(), plan.fps), plan.sampleRate, 1000000);
    if (!err && m_sink.audioSamples() < samples)
        err = m_sink.writeSilence(samples - m_sink.audioSamples());
    if (err)
        m_fatal = true;
    return err;
}

int TranscodeJob::finish()
{
    if (m_gate.aborted())
        return ORV_E_STATE;
    const int err = m_sink.finish();
    if (err)
        m_fatal = true;
    return err;
}

// ---- Stage 1: demux and decode -------------------------------------------

void TranscodeJob::decodeStage(ItemRun& run)
{
    JobItem& item = run.item;
    AVFormatContext* fmt = item.input->fmt();
    const int vIndex = run.hasVideo ? item.videoStream : -1;
    const int aIndex = run.hasAudio ? item.audioStream : -1;
    DecodeLoop loop(fmt);
    if ((vIndex >= 0 && !loop.addStream(vIndex, true, run.decoderThreads))
        || (aIndex >= 0 && !loop.addStream(aIndex))) {
        run.fail(ORV_E_DECODE);
        run.q1.push(StageMessage{StageMessage::End, nullptr});
        return;
    }
    loop.discardOthers();

    const int64_t fileStart = item.input->startTimeUs();
    if (item.beginUs > 0) {
        const int64_t from =
            vIndex >= 0 ? decodableSeekPoint(*item.input, vIndex, item.beginUs) : item.beginUs;
        if (!loop.seek(fileStart + from))
            logf(LogWarning, "seek to %lld us failed, decoding from the start", static_cast<long long>(from));
    }

    DecodeTimeline timeline(timelineBounds(item, vIndex, m_sink.plan()), [&run](bool video, FramePtr f) {
        return run.q1.push(StageMessage{video ? StageMessage::Video : StageMessage::Audio, f.release()});
    });
    auto onFrame = [&](int stream, AVFrame* frame) {
        int64_t t = frameTimeUs(frame, fmt->streams[stream], fileStart);
        if (t != INT64_MIN)
            t -= item.beginUs;
        FramePtr f(av_frame_alloc());
        if (!f)
            return false;
        av_frame_move_ref(f.get(), frame);
        const bool video = stream == vIndex;
        if (!timeline.take(video, std::move(f), t))
            return false;
        if (timeline.ended(video))
            loop.finishStream(stream);
        return true;
    };
    const auto going = [&] { return m_gate.pass() && !m_stopItem; };
    loop.run(onFrame, going);
    if (going())
        timeline.finish();
    if (const int r = loop.readError(); r && !m_stopItem && !m_gate.aborted())
        logf(LogWarning, "reading \"%s\" stopped: %s", item.input->path().c_str(), avErrorText(r).c_str());
    if (!m_stopItem && !m_gate.aborted()
        && ((vIndex >= 0 && timeline.delivered(true) == 0)
            || (aIndex >= 0 && timeline.delivered(false) == 0))) {
        logf(LogError, "\"%s\": a selected stream yields no frame", item.input->path().c_str());
        run.fail(ORV_E_DECODE);
    }
    run.q1.push(StageMessage{StageMessage::End, nullptr});
}

// ---- Stage 2: constant rate, geometry, layers ---------------------------

void TranscodeJob::videoStage(ItemRun& run)
{
    JobItem& item = run.item;
    VideoStage stage(m_sink.plan(), item, run.q2, run.maxSlots);
    StageMessage msg;
    bool ok = true;
    int64_t soundEndUs = 0; // an item without pictures: how far its sound goes
    while (ok && run.q1.pop(msg)) {
        if (!m_gate.pass()) {
            av_frame_free(&msg.frame);
            break;
        }
        if (msg.kind == StageMessage::Audio) {
            const AVFrame* a = msg.frame;
            if (a->pts != AV_NOPTS_VALUE && a->sample_rate > 0)
                soundEndUs =
                    std::max(soundEndUs, a->pts + av_rescale(a->nb_samples, 1000000, a->sample_rate));
            ok = run.q2.push(msg);
            // black keeps pace with the sound, so the muxer interleaves the two
            if (ok && run.hasVideo && item.videoStream < 0)
                ok = stage.fillTo(std::min(run.maxSlots, usToSlot(soundEndUs, m_sink.plan().fps)));
            continue;
        }
        if (msg.kind == StageMessage::End) {
            const AVRational fps = m_sink.plan().fps;
            int64_t end = stage.holding() ? std::min(run.maxSlots, stage.heldSlot() + 1) : 0;
            // black for as long as the sound of an item without pictures goes
            if (run.hasVideo && item.videoStream < 0)
                end = std::min(run.maxSlots, usToSlot(soundEndUs, fps));
            ok = stage.fillTo(end);
            if (ok)
                run.q2.push(StageMessage{StageMessage::End, nullptr});
            break;
        }
        FramePtr f(msg.frame);
        if (run.hasVideo)
            ok = stage.take(std::move(f));
    }
    if (stage.error())
        run.fail(stage.error());
    if (!ok) {
        // a failed push means the job is going down; make sure stage 1 unblocks
        run.q1.abort();
        run.q2.abort();
    }
}

// ---- Stage 3: audio, encode, mux ---------------------------------------

int TranscodeJob::outputStage(ItemRun& run)
{
    JobItem& item = run.item;
    const OutputPlan& plan = m_sink.plan();
    const int64_t startV = m_sink.videoFrames();
    const int64_t startA = m_sink.audioSamples();
    // audio follows the whole frames of video, so merged items never drift
    auto audioTarget = [&](int64_t videoEnd) {
        return av_rescale(slotToUs(videoEnd, plan.fps), plan.sampleRate, 1000000) - startA;
    };
    int64_t cap = av_rescale(item.lengthUs, plan.sampleRate, 1000000);
    if (run.hasVideo)
        cap = audioTarget(startV + run.maxSlots);
    AudioShaper shaper(m_sink, item.proc.volume, std::max<int64_t>(cap, 0));
    FramePtr lastVideo;
    int err = ORV_OK;

    StageMessage msg;
    bool ended = false;
    while (!err && run.q2.pop(msg)) {
        if (msg.kind == StageMessage::End) {
            ended = true;
            break;
        }
        FramePtr f(msg.frame);
        if (!m_gate.pass())
            break;
        if (msg.kind == StageMessage::Video) {
            if (!lastVideo)
                lastVideo.reset(av_frame_alloc());
            av_frame_unref(lastVideo.get());
            av_frame_ref(lastVideo.get(), f.get());
            err = m_sink.writeVideo(f.get());
        } else if (run.hasAudio) {
            err = shaper.feed(f.get());
        }
    }
    if (err || !ended || m_gate.aborted())
        return err;
    if (run.error)
        return run.error;
    if (run.hasAudio && (err = shaper.flush()))
        return err;

    // both streams end together
    const int64_t vItem = m_sink.videoFrames() - startV;
    int64_t targetV = vItem;
    int64_t targetA = shaper.written();
    // An item holds what its source holds, the longer stream, up to its
    // length. Only a merge item of which the output takes neither stream
    // has nothing to measure: it is black and silence of its length.
    const bool unmeasured =
        item.exactLength && !m_stopItem && item.audioStream < 0 && (!run.hasVideo || item.videoStream < 0);
    if (unmeasured) {
        targetV = run.hasVideo ? run.maxSlots : 0;
        targetA = run.hasVideo ? audioTarget(startV + targetV) : cap;
    } else if (run.hasVideo) {
        const int64_t aUs = av_rescale(shaper.written(), 1000000, plan.sampleRate);
        const int64_t endUs =
            std::min(item.lengthUs, std::max(slotToUs(vItem, plan.fps), run.hasAudio ? aUs : 0));
        targetV = std::max(vItem, usToSlot(endUs, plan.fps));
        targetA = run.hasAudio ? audioTarget(startV + targetV) : 0;
    }
    if (run.hasVideo && vItem < targetV) {
        if (!lastVideo)
            lastVideo = blackFrame(plan.width, plan.height, plan.pixFmt);
        for (int64_t i = vItem; !err && i < targetV; ++i) {
            if (!m_gate.pass())
                return ORV_E_STATE;
            FramePtr copy(av_frame_clone(lastVideo.get()));
            err = copy ? m_sink.writeVideo(copy.get()) : ORV_E_INTERNAL;
        }
    }
    if (!err && run.hasAudio && shaper.written() < targetA)
        err = shaper.pushSilence(targetA - shaper.written());
    m_lastItemUs = std::max(slotToUs(m_sink.videoFrames() - startV, plan.fps),
                            av_rescale(shaper.written(), 1000000, plan.sampleRate));
    return err;
}

} // namespace orv
