#pragma once

#include "formats/Convertinfo.h"

#include <QMutex>
#include <QString>

// The current output format: which catalogue item is chosen and the
// standard preset of its profile file.
class GobelItemChunk
{
public:
    GobelItemChunk();

    // Loads the three names from "format/default.xml" (or writes the file
    // afresh when it is unusable; a damaged one, or one naming no usable
    // profile, is set aside as default.xml.bad and the built-in names stay).
    void Init();
    void saveDefaultXML();
    // Reads the current profile's OnlyAudio flag, current values (its
    // standard preset where it has none) and container into m_convertinfo;
    // a missing or broken file changes nothing.
    void getConvertXMLInfo();
    void setDefaultinfo();

    // The add-file thread reads the names while the GUI thread may replace
    // them; these two take the lock that makes that safe.
    void copyNames(QString& image, QString& item, QString& file) const;
    void setNames(const QString& image, const QString& item, const QString& file);

    // The default-format file, in the per-user data folder.
    static QString defaultXmlPath();
    // The profile to read: the person's copy when there is one.
    static QString profilePath(const QString& file);

    QString imagename;
    QString itemname;
    QString relevantfile;
    Convertinfo m_convertinfo;
    bool m_bEnableSelect = false;

private:
    mutable QMutex m_namesLock;
};

extern GobelItemChunk g_itemChunk;
