#include "info/info_reader.h"

#include "core/log.h"
#include "core/paths.h"
#include "media/decode_loop.h"
#include "media/decoder.h"
#include "media/scaling.h"
#include "orvalta.h"

#include <cmath>
#include <cstring>
#include <memory>

extern "C" {
#include <libswscale/swscale.h>
}

namespace orv {
int InfoReader::open(const std::string& path)
{
    close();
    const int err = m_input.open(path);
    if (err) {
        m_input.close();
        return err;
    }
    // "mov,mp4,m4a,3gp,3g2,mj2": the first name is the demuxer's short name
    m_formatName = m_input.fmt()->iformat->name;
    m_formatName = m_formatName.substr(0, m_formatName.find(','));
    setProgram(-1);
    return ORV_OK;
}

void InfoReader::close()
{
    m_input.close();
    m_image.reset();
    m_program = -1;
    m_video = m_audio = m_subtitle = -1;
    m_captions = -1;
}

bool InfoReader::setProgram(int index)
{
    if (!isOpen() || index < -1 || index >= programCount())
        return false;
    m_program = index;
    const Program& p = program();
    m_video = m_input.bestStream(p, AVMEDIA_TYPE_VIDEO);
    m_audio = m_input.bestStream(p, AVMEDIA_TYPE_AUDIO);
    m_subtitle = -1;
    return true;
}

bool InfoReader::setAudio(int index)
{
    const Program& p = program();
    if (!isOpen() || index < 0 || index >= int(p.audio.size()))
        return false;
    m_audio = p.audio[size_t(index)];
    return true;
}

bool InfoReader::setSubtitle(int index)
{
    if (!isOpen())
        return false;
    const Program& p = program();
    if (index == -1) {
        m_subtitle = -1;
        return true;
    }
    if (index < 0 || index >= int(p.subtitle.size()))
        return false;
    m_subtitle = p.subtitle[size_t(index)];
    return true;
}

const AVStream* InfoReader::stream(int index) const
{
    AVFormatContext* fmt = m_input.fmt();
    if (!fmt || index < 0 || index >= int(fmt->nb_streams))
        return nullptr;
    return fmt->streams[index];
}

const char* InfoReader::streamTag(int index, const char* key) const
{
    const AVStream* st = stream(index);
    if (!st)
        return nullptr;
    const AVDictionaryEntry* e = av_dict_get(st->metadata, key, nullptr, 0);
    return e ? e->value : nullptr;
}

const char* InfoReader::formatName() const
{
    AVFormatContext* fmt = m_input.fmt();
    if (!fmt || !fmt->iformat)
        return nullptr;
    return m_formatName.c_str();
}

const char* InfoReader::programName() const
{
    if (!isOpen() || m_program < 0)
        return nullptr;
    const Program& p = program();
    return p.name.empty() ? nullptr : p.name.c_str();
}

uint32_t InfoReader::videoWidth() const
{
    int w, h;
    m_input.pictureSize(m_video, w, h);
    return uint32_t(w);
}

uint32_t InfoReader::videoHeight() const
{
    int w, h;
    m_input.pictureSize(m_video, w, h);
    return uint32_t(h);
}

uint32_t InfoReader::audioBitRate() const
{
    const AVStream* st = stream(m_audio);
    if (!st)
        return 0;
    int64_t br = st->codecpar->bit_rate;
    if (br <= 0) {
        // PCM and friends: rate x channels x bits
        const int bits = av_get_bits_per_sample(st->codecpar->codec_id);
        br = int64_t(bits) * st->codecpar->sample_rate * st->codecpar->ch_layout.nb_channels;
    }
    return uint32_t(std::min<int64_t>(std::max<int64_t>(br, 0), UINT32_MAX));
}

uint32_t InfoReader::videoBitRate() const
{
    const AVStream* st = stream(m_video);
    if (!st)
        return 0;
    int64_t br = st->codecpar->bit_rate;
    if (br <= 0) {
        int64_t audio = 0;
        AVFormatContext* fmt = m_input.fmt();
        for (unsigned i = 0; i < fmt->nb_streams; ++i)
            if (fmt->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
                audio += std::max<int64_t>(fmt->streams[i]->codecpar->bit_rate, 0);
        int64_t total = fmt->bit_rate;
        if (total <= 0) {
            const int64_t size = fileSize(m_input.path());
            const uint64_t d = duration();
            if (size > 0 && d > 0)
                total = int64_t(double(size) * 8.0 * 1e6 / double(d));
        }
        br = total - audio;
    }
    return uint32_t(std::min<int64_t>(std::max<int64_t>(br, 0), UINT32_MAX));
}

uint32_t InfoReader::videoFrameRate() const
{
    if (!stream(m_video))
        return 0;
    const AVRational r = m_input.frameRate(m_video);
    if (r.num <= 0 || r.den <= 0)
        return 0;
    const double fps = av_q2d(r);
    const double scaled = std::round(fps * 100000.0);
    if (scaled > 100000.0 && scaled <= double(UINT32_MAX))
        return uint32_t(scaled);
    return uint32_t(std::lround(fps));
}

uint32_t InfoReader::audioSampleRate() const
{
    const AVStream* st = stream(m_audio);
    return st ? uint32_t(std::max(st->codecpar->sample_rate, 0)) : 0;
}

uint32_t InfoReader::audioChannels() const
{
    const AVStream* st = stream(m_audio);
    return st ? uint32_t(std::max(st->codecpar->ch_layout.nb_channels, 0)) : 0;
}

bool InfoReader::canSeek() const
{
    AVFormatContext* fmt = m_input.fmt();
    if (!fmt || duration() == 0)
        return false;
    return fmt->pb && (fmt->pb->seekable & AVIO_SEEKABLE_NORMAL);
}

bool InfoReader::decodeFrameAt(uint64_t timeUs, bool accurate, AVFrame* out)
{
    const AVStream* st = stream(m_video);
    DecodeLoop loop(m_input.fmt());
    if (!loop.addStream(m_video))
        return false;
    const int64_t start = m_input.startTimeUs();
    const int64_t target = int64_t(std::min<uint64_t>(timeUs, uint64_t(INT64_MAX / 2)));
    if (!loop.seek(start + target))
        loop.seek(start);
    bool have = false;
    bool reached = false;
    // keeps the latest frame, so a time past the end gives the last one
    loop.run([&](int, AVFrame* frame) {
        const int64_t t = frameTimeUs(frame, st, start);
        av_frame_unref(out);
        av_frame_move_ref(out, frame);
        have = true;
        reached = !accurate || t == INT64_MIN || t >= target;
        return !reached;
    });
    return have;
}

unsigned char* InfoReader::videoImage(uint64_t timeUs, bool accurate, int w, int h)
{
    if (!isOpen() || !stream(m_video))
        return nullptr;
    int sw, sh;
    m_input.pictureSize(m_video, sw, sh);
    if (w <= 0 || h <= 0) {
        w = sw;
        h = sh;
    }
    if (w > 16384 || h > 16384)
        return nullptr;

    FramePtr frame(av_frame_alloc());
    if (!decodeFrameAt(timeUs, accurate, frame.get()))
        return nullptr;

    const int rot = m_input.autoRotation(m_video);
    const bool swap = rot == 90 || rot == 270;
    const int pw = swap ? h : w; // size before the rotation
    const int ph = swap ? w : h;
    FramePtr scaled = scaleFrame(frame.get(), pw, ph, AV_PIX_FMT_BGRA, SWS_BICUBIC);
    if (!scaled || !m_image.allocate(w, h)) {
        m_image.reset();
        return nullptr;
    }
    uint32_t* out = reinterpret_cast<uint32_t*>(m_image.pixels());
    if (rot == 0) {
        copyRows(scaled.get(), 4 * w, m_image.pixels(), 4 * w);
    } else {
        const uint8_t* in = scaled->data[0];
        const ptrdiff_t line = scaled->linesize[0];
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int sx, sy; // source pixel for output (x, y), clockwise rotation
                if (rot == 90) {
                    sx = y;
                    sy = ph - 1 - x;
                } else if (rot == 180) {
                    sx = pw - 1 - x;
                    sy = ph - 1 - y;
                } else {
                    sx = pw - 1 - y;
                    sy = x;
                }
                std::memcpy(out + size_t(y) * w + x, in + sy * line + sx * 4, 4);
            }
    }
    // X byte: always 255, whatever the scaler wrote
    for (size_t i = 0, n = size_t(w) * h; i < n; ++i)
        m_image.pixels()[i * 4 + 3] = 255;
    return m_image.block();
}

bool InfoReader::scanCaptions()
{
    const AVStream* st = stream(m_video);
    if (!st)
        return false;
    DecodeLoop loop(m_input.fmt());
    if (!loop.addStream(m_video, false))
        return false;
    const int64_t start = m_input.startTimeUs();
    loop.seek(start);
    int frames = 0;
    bool found = false;
    loop.run([&](int, AVFrame* frame) {
        found = av_frame_get_side_data(frame, AV_FRAME_DATA_A53_CC) != nullptr;
        const int64_t t = frameTimeUs(frame, st, start);
        return !found && ++frames < 120 && (t == INT64_MIN || t <= 5000000);
    });
    return found;
}

bool InfoReader::enableClosedCaption(bool on)
{
    if (!isOpen())
        return false;
    if (!on)
        return true;
    if (m_captions < 0)
        m_captions = scanCaptions() ? 1 : 0;
    return m_captions == 1;
}

} // namespace orv
