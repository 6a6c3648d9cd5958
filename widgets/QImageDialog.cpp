#include "QImageDialog.h"

#include "LogCategories.h"

#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

QString QImageDialog::s_appDirPath = QString("");

QImageDialog::QImageDialog(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setAttribute(Qt::WA_MouseTracking);
    // The face colours also reach what the dialog does not paint itself: the
    // first fill of the window and the text of its labels.
    QPalette face = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        face.setColor(group, QPalette::Window, faceBottom());
        face.setColor(group, QPalette::WindowText, faceText());
    }
    face.setColor(QPalette::Disabled, QPalette::Window, faceBottom());
    setPalette(face);
}

QImageDialog::~QImageDialog() = default;

bool QImageDialog::SetImageBackgroud(QString path, bool fixSize)
{
    auto image = std::make_unique<QImage>(path);
    if (image->isNull()) {
        // Fixed to an empty picture the dialog would be 0 x 0, out of sight
        // and out of reach; it keeps its form size and the painted face.
        qCWarning(lcWidgets) << "background picture did not load:" << path;
        m_pBgImage.reset();
        if (fixSize)
            setFixedSize(size());
        return true;
    }
    m_pBgImage = std::move(image);
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

// The colours of the skin's dialog pictures, so painted and pictured dialogs
// look alike.
QColor QImageDialog::faceTop() { return QColor(255, 255, 255); }

QColor QImageDialog::faceBottom() { return QColor(0xed, 0xf1, 0xf5); }

QColor QImageDialog::faceBorder() { return QColor(0xcd, 0xd5, 0xde); }

QColor QImageDialog::faceText() { return QColor(0x23, 0x2a, 0x33); }

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
    QPainter painter(this);
    if (m_pBgImage) {
        painter.drawImage(QPoint(0, 0), *m_pBgImage);
        return;
    }
    // A style sheet that gives the dialog a background has drawn it already.
    if (testAttribute(Qt::WA_StyledBackground))
        return;
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, faceTop());
    gradient.setColorAt(1, faceBottom());
    painter.fillRect(rect(), gradient);
    painter.setPen(faceBorder());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
