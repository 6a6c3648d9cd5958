#include "QMessOpacityDlg.h"

#include "FormFonts.h"
#include "QIAppUtil.h"

#include <QPixmap>
#include <QPointer>
#include <QTimer>

QMessOpacityDlg::QMessOpacityDlg(QWidget* parent)
    : QImageDialog(parent)
{
    setupUi(this);
    fitFormFonts(this);
    setAttribute(Qt::WA_TranslucentBackground);
    // A notice over its skin picture, not a window: no title bar or frame.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

    const QString res = QIAppUtil::getResourcePath();
    SetImageBackgroud(res + "/image/mess_opacity.png", true);

    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
    m_btnClose->setBtnImage(res + "/image/VideoEditDlg/top_btn_close.png");
    m_btnClose->move(368, 3);
    m_labText->setText(QString());
    m_labTitle->setText(QString());
    m_chkNote->setText(tr("Don't show this message again"));
    m_chkNote->move(60, 65);

    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &QMessOpacityDlg::OnTimer);
    connect(m_btnClose, &QPushButton::clicked, this, &QMessOpacityDlg::OnClose);

    m_btnOk->setBtnImage(res + "/image/VideoEditDlg/button_ok.png");
    m_btnOk->setBtnText(tr("Ok"));
    m_btnOk->resizeFont();
    m_btnOk->setTextStyle(TextColorStyle3);
    m_btnOk->move(150, 160);
    m_btnOk->hide();
    connect(m_btnOk, &QPushButton::clicked, this, &QMessOpacityDlg::OnClose);
    m_chkNote->hide();
}

QMessOpacityDlg::~QMessOpacityDlg() = default;

void QMessOpacityDlg::SetBgImage(QString path)
{
    SetImageBackgroud(path, true);
    m_btnClose->move(320, 3);
    update();
}

void QMessOpacityDlg::SetMessText(QString text)
{
    m_labText->setText(text);
    m_labText->setGeometry(50, height() / 2 - 5, width(), 40);
    m_labText->setWordWrap(true);
    m_labText->setAlignment(Qt::AlignTop | Qt::AlignLeft);
}

void QMessOpacityDlg::SetMessText(QString text, int x, int y)
{
    m_labText->setText(text);
    m_labText->setGeometry(x, y, width(), 40);
    m_labText->setWordWrap(true);
    m_labText->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_labTitle->setWordWrap(true);
    m_btnOk->show();
}

void QMessOpacityDlg::StartOpacity()
{
    setWindowOpacity(1.0);
    m_pTimer->start(1000);
}

void QMessOpacityDlg::SetIsOpacity(bool fadeOnHover) { m_bFadeOnHover = fadeOnHover; }

void QMessOpacityDlg::SetCheckShow(bool show) { m_chkNote->setVisible(show); }

void QMessOpacityDlg::SetXmlSetting() {}

void QMessOpacityDlg::OnTimer()
{
    const double o = windowOpacity();
    if (o > 0.9)
        m_pTimer->start(200);
    if (o < 0.1) {
        m_pTimer->stop();
        close();
        return;
    }
    setWindowOpacity(o - 0.1);
}

void QMessOpacityDlg::OnClose()
{
    setWindowOpacity(1.0);
    m_pTimer->stop();
    close();
}

void QMessOpacityDlg::enterEvent(QEvent* event)
{
    if (m_bFadeOnHover) {
        setWindowOpacity(1.0);
        m_pTimer->stop();
    }
    QImageDialog::enterEvent(event);
}

void QMessOpacityDlg::leaveEvent(QEvent* event)
{
    if (m_bFadeOnHover) {
        setWindowOpacity(1.0);
        m_pTimer->start(1000);
    }
    QImageDialog::leaveEvent(event);
}

void ShowOpacityMessDlg(QWidget* parent, QString text)
{
    // Guarded: the parent may have taken the notice with it.
    static QPointer<QMessOpacityDlg> notice;
    if (!notice)
        notice = new QMessOpacityDlg(parent);
    notice->SetMessText(text);
    notice->setWindowOpacity(1.0);
    notice->fadeTimer()->start(1000);
    notice->show();
}
