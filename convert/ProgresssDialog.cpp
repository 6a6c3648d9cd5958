#include "ProgresssDialog.h"

#include "FormFonts.h"
#include "QIAppUtil.h"

#include <QPixmap>

ProgresssDialog::ProgresssDialog(QWidget* parent)
    : QImageDialog(parent, Qt::WindowFlags())
{
    setupUi(this);
    fitFormFonts(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);

    m_btnClose->hide();
    m_labTitleIcon->hide();
    m_labTitle->hide();
    setCanGrad(true);

    const QString res = QIAppUtil::getResourcePath();
    m_btnCancel->setBtnImage(res + "/image/BTN_Cancel.png");
    m_btnCancel->setBtnText(tr("Cancel"));
    m_btnCancel->resizeFont();
    m_btnCancel->setTextStyle(TextColorStyle3);
    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");

    connect(m_btnCancel, &QPushButton::clicked, this, &ProgresssDialog::OnBtnCancel);
    connect(m_btnClose, &QPushButton::clicked, this, &ProgresssDialog::OnBtnCancel);

    m_progressBar->setTopImage(res + "/image/line_contacts.png");
    m_progressBar->setBottomImage(res + "/image/line_else.png");
    m_progressBar->setCircleRadius(7);
    m_progressBar->showValueText(true);
    m_progressBar->setValue(0);

    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
    m_labTitle->setText(tr("Progress"));
}

ProgresssDialog::~ProgresssDialog() = default;

void ProgresssDialog::setALLfileCount(int count) { m_allFileCount = count; }

void ProgresssDialog::showLines(QString name)
{
    m_labProgress->setText(tr("Adding %1 of %2 file").arg(m_currentIndex).arg(m_allFileCount));
    m_labname->setText(name);
}

void ProgresssDialog::setCountingfileindex(int index, QString name)
{
    m_currentIndex = index;
    showLines(name);
    m_progressBar->setValue(0);
}

void ProgresssDialog::setProgress(int index, QString name)
{
    m_currentIndex = index;
    showLines(name);
    // A total of 0 never happens in an add; guard it all the same.
    const int percent =
        m_allFileCount > 0 ? static_cast<int>(static_cast<double>(index) * 100.0 / m_allFileCount) : 100;
    m_progressBar->setValue(percent);
    if (m_bLast)
        hide();
}

void ProgresssDialog::setLast(bool last) { m_bLast = last; }

void ProgresssDialog::setProgressbarValue(float value) { m_progressBar->setValue(static_cast<int>(value)); }

void ProgresssDialog::OnBtnCancel()
{
    emit signalStopAddFile();
    hide();
}

void ProgresssDialog::reject() { OnBtnCancel(); }
