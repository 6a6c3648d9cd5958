#pragma once

// Profile files ("format/XML/<name>.xml"): a format's value lists, its
// presets and the current values that conversion tasks start from.
//
//   <Profile OnlyAudio="N">
//       <ATTRIBUTE_VALUE V_Encoder="H264,MPEG-4" ... />     lists, "," separated
//       <HIGH_QUALITY_VALUE .../> <STANDARD_QUALITY_VALUE .../> <SMALL_QUALITY_VALUE .../>
//       <TEMP_QUALITY_VALUE .../>                          the current values
//       <VIDIO_FOMAT_INFO V_Format="MP4" V_Extend="mp4"/>
//   </Profile>
//
// The shipped profiles are read-only; the current values a person sets are
// written to their own copy in the per-user data folder, which is read from
// then on.

#include "formats/Convertinfo.h"

#include <QString>

class QDomDocument;
class QDomElement;

// One of the eight quality values: its attribute name in the profile, its
// field in Convertinfo, the unit the settings dialog shows after it, and
// whether it belongs to the picture.
struct QualityAttribute
{
    const char* name;
    QString Convertinfo::*value;
    const char* unit;
    bool video;
};

constexpr int kQualityAttributeCount = 8;
// In profile order: V_Encoder, V_Resolution, V_FrameRate, V_BitRate,
// A_Encoder, A_Channel, A_SampleRate, A_BitRate.
extern const QualityAttribute kQualityAttributes[kQualityAttributeCount];

// Takes the eight values from a profile element (a preset or the current
// values); the other fields stay as they are.
void readQualityValues(const QDomElement& element, Convertinfo& info);

// "25" -> "25 fps"; "Original" and "Auto" carry no unit.
QString qualityDisplayForm(const QString& value, const QString& unit);
// The reverse; a text shorter than its unit stays as it is.
QString qualityValueForm(const QString& text, const QString& unit);

// A task's format as the add worker reads it: the current choice's names
// and that profile's current values (read false when the profile could not
// be read; the values are then empty).
struct TaskFormat
{
    QString itemName;
    QString profile;
    bool read = false;
    Convertinfo values;
};
Q_DECLARE_METATYPE(TaskFormat)

class ProfileFile
{
public:
    ProfileFile() = delete;

    // The profile to read: the person's copy when there is one.
    static QString path(const QString& file);

    // Reads the profile at `path` into doc and gives its root; null when the
    // file cannot be read, is damaged or holds no element.
    static QDomElement load(const QString& path, QDomDocument& doc);

    // Reads `tag`'s eight values (a later element of the tag wins), the
    // audio-only flag and the container into info. False, info unchanged,
    // when the file cannot be read, is damaged or holds no element.
    static bool read(const QString& path, const QString& tag, Convertinfo& info);

    // The current format choice's names and its profile's current values;
    // safe on any thread.
    static TaskFormat currentTaskFormat();

    // Rewrites every TEMP_QUALITY_VALUE of the profile at `path` with
    // info's values (the picture values only for a video profile; info's
    // video flag is set from the file) and saves it to the person's copy,
    // under its lock, in turn (DataFile::changeNowOrLater). False when,
    // made at once, the profile could not be read or the copy not written;
    // a write left for the background thread leaves info's flag alone until
    // it has read the profile.
    static bool writeCurrent(const QString& path, Convertinfo& info);
};
