#include "HistoryBar.h"

#include "QIAppUtil.h"
#include "history/HistoryRecords.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

QString elideForRow(QWidget* widget, const QString& text, int width, Qt::TextElideMode mode)
{
    // One pass over the text, whatever its length.
    const QString shown = widget->fontMetrics().elidedText(text, mode, width);
    widget->setToolTip(shown == text ? QString() : text);
    return shown;
}

HistoryBar::HistoryBar(QWidget* parent)
    : BaseBar(parent)
{
    setupUi(this);
    const QString res = QIAppUtil::getResourcePath();
    m_btnClose->setBtnImage(res + "/image/tab_close.png");
    m_btnOpen->setBtnImage(res + "/image/btn_flies.png");
    m_btnOpen->setToolTip(tr("Open Folder"));
    m_btnClose->setToolTip(tr("Remove from history"));
    // The strip and the icon are the same in every row: shared, not
    // decoded or copied per row.
    setbgImage(res + "/image/progress_list.png");
    m_icon = sharedPicture(res + "/image/video_icon_1.png");
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
    // Cut here in one pass to one line (the label's own cut measures every
    // length, wrapped, against a height a font may not fit). The label's
    // setText keeps the name it reports but clears the tooltip and may cut
    // again, so the line goes to QLabel as it is and the tooltip comes last.
    const QString shown =
        m_labelName->fontMetrics().elidedText(m_strFileName, Qt::ElideMiddle, m_labelName->width());
    m_labelName->setText(shown);
    m_labelName->QLabel::setText(shown);
    m_labelName->setToolTip(shown == m_strFileName ? QString() : m_strFileName);
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
