#include "LResizeLabel.h"

LResizeLabel::LResizeLabel(QWidget* parent)
    : QLabel(parent)
{}

LResizeLabel::~LResizeLabel() = default;

void LResizeLabel::resizeFont()
{
    const QFont current = font();
    // Setting each property marks it as the label's own; a plain copy would
    // keep following the parent for whatever the form left unset.
    QFont pinned = current;
    pinned.setFamily(current.family());
    // Fitted form sizes are fractional; whole points would round them off.
    if (current.pointSizeF() > 0)
        pinned.setPointSizeF(current.pointSizeF());
    else
        pinned.setPixelSize(current.pixelSize());
    pinned.setWeight(current.weight());
    pinned.setItalic(current.italic());
    pinned.setUnderline(current.underline());
    pinned.setStrikeOut(current.strikeOut());
    setFont(pinned);
    repaint();
}

void LResizeLabel::paintEvent(QPaintEvent* event) { QLabel::paintEvent(event); }
