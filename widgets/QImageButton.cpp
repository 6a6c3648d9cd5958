#include "QImageButton.h"

#include "SkinPicture.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// One row per TextColorStyle: normal, hover, pressed, disabled.
const QRgb kCaptionColours[9][4] = {
    {qRgb(255, 255, 255), qRgb(255, 255, 255), qRgb(255, 255, 255), qRgb(255, 255, 255)},
    {qRgb(9, 89, 147), qRgb(9, 89, 147), qRgb(138, 94, 43), qRgb(140, 140, 140)},
    {qRgb(255, 255, 255), qRgb(255, 255, 255), qRgb(20, 141, 228), qRgb(205, 205, 205)},
    {qRgb(85, 85, 85), qRgb(9, 89, 147), qRgb(9, 89, 147), qRgb(161, 161, 161)},
    {qRgb(85, 85, 85), qRgb(9, 89, 147), qRgb(61, 133, 177), qRgb(192, 192, 192)},
    {qRgb(255, 255, 255), qRgb(255, 255, 255), qRgb(111, 70, 19), qRgb(216, 194, 167)},
    {qRgb(137, 137, 137), qRgb(137, 137, 137), qRgb(255, 255, 255), qRgb(255, 255, 255)},
    {qRgb(10, 10, 10), qRgb(72, 166, 104), qRgb(72, 166, 104), qRgb(72, 166, 104)},
    {qRgb(0, 0, 0), qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 255, 255)},
};

} // namespace

QImageButton::QImageButton(QWidget* parent)
    : QPushButton(parent)
    , m_textFont("Tahoma", 13, QFont::Bold, false)
{
    setAttribute(Qt::WA_LayoutUsesWidgetRect);
}

QImageButton::~QImageButton() = default;

QColor QImageButton::captionColor(int style, int state)
{
    if (style < 0 || style > 8 || state < 0 || state > 3)
        return QColor();
    return QColor(kCaptionColours[style][state]);
}

bool QImageButton::setBtnImage(QString path)
{
    // Shared with every other button of the same picture: decoded once.
    m_pImage = std::make_unique<QImage>(skinPicture(path));
    if (m_pImage->width() == 0)
        return false;
    if (m_bFullImage)
        setFixedSize(m_pImage->width(), m_pImage->height());
    else
        setFixedSize(m_pImage->width() / 4, m_pImage->height());
    return true;
}

bool QImageButton::setBtnColor(QColor colour, int w, int h)
{
    m_pImage = std::make_unique<QImage>(4 * w, h, QImage::Format_ARGB32);
    m_pImage->fill(colour);
    setFixedSize(w, h);
    return true;
}

void QImageButton::setTextStyle(TextColorStyle style) { m_textStyle = style; }

void QImageButton::setBtnText(QString text)
{
    m_strText = text;
    repaint();
}

void QImageButton::setBtnText(QString text, QString text2)
{
    m_strText = text;
    m_strText2 = text2;
    repaint();
}

void QImageButton::resizeFont()
{
    QFont f = font();
    if (f.pointSizeF() > 0)
        f.setPointSizeF(font().pointSizeF());
    m_textFont = f;
    repaint();
}

void QImageButton::setTextFont(QFont font) { m_textFont = font; }

void QImageButton::setTextPOS(int x, int y)
{
    m_nTextX = x;
    m_nTextY = y;
}

void QImageButton::setPosStyle(PosStyle style) { m_posStyle = style; }

void QImageButton::setIsFullImage(bool full) { m_bFullImage = full; }

void QImageButton::setTextWithLogo(QString text, QString logoPath, int spacing)
{
    m_strText = text;
    m_logoImage = QImage(logoPath);
    m_nLogoSpace = spacing;
    repaint();
}

void QImageButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_sprite.press(isEnabled()))
        repaint();
    QPushButton::mousePressEvent(event);
}

void QImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_sprite.release(isEnabled()))
        repaint();
    QPushButton::mouseReleaseEvent(event);
}

void QImageButton::enterEvent(QEvent* event)
{
    if (m_sprite.enter(isEnabled()))
        repaint();
    QPushButton::enterEvent(event);
}

void QImageButton::leaveEvent(QEvent* event)
{
    if (m_sprite.leave(isEnabled()))
        repaint();
    QPushButton::leaveEvent(event);
}

void QImageButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        m_sprite.enable(isEnabled());
    QPushButton::changeEvent(event);
}

void QImageButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(m_textFont);
    if (!m_pImage)
        return;

    if (m_bFullImage) {
        painter.drawImage(QPoint(0, 0), *m_pImage);
        return;
    }

    const int w = width();
    if (w == 0) {
        painter.drawImage(QPoint(0, 0), *m_pImage);
    } else {
        // The source runs on to the sprite's right edge; the button's own
        // bounds clip it to one frame.
        const int x = m_sprite.frame() * w;
        painter.drawImage(QPoint(0, 0), *m_pImage, QRect(x, 0, m_pImage->width() - x, m_pImage->height()));
    }

    const QColor pen = captionColor(m_textStyle, m_sprite.frame());
    if (pen.isValid())
        painter.setPen(pen);
    if (m_posStyle == PosStyle0)
        painter.drawText(QRect(m_nTextX, m_nTextY, w, height()), Qt::AlignCenter, m_strText);
}
