#include "job/output_sink.h"

#include "core/log.h"
#include "core/paths.h"
#include "orvalta.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

namespace orv {

OutputSink::OutputSink(const OutputPlan& plan)
    : m_plan(plan)
{}

OutputSink::~OutputSink() { release(); }

void OutputSink::release()
{
    closeFile();
    m_headerWritten = false;
    avcodec_free_context(&m_venc);
    avcodec_free_context(&m_aenc);
    if (m_fifo)
        av_audio_fifo_free(m_fifo);
    m_fifo = nullptr;
    swr_free(&m_toEncoderFormat);
    av_frame_free(&m_audioFrame);
    av_packet_free(&m_pkt);
    if (m_fmt)
        avformat_free_context(m_fmt);
    m_fmt = nullptr;
    m_vst = m_ast = nullptr;
}

int OutputSink::interruptCallback(void* self)
{
    return static_cast<OutputSink*>(self)->m_abort.load() ? 1 : 0;
}

int OutputSink::openVideoEncoder(const Flight& flight)
{
    const AVCodec* codec = m_plan.video.encoder;
    m_venc = avcodec_alloc_context3(codec);
    if (!m_venc)
        return ORV_E_INTERNAL;
    m_venc->width = m_plan.width;
    m_venc->height = m_plan.height;
    m_venc->pix_fmt = m_plan.pixFmt;
    m_venc->framerate = m_plan.fps;
    m_venc->time_base = av_inv_q(m_plan.fps);
    m_venc->sample_aspect_ratio = AVRational{1, 1};
    if (m_plan.pixFmt == AV_PIX_FMT_YUVJ420P)
        m_venc->color_range = AVCOL_RANGE_JPEG;
    m_venc->thread_count = flight.encoderThreads;
    if (m_fmt->oformat->flags & AVFMT_GLOBALHEADER)
        m_venc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* opts = nullptr;
    applyVideoRate(m_venc, &opts, m_plan.videoKbps);
    // x264 holds its look-ahead frames and, per frame thread, the frames
    // being coded with their half-pel planes: at 4K its defaults take
    // 1.6 GB of a job. The flight plan keeps them when memory allows.
    if (std::strcmp(codec->name, "libx264") == 0) {
        if (flight.lookahead > 0)
            av_dict_set_int(&opts, "rc-lookahead", flight.lookahead, 0);
        if (flight.lookaheadOnCodingThread)
            av_dict_set(&opts, "x264-params", "sync-lookahead=0", 0);
    }
    const int err = avcodec_open2(m_venc, codec, &opts);
    av_dict_free(&opts);
    if (err < 0) {
        logf(LogError, "cannot open video encoder %s: %s", codec->name, avErrorText(err).c_str());
        return ORV_E_ENCODER;
    }
    m_vst = avformat_new_stream(m_fmt, nullptr);
    if (!m_vst || avcodec_parameters_from_context(m_vst->codecpar, m_venc) < 0)
        return ORV_E_INTERNAL;
    m_vst->time_base = m_venc->time_base;
    m_vst->avg_frame_rate = m_plan.fps;
    m_vst->sample_aspect_ratio = AVRational{1, 1};
    if (m_plan.video.codecTag)
        m_vst->codecpar->codec_tag = m_plan.video.codecTag;
    return ORV_OK;
}

int OutputSink::openAudioEncoder()
{
    const AVCodec* codec = m_plan.audio.encoder;
    m_aenc = avcodec_alloc_context3(codec);
    if (!m_aenc)
        return ORV_E_INTERNAL;
    m_aenc->sample_rate = m_plan.sampleRate;
    m_aenc->sample_fmt = m_plan.sampleFmt;
    chooseLayout(codec, m_plan.channels, &m_aenc->ch_layout);
    m_plan.channels = m_aenc->ch_layout.nb_channels;
    m_aenc->time_base = AVRational{1, m_plan.sampleRate};
    if (codec->id == AV_CODEC_ID_PCM_S24BE)
        m_aenc->bits_per_raw_sample = 24;
    if (m_fmt->oformat->flags & AVFMT_GLOBALHEADER)
        m_aenc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    applyAudioRate(m_aenc, m_plan.audioKbps);
    const int err = avcodec_open2(m_aenc, codec, nullptr);
    if (err < 0) {
        logf(LogError, "cannot open audio encoder %s: %s", codec->name, avErrorText(err).c_str());
        return ORV_E_ENCODER;
    }
    m_ast = avformat_new_stream(m_fmt, nullptr);
    if (!m_ast || avcodec_parameters_from_context(m_ast->codecpar, m_aenc) < 0)
        return ORV_E_INTERNAL;
    m_ast->time_base = m_aenc->time_base;

    m_audioFrameSize = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || m_aenc->frame_size <= 0
        ? 1024
        : m_aenc->frame_size;
    m_fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, m_plan.channels, m_audioFrameSize * 4);
    m_audioFrame = av_frame_alloc();
    if (!m_fifo || !m_audioFrame)
        return ORV_E_INTERNAL;
    if (m_plan.sampleFmt != AV_SAMPLE_FMT_FLTP) {
        if (swr_alloc_set_opts2(&m_toEncoderFormat, &m_aenc->ch_layout, m_plan.sampleFmt, m_plan.sampleRate,
                                &m_aenc->ch_layout, AV_SAMPLE_FMT_FLTP, m_plan.sampleRate, 0, nullptr)
                < 0
            || swr_init(m_toEncoderFormat) < 0)
            return ORV_E_INTERNAL;
    }
    return ORV_OK;
}

int OutputSink::open(const Flight& flight)
{
    m_pkt = av_packet_alloc();
    if (!m_pkt)
        return ORV_E_INTERNAL;
    if (avformat_alloc_output_context2(&m_fmt, m_plan.muxer, nullptr, nullptr) < 0 || !m_fmt)
        return ORV_E_CONTAINER;
    m_fmt->interrupt_callback.callback = &OutputSink::interruptCallback;
    m_fmt->interrupt_callback.opaque = this;
    // no copied metadata, no display matrix
    int err = ORV_OK;
    if (m_plan.hasVideo() && (err = openVideoEncoder(flight)))
        return err;
    if (m_plan.hasAudio() && (err = openAudioEncoder()))
        return err;

    const std::string url = fileUrl(m_plan.path);
    int r = avio_open2(&m_fmt->pb, url.c_str(), AVIO_FLAG_WRITE, &m_fmt->interrupt_callback, nullptr);
    if (r < 0) {
        logf(LogError, "cannot write \"%s\": %s", m_plan.path.c_str(), avErrorText(r).c_str());
        return ORV_E_OUTPUT;
    }
    m_fileOpen = true;
    r = avformat_write_header(m_fmt, nullptr);
    if (r < 0) {
        if (r != AVERROR_EXIT) // not a failure: Release stopped it
            logf(LogError, "cannot write the header of \"%s\": %s", m_plan.path.c_str(),
                 avErrorText(r).c_str());
        // a full disk or an I/O error is a write failure; anything else is
        // the muxer refusing the streams
        const bool io = (m_fmt->pb && m_fmt->pb->error < 0) || r == AVERROR(ENOSPC) || r == AVERROR(EIO)
            || r == AVERROR(EFBIG) || r == AVERROR(EDQUOT) || r == AVERROR(EROFS) || r == AVERROR(EPIPE);
        return io ? ORV_E_WRITE : ORV_E_CONTAINER;
    }
    m_headerWritten = true;
    return ORV_OK;
}

int OutputSink::encode(AVCodecContext* enc, AVStream* st, AVFrame* frame)
{
    int r = avcodec_send_frame(enc, frame);
    if (r < 0 && r != AVERROR_EOF) {
        logf(LogError, "encoder %s: %s", enc->codec->name, avErrorText(r).c_str());
        return ORV_E_ENCODER;
    }
    const bool isMain = st == m_vst || !m_vst;
    while (true) {
        r = avcodec_receive_packet(enc, m_pkt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return ORV_OK;
        if (r < 0) {
            logf(LogError, "encoder %s: %s", enc->codec->name, avErrorText(r).c_str());
            return ORV_E_ENCODER;
        }
        m_pkt->stream_index = st->index;
        const int64_t end =
            m_pkt->pts != AV_NOPTS_VALUE ? m_pkt->pts + std::max<int64_t>(m_pkt->duration, 0) : 0;
        const int64_t endUs = av_rescale_q(end, enc->time_base, AVRational{1, 1000000});
        av_packet_rescale_ts(m_pkt, enc->time_base, st->time_base);
        r = av_interleaved_write_frame(m_fmt, m_pkt);
        if (r < 0) {
            if (!m_abort)
                logf(LogError, "cannot write \"%s\": %s", m_plan.path.c_str(), avErrorText(r).c_str());
            return ORV_E_WRITE;
        }
        ++(st == m_vst ? m_videoPackets : m_audioPackets);
        if (isMain && endUs > m_mainEndUs.load())
            m_mainEndUs = endUs;
    }
}

int OutputSink::writeVideo(AVFrame* frame)
{
    if (!m_venc)
        return ORV_OK;
    frame->pts = m_videoFrames++;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    frame->sample_aspect_ratio = AVRational{1, 1};
    return encode(m_venc, m_vst, frame);
}

int OutputSink::drainAudioFifo(bool final)
{
    while (av_audio_fifo_size(m_fifo) >= m_audioFrameSize || (final && av_audio_fifo_size(m_fifo) > 0)) {
        int n = std::min(av_audio_fifo_size(m_fifo), m_audioFrameSize);
        const bool smallLastOk =
            (m_aenc->codec->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
            != 0;
        const int frameSamples = (n < m_audioFrameSize && !smallLastOk) ? m_audioFrameSize : n;

        AVFrame* fl = av_frame_alloc();
        if (!fl)
            return ORV_E_INTERNAL;
        fl->format = AV_SAMPLE_FMT_FLTP;
        av_channel_layout_copy(&fl->ch_layout, &m_aenc->ch_layout);
        fl->sample_rate = m_plan.sampleRate;
        fl->nb_samples = frameSamples;
        if (av_frame_get_buffer(fl, 0) < 0) {
            av_frame_free(&fl);
            return ORV_E_INTERNAL;
        }
        av_samples_set_silence(fl->extended_data, 0, frameSamples, m_plan.channels, AV_SAMPLE_FMT_FLTP);
        av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(fl->extended_data), n);

        AVFrame* out = fl;
        if (m_toEncoderFormat) {
            AVFrame* conv = av_frame_alloc();
            conv->format = m_plan.sampleFmt;
            av_channel_layout_copy(&conv->ch_layout, &m_aenc->ch_layout);
            conv->sample_rate = m_plan.sampleRate;
            conv->nb_samples = frameSamples;
            if (av_frame_get_buffer(conv, 0) < 0
                || swr_convert(m_toEncoderFormat, conv->extended_data, frameSamples,
                               const_cast<const uint8_t**>(fl->extended_data), frameSamples)
                    < 0) {
                av_frame_free(&conv);
                av_frame_free(&fl);
                return ORV_E_INTERNAL;
            }
            av_frame_free(&fl);
            out = conv;
        }
        out->pts = m_audioEncoded;
        m_audioEncoded += frameSamples;
        const int err = encode(m_aenc, m_ast, out);
        av_frame_free(&out);
        if (err)
            return err;
    }
    return ORV_OK;
}

int OutputSink::writeAudio(const uint8_t* const* planes, int samples)
{
    if (!m_aenc || samples <= 0)
        return ORV_OK;
    // the FIFO only reads from these planes
    void** data = reinterpret_cast<void**>(const_cast<uint8_t**>(planes));
    if (av_audio_fifo_write(m_fifo, data, samples) < samples)
        return ORV_E_INTERNAL;
    m_audioSamples += samples;
    return drainAudioFifo(false);
}

int OutputSink::writeSilence(int64_t samples)
{
    if (!m_aenc || samples <= 0)
        return ORV_OK;
    std::vector<float> zeros(size_t(std::min<int64_t>(samples, 4096)), 0.0f);
    std::vector<const uint8_t*> planes(size_t(m_plan.channels),
                                       reinterpret_cast<const uint8_t*>(zeros.data()));
    while (samples > 0) {
        if (m_abort)
            return ORV_E_STATE;
        const int n = int(std::min<int64_t>(samples, int64_t(zeros.size())));
        const int err = writeAudio(planes.data(), n);
        if (err)
            return err;
        samples -= n;
    }
    return ORV_OK;
}

int OutputSink::finish()
{
    if (!m_headerWritten)
        return ORV_E_WRITE;
    int err = ORV_OK;
    if (m_venc)
        err = encode(m_venc, m_vst, nullptr);
    if (!err && m_aenc) {
        err = drainAudioFifo(true);
        if (!err)
            err = encode(m_aenc, m_ast, nullptr);
    }
    if (err)
        return err;
    // a file with a stream but no packet in it does not play
    if ((m_vst && m_videoPackets == 0) || (m_ast && m_audioPackets == 0)) {
        logf(LogError, "\"%s\": a stream received no packet", m_plan.path.c_str());
        return ORV_E_NOSTREAM;
    }
    int r = av_write_trailer(m_fmt);
    if (r < 0)
        return ORV_E_WRITE;
    m_headerWritten = false;
    if (m_fmt->pb) {
        avio_flush(m_fmt->pb);
        if (m_fmt->pb->error < 0)
            err = ORV_E_WRITE;
        r = avio_closep(&m_fmt->pb);
        if (r < 0)
            err = ORV_E_WRITE;
    }
    m_fileOpen = false;
    return err;
}

void OutputSink::closeFile()
{
    if (m_fmt && m_fileOpen) {
        avio_closep(&m_fmt->pb);
        m_fileOpen = false;
    }
}

} // namespace orv
