#include "QImageWidget.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

QString QImageWidget::s_appDirPath = QString("");

QImageWidget::QImageWidget(QWidget* parent)
    : QWidget(parent)
{
    if (s_appDirPath.isEmpty())
        s_appDirPath = QCoreApplication::applicationDirPath() + "/";
}

QImageWidget::~QImageWidget() = default;

bool QImageWidget::SetImageBackgroud(QString path, bool fixSize)
{
    m_pBgImage = std::make_unique<QImage>(path);
    if (fixSize)
        setFixedSize(m_pBgImage->width(), m_pBgImage->height());
    return true;
}

void QImageWidget::setBackgroundColor(int r, int g, int b)
{
    m_pBgColor = std::make_unique<QColor>(r, g, b, 255);
}

void QImageWidget::SetGrabEnable(bool enable) { m_bGrabEnable = enable; }

bool QImageWidget::GetGrabEnable() const { return m_bGrabEnable; }

QString QImageWidget::GetApplicationPath() { return s_appDirPath; }

void QImageWidget::mousePressEvent(QMouseEvent* event)
{
    if (m_bGrabEnable)
        m_bPressed = true;
    QWidget::mousePressEvent(event);
}

void QImageWidget::mouseReleaseEvent(QMouseEvent* event)
{
    m_bPressed = false;
    QWidget::mouseReleaseEvent(event);
}

void QImageWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    QWidget::mouseDoubleClickEvent(event);
    emit signalDoubleClickEvent();
}

void QImageWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bPressed && m_bGrabEnable) {
        const QPoint pos = event->screenPos().toPoint();
        move(pos);
    }
    QWidget::mouseMoveEvent(event);
}

void QImageWidget::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        if (m_pBgImage)
            painter.drawImage(rect(), *m_pBgImage, m_pBgImage->rect());
        if (m_pBgColor)
            painter.fillRect(rect(), *m_pBgColor);
    }
    QWidget::paintEvent(event);
}
