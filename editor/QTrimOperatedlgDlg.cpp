#include "QTrimOperatedlgDlg.h"

#include "FormFonts.h"
#include "QIAppUtil.h"

#include <QPainter>

QTrimOperatedlgDlg::QTrimOperatedlgDlg(QWidget* parent)
    : QWidget(parent)
{
    setupUi(this);
    fitFormFonts(this);
    InitBtnCtrl();
}

QTrimOperatedlgDlg::~QTrimOperatedlgDlg() = default;

bool QTrimOperatedlgDlg::InitBtnCtrl()
{
    const QString res = QIAppUtil::getResourcePath() + "/image/VideoEditDlg/";
    if (!m_btnPrevious->setBtnImage(res + "button_previous_frame.png")
        || !m_btnNext->setBtnImage(res + "button_next_frame.png")
        || !m_btnPlaySection->setBtnImage(res + "button_play_section.png")
        || !m_btnTrim->setBtnImage(res + "button_trim.png")
        || !m_btnReset->setBtnImage(res + "button_reset.png"))
        return false;

    m_btnPrevious->move(250, 8);
    m_btnNext->move(295, 8);
    m_btnPlaySection->move(345, 8);
    m_btnTrim->move(400, 8);
    m_btnReset->move(450, 3);

    m_btnReset->setBtnText(tr("Reset"));
    m_btnReset->resizeFont();
    m_btnReset->setTextPOS(10, 0);
    m_btnReset->setTextStyle(TextColorStyle2);

    m_btnPrevious->setToolTip(tr("Previous Frame"));
    m_btnNext->setToolTip(tr("Next Frame"));
    m_btnPlaySection->setToolTip(tr("Play Section"));
    m_btnTrim->setToolTip(tr("Trim"));
    m_btnReset->setToolTip(tr("Reset"));

    connect(m_btnPrevious, &QPushButton::clicked, this, &QTrimOperatedlgDlg::OnPreviousBtn);
    connect(m_btnNext, &QPushButton::clicked, this, &QTrimOperatedlgDlg::OnNextBtn);
    connect(m_btnPlaySection, &QPushButton::clicked, this, &QTrimOperatedlgDlg::OnPlayBtn);
    connect(m_btnTrim, &QPushButton::clicked, this, &QTrimOperatedlgDlg::OnTrimBtn);
    connect(m_btnReset, &QPushButton::clicked, this, &QTrimOperatedlgDlg::OnResetTrim);
    return true;
}

void QTrimOperatedlgDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(34, 36, 37));
}
