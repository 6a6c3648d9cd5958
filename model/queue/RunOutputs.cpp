#include "queue/RunOutputs.h"

#include "QIAppUtil.h"
#include "clips/SourceProbe.h"

#include <QDir>
#include <QFileInfo>

QString RunOutputs::freePath(const QString& folder, const QString& name, const QString& extension,
                             const QSet<QString>* taken, const QSet<QString>* going)
{
    const QString stem = SourceProbe::stemOf(name);
    auto candidate = [&](const QString& number) {
        QString path = folder + "/" + stem + number + "." + extension;
        while (path.contains(QLatin1String("//")))
            path.replace(QLatin1String("//"), QLatin1String("/"));
        return path;
    };
    auto isTaken = [&](const QString& path) {
        if (taken && taken->contains(path))
            return true;
        const QFileInfo info(path);
        return (info.exists() || info.isSymLink()) && !(going && going->contains(path));
    };
    QString path = candidate(QString());
    for (int n = 1; isTaken(path); ++n)
        path = candidate(QString::number(n));
    return path;
}

QString RunOutputs::startEventText(const QString& source, const QString& container)
{
    // The suffix of the file name, not of a dotted folder.
    const QString name = source.mid(source.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : name.mid(dot + 1);
    return "file size: " + QIAppUtil::size2String(static_cast<unsigned long long>(QFileInfo(source).size()))
        + "; file format: " + suffix + "; converter: " + suffix + " to " + container.toLower();
}

QString RunOutputs::choose(const QString& folder, const QString& name, const QString& extension) const
{
    const QString path = freePath(folder, name, extension, &m_taken, &m_going);
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    return path;
}

QString RunOutputs::take(const QString& folder, const QString& name, const QString& extension)
{
    const QString path = choose(folder, name, extension);
    handOut(path);
    return path;
}
