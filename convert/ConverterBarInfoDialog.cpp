#include "ConverterBarInfoDialog.h"

#include "CSingleVersionStringUtil.h"
#include "FileInfoLabelWidget.h"
#include "FormFonts.h"
#include "QIAppUtil.h"
#include "VideoConvertBar.h"

#include <QPixmap>

namespace {

struct PaneRow
{
    const char* caption;
    QString value;
};

void fillPane(FileInfoLabelWidget* pane, const QString& title, const PaneRow (&rows)[4], bool hideFirst)
{
    QLabel* const captions[4] = {pane->m_labNameFirst, pane->m_labNameSecend, pane->m_labNameThird,
                                 pane->m_labNameFourth};
    QLabel* const values[4] = {pane->m_labValueFirst, pane->m_labValueSecend, pane->m_labValueThird,
                               pane->m_labValueFourth};
    pane->m_labFileInfo->setText(title);
    for (int i = 0; i < 4; ++i) {
        captions[i]->setText(ConverterBarInfoDialog::tr(rows[i].caption));
        values[i]->setText(rows[i].value);
    }
    // The probe never fills the encoder lines, so they stay out of view.
    captions[0]->setVisible(!hideFirst);
    values[0]->setVisible(!hideFirst);
}

} // namespace

ConverterBarInfoDialog::ConverterBarInfoDialog(QWidget* parent)
    : QImageDialog(parent)
{
    setupUi(this);
    fitFormFonts(this);
    setWindowFlags(Qt::Dialog);
    setWindowTitle(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
    m_widTop->hide();
    m_labTitleIcon->hide();
    InitControl();
}

ConverterBarInfoDialog::~ConverterBarInfoDialog() = default;

void ConverterBarInfoDialog::InitControl()
{
    const QString res = QIAppUtil::getResourcePath();
    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");
    m_btnOK->setBtnImage(res + "/image/btn_message.png");
    m_btnOK->setBtnText(tr("Ok"));
    m_btnOK->resizeFont();
    m_btnOK->setTextStyle(TextColorStyle3);
    connect(m_btnClose, &QPushButton::clicked, this, &ConverterBarInfoDialog::onBtnColse);
    connect(m_btnOK, &QPushButton::clicked, this, &ConverterBarInfoDialog::onBtnOK);
}

void ConverterBarInfoDialog::setFileInfo(VideoConvertBar* task)
{
    if (!task)
        return;
    const Convertinfo info = task->SourceInfo();
    const PaneRow file[4] = {{QT_TR_NOOP("Name:"), info.F_Name},
                             {QT_TR_NOOP("Format:"), info.F_Format},
                             {QT_TR_NOOP("Duration:"), info.F_Duration},
                             {QT_TR_NOOP("Size:"), info.F_Size}};
    const PaneRow video[4] = {{QT_TR_NOOP("Video Encoder:"), info.V_Encoder},
                              {QT_TR_NOOP("Bit Rate:"), info.V_BitRate},
                              {QT_TR_NOOP("Resolution:"), info.V_Resolution},
                              {QT_TR_NOOP("Frame Rate:"), info.V_FrameRate}};
    const PaneRow audio[4] = {{QT_TR_NOOP("Audio Encoder:"), info.A_Encoder},
                              {QT_TR_NOOP("Bit Rate:"), info.A_BitRate},
                              {QT_TR_NOOP("Sample Rate:"), info.A_SampleRate},
                              {QT_TR_NOOP("Channel:"), info.A_Channel}};
    fillPane(m_widFileInfo, tr("File Info"), file, false);
    fillPane(m_widVideoInfo, tr("Video Info"), video, true);
    fillPane(m_widAudioInfo, tr("Audio Info"), audio, true);
}

void ConverterBarInfoDialog::onBtnColse() { close(); }

void ConverterBarInfoDialog::onBtnOK() { close(); }
