#pragma once

// Looks the editor's tool panels share.

#include <QColor>

class QWidget;
class QRadioButton;

namespace editorskin {

// The panels' background.
inline QColor panelColor() { return QColor(34, 36, 37); }

// White text, grey when disabled, in the panels' small Tahoma.
void setPanelText(QWidget* widget);

// The skinned indicator of the panels' radio buttons, with setPanelText.
void setPanelRadio(QRadioButton* radio);

} // namespace editorskin
