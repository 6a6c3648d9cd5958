#include "QImageDialog.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

QString QImageDialog::s_appDirPath = QString("");

QImageDialog::QImageDialog(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setAttribute(Qt::WA_MouseTracking);
}

QImageDialog::~QImageDialog() = default;

bool QImageDialog::SetImageBackgroud(QString path, bool fixSize)
{
    m_pBgImage = std::make_unique<QImage>(path);
    if (fixSize)
        setFixedSize(m_pBgImage->width(), m_pBgImage->height());
    return true;
}

void QImageDialog::setTitleHeight(int height) { m_nTitleHeight = height; }

void QImageDialog::setCanGrad(bool can) { m_bCanGrad = can; }

void QImageDialog::ResizeChildren(int dy)
{
    for (QObject* child : children()) {
        if (auto* widget = qobject_cast<QWidget*>(child)) {
            const QRect g = widget->geometry();
            widget->setGeometry(g.x(), g.y() - dy, g.width(), g.height());
        }
    }
}

QString QImageDialog::GetApplicationPath() { return s_appDirPath; }

void QImageDialog::mousePressEvent(QMouseEvent* event)
{
    const QPoint cursor = event->screenPos().toPoint();
    m_pressRect = geometry();
    m_pressRect.setLeft(cursor.x() - geometry().left());
    m_pressRect.setTop(cursor.y() - geometry().top());
    if (event->button() == Qt::LeftButton)
        m_bPressed = true;
    QDialog::mousePressEvent(event);
}

void QImageDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_bPressed = false;
    QDialog::mouseReleaseEvent(event);
}

void QImageDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bPressed && m_bCanGrad && m_pressRect.top() > 0 && m_pressRect.top() < m_nTitleHeight) {
        // move() places the outer frame; the offset was taken on the client.
        const QPoint frame = geometry().topLeft() - pos();
        move(event->screenPos().toPoint() - m_pressRect.topLeft() - frame);
    }
    QDialog::mouseMoveEvent(event);
}

void QImageDialog::paintEvent(QPaintEvent*)
{
    // The picture is the whole face of the dialog: the plain dialog painting
    // would only cover it.
    if (m_pBgImage) {
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), *m_pBgImage);
    }
}
