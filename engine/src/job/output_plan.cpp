#include "job/output_plan.h"

#include "core/log.h"
#include "media/input_file.h"
#include "orvalta.h"

#include <algorithm>
#include <cmath>

namespace orv {

int resolveContainer(const EncodeSettings& enc, const char* container, const std::string& dst,
                     OutputPlan& plan)
{
    plan.path = dst;
    plan.muxer = resolveMuxer(container, dst);
    if (!plan.muxer) {
        logf(LogError, "unknown container \"%s\" for \"%s\"", container ? container : "", dst.c_str());
        return ORV_E_CONTAINER;
    }
    const int err = resolveCodecs(plan.muxer, enc.videoCodec, enc.audioCodec, plan.video, plan.audio);
    if (err)
        return err;
    if (!plan.hasVideo() && !plan.hasAudio())
        return (enc.videoCodec == -1 && enc.audioCodec == -1) ? ORV_E_NOSTREAM : ORV_E_CONTAINER;
    return ORV_OK;
}

int countForPicture(int count, int64_t pixels)
{
    if (pixels <= kLargePictureArea)
        return count;
    return std::max(2, int(int64_t(count) * kLargePictureArea / pixels));
}

bool fitsSizeLimit(int w, int h)
{
    return w <= kMaxOutputSide && h <= kMaxOutputSide && int64_t(w) * h <= kMaxOutputArea;
}

int resolveParameters(const EncodeSettings& enc, const InputFile& src, int videoStream, int audioStream,
                      OutputPlan& plan, MissingKinds missing)
{
    const bool containerHadStreams = plan.hasVideo() || plan.hasAudio();
    if (missing == MissingKinds::Drop) {
        if (videoStream < 0)
            plan.video = CodecChoice();
        if (audioStream < 0)
            plan.audio = CodecChoice();
    }
    if (!plan.hasVideo() && !plan.hasAudio())
        return containerHadStreams ? ORV_E_NOSTREAM : ORV_E_CONTAINER;

    if (plan.hasVideo()) {
        const AVCodec* enc_ = plan.video.encoder;
        AVRational fps{int(enc.fpsNum), int(enc.fpsDen)};
        if (enc.fpsNum == 0 || enc.fpsDen == 0 || enc.fpsNum > INT32_MAX || enc.fpsDen > INT32_MAX) {
            fps = videoStream >= 0 ? src.frameRate(videoStream) : AVRational{0, 1};
            if (fps.num <= 0 || fps.den <= 0 || av_q2d(fps) > 240)
                fps = AVRational{25, 1};
        }
        plan.fps = snapFrameRate(enc_, fps);
        if (av_cmp_q(plan.fps, fps) != 0 && (enc.fpsNum != 0 && enc.fpsDen != 0))
            logf(LogWarning, "fallback: frame rate %d/%d not allowed by %s, using %d/%d", fps.num, fps.den,
                 enc_->name, plan.fps.num, plan.fps.den);
        int sw = kDefaultWidth, sh = kDefaultHeight;
        if (videoStream >= 0)
            src.sourceSize(videoStream, sw, sh);
        plan.width = enc.width > 0 ? enc.width : sw;
        plan.height = enc.height > 0 ? enc.height : sh;
        if (!fitsSizeLimit(plan.width, plan.height)) {
            if (enc.width > 0 || enc.height > 0) {
                logf(LogError, "output size %dx%d is over the limit of %dx%d", plan.width, plan.height,
                     kMaxOutputSide, int(kMaxOutputArea / kMaxOutputSide));
                return ORV_E_SIZE;
            }
            // a larger source at its own size is scaled down to fit
            const double k = std::min({double(kMaxOutputSide) / std::max(sw, sh),
                                       std::sqrt(double(kMaxOutputArea) / (double(sw) * sh)), 1.0});
            plan.width = std::max(16, int(sw * k) & ~1);
            plan.height = std::max(16, int(sh * k) & ~1);
            logf(LogWarning, "fallback: source size %dx%d is over the limit, using %dx%d", sw, sh, plan.width,
                 plan.height);
        }
        snapVideoSize(enc_, plan.fps, plan.width, plan.height);
        plan.pixFmt = encoderPixelFormat(enc_, plan.fps);
        plan.videoKbps = enc.videoKbps;
    }
    if (plan.hasAudio()) {
        const AVCodec* enc_ = plan.audio.encoder;
        const AVCodecParameters* par = audioStream >= 0 ? src.fmt()->streams[audioStream]->codecpar : nullptr;
        const int wantedRate = enc.sampleRate > 0 ? enc.sampleRate
            : par                                 ? par->sample_rate
                                                  : kDefaultSampleRate;
        plan.sampleRate = nearestSampleRate(enc_, plan.muxer, wantedRate);
        if (enc.sampleRate > 0 && plan.sampleRate != enc.sampleRate)
            logf(LogWarning, "fallback: sample rate %d not allowed by %s, using %d", enc.sampleRate,
                 enc_->name, plan.sampleRate);
        int ch = enc.channels > 0 ? enc.channels : par ? par->ch_layout.nb_channels : kDefaultChannels;
        if (ch <= 0)
            ch = kDefaultChannels;
        plan.channels = std::min(ch, maxChannels(enc_, plan.muxer));
        if (plan.muxer && std::string(plan.muxer->name) == "dv")
            plan.channels = 2;
        plan.sampleFmt = encoderSampleFormat(enc_);
        plan.audioKbps = enc.audioKbps;
    }
    return ORV_OK;
}

} // namespace orv
