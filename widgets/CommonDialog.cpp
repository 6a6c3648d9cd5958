#include "CommonDialog.h"

#include "FormFonts.h"
#include "QIAppUtil.h"

#include <QMessageBox>
#include <QPixmap>

CommonDialog::CommonDialog(QWidget* parent)
    : QImageDialog(parent)
{
    setupUi(this);
    fitFormFonts(this);
    setWindowFlags(Qt::Dialog);

    // The title lives in the native title bar, so the skin's own title band
    // stays hidden for the dialog's life.
    m_btnClose->hide();
    m_title->hide();
    m_labTitleIcon->hide();

    const QString res = QIAppUtil::getResourcePath();
    SetImageBackgroud(res + "/image/newimage/common_bg.png", true);
    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
    initControls();
}

CommonDialog::~CommonDialog() = default;

void CommonDialog::initControls()
{
    const QString res = QIAppUtil::getResourcePath();

    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");

    m_btnOK->setBtnImage(res + "/image/btn_OK.png");
    m_btnOK->setBtnText(tr("Ok"));
    m_btnOK->resizeFont();
    m_btnOK->setTextStyle(TextColorStyle3);

    m_btnCancel->setBtnImage(res + "/image/BTN_Cancel.png");
    m_btnCancel->setBtnText(tr("Cancel"));
    m_btnCancel->resizeFont();
    m_btnCancel->setTextStyle(TextColorStyle3);

    connect(m_btnClose, &QPushButton::clicked, this, &CommonDialog::slotCloseDialog);
    connect(m_btnOK, &QPushButton::clicked, this, &CommonDialog::slotShowOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &CommonDialog::slotShowCancel);

    m_pIconImage = std::make_unique<QImage>(res + "/image/newimage/common_icon.png");
    m_iconImage->setPixmap(QPixmap::fromImage(*m_pIconImage));

    m_checkBox->setCheckable(true);
    m_checkBox->setChecked(false);
    connect(m_checkBox, &QCheckBox::clicked, this, &CommonDialog::slotCheckBox);
}

void CommonDialog::SetTitle(QString title) { setWindowTitle(title); }

void CommonDialog::SetMessage(QString message) { m_message->setText(message); }

void CommonDialog::slotShowOK() { done(QMessageBox::Ok); }

void CommonDialog::slotShowCancel()
{
    emit emitIsShowDlg(false);
    done(QMessageBox::Cancel);
}

void CommonDialog::slotCloseDialog()
{
    emit emitIsShowDlg(false);
    done(QMessageBox::Close);
}

void CommonDialog::slotCheckBox() { emit emitIsShowDlg(m_checkBox->isChecked()); }

void CommonDialog::paintEvent(QPaintEvent* event)
{
    QImageDialog::paintEvent(event);

    // The skin decides the size, so the widgets follow it at each repaint.
    const int W = width();
    const int H = height();
    const auto half = [](int v) { return int(v * 0.5); };
    m_title->move(half(W - m_title->width()), half(35 - m_title->height()));
    m_btnClose->move(W - 32, 5);
    m_btnCancel->move(W - 110, H - 50);
    m_btnOK->move(W - 240, H - 50);
    m_message->move(half(W - m_message->width()), int((H - m_message->height()) * 0.5 - 30));
    m_iconImage->move(30, int((H - m_iconImage->height()) * 0.5 - 30));
    m_checkBox->move(30, H - 50);
}
