// Snapshots of the processed picture, their menu and the fading notice that
// reports them.
#include "QVideoEditDlg.h"

#include "CSingleVersionStringUtil.h"
#include "EnginePlayer.h"
#include "LogCategories.h"
#include "QCaptureSettingDlg.h"
#include "QIAppUtil.h"
#include "QMessOpacityDlg.h"
#include "ShowMessage.h"
#include "editing/SnapshotWriter.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QUrl>

void QVideoEditDlg::OnScreenshots()
{
    if (!m_snapshotWriter) {
        m_snapshotWriter = new SnapshotWriter(this);
        connect(m_snapshotWriter, &SnapshotWriter::finished, this, [this](bool saved, QString) {
            ShowOpacityMsgDlg(saved ? tr("Snapshot successfully!") : tr("Snapshot  failed!"));
        });
    }
    switch (m_snapshotWriter->take(m_engine->handle(), m_captureFolder, m_captureFormat)) {
    case SnapshotWriter::FolderMissing:
        ShowMessage(QString("\"%1\"").arg(m_captureFolder) + tr("is no exists"), QString());
        break;
    case SnapshotWriter::EmptyPicture:
        ShowOpacityMsgDlg(tr("Snapshot  failed!"));
        break;
    case SnapshotWriter::NoPicture:
    case SnapshotWriter::Saving:
        break;
    }
}

void QVideoEditDlg::ShowOpacityMsgDlg(QString text)
{
    if (!m_opacityDlg)
        m_opacityDlg = new QMessOpacityDlg(this);
    m_opacityDlg->SetBgImage(QIAppUtil::getResourcePath() + "/image/VideoEditDlg/msg_small_opacity.png");
    m_opacityDlg->SetMessText(text);
    m_opacityDlg->setWindowTitle(CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME));
    m_opacityDlg->StartOpacity();
    // Over the output preview, the picture the snapshot was taken of (the
    // editor's middle while that preview is hidden), so the notice shows
    // where the person looks; kept whole on that screen.
    const QWidget* over = m_videoPreviewWidget->isVisible() ? static_cast<QWidget*>(m_videoPreviewWidget)
                                                            : static_cast<QWidget*>(this);
    const QRect target(over->mapToGlobal(QPoint(0, 0)), over->size());
    QRect box(QPoint(0, 0), m_opacityDlg->size());
    box.moveCenter(target.center());
    const QScreen* screen = QGuiApplication::screenAt(target.center());
    if (!screen)
        screen = this->screen();
    if (screen) {
        const QRect room = screen->availableGeometry();
        box.moveLeft(qMax(room.left(), qMin(box.left(), room.right() + 1 - box.width())));
        box.moveTop(qMax(room.top(), qMin(box.top(), room.bottom() + 1 - box.height())));
    }
    qCDebug(lcEditor) << "editor at" << mapToGlobal(QPoint(0, 0)) << "notice at" << box.topLeft();
    m_opacityDlg->move(box.topLeft());
    m_opacityDlg->show();
}

void QVideoEditDlg::OnShowMenu() { m_snapshotMenu->popup(QCursor::pos() - QPoint(2, 0)); }

void QVideoEditDlg::OpenImgPath() { QDesktopServices::openUrl(QUrl::fromLocalFile(m_captureFolder)); }

void QVideoEditDlg::ShowPathSettingDlg()
{
    QCaptureSettingDlg dlg;
    if (dlg.exec() == QDialog::Accepted)
        IninScreenshotsInfo();
}
