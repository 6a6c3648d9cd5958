#include "ProgressBar.h"

#include <QFont>
#include <QPainter>

#include <cmath>

ProgressBar::ProgressBar(QWidget* parent)
    : QWidget(parent)
    , m_pBottomPixmap(std::make_unique<QPixmap>(":/new/prefix1/line_else.png"))
    , m_pTopPixmap(std::make_unique<QPixmap>(":/new/prefix1/line_contacts.png"))
{}

ProgressBar::~ProgressBar() = default;

bool ProgressBar::setTopImage(QString path)
{
    m_pTopPixmap = std::make_unique<QPixmap>(path);
    return !m_pTopPixmap->isNull();
}

bool ProgressBar::setBottomImage(QString path)
{
    m_pBottomPixmap = std::make_unique<QPixmap>(path);
    return !m_pBottomPixmap->isNull();
}

void ProgressBar::setValueRange(qint64 min, qint64 max)
{
    m_nMin = min;
    m_nMax = max;
}

void ProgressBar::setValue(int value)
{
    if (value > m_nMax)
        m_fPercentage = 1.0f;
    else if (value < m_nMin)
        m_fPercentage = 0.0f;
    else if (m_nMax <= m_nMin)
        // An empty range would divide by zero; the value sits at its top.
        m_fPercentage = 1.0f;
    else
        m_fPercentage = float(double(value - m_nMin) / double(m_nMax - m_nMin));
    update();
}

int ProgressBar::getValue() const { return int(m_fPercentage * float(m_nMax - m_nMin) + float(m_nMin)); }

void ProgressBar::setValuePercentage(float p)
{
    // Callers pass either a fraction or a percentage; scale down until it is
    // a fraction. Infinity or NaN would never get there.
    if (std::isnan(p))
        p = 0.0f;
    else if (std::isinf(p))
        p = p > 0 ? 1.0f : 0.0f;
    while (p > 1.0f)
        p /= 10.0f;
    if (p < 0.0f)
        p = 0.0f; // a negative fill width would paint a mirrored fill
    m_fPercentage = p;
    update();
}

float ProgressBar::getValuePercentage() const { return m_fPercentage; }

bool ProgressBar::setCircleRadius(int radius)
{
    m_nCircleRadius = radius;
    return radius > 0;
}

void ProgressBar::showValueText(bool show) { m_bShowText = show; }

QString ProgressBar::valueText() const { return QString("%1%").arg(int(m_fPercentage * 100.0f)); }

void ProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int W = width();
    const int H = height();
    const QPixmap& bottom = *m_pBottomPixmap;
    const QPixmap& top = *m_pTopPixmap;
    const int yb = (H - bottom.height()) / 2;
    const int yt = (H - top.height()) / 2;

    if (m_nCircleRadius == 0) {
        painter.drawPixmap(QRect(0, yb, W, bottom.height()), bottom);
        painter.drawPixmap(QRect(0, yt, int(W * m_fPercentage), top.height()), top);
    } else {
        paintRounded(painter, yb, yt);
    }

    if (m_bShowText) {
        // White reads on the fill only; over the light track the same text
        // is drawn dark, so every part of the percentage stands out.
        painter.setFont(QFont("Tahoma", 8, QFont::DemiBold, false));
        const int filled = int(float(W) * m_fPercentage);
        const QRect box(0, 0, W, H);
        painter.setClipRect(QRect(0, 0, filled, H));
        painter.setPen(QColor(255, 255, 255));
        painter.drawText(box, Qt::AlignCenter, valueText());
        painter.setClipRect(QRect(filled, 0, W - filled, H));
        painter.setPen(QColor(0x23, 0x2a, 0x33));
        painter.drawText(box, Qt::AlignCenter, valueText());
    }
}

// The ends keep their natural width and only the middle stretches, so the
// rounded caps of the pictures are not squeezed.
void ProgressBar::paintRounded(QPainter& painter, int yb, int yt)
{
    const int W = width();
    const int r = m_nCircleRadius;
    const QPixmap& bottom = *m_pBottomPixmap;
    const QPixmap& top = *m_pTopPixmap;
    const int bw = bottom.width();
    const int bh = bottom.height();
    const int tw = top.width();
    const int th = top.height();

    painter.drawPixmap(QRect(0, yb, r + 5, bh), bottom, QRect(0, 0, r + 6, bh + 1));
    painter.drawPixmap(QRect(W - r - 5, yb, r + 5, bh), bottom, QRect(bw - r - 5, 0, r + 6, bh + 1));
    painter.drawPixmap(QRect(r, yb, W - 2 * r, bh), bottom, QRect(r, 0, bw - 2 * r + 1, bh + 1));

    const float f = float(W) * m_fPercentage;
    if (f <= float(r)) {
        const int fw = int(f);
        painter.drawPixmap(QRect(0, yt, fw, th), top, QRect(0, 0, fw + 1, bh + 1));
    } else if (f <= float(2 * r)) {
        const int h = int(f * 0.5f);
        const int s = int(float(tw) - 0.5f * f);
        painter.drawPixmap(QRect(0, yt, h, th), top, QRect(0, 0, h + 1, bh + 1));
        painter.drawPixmap(QRect(h, yt, h, th), top, QRect(s, 0, tw - s + 1, bh + 1));
    } else {
        painter.drawPixmap(QRect(0, yt, r, th), top, QRect(0, 0, r + 1, bh + 1));
        painter.drawPixmap(QRect(r, yt, int(f - float(2 * r)), th), top, QRect(r, 0, 6, bh + 1));
        painter.drawPixmap(QRect(int(f - float(r)), yt, r, th), top, QRect(tw - r, 0, r + 1, bh + 1));
    }
}
