#pragma once

// One conversion task, apart from the row that shows it: what the probe
// learnt of the source, the output's format values and file, the clip
// records and the trim marks, and everything worked out from them alone
// (profile texts resolved against the source, the size estimate, the values
// the engine configuration is made from). Nothing here touches a widget or
// the engine.

#include "clips/ClipEditRecords.h"
#include "formats/Convertinfo.h"

#include <QString>

#include <cstdint>

struct MappingValues;
struct SourceFacts;
struct TaskFormat;

class ConvertTask
{
public:
    // ---- The source ----------------------------------------------------------

    // Takes the probe's facts: the source's numbers and texts, the target's
    // display texts, the whole source as the trim and the editor's default
    // streams. The thumbnail is the row's.
    void applyFacts(const SourceFacts& facts);
    // The source panel's rates and name (all zero for empty facts).
    void takeSourceRates(const SourceFacts& facts);

    const QString& path() const { return m_path; }
    // The file name the output is named after; a rename changes it.
    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    const QString& suffix() const { return m_suffix; }
    const QString& sizeText() const { return m_sizeText; }
    // True when the engine could not read the source during the probe.
    bool probeFailed() const { return m_probeFailed; }
    // ... because the file may not be read (no read permission).
    bool probeDenied() const { return m_probeDenied; }
    uint64_t totalUs() const { return m_totalUs; }
    uint32_t width() const { return m_width; }
    uint32_t height() const { return m_height; }
    // "w*h" of the source's picture, as it is (odd sides stay odd).
    QString sourceResolutionText() const;
    const Convertinfo& sourceInfo() const { return m_sourceInfo; }

    // ---- The target ----------------------------------------------------------

    const Convertinfo& target() const { return m_target; }
    // The catalogue item name of the task's format (the history category)
    // and its profile file name.
    const QString& itemName() const { return m_itemName; }
    const QString& profile() const { return m_profile; }
    // Takes a format as the add worker read it; false (nothing taken) when
    // the task has that profile already.
    bool applyFormat(const TaskFormat& format);
    // Takes the names of the current format choice; false when the task has
    // that profile already. readProfile then reads its values.
    bool chooseFormat(const QString& itemName, const QString& profile);
    bool readProfile();
    // Writes the target's values as the current ones of the profile file at
    // `path` (which also tells whether the target has a picture).
    bool saveProfile(const QString& path);
    // The eight quality values a settings dialog sets.
    void setQualityValues(const Convertinfo& info);

    // What the output will be: "w*h" with "Original" resolved against the
    // source; empty when the output has no picture.
    QString targetResolutionText() const;
    // The output's size in bytes from the bit rates it will be written with
    // (a rate left to the source is estimated with the source's) over the
    // trimmed length.
    unsigned long long estimatedOutputBytes() const;

    // The file the engine was last told to write for this task.
    const QString& outputPath() const { return m_outputPath; }
    void setOutputPath(const QString& path) { m_outputPath = path; }

    // ---- Clip records and trim -----------------------------------------------

    const TaskClips& clips() const { return m_clips; }
    TaskClips& clips() { return m_clips; }

    uint64_t beginUs() const { return m_beginUs; }
    uint64_t endUs() const { return m_endUs; }
    void setTrim(uint64_t beginUs, uint64_t endUs);
    // The length converted from the trim marks: end - begin, or 0 (to the
    // source's end) when there is no end mark or it is not after begin.
    uint64_t lengthUs() const;

    // ---- Values for the engine -----------------------------------------------

    // One profile text resolved against the source's facts; a picture side
    // as the output will have it (even, 16 to 8192).
    int videoWidth(const QString& resolution) const;
    int videoHeight(const QString& resolution) const;
    int audioChannels(const QString& channels) const;
    int audioSampleRate(const QString& sampleRate) const;
    // What the engine configuration is made from, with `target` as the
    // output's settings: the task's own for its conversion, the merge
    // settings for a merge.
    MappingValues mappingValues(const Convertinfo& target) const;

private:
    void chooseDefaultStreams(const SourceFacts& facts);

    QString m_path;
    QString m_name;
    QString m_suffix;
    QString m_sizeText;
    bool m_probeFailed = false;
    bool m_probeDenied = false;
    uint64_t m_totalUs = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_sampleRate = 0;
    uint32_t m_channels = 0;
    uint32_t m_audioBitRate = 0;
    uint32_t m_sourceVideoBitRate = 0;
    Convertinfo m_sourceInfo;

    Convertinfo m_target;
    QString m_itemName;
    QString m_profile;
    QString m_outputPath;

    TaskClips m_clips;
    uint64_t m_beginUs = 0;
    uint64_t m_endUs = 0;
};
