#include "job/audio_shaper.h"

#include "core/log.h"
#include "orvalta.h"

#include <algorithm>

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace orv {

AudioShaper::AudioShaper(OutputSink& sink, int volume, int64_t cap)
    : m_sink(sink)
    , m_gain(volume / 100.0f)
    , m_cap(cap)
{}

AudioShaper::~AudioShaper()
{
    swr_free(&m_swr);
    freeBuffer();
    av_channel_layout_uninit(&m_inLayout);
}

int AudioShaper::feed(const AVFrame* f)
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
    if (gapUs > kAudioJitterUs) {
        const int err = pushSilence(av_rescale(gapUs, outRate, 1000000));
        if (err)
            return err;
    } else if (gapUs < -kAudioJitterUs) {
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

int AudioShaper::flush()
{
    if (!m_swr)
        return ORV_OK;
    return convert(nullptr, 0);
}

int AudioShaper::pushSilence(int64_t samples)
{
    samples = std::max<int64_t>(0, samples);
    m_produced += samples;
    const int64_t n = std::min(samples, m_cap - m_written);
    if (n <= 0)
        return ORV_OK;
    m_written += n;
    return m_sink.writeSilence(n);
}

int AudioShaper::ensureSwr(const AVFrame* f)
{
    if (m_swr && f->format == m_inFormat && f->sample_rate == m_inRate
        && av_channel_layout_compare(&f->ch_layout, &m_inLayout) == 0)
        return 0;
    if (m_swr)
        flush();
    swr_free(&m_swr);
    const OutputPlan& plan = m_sink.plan();
    AVChannelLayout outLayout{}; // a copy into it frees what it holds first
    chooseLayout(plan.audio.encoder, plan.channels, &outLayout);
    AVChannelLayout inLayout{};
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

void AudioShaper::freeBuffer()
{
    if (m_buffer) {
        av_freep(&m_buffer[0]);
        av_freep(&m_buffer);
    }
    m_bufferCap = 0;
}

int AudioShaper::convert(const uint8_t** in, int inCount)
{
    const int need = swr_get_out_samples(m_swr, inCount);
    if (need <= 0)
        return ORV_OK;
    if (need > m_bufferCap) {
        freeBuffer();
        if (av_samples_alloc_array_and_samples(&m_buffer, nullptr, m_channels, need, AV_SAMPLE_FMT_FLTP, 0)
            < 0)
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

} // namespace orv
