#include "CheckUpdateDialog.h"

#include "CSingleVersionStringUtil.h"
#include "QIAppUtil.h"
#include "QImageButton.h"

#include <QLabel>
#include <QVBoxLayout>

CheckUpdateDialog::CheckUpdateDialog(QWidget *parent) : QImageDialog(parent, Qt::Dialog)
{
    setWindowTitle(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
    setFixedSize(400, 150);

    m_labMessage = new QLabel(tr("You are using the latest version."), this);
    m_labMessage->setAlignment(Qt::AlignCenter);
    m_labMessage->setWordWrap(true);
    QFont font("Tahoma");
    font.setPointSize(11);
    m_labMessage->setFont(font);

    m_btnOk = new QImageButton(this);
    m_btnOk->setBtnImage(QIAppUtil::getResourcePath() + "/image/btn_OK.png");
    m_btnOk->setBtnText(tr("Ok"));
    m_btnOk->setTextStyle(TextColorStyle3);
    m_btnOk->setCursor(Qt::PointingHandCursor);
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(m_labMessage, 1);
    layout->addWidget(m_btnOk, 0, Qt::AlignHCenter);
}

CheckUpdateDialog::~CheckUpdateDialog() = default;

QString CheckUpdateDialog::messageText() const
{
    return m_labMessage->text();
}
