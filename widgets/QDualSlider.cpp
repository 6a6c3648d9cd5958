#include "QDualSlider.h"

#include "LogCategories.h"
#include "QSliderCtrlBtn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

QDualSlider::QDualSlider(QWidget* parent)
    : QWidget(parent)
{}

QDualSlider::~QDualSlider() = default;

bool QDualSlider::setBottomImage(QString path)
{
    m_bottomImage.load(path);
    m_nBottomWidth = m_bottomImage.width();
    m_nBottomHeight = m_bottomImage.height();
    return true;
}

bool QDualSlider::setTopImage(QString path)
{
    m_topImage.load(path);
    return true;
}

bool QDualSlider::setStartBtnImage(QString path)
{
    delete m_pStartBtn;
    m_pStartBtn = new QSliderCtrlBtn(this);
    connect(m_pStartBtn, &QSliderCtrlBtn::mouseMove, this, &QDualSlider::btnMouseMove);
    connect(m_pStartBtn, &QSliderCtrlBtn::mouseDown, this, &QDualSlider::SetBtnFocus);
    m_pStartBtn->setBtnImage(path);
    m_nHandleW = m_pStartBtn->width();
    resize(2 * m_nHandleW + m_nBottomWidth, std::max(20, m_nBottomHeight));
    // Centred on the slider's final height, so a handle as tall as the
    // slider is not cut off.
    m_nHandleY = (height() - m_pStartBtn->height()) / 2;
    m_pStartBtn->move(0, m_nHandleY);
    m_fStart = 0.0f;
    return true;
}

bool QDualSlider::setEndBtnImage(QString path)
{
    delete m_pEndBtn;
    m_pEndBtn = new QSliderCtrlBtn(this);
    connect(m_pEndBtn, &QSliderCtrlBtn::mouseMove, this, &QDualSlider::btnEndMouseMove);
    connect(m_pEndBtn, &QSliderCtrlBtn::mouseDown, this, &QDualSlider::SetBtnFocus);
    m_pEndBtn->setBtnImage(path);
    m_pEndBtn->move(width() - m_nHandleW, m_nHandleY);
    m_fEnd = float(usableTrack());
    m_nTrack = usableTrack();
    return true;
}

void QDualSlider::setCircle(bool rounded) { m_bRounded = rounded; }

void QDualSlider::setCircleLenght(int length) { m_nCapLength = length; }

void QDualSlider::setEnabledPull(bool enabled) { m_bPull = enabled; }

void QDualSlider::setShowValue(bool show) { m_bShowValue = show; }

void QDualSlider::setWidth(int w) { resize(w, 20); }

void QDualSlider::setBtnHide()
{
    if (m_pStartBtn)
        m_pStartBtn->hide();
    m_bHideHandle = true;
}

void QDualSlider::setValueRange(long long min, long long max)
{
    m_nMin = min;
    m_nMax = max;
}

void QDualSlider::setValue(float) {}

int QDualSlider::usableTrack() const { return width() - 2 * m_nHandleW; }

// A resize of a hidden widget reaches resizeEvent only when it is shown, so
// every operation first rescales the positions to the current track.
void QDualSlider::syncTrack()
{
    const int track = usableTrack();
    if (!m_pStartBtn || !m_pEndBtn || track <= 0 || track == m_nTrack)
        return;
    if (m_nTrack > 0) {
        m_fStart = m_fStart * float(track) / float(m_nTrack);
        m_fEnd = m_fEnd * float(track) / float(m_nTrack);
    }
    m_nTrack = track;
    moveStart(int(m_fStart));
    moveEnd(int(m_fEnd + float(m_nHandleW)));
}

double QDualSlider::fraction(float pos) const { return m_nTrack > 0 ? double(pos) / m_nTrack : 0.0; }

void QDualSlider::moveStart(int x)
{
    if (m_pStartBtn)
        m_pStartBtn->move(x, m_nHandleY);
}

void QDualSlider::moveEnd(int x)
{
    if (m_pEndBtn)
        m_pEndBtn->move(x, m_nHandleY);
}

void QDualSlider::setStartValue(float percent)
{
    if (!m_pStartBtn || !m_pEndBtn)
        return;
    syncTrack();
    const int t = usableTrack();
    if (percent <= float(m_nMin))
        m_fStart = 0.0f;
    else if (percent >= float(100.0 * fraction(m_fEnd)))
        m_fStart = float(m_pEndBtn->x() - m_nHandleW);
    else
        m_fStart = float(t) * percent / 100.0f;
    moveStart(int(m_fStart));
    update();
}

void QDualSlider::setEndValue(float percent)
{
    if (!m_pStartBtn || !m_pEndBtn)
        return;
    syncTrack();
    const int t = usableTrack();
    if (percent >= float(m_nMax))
        m_fEnd = float(t);
    else if (percent > float(100.0 * fraction(m_fStart)))
        m_fEnd = float(t) * percent / 100.0f;
    else
        m_fEnd = float(m_pStartBtn->x()); // touching the start handle
    moveEnd(int(m_fEnd + float(m_nHandleW)));
    update();
}

float QDualSlider::getStartValue() const { return float(fraction(m_fStart)); }

float QDualSlider::getEndValue() const { return float(fraction(m_fEnd)); }

float QDualSlider::getValue() const
{
    const int span = m_pStartBtn ? width() - m_nHandleW : width();
    return span > 0 ? float(m_fStart * 100.0 / span) : 0.0f;
}

void QDualSlider::SetBtnFocus(QMouseEvent*, int)
{
    if (m_pStartBtn)
        m_bFocusStart = sender() == m_pStartBtn;
}

int QDualSlider::pointerX(QMouseEvent* event) const
{
    return int(std::lround(event->screenPos().x())) - mapToGlobal(QPoint(0, 0)).x();
}

// A press or drag on the track moves the handle focused last: the pointer
// becomes the start handle's right edge or the end handle's left edge.
void QDualSlider::trackPointer(int px, bool drag)
{
    if (!m_pStartBtn || !m_pEndBtn)
        return;
    syncTrack();
    const int hw = m_nHandleW;
    const int w = width();
    if (m_bFocusStart) {
        const int ex = m_pEndBtn->x();
        if (px < hw) {
            m_fStart = 0.0f;
            moveStart(0);
        } else if (px > ex - hw) {
            m_fStart = float(ex - hw);
            moveStart(ex - hw);
            if (drag)
                qCDebug(lcWidgets) << "start against end" << w << ex;
        } else {
            m_fStart = float(px - hw);
            moveStart(px - hw);
        }
        repaint();
        const double f = fraction(m_fStart);
        emit sendProgressValue(f);
        qCDebug(lcWidgets) << "start" << f;
    } else {
        const int sr = m_pStartBtn->x() + hw - 1;
        if (px < sr) {
            m_fEnd = float(sr + 1 - hw);
            moveEnd(sr);
        } else if (px + hw > w) {
            m_fEnd = float(usableTrack());
            moveEnd(w - hw);
        } else {
            m_fEnd = float(px - hw);
            moveEnd(px);
        }
        repaint();
        const double f = fraction(m_fEnd);
        emit sendEndProgressValue(f);
        qCDebug(lcWidgets) << "end" << f;
    }
}

void QDualSlider::mousePressEvent(QMouseEvent* event)
{
    if (m_bPull)
        trackPointer(pointerX(event), false);
    QWidget::mousePressEvent(event);
}

void QDualSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bPull && event->buttons() != Qt::NoButton && m_pStartBtn && m_pStartBtn->getMove())
        trackPointer(pointerX(event), true);
    QWidget::mouseMoveEvent(event);
}

void QDualSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pStartBtn)
        m_pStartBtn->setStateNormal();
    QWidget::mouseReleaseEvent(event);
}

void QDualSlider::btnMouseMove(QMouseEvent* e, int x)
{
    if (!m_bPull || !m_pStartBtn || !m_pEndBtn)
        return;
    syncTrack();
    const int hw = m_nHandleW;
    const int ex = m_pEndBtn->x();
    const int s = pointerX(e) - x;
    if (s >= hw / 2 && s + hw <= ex) {
        m_fStart = float(s);
        moveStart(s);
    } else if (s <= hw / 2) {
        m_fStart = 0.0f;
        moveStart(0);
    } else {
        m_fStart = float(ex - hw);
        moveStart(ex - hw);
    }
    repaint();
    emit sendProgressValue(fraction(m_fStart));
}

void QDualSlider::btnEndMouseMove(QMouseEvent* e, int x)
{
    if (!m_bPull || !m_pStartBtn || !m_pEndBtn)
        return;
    syncTrack();
    const int hw = m_nHandleW;
    const int w = width();
    const int sr = m_pStartBtn->x() + hw - 1;
    const int s = pointerX(e) - x;
    if (s > sr && s + hw < w) {
        m_fEnd = float(s - hw);
        moveEnd(s);
    } else if (s > sr) {
        m_fEnd = float(usableTrack());
        moveEnd(w - hw);
    } else {
        m_fEnd = float(sr + 1 - hw);
        moveEnd(sr);
    }
    const double f = fraction(m_fEnd);
    qCDebug(lcWidgets) << "end handle" << f;
    emit sendEndProgressValue(f);
    repaint();
}

void QDualSlider::enterEvent(QEvent* event)
{
    if (m_bPull) {
        setCursor(Qt::PointingHandCursor);
        if (m_bHideHandle && m_pStartBtn)
            m_pStartBtn->show();
    }
    QWidget::enterEvent(event);
}

void QDualSlider::leaveEvent(QEvent* event)
{
    if (m_bHideHandle && m_pStartBtn)
        m_pStartBtn->hide();
    QWidget::leaveEvent(event);
}

void QDualSlider::paintEvent(QPaintEvent*)
{
    syncTrack();
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const int hw = m_nHandleW;
    const int hb = m_nBottomHeight;
    const int y0 = (h - hb) / 2;
    if (!m_bRounded) {
        painter.drawPixmap(QRect(hw / 2, y0, w - hw, hb), m_bottomImage, m_bottomImage.rect());
        painter.drawPixmap(QRect(hw / 2, y0, int(m_fStart), hb), m_topImage, m_topImage.rect());
    } else {
        const int l = m_nCapLength;
        const int bw = m_bottomImage.width();
        painter.drawPixmap(QRect(hw / 2, y0, l, hb), m_bottomImage, QRect(0, 0, l + 1, hb + 1));
        painter.drawPixmap(QRect(w - l - hw / 2, y0, l, hb), m_bottomImage, QRect(bw - l, 0, l + 1, hb + 1));
        painter.drawPixmap(QRect(hw / 2 + l, y0, w - 2 * l - hw + 1, hb), m_bottomImage,
                           QRect(l, 0, bw - 2 * l + 1, hb + 1));
        if (m_pStartBtn && m_pEndBtn) {
            // One column of the fill stretched from the start handle's last
            // column to the end handle.
            const int sr = m_pStartBtn->x() + hw - 1;
            const int ex = m_pEndBtn->x();
            if (ex > sr)
                painter.drawPixmap(QRect(sr, y0 + 1, ex - sr, hb), m_topImage, QRect(10, 0, 1, hb + 1));
        }
    }
    if (m_bShowValue)
        painter.drawText(QPoint(w / 2, 11), QString("%1%").arg(int(m_fShownValue)));
}

// Owners size the slider after its pictures are set; the handles keep their
// fractions of the track.
void QDualSlider::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    syncTrack();
}
