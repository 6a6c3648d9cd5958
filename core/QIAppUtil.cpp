#include "QIAppUtil.h"

#include <QCoreApplication>

QString QIAppUtil::s_resourcePath;
bool QIAppUtil::s_resourcePathSet = false;
QString QIAppUtil::s_restorPassword;
QStringList QIAppUtil::s_photoExtensions;
QStringList QIAppUtil::s_videoExtensions;
QStringList QIAppUtil::s_audioExtensions;
QStringList QIAppUtil::s_documentExtensions;

QString QIAppUtil::getResourcePath()
{
    // Without an application object there is no executable folder to start
    // from; keep the slot open instead of fixing a wrong path for the run.
    if (!s_resourcePathSet && QCoreApplication::instance()) {
        QString path = QCoreApplication::applicationDirPath();
        path.chop(5); // "MacOS"
        s_resourcePath = path + QStringLiteral("Resources");
        s_resourcePathSet = true;
    }
    return s_resourcePath;
}

void QIAppUtil::setResourcePath(const QString& path)
{
    s_resourcePath = path;
    s_resourcePathSet = true;
}

QString QIAppUtil::size2String(unsigned long long bytes)
{
    const double value = static_cast<double>(bytes);
    if (bytes > 1073741824ULL)
        return QString::number(value / 1024 / 1024 / 1024, 'f', 2) + QStringLiteral(" GB");
    if (bytes > 1048576ULL)
        return QString::number(value / 1024 / 1024, 'f', 2) + QStringLiteral(" MB");
    if (bytes > 1024ULL)
        return QString::number(value / 1024, 'f', 2) + QStringLiteral(" KB");
    return QString::number(bytes) + QStringLiteral(" B");
}

QString QIAppUtil::dndTmpPath() { return QString(); }

QString QIAppUtil::getTempBackupPath() { return QString(); }

QString QIAppUtil::getRestorePassWord() { return s_restorPassword; }

void QIAppUtil::setRestorePassWord(const QString& password) { s_restorPassword = password; }

static bool isInList(QStringList& list, const char* const* table, const QString& extension)
{
    if (list.isEmpty()) {
        for (; *table; ++table)
            list << QString::fromLatin1(*table);
    }
    return list.contains(extension.toLower());
}

bool QIAppUtil::IsPhoto(const QString& extension)
{
    static const char* const table[] = {"bmp",  "jpg", "jpeg", "png",  "gif",  "tif",  "tiff", "ico",
                                        "icns", "psd", "tga",  "webp", "heic", "heif", "jp2",  "pcx",
                                        "ppm",  "pgm", "pbm",  "svg",  "raw",  "dds",  nullptr};
    return isInList(s_photoExtensions, table, extension);
}

bool QIAppUtil::IsVideo(const QString& extension)
{
    static const char* const table[] = {
        "3g2",  "3gp", "3gpp", "amv", "asf",  "avi",  "avs",  "bik", "divx", "dv",    "dvr-ms", "evo",
        "f4v",  "flv", "gvi",  "gxf", "h264", "hevc", "ivf",  "m1v", "m2p",  "m2t",   "m2ts",   "m2v",
        "m4v",  "mkv", "mod",  "mov", "mp2v", "mp4",  "mp4v", "mpe", "mpeg", "mpeg1", "mpeg2",  "mpeg4",
        "mpg",  "mpv", "mts",  "mxf", "nsv",  "nuv",  "ogm",  "ogv", "ogx",  "qt",    "rec",    "rm",
        "rmvb", "rpl", "smk",  "swf", "tod",  "tp",   "trp",  "ts",  "tts",  "vfw",   "vob",    "vro",
        "webm", "wm",  "wmv",  "wtv", "xvid", "yuv",  "y4m",  "dat", "mjpg", "264",   nullptr};
    return isInList(s_videoExtensions, table, extension);
}

bool QIAppUtil::IsAudio(const QString& extension)
{
    static const char* const table[] = {"aac", "ac3", "aif",  "aifc", "aiff", "amr", "ape", "au",
                                        "caf", "dts", "flac", "m4a",  "m4b",  "m4r", "mka", "mp2",
                                        "mp3", "mpa", "oga",  "ogg",  "opus", "ra",  "snd", "tta",
                                        "voc", "wav", "wma",  "wv",   nullptr};
    return isInList(s_audioExtensions, table, extension);
}

bool QIAppUtil::IsDocument(const QString& extension)
{
    static const char* const table[] = {"doc",  "docx", "xls",   "xlsx",    "ppt", "pptx", "pdf",
                                        "txt",  "rtf",  "odt",   "ods",     "odp", "csv",  "htm",
                                        "html", "xml",  "pages", "numbers", "key", "epub", "md",
                                        "tex",  "log",  "wpd",   "wps",     "xps", nullptr};
    return isInList(s_documentExtensions, table, extension);
}

QTime convertTime(unsigned long long microseconds)
{
    // 64-bit seconds: a long duration must not wrap round into a valid time.
    const unsigned long long total = microseconds / 1000000ULL;
    const unsigned long long hours = total / 3600;
    if (hours >= 24)
        return QTime();
    return QTime(static_cast<int>(hours), static_cast<int>(total / 60 - hours * 60),
                 static_cast<int>(total % 60), 0);
}

QString getTime(unsigned long long microseconds)
{
    return convertTime(microseconds).toString(QStringLiteral("hh:mm:ss"));
}
