#pragma once

// The engine configuration of one conversion: the values are gathered from
// a task first (its profile values resolved against the source's facts and
// its clip records), then one function sends them all, so a task's own start
// and the merge run can never send different calls.

#include "ClipEditRecords.h"
#include "Convertinfo.h"

#include <orvalta.h>

#include <QString>

#include <cstdint>

// Everything the mapping reads of one task, already resolved against the
// source's facts.
struct MappingValues
{
    Convertinfo target; // codec names, frame rate and container
    bool disVideo = false;
    bool disAudio = false;
    int width = 0;
    int height = 0;
    int videoBitRate = 0;
    int channels = 0;
    int sampleRate = 0;
    int audioBitRate = 0;
    CropSettings crop;
    SubtitleValueInfo streams;
    SubtitleSettings subtitle;
    WatermarkTextSettings text;
    WatermarkImageSettings image;
};

namespace ConfigMapping {

// One profile text resolved against the source's facts. "Original" is the
// source's value where the engine takes one; "Auto" and unusable numbers
// leave the choice to the engine (0), except as noted.
int videoWidth(const QString& resolution, uint32_t sourceWidth);
int videoHeight(const QString& resolution, uint32_t sourceHeight);
int videoBitRate(const QString& bitRate);
// "Auto" is not the source's count: it leaves the count to the engine.
int audioChannels(const QString& channels, uint32_t sourceChannels);
int audioSampleRate(const QString& sampleRate, uint32_t sourceRate);
// Never the source's rate: the probe keeps it in bits per second, the
// engine takes kilobits.
int audioBitRate(const QString& bitRate);

// Sends every value, always in the same order.
void send(Config config, const MappingValues& values);

} // namespace ConfigMapping
