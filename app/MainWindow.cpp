#include "MainWindow.h"

#include "CSingleUserLog.h"
#include "CSingleVersionStringUtil.h"
#include "CheckUpdateDialog.h"
#include "CommonDialog.h"
#include "LogCategories.h"

#include "FormFonts.h"
#include "FormatWindow.h"
#include "GobelConfigure.h"
#include "HistoryDialog.h"
#include "QAboutDlg.h"
#include "QIAppUtil.h"
#include "ScrollAreaforBar.h"
#include "ShowMessage.h"
#include "files/DataFile.h"
#include "formats/GobelItemChunk.h"
#include "update/UpdateRestart.h"
#include <QApplication>
#include <QCloseEvent>

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <QtDebug>

namespace {
void logEvent(int id, const char* text = nullptr)
{
    CSingleUserLog::getInstance()->AddUserLog(id, false, 0, text);
}

QString productName() { return CSingleVersionStringUtil::GetLinkAddress(ADDR_PRODUCT_NAME); }
} // namespace

namespace {
// A data file that could not be saved (full disk, folder not writable) is
// told once per run, after the step that failed; the program goes on.
void tellFailedSaveOnce(const QString& path)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [path] {
            static bool told = false;
            if (told)
                return;
            told = true;
            ShowMessage(QCoreApplication::translate("MainWindow",
                                                    "Your change could not be saved to \"%1\". "
                                                    "Check that the disk has free space.")
                            .arg(QDir::toNativeSeparators(path)),
                        productName());
        },
        Qt::QueuedConnection);
}

// A data file set aside (damaged, too large) or refused (not a regular
// file) is told once per run; notices that come together are told in one
// message.
void tellDataFileNotice(const QString& path, const QString& keptAs)
{
    const QString line = keptAs.isEmpty()
        ? QCoreApplication::translate("MainWindow", "\"%1\" is not a regular file and was not used.")
              .arg(QDir::toNativeSeparators(path))
        : QCoreApplication::translate("MainWindow", "\"%1\" could not be used and was kept as \"%2\".")
              .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(keptAs));
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [line] {
            static QSet<QString> told;
            static QStringList pending;
            if (told.contains(line))
                return;
            told.insert(line);
            pending << line;
            if (pending.size() > 1)
                return;
            QTimer::singleShot(0, [] {
                const QString text = pending.join('\n');
                pending.clear();
                ShowMessage(text, productName());
            });
        },
        Qt::QueuedConnection);
}
} // namespace

MainWindow::MainWindow(QWidget* parent)
    : TensileWindow(parent)
{
    DataFile::setFailureHandler(tellFailedSaveOnce);
    DataFile::setNoticeHandler(tellDataFileNotice);
    setupUi(this);
    fitFormFonts(this);
    InitControls();
    InitMenu();
    InitBtn();
    InitOthers();
    // Files are dropped on the queue, which takes them itself.
    setAcceptDrops(false);
    updateWidgetText();
}

MainWindow::~MainWindow()
{
    delete m_menu;
    m_menu = nullptr;
    delete m_actAbout;
    m_actAbout = nullptr;
    delete m_actUserGuide;
    m_actUserGuide = nullptr;
    delete m_actSupportCenter;
    m_actSupportCenter = nullptr;
    delete m_actCheckUpdate;
    m_actCheckUpdate = nullptr;
    delete m_menuLanguage;
    m_menuLanguage = nullptr;
    delete m_actEnglish;
    m_actEnglish = nullptr;
    delete m_menuBar;
    m_menuBar = nullptr;
}

void MainWindow::InitControls()
{
    // The window takes the form's layout over; verticalLayoutWidget stays
    // behind empty.
    setLayout(m_mainLayout);
    setWindowTitle(productName());
    setWindowIcon(QIcon(QIAppUtil::getResourcePath() + "/exp_image/LOGO_512.png"));
    // Moved by the system title bar, so no drag band of our own.
    setTitleHeight(0);
    m_btnClose->hide();
    m_btnMax->hide();
    m_btnMin->hide();
    m_btnMenu->hide();
    m_btnConvert->setEnabled(false);
}

void MainWindow::InitMenu()
{
    m_menu = new QMenu(this);
    m_actAbout = new QAction(this);
    m_actUserGuide = new QAction(this);
    m_actSupportCenter = new QAction(this);
    m_actCheckUpdate = new QAction(this);
    m_menuLanguage = new QMenu(this);
    m_actEnglish = new QAction(this);
    m_menuLanguage->addAction(m_actEnglish);

    m_menu->addAction(m_actUserGuide);
    m_menu->addAction(m_actSupportCenter);
    m_menu->addSeparator();
    m_menu->addAction(m_actCheckUpdate);
    m_menu->addSeparator();
    m_menu->addAction(m_actAbout);
    m_menu->addSeparator();
    m_menu->addMenu(m_menuLanguage);

    m_convertDoneLab->hide();

    m_menuBar = new QMenuBar(this);
    m_menuBar->addMenu(m_menu);
    if (m_menuBar->isNativeMenuBar()) {
        m_mainLayout->setMenuBar(m_menuBar);
    } else {
        // Without a system menu bar a row of its own would push the header
        // buttons into the queue; the menu sits in the header's top-right
        // corner instead, where the hidden title buttons would be.
        m_menuBar->setObjectName("m_menuBar");
        m_menuBar->setAttribute(Qt::WA_TranslucentBackground);
        m_menuBar->setStyleSheet("QMenuBar#m_menuBar { background: transparent; color: rgb(255, 255, 255); }"
                                 "QMenuBar#m_menuBar::item { background: transparent; padding: 3px 10px; }"
                                 "QMenuBar#m_menuBar::item:selected { background: rgba(255, 255, 255, 40);"
                                 " border-radius: 3px; }");
        m_menuBar->raise();
    }

    connect(m_actCheckUpdate, &QAction::triggered, this, &MainWindow::OnbtnCheckUpdates);
    connect(m_actSupportCenter, &QAction::triggered, this, &MainWindow::OnbtnSupportCenter);
    connect(m_actUserGuide, &QAction::triggered, this, &MainWindow::OnbtnHelp);
    connect(m_actAbout, &QAction::triggered, this, &MainWindow::OnbtnAbout);
    connect(m_menuLanguage, &QMenu::triggered, this, &MainWindow::onChangeLanguage);
}

void MainWindow::InitBtn()
{
    const QString res = QIAppUtil::getResourcePath();
    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");
    m_btnMax->setBtnImage(res + "/image/top_btn_max.png");
    m_btnMin->setBtnImage(res + "/image/top_btn_min.png");
    m_btnMenu->setBtnImage(res + "/image/top_btn_muse.png");
    m_btnAdd->setBtnImage(res + "/image/btn_add.png");
    m_btnRemove->setBtnImage(res + "/image/btn_remove.png");
    m_btnConvert->setBtnImage(res + "/image/btn_convert.png");
    m_btnChosepath->setBtnImage(res + "/image/btn_check.png");
    m_btnOpenpath->setBtnImage(res + "/image/btn_foot_search.png");
    m_btnHistory->setBtnImage(res + "/image/btn_history.png");
    m_btnMerageOFF->setBtnImage(res + "/image/btn_off.png");
    m_btnMerageON->setBtnImage(res + "/image/btn_on.png");

    m_btnAdd->resizeFont();
    m_btnConvert->resizeFont();
    m_btnRemove->resizeFont();
    m_btnAdd->setTextStyle(TextColorStyle2);
    m_btnRemove->setTextStyle(TextColorStyle2);
    m_btnConvert->setTextStyle(TextColorStyle5);
    m_btnAdd->setTextPOS(20, 2);
    m_btnRemove->setTextPOS(20, 2);
    m_btnConvert->setTextPOS(10, -2);
    m_outputLabel->resizeFont();
    m_mergeLabel->resizeFont();
    m_historyLabel->resizeFont();

    m_btnMerageON->hide();
    m_btnRemove->setEnabled(false);

    connect(m_btnClose, &QPushButton::clicked, this, &MainWindow::OnBtnClose);
    connect(m_btnMax, &QPushButton::clicked, this, &MainWindow::OnBtnMax);
    connect(m_btnMin, &QPushButton::clicked, this, &MainWindow::OnBtnMin);
    connect(m_btnMenu, &QPushButton::clicked, this, &MainWindow::OnBtnMenu);
    connect(m_btnAdd, &QPushButton::clicked, this, &MainWindow::OnBtnAdd);
    connect(m_btnRemove, &QPushButton::clicked, this, &MainWindow::OnBtnRemove);
    connect(m_btnConvert, &QPushButton::clicked, this, &MainWindow::OnBtnConvert);
    connect(m_btnMerageOFF, &QPushButton::clicked, this, &MainWindow::OnBtnMerage);
    connect(m_btnMerageON, &QPushButton::clicked, this, &MainWindow::OnBtnMerage);
    connect(m_btnHistory, &QPushButton::clicked, this, &MainWindow::OnBtnHistory);
    connect(m_btnOpenpath, &QPushButton::clicked, this, &MainWindow::OnBtnOpenPath);
    connect(m_btnChosepath, &QPushButton::clicked, this, &MainWindow::OnBtnChoosepath);
}

void MainWindow::InitOthers()
{
    m_formatWindow->setFormatEnableSelect(false);
    m_lineEdit->setText(g_Configure.m_strOutputFolder);

    connect(this, &MainWindow::emitUpdateWidgetText, this, &MainWindow::updateWidgetText);
    connect(this, &MainWindow::emitUpdateWidgetText, m_videoWidget,
            &ScrollAreaforBar::signalUpdateWidgetText);
    connect(this, &MainWindow::emitUpdateWidgetText, m_formatWindow, &FormatWindow::updateWidgetText);

    connect(m_formatWindow, &FormatWindow::signalFotmatChoosen, m_videoWidget,
            &ScrollAreaforBar::slotSetConvertFormat);
    connect(m_videoWidget, &ScrollAreaforBar::signalHasVideo, m_formatWindow,
            &FormatWindow::setFormatEnableSelect);
    connect(m_videoWidget, &ScrollAreaforBar::signalHasVideo, this, &MainWindow::slotBtnConvertEnable);
    connect(m_videoWidget, &ScrollAreaforBar::signalHasVideo, m_formatWindow, &FormatWindow::slotFilesAdded);
    connect(m_videoWidget, &ScrollAreaforBar::signalHasChoosenBar, this, &MainWindow::slotBtnRemoveEnable);
    connect(m_videoWidget, &ScrollAreaforBar::signalShowMergeSettingdlg, m_formatWindow,
            &FormatWindow::ShowmergeSettingDialog);
    connect(m_videoWidget, &ScrollAreaforBar::emitFinishConvert, this, &MainWindow::slotFinishConvert);
    connect(m_videoWidget, &ScrollAreaforBar::emitChangeFormatChoosed, m_formatWindow,
            &FormatWindow::slotChangeFormatChoosed);
}

void MainWindow::GetiTeunesList() {}

QUrl MainWindow::helpUrl(const QString& helpLink, const QString& resourcePath)
{
    if (!helpLink.isEmpty())
        return QUrl(helpLink, QUrl::TolerantMode);
    return QUrl::fromLocalFile(resourcePath + "/help/index.html");
}

QUrl MainWindow::folderUrl(const QString& folder) { return QUrl::fromLocalFile(folder); }

QUrl MainWindow::supportUrl() { return QUrl(QStringLiteral("https://www.lumivane.example/support/")); }

bool MainWindow::isConverting() const { return m_videoWidget && m_videoWidget->isConverting(); }

void MainWindow::setConvertCaption(const QString& caption)
{
    m_strConvertCaption = caption;
    m_btnConvert->setBtnText(caption);
}

void MainWindow::StartConvert()
{
    m_btnMerageOFF->setEnabled(false);
    m_btnMerageON->setEnabled(false);
    m_videoWidget->StartConvert();
    m_videoWidget->SetConvertState(true);
    setConvertCaption(tr("Cancel"));
    update();
}

void MainWindow::returnToIdle()
{
    m_btnMerageOFF->setEnabled(true);
    m_btnMerageON->setEnabled(true);
    m_videoWidget->setEnabled(true);
    m_convertDoneLab->hide();
    setConvertCaption(tr("Convert"));
    update();
}

void MainWindow::OnBtnConvert()
{
    if (!isConverting()) {
        StartConvert();
        return;
    }
    if (!confirmCancel())
        return;
    // The run may have ended on its own while the box was open.
    if (!isConverting())
        return;
    cancelRun();
}

bool MainWindow::confirmCancel()
{
    CommonDialog dlg(this);
    dlg.SetMessage(tr("Are you sure you want to cancel converting?"));
    dlg.SetTitle(productName());
    dlg.m_checkBox->hide();
    return dlg.exec() == QMessageBox::Ok;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (isConverting()) {
        // A restart after an update has already asked whether to stop the
        // run; it is not asked twice.
        if (!UpdateRestart::isRequested() && !confirmCancel()) {
            event->ignore();
            return;
        }
        // Stopping the jobs removes their partial outputs.
        if (isConverting())
            cancelRun();
    }
    TensileWindow::closeEvent(event);
    // A preview or other window left open does not keep the program alive.
    if (event->isAccepted())
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void MainWindow::cancelRun()
{
    logEvent(11622);
    m_btnMerageOFF->setEnabled(true);
    m_btnMerageON->setEnabled(true);
    m_videoWidget->setEnabled(true);
    m_videoWidget->CancelConvert();
    setConvertCaption(tr("Convert"));
    m_convertDoneLab->hide();
    update();
}

void MainWindow::slotFinishConvert() { returnToIdle(); }

void MainWindow::slotBtnConvertEnable(bool flag) { m_btnConvert->setEnabled(flag); }

void MainWindow::slotBtnRemoveEnable(bool flag) { m_btnRemove->setEnabled(flag); }

void MainWindow::OnBtnAdd()
{
    logEvent(11603, "1");
    m_videoWidget->addFileForBar();
}

void MainWindow::OnBtnRemove() { m_videoWidget->slotRemoveChoosenBar(); }

void MainWindow::OnBtnMerage()
{
    g_Configure.m_bMerge = !g_Configure.m_bMerge;
    m_btnMerageOFF->setVisible(!g_Configure.m_bMerge);
    m_btnMerageON->setVisible(g_Configure.m_bMerge);
    if (g_Configure.m_bMerge) {
        // The merge run converts every file with the current format's
        // current values, those its rows show: fetch them fresh.
        g_itemChunk.getConvertXMLInfo();
        m_videoWidget->slotSetConvertFormat();
    }
}

void MainWindow::OnBtnHistory()
{
    HistoryDialog dlg(this);
    // Clear with files never deletes what the run under way is writing.
    dlg.setBusyOutputs([this] { return m_videoWidget->runOutputs(); });
    dlg.exec();
}

void MainWindow::OnBtnChoosepath()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QString folder =
        QFileDialog::getExistingDirectory(this, "Choose path", desktop, QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return;
    folder.replace('\\', '/');
    m_lineEdit->setText(folder);
    g_Configure.m_strOutputFolder = folder;
}

void MainWindow::OnBtnOpenPath()
{
    // Missing parents are created too: the folder may have been chosen on a
    // drive or path that has since lost some levels.
    QDir().mkpath(g_Configure.m_strOutputFolder);
    QDesktopServices::openUrl(folderUrl(m_lineEdit->text()));
}

void MainWindow::OnbtnHelp()
{
    logEvent(11610);
    QDesktopServices::openUrl(
        helpUrl(CSingleVersionStringUtil::GetLinkAddress(ADDR_INFO_HELP), QIAppUtil::getResourcePath()));
}

void MainWindow::OnbtnSupportCenter() { QDesktopServices::openUrl(supportUrl()); }

void MainWindow::OnbtnCheckUpdates()
{
    logEvent(11611);
    CheckUpdateDialog dlg(this);
    // The restart after an install asks first while a run is going.
    dlg.setConversionQuery([this] { return isConverting(); });
    dlg.exec();
}

void MainWindow::OnbtnAbout()
{
    logEvent(11616);
    QAboutDlg dlg(this);
    dlg.exec();
}

void MainWindow::OnBtnMenu()
{
    logEvent(11608);
    m_menu->popup(QCursor::pos());
}

void MainWindow::OnBtnMin() { showMinimized(); }

void MainWindow::OnBtnMax()
{
    if (!m_bMax) {
        m_normalGeometry = geometry();
        const QScreen* screen = QGuiApplication::primaryScreen();
        setGeometry(0, 0, screen->virtualGeometry().width(), screen->availableGeometry().height());
        m_bMax = true;
    } else {
        setGeometry(m_normalGeometry);
        m_bMax = false;
    }
}

void MainWindow::OnBtnClose() { close(); }

void MainWindow::OnbtnDoNothing() {}

void MainWindow::OnbtnSleep() {}

void MainWindow::OnbtnShutDown() {}

void MainWindow::updateWidgetText()
{
    m_menu->setTitle(tr("Menu"));
    m_menuLanguage->setTitle(tr("Language"));
    m_actUserGuide->setText(tr("User Guide"));
    m_actSupportCenter->setText(tr("Support Center"));
    m_actCheckUpdate->setText(tr("Check for Update"));
    m_actAbout->setText(tr("About"));
    m_actEnglish->setText(tr("English"));
    m_btnAdd->setBtnText(tr("Add"));
    m_btnRemove->setBtnText(tr("Remove"));
    // A language change during a run must not relabel Cancel as Convert.
    setConvertCaption(isConverting() ? tr("Cancel") : tr("Convert"));
    m_outputLabel->setText(tr("Output Folder:"));
    m_mergeLabel->setText(tr("Merge:"));
    m_historyLabel->setText(tr("History:"));
    m_btnMenu->setToolTip(tr("settings"));
    m_btnMax->setToolTip(tr("Maximize"));
    m_btnMin->setToolTip(tr("Minimize"));
}

void MainWindow::onChangeLanguage(QAction* action)
{
    emit emitUpdateWidgetText();
    qCDebug(lcApp) << action->text();
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->globalY() - geometry().top() < m_nTitleHeight)
        OnBtnMax();
}

void MainWindow::placeQueue()
{
    // The queue ends where the format panel begins, so its last row is never
    // drawn under the panel.
    const int top = 84;
    const int panelTop = m_formatWindow->mapTo(this, QPoint(0, 0)).y();
    m_videoWidget->setGeometry(0, top, width(), qMax(0, panelTop - top));
    if (m_menuBar && !m_menuBar->isNativeMenuBar()) {
        const QSize menuSize = m_menuBar->sizeHint();
        m_menuBar->setGeometry(width() - menuSize.width() - 10, 6, menuSize.width(), menuSize.height());
    }
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    const QString res = QIAppUtil::getResourcePath();
    const int w = width();
    const int h = height();
    QPainter painter(this);

    const QImage top(res + "/image/top_bg.png");
    painter.drawImage(QRect(0, 0, w, top.height()), top);

    painter.drawImage(QPoint(10, 10), QImage(res + "/exp_image/logo.png"));

    const QImage foot(res + "/image/foot_bg.png");
    if (!foot.isNull()) {
        const int fw = foot.width();
        const int fh = foot.height();
        painter.drawImage(QPoint(0, h - fh), foot);
        // The footer's right edge is stretched over whatever width is left,
        // so a window wider than twice the picture has no bare strip.
        const int rest = qMax(fw, w - fw);
        painter.drawImage(QRect(fw, h - fh, rest, fh), foot, QRect(fw - 11, 0, 11, fh));
    }

    placeQueue();
    QWidget::paintEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    TensileWindow::resizeEvent(event);
    // Place the queue before the first paint, too.
    placeQueue();
}
