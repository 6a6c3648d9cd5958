#include "FormFonts.h"

#include <QApplication>
#include <QFont>
#include <QHash>
#include <QSet>
#include <QVariant>
#include <QWidget>

namespace {
// Marks a widget whose size was fitted: a form nested in another form is
// reached by both fittings and must shrink once only.
const char* const kFitted = "lvFormFontFitted";
} // namespace

void fitFormFonts(QWidget* root)
{
    if (!root)
        return;
    const int dpi = root->logicalDpiY();
    if (dpi <= 72)
        return;
    const qreal factor = 72.0 / dpi;

    // Parents come before their children. The sizes are read before any
    // change, as a parent's new size reaches the children that follow it.
    QList<QWidget*> widgets{root};
    widgets += root->findChildren<QWidget*>();
    QHash<const QWidget*, qreal> built;
    for (const QWidget* w : widgets)
        built.insert(w, w->font().pointSizeF());

    QSet<const QWidget*> fitted;
    for (QWidget* w : widgets) {
        if (w->property(kFitted).toBool()) {
            fitted.insert(w);
            continue;
        }
        if (!w->testAttribute(Qt::WA_SetFont))
            continue;
        QFont f = w->font();
        const qreal size = built.value(w);
        // Only sizes the form set itself; inherited sizes are the platform's.
        if (!(f.resolve() & QFont::SizeResolved) || size <= 0)
            continue;
        // Under a style sheet a font that names only its family reads as
        // sized too. A size equal to the inherited one is then taken as
        // inherited: it follows a fitted parent and is left alone otherwise.
        const QWidget* parent = w->isWindow() ? nullptr : w->parentWidget();
        const qreal inherited = parent ? built.value(parent) : QApplication::font(w).pointSizeF();
        if (w->testAttribute(Qt::WA_StyleSheet) && qFuzzyCompare(size, inherited)
            && !(parent && fitted.contains(parent)))
            continue;
        f.setPointSizeF(size * factor);
        w->setFont(f);
        w->setProperty(kFitted, true);
        fitted.insert(w);
    }
}
