#include "GobelConfigure.h"

#include <QStandardPaths>

GobelConfigure g_Configure;

GobelConfigure::GobelConfigure()
{
    // Not created here: the folder is made when a conversion first needs it.
    m_strOutputFolder =
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + QStringLiteral("/Lumivane");
    m_strOutputFolder.replace(QLatin1Char('\\'), QLatin1Char('/'));
}
