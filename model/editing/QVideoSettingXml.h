#pragma once

// Small XML settings files. The live part keeps the editor's snapshot
// settings, image type and folder, in "VideoCaptureSetting.xml" in the
// per-user data folder; every call reads the file afresh and nothing is
// cached. Beside it: lookups of per-device conversion values in a shipped
// "VideoSetting.xml" (none is shipped, so they answer none) and a generic
// get and set of any attribute of the snapshot settings file. Nothing in
// the program calls those yet.
//
// Called on the GUI thread: the files are a few hundred bytes, and a second
// instance of the program holds the snapshot file's lock only for one
// read-modify-write.

#include <QString>
#include <QStringList>

#include <optional>

class QDomDocument;

// One device format's allowed values, each attribute's comma-separated list
// split into items; the four video lists stay empty for a sound-only format.
struct VideoFormatAllInfo
{
    bool onlyAudio = false;
    QStringList V_Encoder;
    QStringList V_Resolution;
    QStringList V_FrameRate;
    QStringList V_BitRate;
    QStringList A_Encoder;
    QStringList A_Channel;
    QStringList A_SampleRate;
    QStringList A_BitRate;
};

// The values of one quality level of a device format.
struct VideoQualitySet
{
    bool onlyAudio = false;
    QString V_Encoder;
    QString V_Resolution;
    QString V_FrameRate;
    QString V_BitRate;
    QString A_Encoder;
    QString A_Channel;
    QString A_SampleRate;
    QString A_BitRate;
};

// The container and file extension of a device format.
struct VideoFileFormatInfo
{
    QString V_Format;
    QString V_Extend;
};

class QVideoSettingXml
{
public:
    QVideoSettingXml() = delete;

    static QString fileName(); // full path of the snapshot settings file
    // Where snapshots go unless the person chose another folder.
    static QString defaultFolder();
    // The shipped per-device values file, read-only.
    static QString formatFileName();

    // "JPEG" when unset.
    static QString getCaptureImgSuffix();
    // The data folder + "/Screenshots" when unset.
    static QString getCaptrueImaSavePath();

    // False when the value could not be stored (the file is unreadable, not
    // well-formed, or cannot be written).
    static bool setCaptureImgSuffix(const QString& suffix);
    static bool setCaptrueImaPath(const QString& path);

    // Writes the whole document without an XML declaration; replaces the
    // file only once the new content is complete.
    static bool SaveXml(const QString& path, const QDomDocument& doc);

    // Per-device lookups in formatFileName(): none for an empty format, a
    // format that is not listed, a missing element, or a file that is
    // missing or cannot be read. Each call also leaves its result in its
    // static member below, replacing the previous one.
    static std::optional<VideoFormatAllInfo> GetFormatAllInfo(const QString& format);
    static std::optional<VideoQualitySet> GetQuality(const QString& tag, const QString& format);
    static std::optional<VideoFileFormatInfo> GetFormatInfo(const QString& format);

    // The trimmed, non-empty items between commas.
    static QStringList analysisTextInfo(const QString& text);
    // The same, each with the unit of `key` (see addUnit).
    static QStringList analysisTextInfo(const QString& text, const QString& key);
    // The trimmed value with " fps" (V_FrameRate), " kbps" (V_BitRate,
    // A_BitRate) or " HZ" (A_SampleRate); "Original", "Auto" and a blank
    // value take no unit.
    static QString addUnit(const QString& value, const QString& key);

    // Any attribute of the first `element` under the snapshot file's root.
    // Get: `fallback` when the attribute is unset; a missing element is
    // added holding `fallback`, an empty attribute is left empty.
    static QString GetItemValue(const QString& element, const QString& attribute, const QString& fallback);
    // Set: adds the element when missing; false as for the setters above,
    // and for a name that XML cannot hold.
    static bool SetItemValue(const QString& element, const QString& attribute, const QString& value);

    static VideoFormatAllInfo m_formatInfo;
    static VideoQualitySet m_highQualitySet;
    static VideoFileFormatInfo m_fileFormatInfo;

private:
    enum class Empty { Fill, Keep }; // what a getter does with an empty attribute
    static QString readValue(const QString& element, const QString& attribute, const QString& fallback,
                             Empty empty);
    static bool writeValue(const QString& element, const QString& attribute, const QString& value);
};
