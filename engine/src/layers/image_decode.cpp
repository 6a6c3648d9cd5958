// The watermark picture is read into memory and decoded from there, so its
// name is never parsed as a pattern or a protocol by libavformat.
#include "core/paths.h"
#include "layers/blend.h"
#include "media/scaling.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace orv {

namespace {

struct MemoryReader
{
    const uint8_t* data;
    int64_t size;
    int64_t pos;
};

int readMemory(void* opaque, uint8_t* buf, int bufSize)
{
    auto* r = static_cast<MemoryReader*>(opaque);
    const int64_t n = std::min<int64_t>(bufSize, r->size - r->pos);
    if (n <= 0)
        return AVERROR_EOF;
    memcpy(buf, r->data + r->pos, size_t(n));
    r->pos += n;
    return int(n);
}

int64_t seekMemory(void* opaque, int64_t offset, int whence)
{
    auto* r = static_cast<MemoryReader*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return r->size;
    int64_t target = offset;
    if (whence == SEEK_CUR)
        target += r->pos;
    else if (whence == SEEK_END)
        target += r->size;
    else if (whence != SEEK_SET)
        return AVERROR(EINVAL);
    if (target < 0 || target > r->size)
        return AVERROR(EINVAL);
    r->pos = target;
    return target;
}

// JPEG decodes to the deprecated full-range formats; name them as the
// plain ones and tell swscale the range instead.
AVPixelFormat plainFormat(AVPixelFormat f, bool* fullRange)
{
    *fullRange = true;
    switch (f) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        return AV_PIX_FMT_YUV411P;
    default:
        *fullRange = false;
        return f;
    }
}

bool frameToRgba(const AVFrame* frame, std::vector<uint8_t>* rgba)
{
    bool fullRange = false;
    const AVPixelFormat src = plainFormat(AVPixelFormat(frame->format), &fullRange);
    SwsContext* sws = sws_getContext(frame->width, frame->height, src, frame->width, frame->height,
                                     AV_PIX_FMT_RGBA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!sws)
        return false;
    if (fullRange || frame->color_range == AVCOL_RANGE_JPEG) {
        const int* coefs = sws_getCoefficients(SWS_CS_DEFAULT);
        sws_setColorspaceDetails(sws, coefs, 1, coefs, 1, 0, 1 << 16, 1 << 16);
    }
    FramePtr out = paddedFrame(frame->width, frame->height, AV_PIX_FMT_RGBA);
    const int rows =
        out ? sws_scale(sws, frame->data, frame->linesize, 0, frame->height, out->data, out->linesize) : -1;
    sws_freeContext(sws);
    if (rows != frame->height)
        return false;
    rgba->resize(size_t(frame->width) * frame->height * 4);
    copyRows(out.get(), frame->width * 4, rgba->data(), frame->width * 4);
    return true;
}

} // namespace

bool decodeImageFile(const std::string& path, int* w, int* h, std::vector<uint8_t>* rgba)
{
    // a logo larger than this is no logo; a folder or a FIFO is refused here
    constexpr size_t kMaxImageBytes = 64u << 20;
    std::string bytes;
    if (!readSmallFile(path, kMaxImageBytes, &bytes) || bytes.empty())
        return false;

    MemoryReader reader{reinterpret_cast<const uint8_t*>(bytes.data()), int64_t(bytes.size()), 0};
    const int kBuf = 1 << 15;
    uint8_t* buf = static_cast<uint8_t*>(av_malloc(kBuf));
    AVIOContext* io =
        buf ? avio_alloc_context(buf, kBuf, 0, &reader, readMemory, nullptr, seekMemory) : nullptr;
    if (!io) {
        av_free(buf);
        return false;
    }
    std::unique_ptr<AVIOContext, void (*)(AVIOContext*)> ioGuard(io, [](AVIOContext* c) {
        av_freep(&c->buffer);
        avio_context_free(&c);
    });

    AVFormatContext* fmt = avformat_alloc_context();
    if (!fmt)
        return false;
    fmt->pb = io;
    fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (avformat_open_input(&fmt, nullptr, nullptr, nullptr) < 0)
        return false; // fmt is freed on failure
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> fmtGuard(
        fmt, [](AVFormatContext* f) { avformat_close_input(&f); });
    if (avformat_find_stream_info(fmt, nullptr) < 0)
        return false;

    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (index < 0 || !codec)
        return false;
    switch (codec->id) {
    case AV_CODEC_ID_PNG:
    case AV_CODEC_ID_MJPEG:
    case AV_CODEC_ID_BMP:
    case AV_CODEC_ID_GIF:
        break;
    default:
        return false; // a video file is not a watermark picture
    }

    AVCodecContext* dec = avcodec_alloc_context3(codec);
    std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> decGuard(
        dec, [](AVCodecContext* c) { avcodec_free_context(&c); });
    if (!dec || avcodec_parameters_to_context(dec, fmt->streams[index]->codecpar) < 0
        || avcodec_open2(dec, codec, nullptr) < 0)
        return false;

    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool got = false;
    bool flushed = false;
    while (pkt && frame && !got && !flushed) {
        if (av_read_frame(fmt, pkt) >= 0) {
            if (pkt->stream_index == index)
                avcodec_send_packet(dec, pkt);
            av_packet_unref(pkt);
        } else {
            avcodec_send_packet(dec, nullptr);
            flushed = true;
        }
        got = avcodec_receive_frame(dec, frame) == 0;
    }
    bool ok = got && frame->width > 0 && frame->height > 0 && frameToRgba(frame, rgba);
    if (ok) {
        *w = frame->width;
        *h = frame->height;
    }
    av_frame_free(&frame);
    av_packet_free(&pkt);
    return ok;
}

} // namespace orv
