#include "SanpSsetDialog.h"

#include "FormFonts.h"
#include "QIAppUtil.h"

#include <QFileDialog>

SanpSsetDialog::SanpSsetDialog(QWidget* parent)
    : QImageDialog(parent, Qt::Dialog)
{
    setupUi(this);
    fitFormFonts(this);
    setAttribute(Qt::WA_TranslucentBackground, false);
    m_btnClose->hide();
    const QString res = QIAppUtil::getResourcePath();
    m_btnOpen->setBtnImage(res + QStringLiteral("/image/btn_play_about.png"));
    m_btnOK->setBtnImage(res + QStringLiteral("/image/BUTTON_OK_m.png"));
    m_btnCancel->setBtnImage(res + QStringLiteral("/image/BUTTON_Cancel_m.png"));
    m_btnClose->setBtnImage(res + QStringLiteral("/image/VideoEditDlg/button_close.png"));
    m_comboBox->addItems({QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("bmp")});
    const QString fieldStyle =
        QStringLiteral("font-family: Tahoma; background: transparent; border: none; color: rgb(0, 55, 66);");
    const QString disabledStyle = QStringLiteral(":disabled { color: rgb(118, 116, 108); }");
    m_lineEdit->setStyleSheet(QStringLiteral("QLineEdit { %1 } QLineEdit%2").arg(fieldStyle, disabledStyle));
    m_comboBox->setStyleSheet(QStringLiteral("QComboBox { %1 } QComboBox%2 "
                                             "QComboBox::drop-down { width: 23px; background: transparent; "
                                             "border: none; }")
                                  .arg(fieldStyle, disabledStyle));
    connect(m_btnOK, &QPushButton::clicked, this, &SanpSsetDialog::OnBtnOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &SanpSsetDialog::OnBtnCancel);
    connect(m_btnClose, &QPushButton::clicked, this, &SanpSsetDialog::OnBtnClose);
    connect(m_btnOpen, &QPushButton::clicked, this, &SanpSsetDialog::OnBtnOPen);
}

void SanpSsetDialog::OnBtnOK() { hide(); }

void SanpSsetDialog::OnBtnCancel() { hide(); }

void SanpSsetDialog::OnBtnClose() { hide(); }

void SanpSsetDialog::OnBtnOPen()
{
    const QString dir = QFileDialog::getExistingDirectory(
        this, tr("Open Directory"), QStringLiteral("."),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks | QFileDialog::DontUseNativeDialog);
    if (!dir.isEmpty())
        m_lineEdit->setText(dir);
}
