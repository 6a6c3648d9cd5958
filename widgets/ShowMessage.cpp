#include "ShowMessage.h"

#include <QMessageBox>

void ShowMessage(const char* text, const char* title, unsigned int style)
{
    ShowMessage(QString::fromUtf8(text), QString::fromUtf8(title), style);
}

void ShowMessage(QString text, QString title, unsigned int)
{
    QMessageBox::information(nullptr, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

void ShowMessage(QWidget*, QString text, QString title, unsigned int style)
{
    ShowMessage(text, title, style);
}
