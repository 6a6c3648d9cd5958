#include "HistoryBar.h"

#include "HistoryRecords.h"
#include "QIAppUtil.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

HistoryBar::HistoryBar(QWidget* parent)
    : BaseBar(parent)
{
    setupUi(this);
    const QString res = QIAppUtil::getResourcePath();
    m_btnClose->setBtnImage(res + "/image/tab_close.png");
    m_btnOpen->setBtnImage(res + "/image/btn_flies.png");
    m_btnOpen->setToolTip(tr("Open Folder"));
    m_btnClose->setToolTip(tr("Remove from history"));
    setbgImage(res + "/image/progress_list.png");
    m_icon.load(res + "/image/video_icon_1.png");
    m_btnClose->hide();

    QPalette name = m_labelName->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        name.setColor(group, QPalette::WindowText, QColor(36, 53, 58));
        name.setColor(group, QPalette::ButtonText, QColor(36, 53, 58));
        name.setColor(group, QPalette::Text, QColor(255, 85, 0));
    }
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        name.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
    m_labelName->setPalette(name);
    QPalette date = m_labeldate->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        date.setColor(group, QPalette::WindowText, QColor(0, 0, 0));
        date.setColor(group, QPalette::Text, QColor(170, 0, 0));
    }
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        date.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
    m_labeldate->setPalette(date);
    m_labelName->setText(QString());
    m_labeldate->clear();

    connect(m_btnClose, &QPushButton::clicked, this, &HistoryBar::OnBtnClose);
    connect(m_btnOpen, &QPushButton::clicked, this, &HistoryBar::OnBtnOpenfile);
}

HistoryBar::~HistoryBar() = default;

void HistoryBar::setfilepath(const QString& path)
{
    m_strFilePath = path;
    m_strFileName = HistoryRecords::fileName(path);
    m_labelName->setText(m_strFileName);
}

void HistoryBar::setfiledate(const QString& date)
{
    m_strFileDate = date;
    m_labeldate->setText(date);
}

void HistoryBar::OnBtnOpenfile()
{
    // A URL built from the local path: a folder named with "#", "?" or "%"
    // still opens.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_strFilePath).dir().path()));
}

void HistoryBar::OnBtnClose() { emit signalDelete(); }

void HistoryBar::mousePressEvent(QMouseEvent* event)
{
    // An entry row is never selected.
    event->accept();
}

void HistoryBar::enterEvent(QEvent* event)
{
    BaseBar::enterEvent(event);
    m_btnClose->show();
}

void HistoryBar::leaveEvent(QEvent* event)
{
    BaseBar::leaveEvent(event);
    m_btnClose->hide();
}

void HistoryBar::paintEvent(QPaintEvent* event)
{
    BaseBar::paintEvent(event);
    QPainter painter(this);
    painter.drawPixmap(QPointF(15.0, 10.0), m_icon);
}

void HistoryBar::resizeEvent(QResizeEvent* event)
{
    BaseBar::resizeEvent(event);
    // Kept whole inside the row's right edge, whatever the picture's width.
    m_btnClose->move(width() - m_btnClose->width() - 4, 3);
}
