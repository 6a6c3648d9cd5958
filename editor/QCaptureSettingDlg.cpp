#include "QCaptureSettingDlg.h"

#include "FormFonts.h"
#include "QIAppUtil.h"
#include "ShowMessage.h"
#include "editing/PickedFiles.h"
#include "editing/QVideoSettingXml.h"

#include <QDir>
#include <QFileDialog>
#include <QPixmap>

QCaptureSettingDlg::QCaptureSettingDlg(QWidget* parent)
    : QImageDialog(parent)
    , m_savePath(QVideoSettingXml::defaultFolder())
{
    setupUi(this);
    fitFormFonts(this);
    const QString res = QIAppUtil::getResourcePath();

    setAttribute(Qt::WA_TranslucentBackground);
    SetImageBackgroud(res + "/image/VideoEditDlg/bg_setting.png", true);

    setWindowFlags(Qt::Dialog);
    m_btnClose->hide();
    setWindowTitle(tr("Save"));
    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
    m_labTitleIcon->hide();
    m_labTitle->setText(tr("Save"));
    m_labTitle->hide();

    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");
    m_btnCancel->setBtnImage(res + "/image/BTN_Cancel.png");
    m_btnCancel->setBtnText(tr("Cancel"));
    m_btnCancel->resizeFont();
    m_btnCancel->setTextStyle(TextColorStyle3);
    m_btnOk->setBtnImage(res + "/image/btn_OK.png");
    m_btnOk->setBtnText(tr("Ok"));
    m_btnOk->resizeFont();
    m_btnOk->setTextStyle(TextColorStyle3);
    m_btnOpen->setBtnImage(res + "/image/VideoEditDlg/btn_folder.png");
    m_btnClose->move(width() - m_btnClose->width(), 2);
    m_btnCancel->move(285, 180);
    m_btnOk->move(395, 180);
    m_btnOpen->move(450, 117);

    m_labFormat->setText(tr("Format:"));
    m_labFormat->resizeFont();
    m_labPath->setText(tr("Save to:"));
    m_labPath->resizeFont();
    // Right-aligned captions end at x 95; they reach further left than the
    // skin's 45 pixels, which the platform's fonts overflow.
    m_labFormat->setGeometry(10, 75, 85, 19);
    m_labPath->setGeometry(10, 115, 85, 19);
    m_cmbFormat->setGeometry(100, 75, 180, 22);
    m_editPath->setGeometry(100, 117, 350, 20);

    m_cmbFormat->addItems({"JPEG", "JPG", "BMP", "PNG"});
    m_cmbFormat->setCurrentIndex(0);
    m_editPath->setReadOnly(true);

    InitCmbSuffix();
    SetSavePath();

    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(m_btnOk, &QPushButton::clicked, this, &QCaptureSettingDlg::OnOkBtn);
    connect(m_btnOpen, &QPushButton::clicked, this, &QCaptureSettingDlg::OnOpenSaveBtn);

    ResizeChildren(30);
}

QCaptureSettingDlg::~QCaptureSettingDlg() = default;

void QCaptureSettingDlg::InitCmbSuffix()
{
    const int index = m_cmbFormat->findText(QVideoSettingXml::getCaptureImgSuffix(),
                                            Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        m_cmbFormat->setCurrentIndex(index);
}

void QCaptureSettingDlg::SetSavePath()
{
    // The default folder exists whatever is stored, so the editor can always
    // fall back to it.
    QDir().mkpath(m_savePath);
    setSavePath(QVideoSettingXml::getCaptrueImaSavePath());
}

void QCaptureSettingDlg::setSavePath(const QString& path)
{
    m_savePath = path;
    m_editPath->setText(path);
}

void QCaptureSettingDlg::OnOkBtn()
{
    const bool suffixStored = QVideoSettingXml::setCaptureImgSuffix(m_cmbFormat->currentText());
    const bool folderStored = QVideoSettingXml::setCaptrueImaPath(m_savePath);
    if (!suffixStored || !folderStored) {
        // Ending Accepted would have the editor re-read values that were
        // never stored; say so and let the user cancel or try again.
        ShowMessage(tr("The snapshot settings could not be saved to\n\"%1\".")
                        .arg(QDir::toNativeSeparators(QVideoSettingXml::fileName())),
                    QString());
        return;
    }
    accept();
}

void QCaptureSettingDlg::OnOpenSaveBtn()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Save to"), ".", QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!folder.isEmpty())
        pickFolder(folder);
}

void QCaptureSettingDlg::pickFolder(const QString& folder)
{
    // Refused now rather than at every snapshot; the check writes, so it
    // runs off the window's thread.
    PickedFiles::checkInBackground(
        this, [folder] { return PickedFiles::checkSnapshotFolder(folder); },
        [this, folder](const PickedFiles::Verdict& verdict) {
            if (verdict.usable)
                setSavePath(folder);
            else
                ShowMessage(verdict.message, QString());
        });
}
