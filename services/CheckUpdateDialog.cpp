#include "CheckUpdateDialog.h"

#include "CSingleVersionStringUtil.h"
#include "CommonDialog.h"
#include "FormFonts.h"
#include "LogCategories.h"
#include "QIAppUtil.h"
#include "update/UpdateRestart.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

namespace {
QString productName() { return CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME); }

// Closes every window the normal way; when one stays open the program goes
// on and is not restarted.
void closeAllWindows()
{
    QApplication::closeAllWindows();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            UpdateRestart::cancel();
            return;
        }
    }
}
} // namespace

CheckUpdateDialog::CheckUpdateDialog(QWidget* parent)
    : QImageDialog(parent, Qt::Dialog)
{
    setupUi(this);
    fitFormFonts(this);
    setWindowFlags(Qt::Dialog);
    setWindowTitle(tr("Update"));
    m_widTop->hide();
    m_closeApplication = closeAllWindows;

    setCheckingUpdateUIState();
    initControl();

    m_checker = CreateCheckUpdateObj();
    m_checker->setCallback(this);
    startOrAttach();
}

CheckUpdateDialog::~CheckUpdateDialog()
{
    if (m_checker)
        m_checker->removeCallback();
    m_checker = nullptr;
}

void CheckUpdateDialog::setCheckingUpdateUIState()
{
    m_state = State::Checking;
    m_widButtons->show();
    m_widProgress->hide();
    m_labNewVersionTiltle->hide();
    m_btnUpdateCompleted->hide();
    m_btnCancel->hide();
    m_btnUpdate->show();
    m_btnUpdate->setBtnText(tr("Close"));
    m_labNewVersionInfo->setText(tr("Checking for update now, please wait..."));
}

void CheckUpdateDialog::initControl()
{
    const QString res = QIAppUtil::getResourcePath();
    m_labTopTitle->setText(productName());
    m_labProductName->setText(productName());
    m_pgrDownload->setValue(0);
    m_labDownloadPercent->setText(QStringLiteral("0 %"));
    m_btnUpdateCompleted->setBtnText(tr("OK"));
    m_btnCancel->setBtnText(tr("Close"));
    m_btnStop->setBtnText(tr("Stop"));

    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));
    m_labIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_48.png"));
    m_btnClose->setBtnImage(res + "/image/VideoEditDlg/top_btn_close.png");
    for (QImageButton* button : {m_btnUpdateCompleted, m_btnUpdate, m_btnCancel, m_btnStop}) {
        button->setBtnImage(res + "/image/btn_message.png");
        button->setTextStyle(TextColorStyle3);
        button->setCursor(Qt::PointingHandCursor);
    }
    m_labProductName->setStyleSheet(QStringLiteral("color: gray"));
    m_btnUpdate->setDefault(true);

    connect(m_btnUpdate, &QPushButton::clicked, this, &CheckUpdateDialog::onBtnUpdate);
    connect(m_btnUpdateCompleted, &QPushButton::clicked, this, &CheckUpdateDialog::onBtnUpdateCompleted);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(m_btnStop, &QPushButton::clicked, this, &CheckUpdateDialog::onBtnStop);
}

void CheckUpdateDialog::startOrAttach()
{
    switch (m_checker->stage()) {
    case UpdateStage::Downloading:
    case UpdateStage::Installing: {
        // The update already under way is shown, not started again.
        m_bHasUpdate = true;
        m_strNewVersion = m_checker->foundVersion();
        onHaveUpdate(true, m_strNewVersion, m_checker->foundNotes());
        onBegin();
        unsigned long long done = 0;
        unsigned long long total = 0;
        m_checker->lastProgress(&done, &total);
        onProgress(done, total);
        break;
    }
    case UpdateStage::Installed:
        onHaveUpdate(true, m_checker->foundVersion(), m_checker->foundNotes());
        onEnd();
        break;
    case UpdateStage::Idle:
    case UpdateStage::Checking:
        setCheckingUpdateUIState();
        m_checker->startCheckHaveUpdate();
        break;
    }
}

void CheckUpdateDialog::onHaveUpdate(bool have, QString version, QString notes)
{
    m_bHasUpdate = have;
    if (have) {
        m_state = State::UpdateFound;
        m_strNewVersion = version;
        m_labNewVersionTiltle->setText(tr("What's New? - Version %1").arg(version));
        m_labNewVersionTiltle->show();
        m_btnUpdate->setBtnText(tr("Update"));
        m_labNewVersionInfo->setText(notes.isEmpty() ? tr("No release notes were published for this version.")
                                                     : notes);
    } else {
        m_state = State::NoUpdate;
        m_btnUpdate->setBtnText(tr("OK"));
        m_labNewVersionInfo->setText(
            tr("You have the latest version. No newer version is available at this time."));
    }
}

void CheckUpdateDialog::showProgressState()
{
    m_widButtons->hide();
    m_widProgress->show();
}

void CheckUpdateDialog::onBegin()
{
    m_bUpdating = true;
    m_bStopping = false;
    m_btnStop->show();
    m_btnStop->setEnabled(true);
    m_state = State::Downloading;
    m_labStatus->setText(tr("Downloading this latest version of Tessaloon"));
    m_pgrDownload->setValue(0);
    m_labDownloadPercent->setText(QStringLiteral("0 %"));
    showProgressState();
}

int CheckUpdateDialog::shownPercent(unsigned long long done, unsigned long long total)
{
    if (total == 0)
        return 0;
    const double percent = static_cast<double>(done) * 100.0 / static_cast<double>(total);
    const int value = percent < 0 ? 0 : static_cast<int>(percent);
    return qBound(0, value, 100);
}

void CheckUpdateDialog::onProgress(unsigned long long done, unsigned long long total)
{
    int shown = shownPercent(done, total);
    if (shown == 100) {
        // Verifying and installing follow; only the end shows 100.
        m_state = State::Installing;
        m_labStatus->setText(tr("Installing the latest version of %1").arg(productName()));
        // An install under way is not stopped half-way.
        m_btnStop->hide();
        shown = 99;
    }
    m_pgrDownload->setValue(shown);
    m_labDownloadPercent->setText(QStringLiteral("%1 %").arg(shown));
}

void CheckUpdateDialog::showCompletedState()
{
    m_state = State::Completed;
    m_bRestartDeclined = false;
    m_btnUpdateCompleted->setBtnText(tr("OK"));
    m_pgrDownload->setValue(100);
    m_labDownloadPercent->setText(QStringLiteral("100 %"));
    m_widButtons->show();
    m_widProgress->hide();
    m_btnClose->hide();
    m_btnUpdate->hide();
    m_btnCancel->hide();
    m_btnUpdateCompleted->show();
    m_btnUpdateCompleted->setDefault(true);
    // The notes stay; the title says what OK does.
    m_labNewVersionTiltle->setText(
        tr("Version %1 is installed. Press OK to restart %2.").arg(m_strNewVersion, productName()));
    m_labNewVersionTiltle->show();
}

void CheckUpdateDialog::onEnd()
{
    m_bUpdating = false;
    m_bStopping = false;
    m_bHasUpdate = false;
    showCompletedState();
}

void CheckUpdateDialog::onError(QString message)
{
    qCDebug(lcServices) << "update error:" << message;
    if (message.isEmpty())
        message = tr("The update server could not be reached. Check your Internet connection and try again.");
    m_state = State::Failed;
    m_bFailed = true;
    m_bUpdating = false;
    m_widButtons->show();
    m_widProgress->hide();
    m_btnUpdateCompleted->hide();
    m_btnUpdate->show();
    m_btnUpdate->setBtnText(tr("Retry"));
    m_btnCancel->show();
    // The heading says which step failed: nothing is updated by a failed
    // check or download.
    QString heading = tr("The update did not succeed");
    if (m_bStopping)
        heading = tr("The download was stopped");
    else if (m_checker->failedStage() == UpdateStage::Checking)
        heading = tr("The check for updates did not succeed");
    else if (m_checker->failedStage() == UpdateStage::Downloading)
        heading = tr("The download did not succeed");
    m_bStopping = false;
    m_labNewVersionTiltle->setText(heading);
    m_labNewVersionTiltle->show();
    m_labNewVersionInfo->setText(message.toHtmlEscaped());
    update();
}

void CheckUpdateDialog::onBtnUpdate()
{
    if (m_bFailed) {
        // Retry: check again (or show the download that is still running).
        m_bFailed = false;
        m_bHasUpdate = false;
        startOrAttach();
        return;
    }
    if (!m_bHasUpdate) {
        close();
        return;
    }
    m_checker->startUpdate();
}

void CheckUpdateDialog::onBtnStop()
{
    m_bStopping = true;
    m_btnStop->setEnabled(false);
    m_checker->stopUpdate();
}

void CheckUpdateDialog::onBtnUpdateCompleted()
{
    if (m_bRestartDeclined) {
        close();
        return;
    }
    if (m_conversionRunning && m_conversionRunning()) {
        // The one question before the restart: the windows then close
        // without asking again.
        CommonDialog ask(this);
        ask.SetTitle(productName());
        ask.SetMessage(tr("Conversions are still running. Restarting now stops them. Restart anyway?"));
        ask.m_checkBox->hide();
        if (ask.exec() != QMessageBox::Ok) {
            m_bRestartDeclined = true;
            m_labNewVersionTiltle->setText(
                tr("Version %1 is installed. It will be used the next time %2 starts.")
                    .arg(m_strNewVersion, productName()));
            m_btnUpdateCompleted->setBtnText(tr("Close"));
            return;
        }
    }
    UpdateRestart::requestAtQuit();
    accept();
    // After this dialog's own loop has ended, so the window that opened it
    // closes like any other time.
    QTimer::singleShot(0, qApp, m_closeApplication);
}
