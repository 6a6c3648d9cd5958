#include "QAboutDlg.h"

#include "CSingleVersionStringUtil.h"
#include "FormFonts.h"
#include "QIAppUtil.h"

namespace {
const char* const kBrand = "Lumivane";
const char* const kVersion = "3.2.2.0";
} // namespace

QAboutDlg::QAboutDlg(QWidget* parent)
    : QImageDialog(parent)
{
    setupUi(this);
    fitFormFonts(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::Dialog);
    m_btnClose->hide();
    SetImageBackgroud(QIAppUtil::getResourcePath() + "/exp_image/about_bg.png", true);
    setWindowTitle(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
    InitControls();
    InitConnects();
    // The form keeps a title band that the system frame makes redundant.
    ResizeChildren(30);
}

QAboutDlg::~QAboutDlg() = default;

QString QAboutDlg::versionText()
{
    return QObject::tr("Version %1 Date %2").arg(QString::fromLatin1(kVersion), tr("07-31-2017"));
}

QString QAboutDlg::linkHtml(const QString& address)
{
    return QStringLiteral("<html><head/><body><p><a href=\"%1\"><span style=\" text-decoration: underline; "
                          "color:#0000ff;\">%2</span></a></p></body></html>")
        .arg(address, address);
}

bool QAboutDlg::InitControls()
{
    const QString res = QIAppUtil::getResourcePath();

    m_productsName->setText(QStringLiteral("%1 %2").arg(
        QString::fromLatin1(kBrand), CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME)));
    m_productsName->resizeFont();

    if (!m_btnOk->setBtnImage(res + "/image/btn_OK.png"))
        return false;
    if (!m_btnClose->setBtnImage(res + "/image/top_btn_close.png"))
        return false;

    m_btnOk->setBtnText(tr("Ok"));
    m_btnOk->resizeFont();
    m_btnOk->setTextStyle(TextColorStyle3);

    m_labelNote->setWordWrap(true);

    m_labBuild->setText(versionText());
    m_labBuild->resizeFont();

    m_homeAddress->setText(linkHtml(CSingleVersionStringUtil::GetLinkAddress(ADDR_LINK_HOME)));
    m_homeAddress->resizeFont();

    m_labWebsite->setText(tr("Website:"));
    m_labWebsite->resizeFont();
    // Wider fallback fonts would run the caption into the link.
    const int captionEnd =
        m_labWebsite->x() + m_labWebsite->fontMetrics().horizontalAdvance(m_labWebsite->text());
    m_homeAddress->setIndent(qMax(0, captionEnd + 4 - m_homeAddress->x()));

    m_labelOwner->setText(tr("\u00a9 2017 %1. All rights reserved.").arg(QString::fromLatin1(kBrand)));
    m_labelOwner->resizeFont();
    m_labelNote->setText(tr("This program is protected by copyright law."));
    m_labelNote->resizeFont();
    m_labelNote_2->setText(tr("Copying or distributing it without permission"));
    m_labelNote_2->resizeFont();
    m_labelNote_3->setText(tr("may be prosecuted to the extent of the law."));
    m_labelNote_3->resizeFont();
    return true;
}

void QAboutDlg::InitConnects()
{
    connect(m_btnOk, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
}
