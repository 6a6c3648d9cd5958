// The watermark picture is read into memory and decoded from there, so its
// name is never parsed as a pattern or a protocol by libavformat.
#include "core/paths.h"
#include "layers/blend.h"
#include "media/scaling.h"
#include "orvalta.h"

#include <cstdlib>
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

uint32_t byteAt(const std::string& b, size_t i) { return uint8_t(b[i]); }
uint32_t be16(const std::string& b, size_t i) { return byteAt(b, i) << 8 | byteAt(b, i + 1); }
uint32_t le16(const std::string& b, size_t i) { return byteAt(b, i) | byteAt(b, i + 1) << 8; }
uint32_t be32(const std::string& b, size_t i) { return be16(b, i) << 16 | be16(b, i + 2); }
uint32_t le32(const std::string& b, size_t i) { return le16(b, i) | le16(b, i + 2) << 16; }

// The size a picture's header states, for refusing a huge one before the
// decoder allocates it; false when the header is none of the four kinds or
// is cut short (the decoder then judges the file).
bool headerSize(const std::string& b, int64_t* w, int64_t* h)
{
    const size_t n = b.size();
    if (n >= 24 && b.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && b.compare(12, 4, "IHDR") == 0) {
        *w = be32(b, 16);
        *h = be32(b, 20);
        return true;
    }
    if (n >= 10 && (b.compare(0, 6, "GIF87a") == 0 || b.compare(0, 6, "GIF89a") == 0)) {
        // every frame is decoded at the logical screen's size
        *w = le16(b, 6);
        *h = le16(b, 8);
        return true;
    }
    if (n >= 26 && b.compare(0, 2, "BM") == 0) {
        if (le32(b, 14) == 12) { // the old core header: 16-bit sides
            *w = le16(b, 18);
            *h = le16(b, 20);
        } else { // a negative height: rows stored top-down
            *w = std::abs(int64_t(int32_t(le32(b, 18))));
            *h = std::abs(int64_t(int32_t(le32(b, 22))));
        }
        return true;
    }
    if (n >= 4 && byteAt(b, 0) == 0xFF && byteAt(b, 1) == 0xD8) {
        // the markers up to the first start of frame
        size_t i = 2;
        while (i + 9 <= n && byteAt(b, i) == 0xFF) {
            const uint32_t m = byteAt(b, i + 1);
            if (m == 0xFF) {
                ++i;
                continue;
            }
            if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
                *h = be16(b, i + 5);
                *w = be16(b, i + 7);
                return true;
            }
            if (m == 0x01 || (m >= 0xD0 && m <= 0xD8)) {
                i += 2;
                continue;
            }
            const uint32_t length = be16(b, i + 2);
            if (length < 2)
                return false;
            i += 2 + length;
        }
    }
    return false;
}

bool tooLarge(int64_t w, int64_t h, int maxSide) { return maxSide > 0 && (w > maxSide || h > maxSide); }

// The bytes' first picture as RGBA; *w and *h are set only on success.
bool decodePicture(const std::string& bytes, int* w, int* h, std::vector<uint8_t>* rgba)
{
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

} // namespace

bool decodeImageFile(const std::string& path, int* w, int* h, std::vector<uint8_t>* rgba)
{
    return loadImageFile(path, 0, w, h, rgba) == ORV_FILE_OK;
}

int loadImageFile(const std::string& path, int maxSide, int* w, int* h, std::vector<uint8_t>* rgba)
{
    *w = *h = 0;
    // A folder or a FIFO is refused by its status, never opened.
    if (const int status = pickedFileStatus(path))
        return status;
    std::string bytes;
    if (!readSmallFile(path, ORV_MAX_PICKED_FILE_BYTES, &bytes))
        return ORV_FILE_UNREADABLE;
    if (bytes.empty())
        return ORV_FILE_UNUSABLE;
    int64_t stated = 0, statedH = 0;
    if (headerSize(bytes, &stated, &statedH) && stated <= INT32_MAX && statedH <= INT32_MAX) {
        *w = int(stated);
        *h = int(statedH);
        if (tooLarge(stated, statedH, maxSide))
            return ORV_FILE_PICTURE_TOO_LARGE;
    }
    if (!decodePicture(bytes, w, h, rgba))
        return ORV_FILE_UNUSABLE;
    return tooLarge(*w, *h, maxSide) ? ORV_FILE_PICTURE_TOO_LARGE : ORV_FILE_OK;
}

} // namespace orv
