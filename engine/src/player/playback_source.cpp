#include "player/playback_source.h"

#include "core/log.h"
#include "media/decoder.h"
#include "orvalta.h"

#include <algorithm>

namespace orv {

namespace {

constexpr size_t kVideoQueue = 8;
constexpr int64_t kAudioAheadAlone = 500000; // audio-only: 0.5 s queued
constexpr int64_t kAudioAheadMax = 2000000; // beside video: never more than 2 s
constexpr int64_t kBackStepUs = 1000000;
// Enough for 1080p in real time; fewer threads keep a player's open and
// close cheap (the hidden editor opens one per added file).
constexpr int kDecoderThreads = 4;

} // namespace

int64_t PlaybackSource::audioLengthUs(const AVFrame* f)
{
    return f->sample_rate > 0 ? av_rescale(f->nb_samples, 1000000, f->sample_rate) : 0;
}

PlaybackSource::~PlaybackSource()
{
    stopReader();
    clearQueues();
    avcodec_free_context(&m_vdec);
    avcodec_free_context(&m_adec);
    av_packet_free(&m_pkt);
}

int PlaybackSource::open(const std::string& path)
{
    int err = m_input.open(path);
    if (err)
        return err;
    // the first program with video or audio, as the editor's lists show it
    const auto& programs = m_input.programs();
    for (size_t i = 0; i < programs.size(); ++i)
        if (!programs[i].video.empty() || !programs[i].audio.empty()) {
            m_program = programs[i].avProgram < 0 ? -1 : int(i);
            break;
        }
    const Program& prog = program();
    m_vIndex = m_input.bestStream(prog, AVMEDIA_TYPE_VIDEO);
    m_aIndex = m_input.bestStream(prog, AVMEDIA_TYPE_AUDIO);
    AVFormatContext* fmt = m_input.fmt();
    if (m_vIndex >= 0 && !(m_vdec = openDecoder(fmt->streams[m_vIndex], false)))
        m_vIndex = -1;
    if (m_aIndex >= 0 && !(m_adec = openDecoder(fmt->streams[m_aIndex], false)))
        m_aIndex = -1;
    if (!m_vdec && !m_adec)
        return ORV_E_NOSTREAM;
    m_pkt = av_packet_alloc();
    if (!m_pkt)
        return ORV_E_INTERNAL;
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        fmt->streams[i]->discard =
            (int(i) == m_vIndex || int(i) == m_aIndex) ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    m_vEnded = !m_vdec;
    m_aEnded = !m_adec;
    m_duration = m_input.durationUs();
    m_fileStart = m_input.startTimeUs();
    if (m_vIndex >= 0) {
        const AVRational r = m_input.frameRate(m_vIndex);
        if (r.num > 0 && r.den > 0)
            m_frameUs = std::max<int64_t>(1000, av_rescale(1000000, r.den, r.num));
    }
    return ORV_OK;
}

void PlaybackSource::selectAudio(int index)
{
    const Program& prog = program();
    const int wanted = m_input.audioStream(prog, index);
    if (wanted == m_aIndex || wanted < 0)
        return;
    AVFormatContext* fmt = m_input.fmt();
    AVCodecContext* dec = openDecoder(fmt->streams[wanted], false);
    if (!dec) {
        logf(LogWarning, "audio stream %d cannot be decoded; keeping the current one", index);
        return;
    }
    if (m_aIndex >= 0)
        fmt->streams[m_aIndex]->discard = AVDISCARD_ALL;
    avcodec_free_context(&m_adec);
    m_adec = dec;
    m_aIndex = wanted;
    m_aEnded = false;
    fmt->streams[m_aIndex]->discard = AVDISCARD_DEFAULT;
}

void PlaybackSource::useThreadedDecoder()
{
    if (m_threaded || !m_vdec)
        return;
    m_threaded = true;
    AVCodecContext* dec = openDecoder(m_input.fmt()->streams[m_vIndex], true, kDecoderThreads);
    if (!dec)
        return; // the single-threaded one goes on
    avcodec_free_context(&m_vdec);
    m_vdec = dec;
    if (m_lastOutUs == INT64_MIN) {
        flushDecoders();
        return;
    }
    // the new decoder starts at a keyframe; what it decodes again is dropped
    const int64_t resume = m_lastOutUs;
    clearQueues();
    seekDemuxer(resume);
    flushDecoders();
    m_skipUntilUs = resume;
}

void PlaybackSource::seekDemuxer(int64_t targetUs)
{
    AVFormatContext* fmt = m_input.fmt();
    const int64_t ts = targetUs <= 0 ? INT64_MIN + 1 : m_fileStart + targetUs;
    if (avformat_seek_file(fmt, -1, INT64_MIN, ts, ts, 0) < 0
        && avformat_seek_file(fmt, -1, INT64_MIN, INT64_MIN + 1, INT64_MIN + 1, 0) < 0)
        av_seek_frame(fmt, -1, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD);
}

void PlaybackSource::clearQueues()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_video.clear();
    m_audio.clear();
    m_audioQueuedUs = 0;
}

void PlaybackSource::flushDecoders()
{
    if (m_vdec)
        avcodec_flush_buffers(m_vdec);
    if (m_adec)
        avcodec_flush_buffers(m_adec);
    m_demuxEnded = m_vFlushed = m_aFlushed = false;
    m_vEnded = !m_vdec;
    m_aEnded = !m_adec;
    m_lastVideoUs = INT64_MIN;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_readerDone = false;
}

PlaybackSource::Got PlaybackSource::decodeOne(FramePtr* out)
{
    AVFormatContext* fmt = m_input.fmt();
    while (!m_stop) {
        for (int pass = 0; pass < 2; ++pass) {
            AVCodecContext* dec = pass == 0 ? m_vdec : m_adec;
            bool& ended = pass == 0 ? m_vEnded : m_aEnded;
            if (!dec || ended)
                continue;
            // One frame is kept for the attempts: most find nothing yet.
            if (!m_spare)
                m_spare.reset(av_frame_alloc());
            if (!m_spare)
                return Got::End;
            const int r = avcodec_receive_frame(dec, m_spare.get());
            if (r == AVERROR_EOF) {
                ended = true;
                continue;
            }
            if (r < 0)
                continue;
            FramePtr f = std::move(m_spare);
            AVStream* st = fmt->streams[pass == 0 ? m_vIndex : m_aIndex];
            int64_t t = frameTimeUs(f.get(), st, m_fileStart);
            if (pass == 0) {
                if (t == INT64_MIN)
                    t = m_lastVideoUs == INT64_MIN ? 0 : m_lastVideoUs + m_frameUs;
                m_lastVideoUs = t;
                if (t <= m_skipUntilUs)
                    continue;
            } else if (m_skipUntilUs != INT64_MIN && t != INT64_MIN
                       && t + av_rescale(f->nb_samples, 1000000, std::max(f->sample_rate, 1))
                           <= m_skipUntilUs) {
                continue;
            }
            f->pts = t == INT64_MIN ? AV_NOPTS_VALUE : t;
            *out = std::move(f);
            return pass == 0 ? Got::Video : Got::Audio;
        }
        if (m_vEnded && m_aEnded)
            return Got::End;
        if (m_demuxEnded) {
            // drain what the decoders still hold
            if (m_vdec && !m_vFlushed) {
                avcodec_send_packet(m_vdec, nullptr);
                m_vFlushed = true;
            }
            if (m_adec && !m_aFlushed) {
                avcodec_send_packet(m_adec, nullptr);
                m_aFlushed = true;
            }
            continue;
        }
        const int r = av_read_frame(fmt, m_pkt);
        if (r == AVERROR(EAGAIN))
            return Got::None;
        if (r < 0) {
            if (r != AVERROR_EOF)
                logf(LogWarning, "reading \"%s\" stopped: %s", m_input.path().c_str(),
                     avErrorText(r).c_str());
            m_demuxEnded = true;
            continue;
        }
        if (m_pkt->stream_index == m_vIndex && m_vdec)
            avcodec_send_packet(m_vdec, m_pkt); // a bad packet is skipped
        else if (m_pkt->stream_index == m_aIndex && m_adec)
            avcodec_send_packet(m_adec, m_pkt);
        av_packet_unref(m_pkt);
    }
    return Got::None;
}

FramePtr PlaybackSource::seek(int64_t targetUs, bool* atEnd)
{
    *atEnd = false;
    m_threaded = m_threaded || !m_vdec;
    if (!m_threaded) {
        m_lastOutUs = INT64_MIN; // no need to go on from anywhere: we seek
        useThreadedDecoder();
    }
    clearQueues();
    seekDemuxer(targetUs);
    flushDecoders();
    m_skipUntilUs = INT64_MIN;
    FramePtr last;
    while (true) {
        FramePtr f;
        const Got got = decodeOne(&f);
        if (got == Got::None)
            continue;
        if (got == Got::End) {
            *atEnd = true;
            if (last)
                m_lastOutUs = timeOf(last.get());
            std::lock_guard<std::mutex> lock(m_mutex);
            m_readerDone = true;
            return last;
        }
        if (got == Got::Audio) {
            const int64_t t = timeOf(f.get());
            if (t == AV_NOPTS_VALUE || t + audioLengthUs(f.get()) > targetUs) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_audioQueuedUs += audioLengthUs(f.get());
                m_audio.push_back(std::move(f));
                if (!m_vdec)
                    return nullptr; // audio only: the sound restarts here
            }
            continue;
        }
        if (timeOf(f.get()) >= targetUs) {
            m_lastOutUs = timeOf(f.get());
            return f;
        }
        last = std::move(f);
    }
}

FramePtr PlaybackSource::nextPicture()
{
    FramePtr f = nextPictureInner();
    if (f)
        m_lastOutUs = timeOf(f.get());
    return f;
}

FramePtr PlaybackSource::nextPictureInner()
{
    if (m_lastOutUs != INT64_MIN)
        useThreadedDecoder(); // the very first picture decodes on one thread
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_video.empty()) {
            FramePtr f = std::move(m_video.front());
            m_video.pop_front();
            return f;
        }
        if (m_readerDone)
            return nullptr;
    }
    while (m_vdec) {
        FramePtr f;
        const Got got = decodeOne(&f);
        if (got == Got::Video)
            return f;
        if (got == Got::End) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_readerDone = true;
            return nullptr;
        }
        if (got == Got::Audio) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_audioQueuedUs += audioLengthUs(f.get());
            m_audio.push_back(std::move(f));
            while (m_audioQueuedUs > kAudioAheadMax && !m_audio.empty()) {
                m_audioQueuedUs -= audioLengthUs(m_audio.front().get());
                m_audio.pop_front();
            }
        }
    }
    return nullptr;
}

FramePtr PlaybackSource::previousPicture(int64_t beforeUs)
{
    if (!m_vdec || beforeUs <= 0)
        return nullptr;
    if (!m_threaded) {
        m_lastOutUs = INT64_MIN;
        useThreadedDecoder();
    }
    m_skipUntilUs = INT64_MIN;
    for (int64_t back = 0;; back = back ? back * 2 : kBackStepUs) {
        clearQueues();
        const int64_t target = beforeUs - 1 - back;
        seekDemuxer(target);
        flushDecoders();
        FramePtr last;
        while (true) {
            FramePtr f;
            const Got got = decodeOne(&f);
            if (got == Got::None || got == Got::Audio)
                continue;
            if (got == Got::End) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_readerDone = true;
                break;
            }
            if (timeOf(f.get()) < beforeUs) {
                last = std::move(f);
                continue;
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_video.push_back(std::move(f)); // the picture we stepped back from comes next
            break;
        }
        if (last || target <= 0) {
            if (last)
                m_lastOutUs = timeOf(last.get());
            return last;
        }
    }
}

// ---- Reader thread ----------------------------------------------------------

void PlaybackSource::startReader()
{
    stopReader();
    m_stop = false;
    m_reader = std::thread([this] { readerLoop(); });
}

void PlaybackSource::stopReader()
{
    if (!m_reader.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_cond.notify_all();
    m_reader.join();
    m_stop = false;
}

bool PlaybackSource::readerMayRead()
{
    if (m_video.size() >= kVideoQueue)
        return false;
    if (!m_adec)
        return true;
    if (!m_vdec)
        return m_audioQueuedUs < kAudioAheadAlone;
    return m_video.empty() || m_audioQueuedUs < kAudioAheadMax;
}

void PlaybackSource::readerLoop()
{
    useThreadedDecoder();
    while (true) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cond.wait(lock, [this] { return m_stop || m_readerDone || readerMayRead(); });
            if (m_stop || m_readerDone)
                return;
        }
        FramePtr f;
        const Got got = decodeOne(&f);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (got == Got::Video) {
                m_video.push_back(std::move(f));
            } else if (got == Got::Audio) {
                m_audioQueuedUs += audioLengthUs(f.get());
                m_audio.push_back(std::move(f));
            } else if (got == Got::End) {
                m_readerDone = true;
            } else {
                continue;
            }
        }
        m_cond.notify_all();
    }
}

FramePtr PlaybackSource::takeDuePicture(int64_t nowUs, int64_t* nextUs, int* dropped)
{
    FramePtr f;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        *nextUs = INT64_MAX;
        if (m_video.empty())
            return nullptr;
        // a picture whose successor is already due is more than an interval late
        while (m_video.size() >= 2 && timeOf(m_video[1].get()) <= nowUs) {
            m_video.pop_front();
            ++*dropped;
        }
        if (timeOf(m_video.front().get()) > nowUs) {
            *nextUs = timeOf(m_video.front().get());
            return nullptr;
        }
        f = std::move(m_video.front());
        m_video.pop_front();
    }
    m_cond.notify_all();
    return f;
}

FramePtr PlaybackSource::takeAudio(int64_t untilUs)
{
    FramePtr f;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_audio.empty())
            return nullptr;
        const int64_t t = timeOf(m_audio.front().get());
        if (t != AV_NOPTS_VALUE && t >= untilUs)
            return nullptr;
        f = std::move(m_audio.front());
        m_audio.pop_front();
        m_audioQueuedUs -= audioLengthUs(f.get());
    }
    m_cond.notify_all();
    return f;
}

bool PlaybackSource::videoDrained()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_readerDone && m_video.empty();
}

size_t PlaybackSource::bufferedPictures()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_readerDone ? kVideoQueue : m_video.size();
}

bool PlaybackSource::audioDrained()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_readerDone && m_audio.empty();
}

void PlaybackSource::notify()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
    }
    m_cond.notify_all();
}

void PlaybackSource::waitChange(int64_t timeoutUs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cond.wait_for(lock, std::chrono::microseconds(std::max<int64_t>(timeoutUs, 0)));
}

} // namespace orv
