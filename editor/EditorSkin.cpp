#include "EditorSkin.h"

#include "QIAppUtil.h"

#include <QFont>
#include <QPalette>
#include <QRadioButton>

namespace editorskin {

void setPanelText(QWidget* widget)
{
    widget->setFont(QFont(QStringLiteral("Tahoma"), 8));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(255, 255, 255));
    palette.setColor(QPalette::Inactive, QPalette::WindowText, QColor(255, 255, 255));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    widget->setPalette(palette);
}

void setPanelRadio(QRadioButton* radio)
{
    setPanelText(radio);
    const QString res = QIAppUtil::getResourcePath();
    radio->setStyleSheet(QStringLiteral("QRadioButton::indicator {width: 18px;height: 18px;}"
                                        "QRadioButton::indicator::unchecked {image: url(%1);}"
                                        "QRadioButton::indicator::checked {image: url(%2);}"
                                        "QRadioButton{background-color:transparent;border:none}")
                             .arg(res + "/image/VideoEditDlg/selections_no.png",
                                  res + "/image/VideoEditDlg/selections_yes.png"));
}

} // namespace editorskin
