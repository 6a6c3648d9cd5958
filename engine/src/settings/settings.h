// The two halves of a configuration: how the output is encoded, and what is
// done to the picture, the sound and the streams. Plain data; a Config is
// both, and every job and merge item takes its own copy.
#pragma once

#include "layers/layer_settings.h"

#include <cstdint>

namespace orv {

struct EncodeSettings
{
    int videoCodec = 0; // product codec id (codec tables); 0 default, -1 none
    int width = 0, height = 0; // <= 0: the source's
    int videoKbps = 0; // 0: encoder default
    int frameRateFlag = 0; // kept only: output is always constant-rate
    unsigned fpsNum = 0, fpsDen = 0; // any 0: the source rate
    int audioCodec = 0; // 0 default, -1 none
    int channels = 0; // 0: the source's
    int sampleRate = 0; // 0: the source's
    int audioKbps = 0;
};

struct ProcessingSettings
{
    int volume = 100; // percent, 0..1000
    int aspectW = 0, aspectH = 0; // display aspect of the cropped picture
    int rotate = 0; // clockwise, 0/90/180/270
    bool mirror = false; // horizontal flip after the rotation
    bool pad = true;
    uint32_t padColor = 0xFF000000u;
    double cropX = 0, cropY = 0, cropW = 1, cropH = 1;
    int program = -1;
    int audioIndex = -1;
    int subtitleIndex = -1; // program-relative, resolved at open
    LayerSettings layers;
};

struct ConfigStore
{
    EncodeSettings enc;
    ProcessingSettings proc;
};

} // namespace orv
