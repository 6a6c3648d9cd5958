#pragma once

// The engine configuration of one conversion: the values are gathered from
// a task first (its profile values resolved against the source's facts and
// its clip records), then one function sends them all, so a task's own start
// and the merge run can never send different calls.

#include "clips/ClipEditRecords.h"
#include "formats/Convertinfo.h"

#include <orvalta.h>

#include <QByteArray>
#include <QString>

#include <cstdint>

// Everything the mapping reads of one task: its clip records and streams as
// the task holds them, and its profile values already resolved against the
// source's facts.
struct MappingValues : TaskClips
{
    Convertinfo target; // codec names, frame rate and container
    int width = 0;
    int height = 0;
    int videoBitRate = 0;
    int channels = 0;
    int sampleRate = 0;
    int audioBitRate = 0;
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

// ---- The clip records, for a conversion and for the editor's preview --------
// One mapping with two sinks, a conversion's configuration and a preview
// player, so that the preview shows what the conversion writes. The
// layers' own text and picture file, and the preview frames, are the
// caller's: a configuration takes a layer only when it has one, a player
// is told when one goes.

// Positions, shadow offsets and outline sizes are kept in thousandths.
double thousandths(int32_t value);
// Vertical fonts are listed with a leading "@"; the engine knows the family
// by its plain name.
QByteArray fontFamily(const QString& family);

void sendPicture(Config config, const CropSettings& crop);
void sendPicture(PlayerHandle player, const CropSettings& crop);
void sendSubtitleStyle(Config config, const SubtitleSettings& style);
void sendSubtitleStyle(PlayerHandle player, const SubtitleSettings& style);
void sendTextStyle(Config config, const WatermarkTextSettings& text);
void sendTextStyle(PlayerHandle player, const WatermarkTextSettings& text);
void sendImageStyle(Config config, const WatermarkImageSettings& image);
void sendImageStyle(PlayerHandle player, const WatermarkImageSettings& image);

} // namespace ConfigMapping
