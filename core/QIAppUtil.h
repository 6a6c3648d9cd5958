#ifndef QIAPPUTIL_H
#define QIAPPUTIL_H

#include <QString>
#include <QStringList>
#include <QTime>

// Resource path and short texts shared by the whole program. Static members
// only; there is never an instance.
class QIAppUtil
{
public:
    QIAppUtil() = delete;

    // The bundle's Resources folder, without a trailing "/". Computed on the
    // first call (which needs the application object) and fixed for the run.
    static QString getResourcePath();
    // Points the rest of the run at another Resources folder, so that a
    // test can change shipped files in a copy of its own.
    static void setResourcePath(const QString& path);

    // "1.50 KB" and the like; "N B" up to 1024 bytes.
    static QString size2String(unsigned long long bytes);

    // Nothing in the program calls the members below.
    static QString dndTmpPath();
    static QString getTempBackupPath();
    static QString getRestorePassWord();
    static void setRestorePassWord(const QString& password);
    static bool IsPhoto(const QString& extension);
    static bool IsVideo(const QString& extension);
    static bool IsAudio(const QString& extension);
    static bool IsDocument(const QString& extension);

private:
    static QString s_resourcePath;
    static bool s_resourcePathSet;
    static QString s_restorPassword;
    static QStringList s_photoExtensions;
    static QStringList s_videoExtensions;
    static QStringList s_audioExtensions;
    static QStringList s_documentExtensions;
};

// A media duration in microseconds as "hh:mm:ss"; "" from 24 hours on.
QString getTime(unsigned long long microseconds);

// The time of day that getTime formats; invalid from 24 hours on.
QTime convertTime(unsigned long long microseconds);

#endif // QIAPPUTIL_H
