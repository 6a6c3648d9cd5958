#pragma once

#include "QImageDialog.h"
#include "ui_QAboutDlg.h"

// The About box: product line, version and date, home-page link and the
// legal notice on a fixed-size background picture.
class QAboutDlg : public QImageDialog, public Ui::QAboutDlg
{
    Q_OBJECT
public:
    explicit QAboutDlg(QWidget* parent);
    ~QAboutDlg() override;

    // Fills every text; false when a button picture is missing, in which
    // case the rest keeps the form's placeholders.
    bool InitControls();
    void InitConnects();

    static QString versionText();
    static QString linkHtml(const QString& address);
};
