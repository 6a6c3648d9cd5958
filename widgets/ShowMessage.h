#pragma once

#include <QString>

class QWidget;

// A standard information box with one Ok button, without a parent, waited
// on until closed. The text comes first, the title second; style and parent
// are accepted for the callers' convenience and ignored.
void ShowMessage(const char* text, const char* title, unsigned int style = 0);
void ShowMessage(QString text, QString title, unsigned int style = 0);
void ShowMessage(QWidget* parent, QString text, QString title, unsigned int style = 0);
