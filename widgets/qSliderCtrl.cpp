#include "qSliderCtrl.h"

#include "LogCategories.h"
#include "QSliderCtrlBtn.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// Copies part of an image scaled into a target; a source width or height of
// zero or less reaches to the image's right or bottom edge.
void drawPart(QPainter& painter, const QRect& target, const QPixmap& image, QRect source)
{
    if (source.width() <= 0)
        source.setWidth(image.width() - source.x());
    if (source.height() <= 0)
        source.setHeight(image.height() - source.y());
    if (target.width() <= 0 || target.height() <= 0 || image.isNull())
        return;
    painter.drawPixmap(target, image, source);
}

} // namespace

qSliderCtrl::qSliderCtrl(QWidget* parent)
    : QWidget(parent)
{}

qSliderCtrl::~qSliderCtrl() = default;

bool qSliderCtrl::setBottomImage(QString path)
{
    m_bottom = QPixmap(path);
    m_nBottomWidth = m_bottom.width();
    m_nBottomHeight = m_bottom.height();
    resize(m_nBottomWidth, qMax(20, m_nBottomHeight));
    return true;
}

bool qSliderCtrl::setTopImage(QString path)
{
    m_top = QPixmap(path);
    return true;
}

bool qSliderCtrl::setBtnImage(QString path)
{
    m_pBtn = new QSliderCtrlBtn(this);
    connect(m_pBtn, &QSliderCtrlBtn::mouseMove, this, &qSliderCtrl::btnMouseMove);
    m_pBtn->setBtnImage(path);
    m_nBtnWidth = m_pBtn->width();
    if (m_nBottomWidth != 0)
        resize(width() + m_nBtnWidth, height());
    m_nBtnY = (height() - m_pBtn->height()) / 2;
    m_pBtn->move(0, m_nBtnY);
    m_fPos = 0.0f;
    return true;
}

void qSliderCtrl::setValueRange(long long min, long long max)
{
    m_nMin = min;
    m_nMax = max;
}

void qSliderCtrl::setBtnHide()
{
    if (m_pBtn)
        m_pBtn->hide();
    m_bHideBtn = true;
}

void qSliderCtrl::setWidth(int w) { resize(w, 20); }

void qSliderCtrl::setValue(float value)
{
    const float maximum = float(m_nMax);
    const float minimum = float(m_nMin);
    if (value >= maximum) {
        m_fPercent = 100.0f;
        m_fPos = float(usableWidth());
    } else if (value <= minimum) {
        m_fPercent = 0.0f;
        m_fPos = 0.0f;
    } else {
        m_fPercent = 100.0f * value / maximum;
        const long long span = m_nMax - m_nMin;
        m_fPos = float(usableWidth() * (double(value - minimum) / double(span)));
    }
    if (m_pBtn)
        m_pBtn->move(int(m_fPos), m_nBtnY);
    update();
}

float qSliderCtrl::getValue() const
{
    const int usable = usableWidth();
    return usable > 0 ? float(double(m_fPos) * 100.0 / usable) : 0.0f;
}

int qSliderCtrl::pointerX(QMouseEvent* e) const
{
    return int(std::lround(e->screenPos().x())) - mapToGlobal(QPoint(0, 0)).x();
}

void qSliderCtrl::moveTo(float p)
{
    m_fPos = p;
    if (m_pBtn)
        m_pBtn->move(int(p), m_nBtnY);
}

void qSliderCtrl::emitPosition()
{
    repaint();
    const int usable = usableWidth();
    emit sendProgressValue(usable > 0 ? double(m_fPos) / usable : 0.0);
}

void qSliderCtrl::mousePressEvent(QMouseEvent* event)
{
    if (!m_bPull)
        return;
    const int px = pointerX(event);
    const int half = m_nBtnWidth / 2;
    if (px < half || px > width() - half)
        return;
    moveTo(float(px - half));
    if (m_pBtn)
        m_pBtn->setStatePress();
    emitPosition();
}

void qSliderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bPull || (m_pBtn && !m_pBtn->getMove()))
        return;
    const int px = pointerX(event);
    const int half = m_nBtnWidth / 2;
    if (px < half)
        moveTo(0.0f);
    else if (px > width() - half)
        moveTo(float(usableWidth()));
    else
        moveTo(float(px - half));
    emitPosition();
    qCDebug(lcWidgets) << "drag to" << (usableWidth() > 0 ? double(m_fPos) / usableWidth() : 0.0);
}

void qSliderCtrl::btnMouseMove(QMouseEvent* e, int x)
{
    if (!m_bPull)
        return;
    const int left = pointerX(e) - x;
    const int half = m_nBtnWidth / 2;
    if (left >= half && left <= usableWidth())
        moveTo(float(left));
    else if (left <= half)
        moveTo(0.0f);
    else
        moveTo(float(usableWidth()));
    emitPosition();
}

void qSliderCtrl::mouseReleaseEvent(QMouseEvent*)
{
    if (m_pBtn)
        m_pBtn->setStateNormal();
}

void qSliderCtrl::enterEvent(QEvent*)
{
    if (!m_bPull)
        return;
    setCursor(Qt::PointingHandCursor);
    if (m_bHideBtn && m_pBtn)
        m_pBtn->show();
}

void qSliderCtrl::leaveEvent(QEvent*)
{
    if (m_bHideBtn && m_pBtn)
        m_pBtn->hide();
}

void qSliderCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int W = width();
    const int H = height();
    const int hw = m_nBtnWidth;
    const int hb = m_nBottomHeight;
    const int L = m_nCircleLen;
    const int bw = m_nBottomWidth;
    const int tw = m_top.width();
    const int y0 = (H - hb) / 2;
    const int x0 = hw / 2;
    const float p = m_fPos;
    const int ip = int(p);

    if (!m_bCircle) {
        drawPart(painter, QRect(x0, y0, W - hw, hb), m_bottom, QRect());
        drawPart(painter, QRect(x0, y0, ip, hb), m_top, QRect());
    } else {
        const QRect leftCapSource(0, 0, L + 1, hb + 1);
        const QRect leftCapTarget(x0, y0, L, hb);
        drawPart(painter, leftCapTarget, m_bottom, leftCapSource);
        drawPart(painter, QRect(W - L - x0, y0, L, hb), m_bottom, QRect(bw - L, 0, L + 1, hb + 1));
        drawPart(painter, QRect(x0 + L, y0, W - 2 * L - hw + 1, hb), m_bottom,
                 QRect(L, 0, bw - 2 * L + 1, hb + 1));

        if (p <= L) {
            drawPart(painter, QRect(x0, y0, ip, hb), m_top, QRect(0, 0, ip + 1, hb + 1));
        } else if (p <= 2 * L) {
            drawPart(painter, leftCapTarget, m_top, leftCapSource);
            const int s = int(tw - p + L);
            drawPart(painter, QRect(x0 + L, y0, int(p - L), hb), m_top, QRect(s, 0, tw + 1 - s, hb + 1));
        } else {
            drawPart(painter, leftCapTarget, m_top, leftCapSource);
            const float m = p >= tw ? float(tw - L) : p - 2 * L;
            drawPart(painter, QRect(x0 + L, y0, int(p - 2 * L), hb), m_top,
                     QRect(L, 0, int(m) - L + 1, hb + 1));
            drawPart(painter, QRect(int(x0 + p - L), y0, L, hb), m_top, QRect(tw - L, 0, L + 1, hb + 1));
        }
    }

    if (m_bShowValue)
        painter.drawText(QPoint(W / 2, 11), QStringLiteral("%1%").arg(double(m_fPercent), 0, 'f', 2));
}
