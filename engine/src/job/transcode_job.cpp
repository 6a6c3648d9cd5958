#include "job/transcode_job.h"

#include "core/log.h"
#include "media/decoder.h"
#include "orvalta.h"
#include "process/video_chain.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" {
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace orv {
namespace {

std::atomic<int> g_runningJobs{0};

struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

FramePtr blackFrame(int w, int h, AVPixelFormat fmt)
{
    FramePtr f(av_frame_alloc());
    if (!f)
        return nullptr;
    f->width = w;
    f->height = h;
    f->format = fmt;
    if (av_frame_get_buffer(f.get(), 0) < 0)
        return nullptr;
    ptrdiff_t lines[4];
    for (int i = 0; i < 4; ++i)
        lines[i] = f->linesize[i];
    av_image_fill_black(f->data, lines, fmt, fmt == AV_PIX_FMT_YUVJ420P ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG, w, h);
    return f;
}

int64_t slotToUs(int64_t slot, AVRational fps) { return av_rescale(slot, int64_t(fps.den) * 1000000, fps.num); }
int64_t usToSlot(int64_t us, AVRational fps) { return av_rescale(us, fps.num, int64_t(fps.den) * 1000000); }

// Audio of one item on its way to the sink: resampled to the output rate and
// layout as planar float, gain applied, gaps over 40 ms filled with silence,
// overlaps dropped, and capped at the item's length.
class AudioShaper
{
public:
    AudioShaper(OutputSink& sink, int volume, int64_t cap) : m_sink(sink), m_gain(volume / 100.0f), m_cap(cap) {}
    ~AudioShaper()
    {
        swr_free(&m_swr);
        freeBuffer();
    }

    int64_t written() const { return m_written; }

    int feed(const AVFrame* f)
    {
        const OutputPlan& plan = m_sink.plan();
        if (ensureSwr(f) < 0)
            return ORV_E_DECODE;
        const int outRate = plan.sampleRate;
        const int64_t posUs = av_rescale(m_produced + swr_get_delay(m_swr, outRate), 1000000, outRate);
        int64_t t = f->pts == AV_NOPTS_VALUE ? posUs : f->pts;
        int skip = 0;
        if (t < 0) {
            skip = int(std::min<int64_t>(f->nb_samples, av_rescale(-t, f->sample_rate, 1000000)));
            t = 0;
        }
        const int64_t gapUs = t - posUs;
        if (gapUs > 40000) {
            const int err = pushSilence(av_rescale(gapUs, outRate, 1000000));
            if (err)
                return err;
        } else if (gapUs < -40000) {
            skip += int(std::min<int64_t>(f->nb_samples, av_rescale(-gapUs, f->sample_rate, 1000000)));
        }
        if (skip >= f->nb_samples)
            return ORV_OK;
        const int inCount = f->nb_samples - skip;
        const uint8_t* in[AV_NUM_DATA_POINTERS] = {nullptr};
        const int bps = av_get_bytes_per_sample(AVSampleFormat(f->format));
        const int channels = f->ch_layout.nb_channels;
        if (av_sample_fmt_is_planar(AVSampleFormat(f->format))) {
            for (int c = 0; c < channels && c < AV_NUM_DATA_POINTERS; ++c)
                in[c] = f->extended_data[c] + size_t(skip) * bps;
        } else {
            in[0] = f->extended_data[0] + size_t(skip) * bps * channels;
        }
        return convert(in, inCount);
    }

    int flush()
    {
        if (!m_swr)
            return ORV_OK;
        return convert(nullptr, 0);
    }

    int pushSilence(int64_t samples)
    {
        samples = std::max<int64_t>(0, samples);
        m_produced += samples;
        const int64_t n = std::min(samples, m_cap - m_written);
        if (n <= 0)
            return ORV_OK;
        m_written += n;
        return m_sink.writeSilence(n);
    }

private:
    int ensureSwr(const AVFrame* f)
    {
        if (m_swr && f->format == m_inFormat && f->sample_rate == m_inRate &&
            av_channel_layout_compare(&f->ch_layout, &m_inLayout) == 0)
            return 0;
        if (m_swr)
            flush();
        swr_free(&m_swr);
        const OutputPlan& plan = m_sink.plan();
        AVChannelLayout outLayout;
        chooseLayout(plan.audio.encoder, plan.channels, &outLayout);
        AVChannelLayout inLayout;
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inLayout, f->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&inLayout, &f->ch_layout);
        int r = swr_alloc_set_opts2(&m_swr, &outLayout, AV_SAMPLE_FMT_FLTP, plan.sampleRate, &inLayout,
                                    AVSampleFormat(f->format), f->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&outLayout);
        av_channel_layout_uninit(&inLayout);
        if (r < 0 || (r = swr_init(m_swr)) < 0) {
            logf(LogError, "audio resampler: %s", avErrorText(r).c_str());
            swr_free(&m_swr);
            return r;
        }
        m_inFormat = f->format;
        m_inRate = f->sample_rate;
        av_channel_layout_uninit(&m_inLayout);
        av_channel_layout_copy(&m_inLayout, &f->ch_layout);
        m_channels = plan.channels;
        return 0;
    }

    void freeBuffer()
    {
        if (m_buffer) {
            av_freep(&m_buffer[0]);
            av_freep(&m_buffer);
        }
        m_bufferCap = 0;
    }

    int convert(const uint8_t** in, int inCount)
    {
        const int need = swr_get_out_samples(m_swr, inCount);
        if (need <= 0)
            return ORV_OK;
        if (need > m_bufferCap) {
            freeBuffer();
            if (av_samples_alloc_array_and_samples(&m_buffer, nullptr, m_channels, need, AV_SAMPLE_FMT_FLTP, 0) < 0)
                return ORV_E_INTERNAL;
            m_bufferCap = need;
        }
        const int got = swr_convert(m_swr, m_buffer, need, in, inCount);
        if (got < 0)
            return ORV_E_DECODE;
        m_produced += got;
        const int n = int(std::min<int64_t>(got, m_cap - m_written));
        if (n <= 0)
            return ORV_OK;
        if (m_gain != 1.0f)
            for (int c = 0; c < m_channels; ++c) {
                float* p = reinterpret_cast<float*>(m_buffer[c]);
                for (int i = 0; i < n; ++i)
                    p[i] *= m_gain;
            }
        m_written += n;
        return m_sink.writeAudio(m_buffer, n);
    }

    OutputSink& m_sink;
    float m_gain;
    int64_t m_cap;
    SwrContext* m_swr = nullptr;
    int m_inFormat = -1, m_inRate = 0;
    AVChannelLayout m_inLayout{};
    int m_channels = 2;
    uint8_t** m_buffer = nullptr;
    int m_bufferCap = 0;
    int64_t m_produced = 0;  // samples made, including those past the cap
    int64_t m_written = 0;   // samples handed to the sink
};

} // namespace

int64_t itemLength(uint64_t durationUs, uint64_t beginUs, uint64_t lengthUs)
{
    if (beginUs >= durationUs)
        return 0;
    const uint64_t rest = durationUs - beginUs;
    const uint64_t l = (lengthUs == 0 || lengthUs > rest) ? rest : lengthUs;
    return int64_t(std::min<uint64_t>(l, uint64_t(INT64_MAX / 4)));
}

void lowerThreadPriority()
{
    const id_t tid = id_t(syscall(SYS_gettid));
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, tid);
    if (errno == 0)
        setpriority(PRIO_PROCESS, tid, std::min(current + 5, 19));
}

struct TranscodeJob::ItemRun {
    JobItem& item;
    FrameQueue q1{12};
    FrameQueue q2{6};
    std::atomic<int> error{0};
    int64_t maxSlots = 0;   // video slots of the item's length
    bool hasVideo = false;  // the output has video
    bool hasAudio = false;
    explicit ItemRun(JobItem& i) : item(i) {}
    void fail(int code)
    {
        int expected = 0;
        error.compare_exchange_strong(expected, code);
    }
};

TranscodeJob::TranscodeJob(const OutputPlan& plan) : m_sink(plan) { ++g_runningJobs; }

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
        m_currentInput->abort();  // unblocks a slow read; the stage then ends normally
}

int64_t TranscodeJob::itemDoneUs() const { return std::max<int64_t>(0, m_sink.mainEndUs() - m_itemStartUs.load()); }

int TranscodeJob::runItem(JobItem& item)
{
    if (m_gate.aborted())
        return ORV_E_STATE;
    m_stopItem = false;
    if (!m_sink.isOpen()) {
        const int running = g_runningJobs.load();
        const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
        const int threads = running <= 1 ? 0 : std::max(2, cores / running);
        const int err = m_sink.open(threads);
        if (err) {
            m_fatal = true;
            return err;
        }
    }
    const OutputPlan& plan = m_sink.plan();
    ItemRun run(item);
    run.hasVideo = plan.hasVideo();
    run.hasAudio = plan.hasAudio();
    run.maxSlots = std::max<int64_t>(run.hasVideo ? usToSlot(item.lengthUs, plan.fps) : 0, 0);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_aborted)
            return ORV_E_STATE;
        m_currentInput = item.input;
        m_q1 = &run.q1;
        m_q2 = &run.q2;
    }
    m_itemStartUs = run.hasVideo ? slotToUs(m_sink.videoFrames(), plan.fps)
                                 : av_rescale(m_sink.audioSamples(), 1000000, plan.sampleRate);

    std::thread decoder([&] { decodeStage(run); });
    std::thread video([&] { videoStage(run); });
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
        m_q1 = m_q2 = nullptr;
    }
    if (outErr == ORV_E_WRITE || outErr == ORV_E_ENCODER)
        m_fatal = true;
    if (m_gate.aborted())
        return run.error ? run.error.load() : ORV_E_STATE;
    return run.error;
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
    AVStream* vs = vIndex >= 0 ? fmt->streams[vIndex] : nullptr;
    AVStream* as = aIndex >= 0 ? fmt->streams[aIndex] : nullptr;
    AVCodecContext* vdec = vs ? openDecoder(vs) : nullptr;
    AVCodecContext* adec = as ? openDecoder(as) : nullptr;
    AVPacket* pkt = av_packet_alloc();

    auto finishStage = [&] {
        avcodec_free_context(&vdec);
        avcodec_free_context(&adec);
        av_packet_free(&pkt);
        run.q1.push(StageMessage{StageMessage::End, nullptr});
    };
    if ((vs && !vdec) || (as && !adec) || !pkt) {
        run.fail(ORV_E_DECODE);
        finishStage();
        return;
    }
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        if (int(i) != vIndex && int(i) != aIndex)
            fmt->streams[i]->discard = AVDISCARD_ALL;

    const int64_t fileStart = item.input->startTimeUs();
    if (item.beginUs > 0) {
        const int64_t ts = fileStart + item.beginUs;
        if (avformat_seek_file(fmt, -1, INT64_MIN, ts, ts, 0) < 0)
            logf(LogWarning, "seek to %lld us failed, decoding from the start", static_cast<long long>(item.beginUs));
    }

    const AVRational srcRate = vs ? item.input->frameRate(vIndex) : AVRational{25, 1};
    const int64_t frameUs = (srcRate.num > 0 && srcRate.den > 0) ? av_rescale(1000000, srcRate.den, srcRate.num) : 40000;
    const int64_t outFrameUs = av_rescale(1000000, m_sink.plan().fps.den, m_sink.plan().fps.num);
    bool videoDone = !vdec, audioDone = !adec;
    int64_t videoFrames = 0, audioFrames = 0;
    int64_t lastVideoUs = INT64_MIN;

    auto drain = [&](AVCodecContext* dec, AVStream* st, bool isVideo) -> bool {
        while (true) {
            AVFrame* f = av_frame_alloc();
            if (!f)
                return false;
            const int r = avcodec_receive_frame(dec, f);
            if (r < 0) {
                av_frame_free(&f);
                return true;
            }
            int64_t t = frameTimeUs(f, st, fileStart);
            if (isVideo) {
                if (t == INT64_MIN)
                    t = lastVideoUs == INT64_MIN ? item.beginUs : lastVideoUs + frameUs;
                lastVideoUs = t;
                t -= item.beginUs;
                if (videoDone || t > item.lengthUs + 2 * std::max(frameUs, outFrameUs)) {
                    videoDone = true;
                    av_frame_free(&f);
                    continue;
                }
                ++videoFrames;
            } else {
                t = t == INT64_MIN ? AV_NOPTS_VALUE : t - item.beginUs;
                if (audioDone || (t != AV_NOPTS_VALUE && t >= item.lengthUs)) {
                    audioDone = true;
                    av_frame_free(&f);
                    continue;
                }
                ++audioFrames;
            }
            f->pts = t;
            if (!run.q1.push(StageMessage{isVideo ? StageMessage::Video : StageMessage::Audio, f}))
                return false;
        }
    };

    bool ok = true;
    while (ok && !(videoDone && audioDone)) {
        if (!m_gate.pass() || m_stopItem)
            break;
        const int r = av_read_frame(fmt, pkt);
        if (r == AVERROR(EAGAIN))
            continue;
        if (r < 0) {
            if (r != AVERROR_EOF && !m_stopItem && !m_gate.aborted())
                logf(LogWarning, "reading \"%s\" stopped: %s", item.input->path().c_str(), avErrorText(r).c_str());
            break;
        }
        if (pkt->stream_index == vIndex && !videoDone) {
            avcodec_send_packet(vdec, pkt);  // a bad packet is skipped
            ok = drain(vdec, vs, true);
        } else if (pkt->stream_index == aIndex && !audioDone) {
            avcodec_send_packet(adec, pkt);
            ok = drain(adec, as, false);
        }
        av_packet_unref(pkt);
    }
    if (ok && !m_gate.aborted()) {
        if (vdec && !videoDone && avcodec_send_packet(vdec, nullptr) >= 0)
            ok = drain(vdec, vs, true);
        if (ok && adec && !audioDone && avcodec_send_packet(adec, nullptr) >= 0)
            ok = drain(adec, as, false);
    }
    if (!m_stopItem && !m_gate.aborted() && ((vdec && videoFrames == 0) || (adec && audioFrames == 0))) {
        logf(LogError, "\"%s\": a selected stream yields no frame", item.input->path().c_str());
        run.fail(ORV_E_DECODE);
    }
    finishStage();
}

// ---- Stage 2: constant rate, geometry, layers ---------------------------

void TranscodeJob::videoStage(ItemRun& run)
{
    JobItem& item = run.item;
    const OutputPlan& plan = m_sink.plan();
    VideoChain chain;
    if (run.hasVideo && item.videoStream >= 0) {
        ChainSetup setup;
        setup.autoRotate = item.input->autoRotation(item.videoStream);
        item.input->sourceSize(item.videoStream, setup.geometry.srcW, setup.geometry.srcH);
        const ProcessingSettings& p = item.proc;
        setup.geometry.cropX = p.cropX;
        setup.geometry.cropY = p.cropY;
        setup.geometry.cropW = p.cropW;
        setup.geometry.cropH = p.cropH;
        setup.geometry.aspectW = p.aspectW;
        setup.geometry.aspectH = p.aspectH;
        setup.geometry.rotate = p.rotate;
        setup.geometry.mirror = p.mirror;
        setup.geometry.pad = p.pad;
        setup.geometry.outW = plan.width;
        setup.geometry.outH = plan.height;
        setup.padColor = p.padColor;
        chain.setup(setup);
    }
    LayerStack* layers = (item.layers && !item.layers->empty()) ? item.layers.get() : nullptr;
    const bool captions = item.layers && item.proc.layers.subSource == SubtitleSource::ClosedCaption;
    SwsContext* toEncoder = nullptr;

    FramePtr held, heldProcessed, black;
    int64_t next = 0;
    int64_t heldSlot = 0;

    auto emit = [&](AVFrame* src, bool isHeld) -> bool {
        AVFrame* processed = nullptr;
        FramePtr local;
        if (isHeld && heldProcessed) {
            processed = heldProcessed.get();
        } else if (src) {
            local.reset(av_frame_alloc());
            const int err = chain.process(src, local.get());
            if (err < 0) {
                logf(LogError, "video chain failed: %s", avErrorText(err).c_str());
                run.fail(ORV_E_INTERNAL);
                return false;
            }
            processed = local.get();
            if (isHeld)
                heldProcessed = std::move(local);
        } else {
            if (!black)
                black = blackFrame(plan.width, plan.height, AV_PIX_FMT_YUV420P);
            processed = black.get();
        }
        if (!processed) {
            run.fail(ORV_E_INTERNAL);
            return false;
        }
        FramePtr out(av_frame_clone(processed));
        if (!out) {
            run.fail(ORV_E_INTERNAL);
            return false;
        }
        if (layers) {
            if (av_frame_make_writable(out.get()) < 0) {
                run.fail(ORV_E_INTERNAL);
                return false;
            }
            layers->apply(out.get(), item.beginUs + slotToUs(next, plan.fps), true);
        }
        if (plan.pixFmt != AV_PIX_FMT_YUV420P) {
            toEncoder = sws_getCachedContext(toEncoder, plan.width, plan.height, AV_PIX_FMT_YUV420P, plan.width,
                                             plan.height, plan.pixFmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
            FramePtr conv(av_frame_alloc());
            conv->width = plan.width;
            conv->height = plan.height;
            conv->format = plan.pixFmt;
            if (!toEncoder || av_frame_get_buffer(conv.get(), 0) < 0) {
                run.fail(ORV_E_INTERNAL);
                return false;
            }
            sws_scale(toEncoder, out->data, out->linesize, 0, plan.height, conv->data, conv->linesize);
            if (plan.pixFmt == AV_PIX_FMT_YUVJ420P)
                conv->color_range = AVCOL_RANGE_JPEG;
            out = std::move(conv);
        }
        out->pts = next;
        ++next;
        return run.q2.push(StageMessage{StageMessage::Video, out.release()});
    };

    StageMessage msg;
    bool ok = true;
    while (ok && run.q1.pop(msg)) {
        if (!m_gate.pass()) {
            av_frame_free(&msg.frame);
            break;
        }
        if (msg.kind == StageMessage::Audio) {
            ok = run.q2.push(msg);
            continue;
        }
        if (msg.kind == StageMessage::End) {
            int64_t end = held ? std::min(run.maxSlots, heldSlot + 1) : 0;
            if (item.exactLength && !m_stopItem)
                end = run.maxSlots;
            while (ok && next < end)
                ok = emit(held.get(), held != nullptr);
            if (ok)
                run.q2.push(StageMessage{StageMessage::End, nullptr});
            break;
        }
        FramePtr f(msg.frame);
        if (!run.hasVideo)
            continue;
        if (captions) {
            if (const AVFrameSideData* sd = av_frame_get_side_data(f.get(), AV_FRAME_DATA_A53_CC))
                item.layers->feedCaptions(sd->data, sd->size, item.beginUs + f->pts);
        }
        // nearest output slot, as an fps filter rounding to nearest does
        const int64_t slot = usToSlot(f->pts, plan.fps);
        while (ok && next < slot && next < run.maxSlots) {
            if (held)
                ok = emit(held.get(), true);
            else
                ok = emit(f.get(), false);
        }
        held = std::move(f);
        heldProcessed.reset();
        heldSlot = slot;
    }
    sws_freeContext(toEncoder);
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
    if (item.exactLength && !m_stopItem) {
        targetV = run.hasVideo ? run.maxSlots : 0;
        targetA = run.hasVideo ? audioTarget(startV + targetV) : cap;
    } else if (run.hasVideo) {
        const int64_t aUs = av_rescale(shaper.written(), 1000000, plan.sampleRate);
        const int64_t endUs = std::min(item.lengthUs, std::max(slotToUs(vItem, plan.fps), run.hasAudio ? aUs : 0));
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
    (void)item;
    return err;
}

} // namespace orv
