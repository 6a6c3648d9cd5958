#ifndef CSINGLEVERSIONSTRINGUTIL_H
#define CSINGLEVERSIONSTRINGUTIL_H

#include <QMap>
#include <QString>

#include <string>

// Positions of the values of "versionInfo.ini". The underlying type is fixed
// so that any int, also one outside 0..24, is a valid value to ask for.
enum tagAddressType : int {
    ADDR_LINK_HOME = 0,
    ADDR_RESERVED_1 = 1,
    ADDR_RESERVED_2 = 2,
    ADDR_RESERVED_3 = 3,
    ADDR_LINK_SUPPORT = 4,
    ADDR_LINK_PRODUCTS = 5,
    ADDR_LINK_HELP = 6,
    ADDR_LINK_DOWNLOAD = 7,
    ADDR_LINK_DOWNLOAD_ZIP = 8,
    ADDR_LINK_NEW_VERSION = 9,
    ADDR_SOFTLOG_SITE_ID = 10,
    ADDR_SOFTLOG_PRODUCT_ID = 11,
    ADDR_SOFTLOG_VERSION_ID = 12,
    ADDR_LINK_DOWNLOAD_SHA256 = 13,
    ADDR_RESERVED_14 = 14,
    ADDR_RESERVED_15 = 15,
    ADDR_RESERVED_16 = 16,
    ADDR_RESERVED_17 = 17,
    ADDR_LINK_UPDATE_MESSAGE = 18,
    ADDR_RESERVED_19 = 19,
    ADDR_PRODUCT_NAME = 20,
    ADDR_INFO_HELP = 21,
    ADDR_RESERVED_22 = 22,
    ADDR_INFO_FORMAT = 23,
    ADDR_RESERVED_24 = 24
};

constexpr int kAddressTypeCount = 25;

// "Group/Key" of each position, UTF-8; "" for the reserved ones. Constant
// data, so it is ready even for callers that run during static start-up.
extern const char* const g_type[kAddressTypeCount];

// The one reader of "versionInfo.ini" in the Resources folder. The whole file
// is read on the first request and kept for the run; the file is never
// written. Used from the GUI thread only.
class CSingleVersionStringUtil
{
public:
    CSingleVersionStringUtil() {}
    ~CSingleVersionStringUtil() {}

    static QString GetLinkAddress(tagAddressType type);
    static std::string GetIniFileName();
    static void ClearLinkMap();
    static bool Check();

private:
    static QMap<int, QString> s_linkMap;
};

#endif // CSINGLEVERSIONSTRINGUTIL_H
