#include "player/audio_output.h"

#include "core/log.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <SDL.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

namespace orv {

namespace {

constexpr int64_t kToleranceUs = 60000;

// SDL's audio subsystem, started once for the whole process.
bool sdlAudioReady()
{
    static std::mutex mutex;
    static int state = 0; // 0 untried, 1 ready, -1 failed
    std::lock_guard<std::mutex> lock(mutex);
    if (state == 0) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            state = 1;
        } else {
            logf(LogInfo, "no audio output: %s", SDL_GetError());
            state = -1;
        }
    }
    return state == 1;
}

class SdlSink : public AudioSink
{
public:
    explicit SdlSink(SDL_AudioDeviceID device)
        : m_device(device)
    {
        SDL_PauseAudioDevice(m_device, 0);
    }
    ~SdlSink() override { SDL_CloseAudioDevice(m_device); }

    void write(const float* samples, int count, int64_t ptsUs, int64_t clockUs) override
    {
        // Keep the device's queue within the tolerance of the clock: the
        // chunk should start sounding (ptsUs - clockUs) from now.
        const int64_t drift = (ptsUs - clockUs) - queuedUs();
        if (drift > kToleranceUs) {
            std::vector<float> silence(size_t(drift * AudioOutput::kRate / 1000000) * 2, 0.0f);
            SDL_QueueAudio(m_device, silence.data(), Uint32(silence.size() * sizeof(float)));
        } else if (drift < -kToleranceUs) {
            const int skip = int(std::min<int64_t>(count, -drift * AudioOutput::kRate / 1000000));
            samples += size_t(skip) * 2;
            count -= skip;
        }
        if (count > 0)
            SDL_QueueAudio(m_device, samples, Uint32(size_t(count) * 2 * sizeof(float)));
    }

    void clear() override { SDL_ClearQueuedAudio(m_device); }

    int64_t queuedUs() const override
    {
        return int64_t(SDL_GetQueuedAudioSize(m_device)) * 1000000 / (8 * AudioOutput::kRate);
    }

private:
    SDL_AudioDeviceID m_device;
};

} // namespace

std::unique_ptr<AudioSink> openDeviceSink()
{
    const char* forced = std::getenv("ORVALTA_AUDIO");
    if (forced && std::strcmp(forced, "null") == 0)
        return nullptr;
    if (!sdlAudioReady())
        return nullptr;
    SDL_AudioSpec want{}, have{};
    want.freq = AudioOutput::kRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        logf(LogInfo, "no audio device: %s", SDL_GetError());
        return nullptr;
    }
    return std::make_unique<SdlSink>(device);
}

AudioOutput::~AudioOutput() { swr_free(&m_swr); }

void AudioOutput::openDevice()
{
    if (m_deviceTried)
        return;
    m_deviceTried = true;
    m_sink = openDeviceSink();
}

void AudioOutput::clear()
{
    if (m_sink)
        m_sink->clear();
}

void AudioOutput::play(const AVFrame* f, int64_t clockUs)
{
    if (!m_sink || f->nb_samples <= 0)
        return; // the null sink: nothing to convert
    const int channels = f->ch_layout.nb_channels;
    if (!m_swr || f->format != m_inFormat || f->sample_rate != m_inRate || channels != m_inChannels) {
        swr_free(&m_swr);
        AVChannelLayout in{}, out{};
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, channels);
        else
            av_channel_layout_copy(&in, &f->ch_layout);
        av_channel_layout_default(&out, 2);
        const int r = swr_alloc_set_opts2(&m_swr, &out, AV_SAMPLE_FMT_FLT, kRate, &in,
                                          AVSampleFormat(f->format), f->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        if (r < 0 || swr_init(m_swr) < 0) {
            swr_free(&m_swr);
            return;
        }
        m_inFormat = f->format;
        m_inRate = f->sample_rate;
        m_inChannels = channels;
    }
    const int need = swr_get_out_samples(m_swr, f->nb_samples);
    if (need <= 0)
        return;
    m_buffer.resize(size_t(need) * 2);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(m_buffer.data())};
    const int got =
        swr_convert(m_swr, out, need, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    if (got <= 0)
        return;
    const float gain = float(m_volume.load()) / 100.0f;
    if (gain != 1.0f)
        for (size_t i = 0; i < size_t(got) * 2; ++i)
            m_buffer[i] *= gain;
    m_sink->write(m_buffer.data(), got, f->pts == AV_NOPTS_VALUE ? clockUs : f->pts, clockUs);
}

} // namespace orv
