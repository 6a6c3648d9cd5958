#include "FormFonts.h"

#include <QFont>
#include <QWidget>

namespace {
void fitFont(QWidget* w, qreal factor)
{
    if (!w->testAttribute(Qt::WA_SetFont))
        return;
    QFont f = w->font();
    // Only sizes the form set itself; inherited sizes are the platform's.
    if (!(f.resolve() & QFont::SizeResolved) || f.pointSizeF() <= 0)
        return;
    f.setPointSizeF(f.pointSizeF() * factor);
    w->setFont(f);
}
} // namespace

void fitFormFonts(QWidget* root)
{
    if (!root)
        return;
    const int dpi = root->logicalDpiY();
    if (dpi <= 72)
        return;
    const qreal factor = 72.0 / dpi;
    fitFont(root, factor);
    for (QWidget* w : root->findChildren<QWidget*>())
        fitFont(w, factor);
}
