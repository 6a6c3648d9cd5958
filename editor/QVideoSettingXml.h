#pragma once

// The editor's snapshot settings, image type and folder, kept in
// "VideoCaptureSetting.xml" in the per-user data folder. Every call reads the
// file afresh; nothing is cached.

#include <QString>

class QDomDocument;

class QVideoSettingXml
{
public:
    QVideoSettingXml() = delete;

    static QString fileName(); // full path of the settings file

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

private:
    static QString readValue(const QString& attribute, const QString& fallback);
    static bool writeValue(const QString& attribute, const QString& value);
};
