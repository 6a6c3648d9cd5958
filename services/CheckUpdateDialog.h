#pragma once

#include "QImageDialog.h"

class QImageButton;
class QLabel;

// The update dialog. For now it only reports the installed version as the
// latest; the update check itself comes later.
class CheckUpdateDialog : public QImageDialog
{
    Q_OBJECT
public:
    explicit CheckUpdateDialog(QWidget *parent);
    ~CheckUpdateDialog() override;

    QString messageText() const;

private:
    QLabel *m_labMessage = nullptr;
    QImageButton *m_btnOk = nullptr;
};
