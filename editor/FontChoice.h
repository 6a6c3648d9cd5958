#pragma once

// The font dialog of the subtitle and text watermark styles: both records
// carry the same font fields.

#include <QFont>
#include <QFontDialog>

class QWidget;

namespace fontchoice {

template <typename Style>
QFont fontOf(const Style& s)
{
    QFont font(s.font_family, s.font_size, s.bold ? 75 : 50, s.italic != 0);
    font.setUnderline(s.underline != 0);
    font.setStrikeOut(s.strikeout != 0);
    return font;
}

template <typename Style>
void takeFont(Style& s, const QFont& font)
{
    s.font_family = font.family();
    s.bold = font.weight() > 57 ? 1 : 0;
    s.font_size = font.pointSize();
    s.italic = font.style() != QFont::StyleNormal ? 1 : 0;
    s.underline = font.underline() ? 1 : 0;
    s.strikeout = font.strikeOut() ? 1 : 0;
}

// True when the user chose a font; the record is then updated.
template <typename Style>
bool choose(QWidget* parent, Style& s)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, fontOf(s), parent, QString());
    if (!ok)
        return false;
    takeFont(s, font);
    return true;
}

} // namespace fontchoice
