#include "text/subtitle_feed.h"

#include "core/log.h"
#include "core/paths.h"
#include "orvalta.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace orv {

namespace {

// Whole-file check, since a legacy code page shows only in a few bytes.
bool isUtf8(const std::string& s)
{
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const unsigned char c = s[i];
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += extra + 1;
    }
    return true;
}

// FFmpeg's text demuxers read a whole file at open, so a larger one is
// refused rather than read.
constexpr size_t kMaxSubtitleBytes = ORV_MAX_PICKED_FILE_BYTES;

// Events kept from one source. Long karaoke scripts reach tens of
// thousands; more only cost load time (libass checks each new event against
// all the others) and memory.
constexpr size_t kMaxEvents = 50000;

// Text files in a legacy code page are read as Windows-1252; UTF-16 with a
// BOM is converted by FFmpeg's text demuxers themselves.
const char* guessCharset(const std::string& path)
{
    std::string bytes;
    if (!readSmallFile(path, kMaxSubtitleBytes, &bytes))
        return nullptr;
    if (bytes.size() >= 2
        && ((uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
            || (uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF)))
        return nullptr;
    return isUtf8(bytes) ? nullptr : "WINDOWS-1252";
}

bool isBitmapCodec(AVCodecID id)
{
    const AVCodecDescriptor* desc = avcodec_descriptor_get(id);
    return desc && (desc->props & AV_CODEC_PROP_BITMAP_SUB);
}

constexpr uint32_t kUnknownEnd = UINT32_MAX;

} // namespace

SubtitleFeed::SubtitleFeed(Kind kind)
    : m_kind(kind)
{}

SubtitleFeed::~SubtitleFeed()
{
    m_abort = true;
    if (m_thread.joinable())
        m_thread.join();
    avcodec_free_context(&m_dec);
}

bool SubtitleFeed::openDecoder(int codecId, const AVCodecParameters* par, const char* charenc)
{
    const AVCodec* codec = avcodec_find_decoder(static_cast<AVCodecID>(codecId));
    if (!codec)
        return false;
    m_dec = avcodec_alloc_context3(codec);
    if (!m_dec)
        return false;
    if (par && avcodec_parameters_to_context(m_dec, par) < 0)
        return false;
    m_dec->pkt_timebase = AVRational{1, AV_TIME_BASE};
    AVDictionary* opts = nullptr;
    if (charenc && !isBitmapCodec(codec->id))
        av_dict_set(&opts, "sub_charenc", charenc, 0);
    if (codec->id == AV_CODEC_ID_EIA_608) {
        // Real-time mode emits each change as it happens; the default mode
        // emits a caption only once it has ended, too late to burn it in.
        av_dict_set(&opts, "real_time", "1", 0);
        av_dict_set(&opts, "real_time_latency_msec", "0", 0);
    }
    const int ret = avcodec_open2(m_dec, codec, &opts);
    av_dict_free(&opts);
    if (ret < 0)
        return false;

    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_dec->subtitle_header && m_dec->subtitle_header_size > 0)
        m_header.assign(reinterpret_cast<const char*>(m_dec->subtitle_header),
                        size_t(m_dec->subtitle_header_size));
    // Scripts and captions place their lines themselves (captions with a
    // position tag on a 384×288 grid), so their canvas is kept.
    m_ownLayout =
        codec->id == AV_CODEC_ID_ASS || codec->id == AV_CODEC_ID_SSA || codec->id == AV_CODEC_ID_EIA_608;
    m_haveHeader = true;
    m_cond.notify_all();
    return true;
}

// pktTimeUs: the packet's time on our time line, used when the decoder
// gives no pts of its own.
void SubtitleFeed::decodePacket(AVPacket* pkt, int64_t pktTimeUs)
{
    AVSubtitle sub;
    int got = 0;
    // The decoder reads pts in AV_TIME_BASE units (pkt_timebase above).
    pkt->pts = pktTimeUs;
    pkt->dts = AV_NOPTS_VALUE;
    // Captions grow with the video's length, not with what a file claims.
    if (m_kind != Kind::Captions) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_text.size() + m_pictures.size() >= kMaxEvents) {
            if (!m_eventsCapped)
                logf(LogWarning, "subtitles: more than %zu events, the rest are left out", kMaxEvents);
            m_eventsCapped = true;
            return;
        }
    }
    if (avcodec_decode_subtitle2(m_dec, &sub, &got, pkt) < 0 || !got)
        return;
    const int64_t baseUs = sub.pts != AV_NOPTS_VALUE ? sub.pts : pktTimeUs;

    if (isBitmapCodec(m_dec->codec_id)) {
        auto pic = std::make_shared<SubtitlePicture>();
        pic->startUs = baseUs + int64_t(sub.start_display_time) * 1000;
        if (sub.end_display_time != kUnknownEnd && sub.end_display_time > sub.start_display_time)
            pic->endUs = baseUs + int64_t(sub.end_display_time) * 1000;
        pic->canvasW = m_dec->width > 0 ? m_dec->width : m_fallbackW;
        pic->canvasH = m_dec->height > 0 ? m_dec->height : m_fallbackH;
        for (unsigned i = 0; i < sub.num_rects; ++i) {
            const AVSubtitleRect* r = sub.rects[i];
            if (r->type != SUBTITLE_BITMAP || r->w <= 0 || r->h <= 0 || !r->data[0] || !r->data[1])
                continue;
            SubtitlePicture::Rect out;
            out.x = r->x;
            out.y = r->y;
            out.w = r->w;
            out.h = r->h;
            out.rgba.resize(size_t(r->w) * r->h * 4);
            const uint32_t* pal = reinterpret_cast<const uint32_t*>(r->data[1]);
            for (int y = 0; y < r->h; ++y) {
                const uint8_t* src = r->data[0] + size_t(y) * r->linesize[0];
                uint8_t* dst = out.rgba.data() + size_t(y) * r->w * 4;
                for (int x = 0; x < r->w; ++x) {
                    const uint32_t argb = pal[src[x]];
                    dst[4 * x + 0] = uint8_t(argb >> 16);
                    dst[4 * x + 1] = uint8_t(argb >> 8);
                    dst[4 * x + 2] = uint8_t(argb);
                    dst[4 * x + 3] = uint8_t(argb >> 24);
                }
            }
            pic->rects.push_back(std::move(out));
        }
        if (pic->canvasW <= 0 || pic->canvasH <= 0) {
            pic->canvasW = 720;
            pic->canvasH = 576;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        auto pos = std::upper_bound(
            m_pictures.begin(), m_pictures.end(), pic->startUs,
            [](int64_t t, const std::shared_ptr<const SubtitlePicture>& p) { return t < p->startUs; });
        m_pictures.insert(pos, std::move(pic));
    } else {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (unsigned i = 0; i < sub.num_rects; ++i) {
            const AVSubtitleRect* r = sub.rects[i];
            if (!r->ass)
                continue;
            SubtitleTextEvent ev;
            ev.startMs = baseUs / 1000 + sub.start_display_time;
            if (sub.end_display_time != kUnknownEnd && sub.end_display_time > sub.start_display_time)
                ev.durationMs = int64_t(sub.end_display_time) - sub.start_display_time;
            ev.chunk = r->ass;
            m_text.push_back(std::move(ev));
        }
    }
    avsubtitle_free(&sub);
}

std::shared_ptr<SubtitleFeed> SubtitleFeed::openFile(const std::string& path)
{
    std::shared_ptr<SubtitleFeed> feed(new SubtitleFeed(Kind::File));
    feed->m_source = path;
    if (!isRegularFile(path))
        return nullptr;
    const int64_t size = fileSize(path);
    if (size < 0)
        return nullptr;
    if (uint64_t(size) > kMaxSubtitleBytes) {
        logf(LogWarning, "subtitles: the file is larger than %zu MB", kMaxSubtitleBytes >> 20);
        return nullptr;
    }
    AVFormatContext* fmt = nullptr;
    const std::string url = fileUrl(path);
    if (avformat_open_input(&fmt, url.c_str(), nullptr, nullptr) < 0)
        return nullptr;
    std::shared_ptr<AVFormatContext> guard(fmt, [](AVFormatContext* f) { avformat_close_input(&f); });
    if (avformat_find_stream_info(fmt, nullptr) < 0)
        return nullptr;
    const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_SUBTITLE, -1, -1, nullptr, 0);
    if (index < 0)
        return nullptr;
    AVStream* st = fmt->streams[index];
    if (!feed->openDecoder(st->codecpar->codec_id, st->codecpar, guessCharset(path)))
        return nullptr;

    AVPacket* pkt = av_packet_alloc();
    while (pkt && av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == index && pkt->pts != AV_NOPTS_VALUE) {
            const int64_t t = av_rescale_q(pkt->pts, st->time_base, AVRational{1, AV_TIME_BASE});
            if (pkt->duration > 0)
                pkt->duration = av_rescale_q(pkt->duration, st->time_base, AVRational{1, AV_TIME_BASE});
            feed->decodePacket(pkt, t);
        }
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    // A file that shows nothing (a script of styles alone) is as unusable
    // as one that does not read, and is said to be.
    if (feed->m_text.empty() && feed->m_pictures.empty()) {
        logf(LogWarning, "subtitles: the file holds no subtitle");
        return nullptr;
    }
    feed->m_done = true;
    return feed;
}

std::shared_ptr<SubtitleFeed> SubtitleFeed::openStream(const std::string& mediaPath, int streamIndex)
{
    std::shared_ptr<SubtitleFeed> feed(new SubtitleFeed(Kind::Stream));
    feed->m_source = mediaPath;
    feed->m_streamIndex = streamIndex;
    feed->m_thread = std::thread(&SubtitleFeed::readAhead, feed.get(), fileUrl(mediaPath));
    return feed;
}

std::shared_ptr<SubtitleFeed> SubtitleFeed::openCaptions()
{
    std::shared_ptr<SubtitleFeed> feed(new SubtitleFeed(Kind::Captions));
    if (!feed->openDecoder(AV_CODEC_ID_EIA_608, nullptr, nullptr))
        return nullptr;
    feed->m_done = true;
    return feed;
}

void SubtitleFeed::feedCaptions(const uint8_t* data, size_t size, int64_t ptsUs)
{
    if (m_kind != Kind::Captions || !m_dec || !data || size == 0)
        return;
    AVPacket* pkt = av_packet_alloc();
    if (!pkt)
        return;
    if (av_new_packet(pkt, int(size)) == 0) {
        std::copy(data, data + size, pkt->data);
        decodePacket(pkt, ptsUs);
    }
    av_packet_free(&pkt);
}

static int interruptCallback(void* opaque) { return static_cast<std::atomic<bool>*>(opaque)->load() ? 1 : 0; }

void SubtitleFeed::readAhead(std::string url)
{
    AVFormatContext* fmt = avformat_alloc_context();
    bool ok = fmt != nullptr;
    if (ok) {
        fmt->interrupt_callback.callback = interruptCallback;
        fmt->interrupt_callback.opaque = &m_abort;
        ok = avformat_open_input(&fmt, url.c_str(), nullptr, nullptr) >= 0;
    }
    ok = ok && avformat_find_stream_info(fmt, nullptr) >= 0;
    ok = ok && m_streamIndex >= 0 && unsigned(m_streamIndex) < fmt->nb_streams
        && fmt->streams[m_streamIndex]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE;
    if (ok) {
        // Bitmap streams without a canvas size of their own are drawn on
        // the video's.
        const int v = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (v >= 0) {
            m_fallbackW = fmt->streams[v]->codecpar->width;
            m_fallbackH = fmt->streams[v]->codecpar->height;
        }
        const AVCodecParameters* par = fmt->streams[m_streamIndex]->codecpar;
        ok = openDecoder(par->codec_id, par, nullptr);
    }
    if (!ok) {
        logf(LogWarning, "subtitles: cannot read stream %d", m_streamIndex);
    } else {
        const int64_t start = fmt->start_time != AV_NOPTS_VALUE ? fmt->start_time : 0;
        AVStream* st = fmt->streams[m_streamIndex];
        AVPacket* pkt = av_packet_alloc();
        // Every stream is read, not only ours, so progress advances through
        // gaps between subtitles and a waiting conversion is released.
        while (pkt && !m_abort && av_read_frame(fmt, pkt) >= 0) {
            const AVRational tb = fmt->streams[pkt->stream_index]->time_base;
            const int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
            const int64_t t =
                ts != AV_NOPTS_VALUE ? av_rescale_q(ts, tb, AVRational{1, AV_TIME_BASE}) - start : INT64_MIN;
            if (pkt->stream_index == m_streamIndex && t != INT64_MIN) {
                if (pkt->duration > 0)
                    pkt->duration = av_rescale_q(pkt->duration, st->time_base, AVRational{1, AV_TIME_BASE});
                decodePacket(pkt, t);
            }
            av_packet_unref(pkt);
            if (t != INT64_MIN) {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (t > m_loadedUs) {
                    m_loadedUs = t;
                    m_cond.notify_all();
                }
            }
        }
        av_packet_free(&pkt);
    }
    avformat_close_input(&fmt);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
    m_cond.notify_all();
}

void SubtitleFeed::waitLoaded(int64_t untilUs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cond.wait(lock, [&] { return m_done || m_waitsCancelled || m_loadedUs >= untilUs; });
}

void SubtitleFeed::cancelWaits()
{
    m_abort = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_waitsCancelled = true;
    m_cond.notify_all();
}

bool SubtitleFeed::header(std::string* header, bool* ownLayout) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_haveHeader)
        return false;
    *header = m_header;
    *ownLayout = m_ownLayout;
    return true;
}

void SubtitleFeed::textEvents(size_t first, std::vector<SubtitleTextEvent>* out) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (size_t i = first; i < m_text.size(); ++i)
        out->push_back(m_text[i]);
}

std::shared_ptr<const SubtitlePicture> SubtitleFeed::pictureAt(int64_t tUs) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = std::upper_bound(
        m_pictures.begin(), m_pictures.end(), tUs,
        [](int64_t t, const std::shared_ptr<const SubtitlePicture>& p) { return t < p->startUs; });
    if (it == m_pictures.begin())
        return nullptr;
    const auto& pic = *(it - 1);
    if (pic->rects.empty() || tUs >= pic->endUs)
        return nullptr;
    return pic;
}

} // namespace orv
