#pragma once

#include "Convertinfo.h"
#include "QImageDialog.h"

class QImageButton;

// Quality settings of one output. Ok hands the edited record back; in merge
// mode it goes into the current format choice instead.
class FormatSettingDialog : public QImageDialog
{
    Q_OBJECT
public:
    explicit FormatSettingDialog(QWidget *parent);
    ~FormatSettingDialog() override;

    void setConvertinfo(Convertinfo &info);
    void setXmlfile(QString path);

    const Convertinfo &convertinfo() const { return m_info; }
    QString xmlFile() const { return m_strXmlFile; }

signals:
    void signalChangeConvertInfo(Convertinfo info);

private slots:
    void OnBtnOk();

private:
    QString m_strXmlFile;
    Convertinfo m_info;
    QImageButton *m_btnOK = nullptr;
    QImageButton *m_btnCancel = nullptr;
};
