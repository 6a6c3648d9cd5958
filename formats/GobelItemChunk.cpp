#include "GobelItemChunk.h"

#include "QIAppUtil.h"

#include <QDomDocument>
#include <QFile>
#include <QMutexLocker>
#include <QSaveFile>
#include <QTextStream>
#include <QtDebug>

GobelItemChunk g_itemChunk;

namespace {
const char *const kDefaultImage = "MP4.png";
const char *const kDefaultItem = "MP4";
const char *const kDefaultProfile = "MP4 Video.xml";
} // namespace

GobelItemChunk::GobelItemChunk()
    : imagename(QString::fromLatin1(kDefaultImage)), itemname(QString::fromLatin1(kDefaultItem)),
      relevantfile(QString::fromLatin1(kDefaultProfile))
{}

QString GobelItemChunk::defaultXmlPath()
{
    return QIAppUtil::getResourcePath() + "/format/default.xml";
}

QString GobelItemChunk::profilePath(const QString &file)
{
    return QIAppUtil::getResourcePath() + "/format/XML/" + file;
}

void GobelItemChunk::copyNames(QString &image, QString &item, QString &file) const
{
    QMutexLocker lock(&m_namesLock);
    image = imagename;
    item = itemname;
    file = relevantfile;
}

void GobelItemChunk::setNames(const QString &image, const QString &item, const QString &file)
{
    QMutexLocker lock(&m_namesLock);
    imagename = image;
    itemname = item;
    relevantfile = file;
}

void GobelItemChunk::Init()
{
    QFile file(defaultXmlPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        saveDefaultXML();
        return;
    }
    QDomDocument doc;
    if (!doc.setContent(&file)) {
        file.close();
        saveDefaultXML();
        return;
    }
    file.close();
    const QDomElement root = doc.documentElement();
    const QDomElement item = root.isNull() ? QDomElement() : root.firstChildElement();
    if (item.isNull()) {
        saveDefaultXML();
        return;
    }
    // Any other first element is left alone: the built-in names stay.
    if (item.tagName() == QLatin1String("item"))
        setNames(item.attribute("imagename"), item.attribute("itemname"), item.attribute("relevantfile"));
}

void GobelItemChunk::saveDefaultXML()
{
    QString image, item, profile;
    copyNames(image, item, profile);

    QDomDocument doc;
    doc.appendChild(doc.createProcessingInstruction("xml", "version='1.0'"));
    QDomElement root = doc.createElement("default");
    doc.appendChild(root);
    QDomElement element = doc.createElement("item");
    element.setAttribute("imagename", image);
    element.setAttribute("itemname", item);
    element.setAttribute("relevantfile", profile);
    root.appendChild(element);

    // Written aside and swapped in whole, so a failed write leaves the last
    // choice on disk instead of an empty file.
    if (!writeXmlFile(defaultXmlPath(), doc))
        qWarning("error::ParserXML->writeOperateXml->file.open\n");
}

bool GobelItemChunk::writeXmlFile(const QString &path, const QDomDocument &doc)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out.setCodec("utf-8");
    doc.save(out, 4);
    out.flush();
    return out.status() == QTextStream::Ok && file.commit();
}

void GobelItemChunk::getConvertXMLInfo()
{
    QFile file(profilePath(relevantfile));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QDomDocument doc;
    const bool parsed = doc.setContent(&file);
    file.close();
    if (!parsed)
        return;
    const QDomElement root = doc.documentElement();
    if (root.isNull() || root.firstChildElement().isNull())
        return;

    m_convertinfo.isVideo = root.attribute("OnlyAudio") != QLatin1String("Y");
    // Later elements of the same tag win, so walk them all.
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.tagName() == QLatin1String("STANDARD_QUALITY_VALUE")) {
            readQualityValues(e, m_convertinfo);
        } else if (e.tagName() == QLatin1String("VIDIO_FOMAT_INFO")) {
            m_convertinfo.V_Format = e.attribute("V_Format");
            m_convertinfo.V_Extend = e.attribute("V_Extend");
        }
    }
}

void GobelItemChunk::setDefaultinfo()
{
    setNames(QString::fromLatin1(kDefaultImage), QString::fromLatin1(kDefaultItem),
             QString::fromLatin1(kDefaultProfile));
}
