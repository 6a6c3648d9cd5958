// Product codec ids, container names and encoder limits.
//
// The product's video ids come from an older libavcodec numbering and do not
// match today's AVCodecID values (28 is H.264 to us, INDEO3 to FFmpeg 5.1), so
// ids are only ever translated through these tables, never cast.
#pragma once

#include <string>
#include <vector>

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace orv {

struct CodecChoice
{
    const AVCodec* encoder = nullptr; // nullptr: no stream of this kind
    uint32_t codecTag = 0; // forced fourcc, 0 = the muxer's
};

// Encoders by product id. Returns the encoder name or nullptr when the id
// means "container default"; *fallbackFrom is set when a row substitutes.
struct CodecRow
{
    int id;
    const char* name; // product name, for messages
    const char* encoder; // FFmpeg encoder name, nullptr = container default
    uint32_t tag;
    bool substitute; // the encoder stands in for one Debian lacks
};
const CodecRow* findVideoRow(int id);
const CodecRow* findAudioRow(int id);

// Container argument (lower-cased profile text or NULL) and the destination
// path to a muxer; nullptr when neither names one.
const AVOutputFormat* resolveMuxer(const char* container, const std::string& dstPath);

// Full resolution of the codecs for a muxer: applies the rows, the container
// defaults, the fit check and the single-kind rules, logging each fallback.
// Returns 0 or ORV_E_ENCODER.
int resolveCodecs(const AVOutputFormat* muxer, int videoId, int audioId, CodecChoice& video,
                  CodecChoice& audio, std::vector<std::string>* warnings = nullptr);

// ---- Encoder constraints ------------------------------------------------

// Nearest legal frame rate for the encoder (MPEG-1/2 snapping, DV fixed).
AVRational snapFrameRate(const AVCodec* enc, AVRational fps);

// Legal picture size for the encoder (even, H.263 fixed sizes, DV, MPEG limit).
void snapVideoSize(const AVCodec* enc, AVRational fps, int& w, int& h);

// Pixel format the encoder gets.
AVPixelFormat encoderPixelFormat(const AVCodec* enc, AVRational fps);

int nearestSampleRate(const AVCodec* enc, const AVOutputFormat* muxer, int wanted);
int maxChannels(const AVCodec* enc, const AVOutputFormat* muxer);
// Fills layout with a layout of `channels` (or fewer) the encoder takes.
void chooseLayout(const AVCodec* enc, int channels, AVChannelLayout* layout);
AVSampleFormat encoderSampleFormat(const AVCodec* enc);

// Video encoder options for a kbps (0 = default quality).
void applyVideoRate(AVCodecContext* ctx, AVDictionary** opts, int kbps);
void applyAudioRate(AVCodecContext* ctx, int kbps);

} // namespace orv
