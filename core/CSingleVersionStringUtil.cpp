#include "CSingleVersionStringUtil.h"

#include "QIAppUtil.h"

#include <QFileInfo>
#include <QSettings>

const char* const g_type[kAddressTypeCount] = {
    "Link/home", // 0
    "", // 1
    "", // 2
    "", // 3
    "Link/support", // 4
    "Link/products", // 5
    "Link/help", // 6
    "Link/download", // 7
    "Link/download_zip", // 8
    "Link/newVersion", // 9
    "Softlog/siteID", // 10
    "Softlog/productID", // 11
    "Softlog/versionID", // 12
    "Link/download_sha256", // 13
    "", // 14
    "", // 15
    "", // 16
    "", // 17
    "Link/update_message", // 18
    "", // 19
    "Info/Product Name", // 20
    "Info/Help", // 21
    "", // 22
    "Info/format", // 23
    "", // 24
};

QMap<int, QString> CSingleVersionStringUtil::s_linkMap;

QString CSingleVersionStringUtil::GetLinkAddress(tagAddressType type)
{
    if (s_linkMap.isEmpty()) {
        // Every position is stored, even when the file or a key is missing,
        // so the file is read at most once until ClearLinkMap.
        QSettings settings(QString::fromStdString(GetIniFileName()), QSettings::IniFormat);
        for (int i = 0; i < kAddressTypeCount; ++i) {
            const QString key = QString::fromUtf8(g_type[i]);
            // A value the INI format reads as a list (unquoted comma) does not
            // convert to a single text and so reads as "".
            s_linkMap.insert(i, key.isEmpty() ? QString() : settings.value(key, QString()).toString());
        }
    }
    return s_linkMap.value(static_cast<int>(type));
}

std::string CSingleVersionStringUtil::GetIniFileName()
{
    static std::string s_fileName;
    if (s_fileName.empty())
        s_fileName = (QIAppUtil::getResourcePath() + QStringLiteral("/versionInfo.ini")).toStdString();
    return s_fileName;
}

void CSingleVersionStringUtil::ClearLinkMap() { s_linkMap.clear(); }

bool CSingleVersionStringUtil::Check() { return QFileInfo::exists(QString::fromStdString(GetIniFileName())); }
