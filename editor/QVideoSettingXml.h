#pragma once

#include <QString>

class QDomDocument;

// The editor's snapshot settings, image type and folder, kept in
// "VideoCaptureSetting.xml" in the Resources folder.
class QVideoSettingXml
{
public:
    static QString getCaptureImgSuffix();
    static QString getCaptrueImaSavePath();
    // false when the value could not be stored (file unreadable, not
    // well-formed, without a Screenshots element, or not writable).
    static bool setCaptureImgSuffix(QString suffix);
    static bool setCaptrueImaPath(QString path);
    static bool SaveXml(QString path, QDomDocument& doc);
};
