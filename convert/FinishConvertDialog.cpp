#include "FinishConvertDialog.h"

#include "CSingleVersionStringUtil.h"
#include "FormFonts.h"
#include "GobelConfigure.h"
#include "QIAppUtil.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QStringList>
#include <QUrl>

FinishConvertDialog::FinishConvertDialog(QWidget* parent)
    : QImageDialog(parent)
{
    setupUi(this);
    fitFormFonts(this);
    setWindowFlags(Qt::Dialog);
    // The system title bar stands in for the skin's title strip.
    m_btnClose->hide();
    m_labTitle->hide();
    m_labTitleIcon->hide();
    setWindowTitle(tr("FinishConvert"));
    m_labTitleIcon->setPixmap(QPixmap(QIAppUtil::getResourcePath() + "/exp_image/LOGO_20.png"));
    Init();
}

FinishConvertDialog::~FinishConvertDialog() = default;

void FinishConvertDialog::Init()
{
    const QString res = QIAppUtil::getResourcePath();
    m_labTitle->setText(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");

    m_btnOpenFolder->setBtnImage(res + "/image/btn_open_folder.png");
    m_btnOpenFolder->setBtnText(tr("Open Folder"));
    m_btnOpenFolder->resizeFont();
    m_btnOpenFolder->setTextStyle(TextColorStyle3);

    m_okButton->setBtnImage(res + "/image/btn_OK.png");
    m_okButton->setBtnText(tr("Ok"));
    m_okButton->resizeFont();
    m_okButton->setTextStyle(TextColorStyle3);

    connect(m_okButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnOpenFolder, &QPushButton::clicked, this, &FinishConvertDialog::OnBtnOpenPath);
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void FinishConvertDialog::setFailures(int failed, int total, int endedEarly)
{
    if (failed <= 0 && endedEarly <= 0)
        return;
    m_infoLabel->setWordWrap(true);
    // Only a clean run is "completed"; the headline says what ended badly.
    const QString headline = failed >= total ? tr("No task completed") : tr("Not every task completed");
    QStringList lines{headline};
    if (failed > 0)
        lines << tr("%1 of %2 conversions failed").arg(failed).arg(total);
    if (endedEarly > 0)
        lines << tr("%1 of %2 sources ended early").arg(endedEarly).arg(total);
    m_infoLabel->setText(lines.join("\n"));
    fitInfoLabel();
}

void FinishConvertDialog::setMergeFailed()
{
    m_infoLabel->setWordWrap(true);
    m_infoLabel->setText(tr("The merge failed: no file could be joined"));
    fitInfoLabel();
}

void FinishConvertDialog::fitInfoLabel()
{
    // The form's label holds two lines; a longer report grows it about its
    // centre, never over the buttons below.
    const QRect box = m_infoLabel->geometry();
    const int limit = m_okButton->y() - 4;
    const int height = qMin(m_infoLabel->heightForWidth(box.width()), limit - 4);
    if (height <= box.height())
        return;
    const int top = qBound(4, box.center().y() - height / 2, limit - height);
    m_infoLabel->setGeometry(box.x(), top, box.width(), height);
}

void FinishConvertDialog::OnBtnOpenPath()
{
    const QString folder = g_Configure.m_strOutputFolder;
    // Only the last level is made: a folder whose parent has gone is not
    // silently rebuilt.
    if (!QFileInfo::exists(folder))
        QDir().mkdir(folder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}
