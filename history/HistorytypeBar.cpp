#include "HistorytypeBar.h"

#include "QIAppUtil.h"

HistorytypeBar::HistorytypeBar(QWidget* parent)
    : BaseBar(parent)
{
    setupUi(this);
    setbgImage(QIAppUtil::getResourcePath() + "/image/bg_histypebar.png");
}

HistorytypeBar::~HistorytypeBar() = default;

void HistorytypeBar::setText(const QString& name, int count)
{
    m_strType = name;
    m_label->setText(name + QString(" (%1)").arg(count));
}
