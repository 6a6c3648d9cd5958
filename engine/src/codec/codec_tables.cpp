#include "codec/codec_tables.h"

#include "core/log.h"
#include "orvalta.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <strings.h>

extern "C" {
#include <libavutil/opt.h>
}

namespace orv {
namespace {

constexpr uint32_t fourcc(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16
        | uint32_t(uint8_t(d)) << 24;
}

const CodecRow kVideoRows[] = {
    {13, "MPEG-4", "mpeg4", 0, false},
    {28, "H264", "libx264", 0, false},
    {5, "H263", "h263", 0, false},
    {1145656920, "XVID", "libxvid", fourcc('X', 'V', 'I', 'D'), false},
    {17, "MSMPEG4V3", "msmpeg4", 0, false},
    {8, "MJPEG", "mjpeg", 0, false},
    {65537, "PCM_S16BE", nullptr, 0, false}, // an audio id in the video table
    {25, "DVVIDEO", "dvvideo", 0, false},
    {2, "MPEG-2", "mpeg2video", 0, false},
    {1, "MPEG-1", "mpeg1video", 0, false},
    {141, "VP8", "libvpx", 0, false},
    {18, "WMV1", "wmv1", 0, false},
    {19, "WMV2", "wmv2", 0, false},
    {72, "WMV3", "wmv2", 0, true}, // no WMV3 encoder exists
    {71, "VC-1", "wmv2", 0, true}, // nor a VC-1 one
    {22, "FLV", "flv", 0, false},
    {69645, "SWF", nullptr, 0, false}, // an audio id in the video table
};

const CodecRow kAudioRows[] = {
    {86016, "MP2", "mp2", 0, false},
    {86018, "AAC", "aac", 0, false},
    {86017, "MP3", "libmp3lame", 0, false},
    {73728, "AMR_NB", "aac", 0, true}, // no AMR-NB encoder in Debian
    {86019, "AC3", "ac3", 0, false},
    {86023, "WMAV1", "wmav1", 0, false},
    {86024, "WMAV2", "wmav2", 0, false},
    {86022, "DVAUDIO", "pcm_s16le", 0, true}, // DV carries PCM
    {86021, "VORBIS", "libvorbis", 0, false}, // the native encoder is experimental
    {65549, "PCM_s24be", "pcm_s24be", 0, false},
    {86028, "FLAC", "flac", 0, false},
    {65536, "PCM", "pcm_s16le", 0, false},
    {69645, "ADPCM_SWF", "adpcm_swf", 0, false},
};

struct Alias
{
    const char* name;
    const char* muxer;
};
const Alias kAliases[] = {
    {"wmv", "asf"},  {"wma", "asf"}, {"mkv", "matroska"}, {"mka", "matroska"}, {"aac", "adts"},
    {"m4a", "ipod"}, {"m4v", "mp4"}, {"ts", "mpegts"},    {"m2ts", "mpegts"},  {"mts", "mpegts"},
    {"mpg", "mpeg"}, {"ogv", "ogg"}, {"oga", "ogg"},
};

// Muxers that carry sound only, although some name a picture codec for
// cover art.
const char* const kAudioOnlyMuxers[] = {"mp3", "adts", "ac3", "flac", "wav", "amr", "mp2"};

// Preferred encoder per codec where FFmpeg has several.
const AVCodec* preferredEncoder(AVCodecID id)
{
    const char* name = nullptr;
    switch (id) {
    case AV_CODEC_ID_H264:
        name = "libx264";
        break;
    case AV_CODEC_ID_MP3:
        name = "libmp3lame";
        break;
    case AV_CODEC_ID_VORBIS:
        name = "libvorbis";
        break;
    case AV_CODEC_ID_VP9:
        name = "libvpx-vp9";
        break;
    case AV_CODEC_ID_VP8:
        name = "libvpx";
        break;
    case AV_CODEC_ID_OPUS:
        name = "libopus";
        break;
    case AV_CODEC_ID_THEORA:
        name = "libtheora";
        break;
    default:
        break;
    }
    if (name) {
        if (const AVCodec* c = avcodec_find_encoder_by_name(name))
            return c;
    }
    const AVCodec* c = avcodec_find_encoder(id);
    if (c && (c->capabilities & AV_CODEC_CAP_EXPERIMENTAL))
        return nullptr;
    return c;
}

bool isAudioOnlyMuxer(const AVOutputFormat* fmt)
{
    for (const char* n : kAudioOnlyMuxers)
        if (std::strcmp(fmt->name, n) == 0)
            return true;
    return fmt->video_codec == AV_CODEC_ID_NONE;
}

// Codecs known to play in muxers that keep no list of their own.
struct KnownPair
{
    const char* muxer;
    AVCodecID codec;
};
const KnownPair kKnownPairs[] = {
    // clang-format off
    {"mpeg", AV_CODEC_ID_MPEG1VIDEO},  {"mpeg", AV_CODEC_ID_MPEG2VIDEO}, {"mpeg", AV_CODEC_ID_MP2},
    {"mpeg", AV_CODEC_ID_MP3},         {"mpeg", AV_CODEC_ID_AC3},        {"vob", AV_CODEC_ID_MPEG2VIDEO},
    {"vob", AV_CODEC_ID_MPEG1VIDEO},   {"vob", AV_CODEC_ID_MP2},         {"vob", AV_CODEC_ID_AC3},
    {"vob", AV_CODEC_ID_MP3},          {"dvd", AV_CODEC_ID_MPEG2VIDEO},  {"dvd", AV_CODEC_ID_MP2},
    {"dvd", AV_CODEC_ID_AC3},          {"svcd", AV_CODEC_ID_MPEG2VIDEO}, {"svcd", AV_CODEC_ID_MP2},
    {"vcd", AV_CODEC_ID_MPEG1VIDEO},   {"vcd", AV_CODEC_ID_MP2},         {"mpegts", AV_CODEC_ID_MPEG1VIDEO},
    {"mpegts", AV_CODEC_ID_MPEG2VIDEO}, {"mpegts", AV_CODEC_ID_H264},    {"mpegts", AV_CODEC_ID_HEVC},
    {"mpegts", AV_CODEC_ID_MPEG4},     {"mpegts", AV_CODEC_ID_MP2},      {"mpegts", AV_CODEC_ID_MP3},
    {"mpegts", AV_CODEC_ID_AAC},       {"mpegts", AV_CODEC_ID_AC3},      {"dv", AV_CODEC_ID_DVVIDEO},
    {"dv", AV_CODEC_ID_PCM_S16LE},     {"ogg", AV_CODEC_ID_THEORA},      {"ogg", AV_CODEC_ID_VP8},
    {"ogg", AV_CODEC_ID_VORBIS},       {"ogg", AV_CODEC_ID_OPUS},        {"ogg", AV_CODEC_ID_FLAC},
    {"ogg", AV_CODEC_ID_SPEEX},
    // clang-format on
};

bool muxerTakes(const AVOutputFormat* fmt, AVCodecID id)
{
    const int answer = avformat_query_codec(fmt, id, FF_COMPLIANCE_NORMAL);
    if (answer >= 0)
        return answer != 0;
    // The muxer keeps no list: writing an unknown pair may give a file no
    // player reads, so only known pairs are taken.
    for (const KnownPair& k : kKnownPairs)
        if (k.codec == id && std::strcmp(fmt->name, k.muxer) == 0)
            return true;
    return false;
}

bool nameIs(const AVOutputFormat* fmt, const char* n) { return std::strcmp(fmt->name, n) == 0; }

// The container's own codec, with an encoder, or its stand-in.
const AVCodec* containerDefault(const AVOutputFormat* fmt, AVMediaType type)
{
    const AVCodecID id = type == AVMEDIA_TYPE_VIDEO ? fmt->video_codec : fmt->audio_codec;
    if (id == AV_CODEC_ID_NONE)
        return nullptr;
    if (const AVCodec* c = preferredEncoder(id))
        return c;
    if (id == AV_CODEC_ID_AMR_NB)
        return avcodec_find_encoder_by_name("aac");
    return nullptr;
}

int resolveOne(const AVOutputFormat* fmt, AVMediaType type, int id, CodecChoice& out,
               std::vector<std::string>* warnings)
{
    const char* kind = type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
    out = CodecChoice();
    if (id == -1)
        return ORV_OK;
    if (type == AVMEDIA_TYPE_VIDEO ? isAudioOnlyMuxer(fmt) : fmt->audio_codec == AV_CODEC_ID_NONE)
        return ORV_OK;

    auto warn = [&](const std::string& text) {
        logMessage(LogWarning, "fallback: " + text);
        if (warnings)
            warnings->push_back(text);
    };

    const CodecRow* row = type == AVMEDIA_TYPE_VIDEO ? findVideoRow(id) : findAudioRow(id);
    const AVCodec* enc = nullptr;
    if (row && row->encoder) {
        enc = avcodec_find_encoder_by_name(row->encoder);
        if (enc && row->substitute)
            warn(std::string(kind) + " codec " + std::to_string(id) + " (" + row->name
                 + ") unavailable, using " + enc->name);
        else if (!enc)
            warn(std::string(kind) + " codec " + std::to_string(id) + " (" + row->name
                 + ") unavailable, using the container default");
        if (enc)
            out.codecTag = row->tag;
    }
    if (enc && !muxerTakes(fmt, enc->id)) {
        warn(std::string(kind) + " codec " + enc->name + " does not fit " + fmt->name
             + ", using the container default");
        enc = nullptr;
        out.codecTag = 0;
    }
    if (!enc) {
        enc = containerDefault(fmt, type);
        if (enc && fmt->audio_codec == AV_CODEC_ID_AMR_NB && type == AVMEDIA_TYPE_AUDIO)
            warn(std::string("audio codec amr_nb unavailable, using ") + enc->name);
    }
    if (!enc) {
        logf(LogError, "no %s encoder for %s", kind, fmt->name);
        return ORV_E_ENCODER;
    }
    out.encoder = enc;
    return ORV_OK;
}

int nearestOf(const int* list, int wanted)
{
    int best = list[0];
    for (const int* p = list; *p; ++p)
        if (std::llabs(int64_t(*p) - wanted) < std::llabs(int64_t(best) - wanted))
            best = *p;
    return best;
}

const AVRational kMpegRates[] = {{24000, 1001}, {24, 1}, {25, 1},       {30000, 1001},
                                 {30, 1},       {50, 1}, {60000, 1001}, {60, 1}};

bool isMpeg12(const AVCodec* enc)
{
    return enc->id == AV_CODEC_ID_MPEG1VIDEO || enc->id == AV_CODEC_ID_MPEG2VIDEO;
}

bool dvIsPal(AVRational fps)
{
    const double f = av_q2d(fps);
    return std::fabs(f - 25) < 0.5 || std::fabs(f - 50) < 0.5;
}

} // namespace

const CodecRow* findVideoRow(int id)
{
    for (const CodecRow& r : kVideoRows)
        if (r.id == id)
            return &r;
    return nullptr;
}

const CodecRow* findAudioRow(int id)
{
    for (const CodecRow& r : kAudioRows)
        if (r.id == id)
            return &r;
    return nullptr;
}

const AVOutputFormat* resolveMuxer(const char* container, const std::string& dstPath)
{
    if (container && *container) {
        std::string name(container);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char ch) { return std::tolower(ch); });
        for (const Alias& a : kAliases)
            if (name == a.name)
                return av_guess_format(a.muxer, nullptr, nullptr);
        if (const AVOutputFormat* f = av_guess_format(name.c_str(), nullptr, nullptr))
            return f;
    }
    // The extension: our aliases first, then FFmpeg's own guess.
    const size_t dot = dstPath.find_last_of('.');
    const size_t slash = dstPath.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::string ext = dstPath.substr(dot + 1);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char ch) { return std::tolower(ch); });
        for (const Alias& a : kAliases)
            if (ext == a.name)
                return av_guess_format(a.muxer, nullptr, nullptr);
        if (const AVOutputFormat* f = av_guess_format(nullptr, ("x." + ext).c_str(), nullptr))
            return f;
    }
    return nullptr;
}

int resolveCodecs(const AVOutputFormat* muxer, int videoId, int audioId, CodecChoice& video,
                  CodecChoice& audio, std::vector<std::string>* warnings)
{
    int err = resolveOne(muxer, AVMEDIA_TYPE_VIDEO, videoId, video, warnings);
    if (err)
        return err;
    return resolveOne(muxer, AVMEDIA_TYPE_AUDIO, audioId, audio, warnings);
}

AVRational snapFrameRate(const AVCodec* enc, AVRational fps)
{
    if (fps.num <= 0 || fps.den <= 0)
        fps = AVRational{25, 1};
    double f = av_q2d(fps);
    if (f < 1)
        fps = AVRational{1, 1};
    else if (f > 240)
        fps = AVRational{240, 1};
    if (!enc)
        return fps;
    if (enc->id == AV_CODEC_ID_DVVIDEO)
        return dvIsPal(fps) ? AVRational{25, 1} : AVRational{30000, 1001};
    if (isMpeg12(enc)) {
        f = av_q2d(fps);
        AVRational best = kMpegRates[0];
        for (const AVRational& r : kMpegRates)
            if (std::fabs(av_q2d(r) - f) < std::fabs(av_q2d(best) - f))
                best = r;
        return best;
    }
    // Keep time bases small enough for the MPEG-4 family (16-bit fields).
    AVRational q;
    av_reduce(&q.num, &q.den, fps.num, fps.den, 65535);
    return q;
}

void snapVideoSize(const AVCodec* enc, AVRational fps, int& w, int& h)
{
    w = std::min(std::max(w, 16), 8192) & ~1;
    h = std::min(std::max(h, 16), 8192) & ~1;
    if (!enc)
        return;
    if (enc->id == AV_CODEC_ID_H263) {
        static const int sizes[][2] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
        int best = 0;
        double bestD = 1e30;
        for (int i = 0; i < 5; ++i) {
            const double d = std::fabs(double(sizes[i][0]) * sizes[i][1] - double(w) * h);
            if (d < bestD) {
                bestD = d;
                best = i;
            }
        }
        if (w != sizes[best][0] || h != sizes[best][1])
            logf(LogWarning, "fallback: H.263 takes only fixed sizes, using %dx%d", sizes[best][0],
                 sizes[best][1]);
        w = sizes[best][0];
        h = sizes[best][1];
    } else if (enc->id == AV_CODEC_ID_DVVIDEO) {
        w = 720;
        h = dvIsPal(fps) ? 576 : 480;
    } else if (isMpeg12(enc)) {
        w = std::min(w, 4094);
        h = std::min(h, 4094);
    } else if (enc->id == AV_CODEC_ID_MSMPEG4V3 || enc->id == AV_CODEC_ID_WMV1 || enc->id == AV_CODEC_ID_WMV2
               || enc->id == AV_CODEC_ID_FLV1 || enc->id == AV_CODEC_ID_MPEG4
               || enc->id == AV_CODEC_ID_MJPEG) {
        // 16-bit or 12-bit size fields in these bitstreams
        w = std::min(w, 4094);
        h = std::min(h, 4094);
    }
}

AVPixelFormat encoderPixelFormat(const AVCodec* enc, AVRational fps)
{
    if (!enc)
        return AV_PIX_FMT_YUV420P;
    if (enc->id == AV_CODEC_ID_MJPEG)
        return AV_PIX_FMT_YUVJ420P;
    if (enc->id == AV_CODEC_ID_DVVIDEO)
        return dvIsPal(fps) ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P;
    if (!enc->pix_fmts)
        return AV_PIX_FMT_YUV420P;
    for (const AVPixelFormat* p = enc->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
        if (*p == AV_PIX_FMT_YUV420P)
            return *p;
    return enc->pix_fmts[0];
}

int nearestSampleRate(const AVCodec* enc, const AVOutputFormat* muxer, int wanted)
{
    if (wanted <= 0)
        wanted = 44100;
    int rate = wanted;
    if (enc && enc->supported_samplerates) {
        // The lowest rate at or above the wanted one keeps every frequency;
        // below all of them, the highest.
        rate = 0;
        int highest = 0;
        for (const int* p = enc->supported_samplerates; *p; ++p) {
            highest = std::max(highest, *p);
            if (*p >= wanted && (rate == 0 || *p < rate))
                rate = *p;
        }
        if (rate == 0)
            rate = highest;
    } else if (enc) {
        static const int swf[] = {11025, 22050, 44100, 0};
        if (enc->id == AV_CODEC_ID_ADPCM_SWF)
            rate = nearestOf(swf, wanted);
        else if (enc->id == AV_CODEC_ID_WMAV1 || enc->id == AV_CODEC_ID_WMAV2)
            rate = std::min(std::max(wanted, 8000), 48000);
        else
            rate = std::min(std::max(wanted, 8000), 192000);
    }
    if (muxer) {
        static const int dv[] = {32000, 44100, 48000, 0};
        static const int flv[] = {11025, 22050, 44100, 0};
        if (nameIs(muxer, "dv"))
            rate = nearestOf(dv, rate);
        else if ((nameIs(muxer, "flv") || nameIs(muxer, "swf")) && enc && enc->id != AV_CODEC_ID_AAC)
            rate = nearestOf(flv, rate);
    }
    return rate;
}

int maxChannels(const AVCodec* enc, const AVOutputFormat* muxer)
{
    int maxCh = 8;
    if (enc) {
        switch (enc->id) {
        case AV_CODEC_ID_MP3:
        case AV_CODEC_ID_MP2:
        case AV_CODEC_ID_WMAV1:
        case AV_CODEC_ID_WMAV2:
        case AV_CODEC_ID_ADPCM_SWF:
            maxCh = 2;
            break;
        case AV_CODEC_ID_AC3:
            maxCh = 6;
            break;
        default:
            break;
        }
        if (enc->ch_layouts) {
            int m = 0;
            for (const AVChannelLayout* l = enc->ch_layouts; l->nb_channels; ++l)
                m = std::max(m, l->nb_channels);
            maxCh = std::min(maxCh, m);
        }
    }
    if (muxer && nameIs(muxer, "dv"))
        maxCh = 2;
    return maxCh;
}

void chooseLayout(const AVCodec* enc, int channels, AVChannelLayout* layout)
{
    channels = std::max(1, channels);
    if (enc && enc->ch_layouts) {
        for (int n = channels; n >= 1; --n)
            for (const AVChannelLayout* l = enc->ch_layouts; l->nb_channels; ++l)
                if (l->nb_channels == n) {
                    av_channel_layout_copy(layout, l);
                    return;
                }
        av_channel_layout_copy(layout, &enc->ch_layouts[0]);
        return;
    }
    av_channel_layout_default(layout, channels);
}

AVSampleFormat encoderSampleFormat(const AVCodec* enc)
{
    if (!enc || !enc->sample_fmts)
        return AV_SAMPLE_FMT_FLTP;
    for (const AVSampleFormat* p = enc->sample_fmts; *p != AV_SAMPLE_FMT_NONE; ++p)
        if (*p == AV_SAMPLE_FMT_FLTP)
            return *p;
    return enc->sample_fmts[0];
}

void applyVideoRate(AVCodecContext* ctx, AVDictionary** opts, int kbps)
{
    const AVCodec* enc = ctx->codec;
    const AVCodecID id = enc->id;
    const std::string name = enc->name;
    if (id == AV_CODEC_ID_DVVIDEO)
        return;
    if (name == "libx264") {
        av_dict_set(opts, "preset", "medium", 0);
        if (kbps > 0)
            ctx->bit_rate = int64_t(kbps) * 1000;
        else
            av_dict_set(opts, "crf", "23", 0);
        return;
    }
    if (name == "libvpx") {
        const double fps = av_q2d(ctx->framerate);
        const int64_t cap = int64_t(double(ctx->width) * ctx->height * fps * 0.07);
        if (kbps > 0) {
            ctx->bit_rate = int64_t(kbps) * 1000;
        } else {
            av_dict_set(opts, "crf", "10", 0);
            ctx->bit_rate = std::max<int64_t>(cap, 100000);
        }
        return;
    }
    if (name == "libvpx-vp9") {
        if (kbps > 0)
            ctx->bit_rate = int64_t(kbps) * 1000;
        else {
            av_dict_set(opts, "crf", "32", 0);
            ctx->bit_rate = 0;
        }
        return;
    }
    if (kbps > 0) {
        // Average rate only, as the command-line tool does: MPEG-1/2 refuse a
        // buffer size without a maximum rate, and pick their own VBV otherwise.
        ctx->bit_rate = int64_t(kbps) * 1000;
        return;
    }
    // Fixed quantiser: the usual 200 kbit/s default is far too low.
    ctx->flags |= AV_CODEC_FLAG_QSCALE;
    ctx->global_quality = FF_QP2LAMBDA * (name == "libtheora" ? 7 : 3);
}

namespace {

// The bit rates an MPEG audio layer II stream can signal (kbit/s): MPEG-1
// at 32, 44.1 and 48 kHz, MPEG-2 at half those rates. The encoder refuses
// any other value.
const int kMp2Rates[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
const int kMp2HalfRates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

// libvorbis takes a bit rate only within its modes' range for the sample
// rate and channels; measured at each rate, for one and two channels.
struct VorbisBand
{
    int rate;
    int monoMin, monoMax, stereoMin, stereoMax;
};
const VorbisBand kVorbisBands[] = {
    {8000, 8, 40, 16, 80},    {11025, 16, 48, 16, 96},   {16000, 16, 96, 24, 192},
    {22050, 16, 80, 32, 160}, {32000, 32, 160, 40, 320}, {44100, 32, 224, 48, 500},
};

void vorbisRange(int rate, int channels, int* lo, int* hi)
{
    // Between two measured rates, the narrower of both ranges.
    const VorbisBand* below = &kVorbisBands[0];
    const VorbisBand* above = &kVorbisBands[std::size(kVorbisBands) - 1];
    for (const VorbisBand& b : kVorbisBands) {
        if (b.rate <= rate)
            below = &b;
        if (b.rate >= rate && above->rate > b.rate)
            above = &b;
    }
    if (above->rate < rate)
        above = below;
    const bool mono = channels <= 1;
    *lo = std::max(mono ? below->monoMin : below->stereoMin, mono ? above->monoMin : above->stereoMin);
    *hi = std::min(mono ? below->monoMax : below->stereoMax, mono ? above->monoMax : above->stereoMax);
    if (channels > 2) {
        *lo = *lo * ((channels + 1) / 2);
        *hi = *hi * (channels / 2);
    }
}

} // namespace

void applyAudioRate(AVCodecContext* ctx, int kbps)
{
    const AVCodecID id = ctx->codec->id;
    const int ch = ctx->ch_layout.nb_channels;
    const int rate = ctx->sample_rate;
    const bool lossless = id == AV_CODEC_ID_FLAC || id == AV_CODEC_ID_ADPCM_SWF
        || (id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT);
    if (lossless)
        return;
    int minKbps = 8;
    int maxKbps = 640;
    int defKbps = 128;
    switch (id) {
    case AV_CODEC_ID_AAC:
        defKbps = 64 * ch;
        maxKbps = 256 * ch;
        break;
    case AV_CODEC_ID_MP3:
        defKbps = 128;
        maxKbps = 320;
        break;
    case AV_CODEC_ID_MP2:
        defKbps = 192;
        maxKbps = 384;
        break;
    case AV_CODEC_ID_AC3:
        defKbps = ch > 2 ? 448 : 192;
        maxKbps = 640;
        break;
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2:
        defKbps = 128;
        minKbps = 24;
        maxKbps = 320;
        break;
    case AV_CODEC_ID_OPUS:
        defKbps = 96 * ((ch + 1) / 2);
        maxKbps = 256 * ch;
        break;
    case AV_CODEC_ID_VORBIS:
        if (kbps <= 0) {
            ctx->flags |= AV_CODEC_FLAG_QSCALE;
            ctx->global_quality = FF_QP2LAMBDA * 4;
            return;
        }
        vorbisRange(rate, ch, &minKbps, &maxKbps);
        break;
    default:
        break;
    }
    int k = std::clamp(kbps > 0 ? kbps : defKbps, minKbps, maxKbps);
    if (id == AV_CODEC_ID_MP2) {
        const bool half = rate == 16000 || rate == 22050 || rate == 24000;
        k = nearestOf(half ? kMp2HalfRates : kMp2Rates, k);
    }
    if (kbps > 0 && k != kbps)
        logf(LogWarning, "fallback: %s takes no %d kbit/s at %d Hz, using %d", ctx->codec->name, kbps, rate,
             k);
    ctx->bit_rate = int64_t(k) * 1000;
}

} // namespace orv
