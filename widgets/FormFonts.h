#pragma once

class QWidget;

// The designer forms give font sizes in points of a 72-dpi screen, where a
// point is a pixel. On screens that count more dots per inch the same
// points come out larger and overflow the fixed frames of the skin, so the
// explicitly sized fonts of a form are scaled back to those pixel sizes.
// Call right after setupUi, before code pins fonts of its own; a widget
// already fitted (a nested form) is left as it is.
void fitFormFonts(QWidget* root);
