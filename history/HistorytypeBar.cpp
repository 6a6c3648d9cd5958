#include "HistorytypeBar.h"

#include "HistoryBar.h"
#include "QIAppUtil.h"

namespace {
// What the category column leaves for a row's text.
constexpr int kTextWidth = 180;
} // namespace

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
    const QString number = QString(" (%1)").arg(count);
    const QString shown = elideForRow(
        m_label, name, kTextWidth - m_label->fontMetrics().horizontalAdvance(number), Qt::ElideRight);
    m_label->setText(shown + number);
}
