#pragma once

#include "Convertinfo.h"

#include <QMutex>
#include <QString>

class QDomDocument;

// The current output format: which catalogue item is chosen and the
// standard preset of its profile file.
class GobelItemChunk
{
public:
    GobelItemChunk();

    // Loads the three names from "format/default.xml" (or writes the file
    // afresh when it is unusable).
    void Init();
    void saveDefaultXML();
    // Reads the current profile's OnlyAudio flag, standard preset and
    // container into m_convertinfo; a missing or broken file changes nothing.
    void getConvertXMLInfo();
    void setDefaultinfo();

    // The add-file thread reads the names while the GUI thread may replace
    // them; these two take the lock that makes that safe.
    void copyNames(QString &image, QString &item, QString &file) const;
    void setNames(const QString &image, const QString &item, const QString &file);

    static QString defaultXmlPath();
    // Writes a whole catalogue document (UTF-8, indent 4) through a save
    // file; false when it could not be written.
    static bool writeXmlFile(const QString &path, const QDomDocument &doc);
    static QString profilePath(const QString &file);

    QString imagename;
    QString itemname;
    QString relevantfile;
    Convertinfo m_convertinfo;
    bool m_bEnableSelect = false;

private:
    mutable QMutex m_namesLock;
};

extern GobelItemChunk g_itemChunk;
