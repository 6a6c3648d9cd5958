#include "formats/GobelItemChunk.h"

#include "files/DataFile.h"
#include "files/UserData.h"
#include "formats/FormatCatalogue.h"
#include "formats/ProfileFile.h"

#include <QDomDocument>
#include <QFileInfo>
#include <QMutexLocker>

GobelItemChunk g_itemChunk;

namespace {
const char* const kDefaultImage = "MP4.png";
const char* const kDefaultItem = "MP4";
const char* const kDefaultProfile = "MP4 Video.xml";
} // namespace

GobelItemChunk::GobelItemChunk()
    : imagename(QString::fromLatin1(kDefaultImage))
    , itemname(QString::fromLatin1(kDefaultItem))
    , relevantfile(QString::fromLatin1(kDefaultProfile))
{}

QString GobelItemChunk::defaultXmlPath() { return UserData::path(QStringLiteral("format/default.xml")); }

QString GobelItemChunk::profilePath(const QString& file) { return ProfileFile::path(file); }

void GobelItemChunk::copyNames(QString& image, QString& item, QString& file) const
{
    QMutexLocker lock(&m_namesLock);
    image = imagename;
    item = itemname;
    file = relevantfile;
}

void GobelItemChunk::setNames(const QString& image, const QString& item, const QString& file)
{
    QMutexLocker lock(&m_namesLock);
    imagename = image;
    itemname = item;
    relevantfile = file;
}

void GobelItemChunk::Init()
{
    const QString path = defaultXmlPath();
    QDomDocument doc;
    // A damaged file is kept aside, never replaced without a copy.
    if (!DataFile::readOrSetAside(path, doc)) {
        saveDefaultXML();
        return;
    }
    const QDomElement root = doc.documentElement();
    const QDomElement item = root.isNull() ? QDomElement() : root.firstChildElement();
    if (item.isNull()) {
        saveDefaultXML();
        return;
    }
    // Any other first element is left alone: the built-in names stay.
    if (item.tagName() != QLatin1String("item"))
        return;
    const QString image = item.attribute("imagename");
    const QString name = item.attribute("itemname");
    const QString profile = item.attribute("relevantfile");
    // A choice that cannot convert anything (no name, no such profile)
    // would make every task fail: the built-in default is used instead.
    if (image.isEmpty() || name.isEmpty() || profile.isEmpty() || !QFileInfo(profilePath(profile)).isFile()) {
        DataFile::setAside(path);
        saveDefaultXML();
        return;
    }
    setNames(image, name, profile);
}

void GobelItemChunk::saveDefaultXML()
{
    FormatCatalogue::Item item;
    copyNames(item.imageName, item.itemName, item.relevantFile);
    FormatCatalogue::save(defaultXmlPath(), {item});
}

void GobelItemChunk::getConvertXMLInfo()
{
    QString image, item, file;
    copyNames(image, item, file);
    // The format's current values: those its tasks convert with and show,
    // which a task's settings save. A merge switched on or a format chosen
    // afterwards writes what the rows say. A profile without them gives
    // its standard values.
    const QString path = profilePath(file);
    if (ProfileFile::read(path, QStringLiteral("STANDARD_QUALITY_VALUE"), m_convertinfo))
        ProfileFile::read(path, QStringLiteral("TEMP_QUALITY_VALUE"), m_convertinfo);
}

void GobelItemChunk::setDefaultinfo()
{
    setNames(QString::fromLatin1(kDefaultImage), QString::fromLatin1(kDefaultItem),
             QString::fromLatin1(kDefaultProfile));
}
