#include "media/decoder.h"

#include "core/log.h"

namespace orv {

AVCodecContext* openDecoder(const AVStream* st, bool threaded, int threads)
{
    const AVCodec* dec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!dec) {
        logf(LogWarning, "no decoder for %s", avcodec_get_name(st->codecpar->codec_id));
        return nullptr;
    }
    AVCodecContext* ctx = avcodec_alloc_context3(dec);
    if (!ctx)
        return nullptr;
    if (avcodec_parameters_to_context(ctx, st->codecpar) < 0) {
        avcodec_free_context(&ctx);
        return nullptr;
    }
    ctx->pkt_timebase = st->time_base;
    if (threaded) {
        ctx->thread_count = threads;
        ctx->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    } else {
        ctx->thread_count = 1;
    }
    const int err = avcodec_open2(ctx, dec, nullptr);
    if (err < 0) {
        logf(LogWarning, "cannot open decoder %s: %s", dec->name, avErrorText(err).c_str());
        avcodec_free_context(&ctx);
        return nullptr;
    }
    return ctx;
}

int64_t frameTimeUs(const AVFrame* frame, const AVStream* st, int64_t fileStartUs)
{
    int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE)
        ts = frame->pts;
    if (ts == AV_NOPTS_VALUE)
        return INT64_MIN;
    return av_rescale_q(ts, st->time_base, AVRational{1, 1000000}) - fileStartUs;
}

} // namespace orv
