#include "media/input_file.h"

#include "core/log.h"
#include "core/paths.h"
#include "orvalta.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/display.h>
}

namespace orv {

InputFile::~InputFile() { close(); }

int InputFile::interruptCallback(void* self) { return static_cast<InputFile*>(self)->m_abort.load() ? 1 : 0; }

int InputFile::open(const std::string& path)
{
    close();
    ensureEngineInit();
    m_path = path;
    if (!isRegularFile(path)) {
        // a FIFO or a device would block the probe; a folder is no media
        logf(LogDebug, "\"%s\" is not a regular file", path.c_str());
        return ORV_E_INPUT;
    }
    AVFormatContext* fmt = avformat_alloc_context();
    if (!fmt)
        return ORV_E_INTERNAL;
    fmt->interrupt_callback.callback = &InputFile::interruptCallback;
    fmt->interrupt_callback.opaque = this;
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "probesize", "5000000", 0);
    av_dict_set(&opts, "analyzeduration", "5000000", 0);
    const std::string url = fileUrl(path);
    int err = avformat_open_input(&fmt, url.c_str(), nullptr, &opts);
    av_dict_free(&opts);
    if (err < 0) {
        logf(LogDebug, "cannot open \"%s\": %s", path.c_str(), avErrorText(err).c_str());
        // A file the process may not read is told apart from one that is
        // no media.
        return err == AVERROR(EACCES) || err == AVERROR(EPERM) ? ORV_E_ACCESS : ORV_E_INPUT;
    }
    err = avformat_find_stream_info(fmt, nullptr);
    if (err < 0 || fmt->nb_streams == 0) {
        logf(LogDebug, "no streams in \"%s\"", path.c_str());
        avformat_close_input(&fmt);
        return ORV_E_INPUT;
    }
    m_fmt = fmt;
    buildPrograms();
    return ORV_OK;
}

void InputFile::close()
{
    if (m_fmt)
        avformat_close_input(&m_fmt);
    m_programs.clear();
    m_all = Program();
}

namespace {

bool isCoverArt(const AVStream* st) { return (st->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0; }

void addStream(Program& p, const AVStream* st, int index)
{
    switch (st->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
        if (!isCoverArt(st) && st->codecpar->width > 0 && st->codecpar->height > 0)
            p.video.push_back(index);
        break;
    case AVMEDIA_TYPE_AUDIO:
        if (st->codecpar->ch_layout.nb_channels > 0 && st->codecpar->sample_rate > 0)
            p.audio.push_back(index);
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        p.subtitle.push_back(index);
        break;
    default:
        break;
    }
}

} // namespace

void InputFile::buildPrograms()
{
    m_programs.clear();
    m_all = Program();
    for (unsigned i = 0; i < m_fmt->nb_streams; ++i)
        addStream(m_all, m_fmt->streams[i], int(i));

    for (unsigned pi = 0; pi < m_fmt->nb_programs; ++pi) {
        const AVProgram* prog = m_fmt->programs[pi];
        Program p;
        p.avProgram = int(pi);
        if (const AVDictionaryEntry* e = av_dict_get(prog->metadata, "service_name", nullptr, 0))
            p.name = e->value;
        else if (const AVDictionaryEntry* t = av_dict_get(prog->metadata, "title", nullptr, 0))
            p.name = t->value;
        // container order, not the program's own order
        for (unsigned i = 0; i < m_fmt->nb_streams; ++i)
            for (unsigned k = 0; k < prog->nb_stream_indexes; ++k)
                if (prog->stream_index[k] == i)
                    addStream(p, m_fmt->streams[i], int(i));
        m_programs.push_back(std::move(p));
    }
    if (m_programs.empty() && (!m_all.video.empty() || !m_all.audio.empty()))
        m_programs.push_back(m_all);
}

const Program& InputFile::program(int index) const
{
    if (index >= 0 && index < int(m_programs.size()))
        return m_programs[size_t(index)];
    return m_all;
}

int InputFile::bestStream(const Program& p, AVMediaType type) const
{
    const std::vector<int>* list = type == AVMEDIA_TYPE_VIDEO ? &p.video
        : type == AVMEDIA_TYPE_AUDIO                          ? &p.audio
                                                              : &p.subtitle;
    if (list->empty() || !m_fmt)
        return -1;
    const int related = p.avProgram >= 0 ? list->front() : -1;
    const int best = av_find_best_stream(m_fmt, type, -1, related, nullptr, 0);
    for (int s : *list)
        if (s == best)
            return s;
    return list->front();
}

int InputFile::autoRotation(int stream) const
{
    if (!m_fmt || stream < 0 || stream >= int(m_fmt->nb_streams))
        return 0;
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(m_fmt->streams[stream], AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t))
        return 0;
    const double angle = -av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(angle))
        return 0;
    const long q = std::lround(angle / 90.0);
    return int(((q % 4) + 4) % 4) * 90;
}

void InputFile::sourceSize(int stream, int& w, int& h) const
{
    w = h = 0;
    if (!m_fmt || stream < 0 || stream >= int(m_fmt->nb_streams))
        return;
    AVStream* st = m_fmt->streams[stream];
    w = st->codecpar->width;
    h = st->codecpar->height;
    const AVRational sar = av_guess_sample_aspect_ratio(m_fmt, st, nullptr);
    if (sar.num > 0 && sar.den > 0 && sar.num != sar.den)
        w = int(std::lround(double(w) * sar.num / sar.den / 2.0)) * 2;
    w = std::max(2, w & ~1);
    h = std::max(2, h & ~1);
    const int rot = autoRotation(stream);
    if (rot == 90 || rot == 270)
        std::swap(w, h);
}

void InputFile::pictureSize(int stream, int& w, int& h) const
{
    w = h = 0;
    if (!m_fmt || stream < 0 || stream >= int(m_fmt->nb_streams))
        return;
    AVStream* st = m_fmt->streams[stream];
    w = st->codecpar->width;
    h = st->codecpar->height;
    const AVRational sar = av_guess_sample_aspect_ratio(m_fmt, st, nullptr);
    if (sar.num > 0 && sar.den > 0 && sar.num != sar.den)
        w = int(std::lround(double(w) * sar.num / sar.den));
    w = std::max(1, w);
    h = std::max(1, h);
    const int rot = autoRotation(stream);
    if (rot == 90 || rot == 270)
        std::swap(w, h);
}

AVRational InputFile::frameRate(int stream) const
{
    if (!m_fmt || stream < 0 || stream >= int(m_fmt->nb_streams))
        return AVRational{0, 1};
    return av_guess_frame_rate(m_fmt, m_fmt->streams[stream], nullptr);
}

int64_t InputFile::startTimeUs() const
{
    if (!m_fmt || m_fmt->start_time == AV_NOPTS_VALUE)
        return 0;
    return m_fmt->start_time;
}

namespace {

// The length a stream's header declares by counting its frames, 0 when it
// declares none. MP4's counts include samples its edit list leaves out of
// the presentation, so there the stream's duration alone speaks.
int64_t countedUs(const AVFormatContext* fmt, const AVStream* st)
{
    if (st->nb_frames <= 0 || std::strncmp(fmt->iformat->name, "mov,", 4) == 0)
        return 0;
    const AVCodecParameters* par = st->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
        AVRational rate = st->avg_frame_rate;
        if (rate.num <= 0 || rate.den <= 0)
            rate = st->r_frame_rate;
        if (rate.num <= 0 || rate.den <= 0)
            return 0;
        return av_rescale(st->nb_frames, int64_t(rate.den) * 1000000, rate.num);
    }
    if (par->codec_type == AVMEDIA_TYPE_AUDIO && par->frame_size > 0 && par->sample_rate > 0)
        return av_rescale(st->nb_frames, int64_t(par->frame_size) * 1000000, par->sample_rate);
    return 0;
}

} // namespace

uint64_t InputFile::durationUs() const
{
    if (!m_fmt)
        return 0;
    // The longest the file declares: a cut file's container estimate
    // shrinks to what is left, its stream headers still count the whole.
    int64_t best = m_fmt->duration != AV_NOPTS_VALUE ? std::max<int64_t>(m_fmt->duration, 0) : 0;
    for (unsigned i = 0; i < m_fmt->nb_streams; ++i) {
        const AVStream* st = m_fmt->streams[i];
        const AVMediaType type = st->codecpar->codec_type;
        if ((type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO) || isCoverArt(st))
            continue;
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            best = std::max(best, av_rescale_q(st->duration, st->time_base, AVRational{1, 1000000}));
        best = std::max(best, countedUs(m_fmt, st));
    }
    return uint64_t(std::clamp<int64_t>(best, 0, INT64_MAX / 4));
}

} // namespace orv
