#include "FormatSettingDialog.h"

#include "GobelConfigure.h"
#include "GobelItemChunk.h"
#include "QIAppUtil.h"
#include "QImageButton.h"

FormatSettingDialog::FormatSettingDialog(QWidget *parent) : QImageDialog(parent, Qt::Dialog)
{
    const QString res = QIAppUtil::getResourcePath();
    SetImageBackgroud(res + "/image/ini_setting_bg.png", true);
    setWindowTitle(tr("Settings"));

    m_btnOK = new QImageButton(this);
    m_btnOK->setBtnImage(res + "/image/btn_OK.png");
    m_btnOK->setBtnText(tr("Ok"));
    m_btnOK->setTextStyle(TextColorStyle(3));
    m_btnOK->setCursor(Qt::PointingHandCursor);
    m_btnOK->move(330, 290);

    m_btnCancel = new QImageButton(this);
    m_btnCancel->setBtnImage(res + "/image/BTN_Cancel.png");
    m_btnCancel->setBtnText(tr("Cancel"));
    m_btnCancel->setTextStyle(TextColorStyle(3));
    m_btnCancel->setCursor(Qt::PointingHandCursor);
    m_btnCancel->move(420, 290);

    connect(m_btnOK, &QPushButton::clicked, this, &FormatSettingDialog::OnBtnOk);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

FormatSettingDialog::~FormatSettingDialog() = default;

void FormatSettingDialog::setConvertinfo(Convertinfo &info)
{
    m_info = Convertinfo();
    m_info.isVideo = info.isVideo;
    m_info.V_Encoder = info.V_Encoder;
    m_info.V_Resolution = info.V_Resolution;
    m_info.V_FrameRate = info.V_FrameRate;
    m_info.V_BitRate = info.V_BitRate;
    m_info.A_Encoder = info.A_Encoder;
    m_info.A_Channel = info.A_Channel;
    m_info.A_SampleRate = info.A_SampleRate;
    m_info.A_BitRate = info.A_BitRate;
    m_info.V_Format = info.V_Format;
    m_info.V_Extend = info.V_Extend;
}

void FormatSettingDialog::setXmlfile(QString path)
{
    m_strXmlFile = path;
}

void FormatSettingDialog::OnBtnOk()
{
    if (g_Configure.m_bMerge) {
        Convertinfo &target = g_itemChunk.m_convertinfo;
        target.isVideo = m_info.isVideo;
        target.V_Encoder = m_info.V_Encoder;
        target.V_Resolution = m_info.V_Resolution;
        target.V_FrameRate = m_info.V_FrameRate;
        target.V_BitRate = m_info.V_BitRate;
        target.A_Encoder = m_info.A_Encoder;
        target.A_Channel = m_info.A_Channel;
        target.A_SampleRate = m_info.A_SampleRate;
        target.A_BitRate = m_info.A_BitRate;
        target.V_Format = m_info.V_Format;
        target.V_Extend = m_info.V_Extend;
    } else {
        emit signalChangeConvertInfo(m_info);
    }
    accept();
}
