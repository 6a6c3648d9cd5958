#pragma once

#include <QPixmap>
#include <QWidget>

class QMouseEvent;
class QSliderCtrlBtn;

// The kit's horizontal one-handle slider, drawn from a track image and a
// fill image that covers the track up to the position, optionally with a
// draggable sprite handle. Presses and drags report the new position as a
// fraction of the usable width; programs set it with a value of a range.
class qSliderCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit qSliderCtrl(QWidget* parent = nullptr);
    ~qSliderCtrl() override;

    bool setBottomImage(QString path);
    bool setTopImage(QString path);
    bool setBtnImage(QString path);
    void setCircle(bool on) { m_bCircle = on; }
    void setCircleLenght(int length) { m_nCircleLen = length; }
    void setEnabledPull(bool on) { m_bPull = on; }
    void setValueRange(long long min, long long max);
    void setShowValue(bool on) { m_bShowValue = on; }
    void setBtnHide();
    void setWidth(int w);

    void setValue(float value);
    float getValue() const;

    // The handle's x in pixels (0 .. width - handle width).
    float position() const { return m_fPos; }
    bool enabledPull() const { return m_bPull; }
    QSliderCtrlBtn* handle() const { return m_pBtn; }

public slots:
    void btnMouseMove(QMouseEvent* e, int x);

signals:
    void sendProgressValue(double fraction);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int usableWidth() const { return width() - m_nBtnWidth; }
    int pointerX(QMouseEvent* e) const;
    void moveTo(float p);
    void emitPosition();

    QPixmap m_bottom;
    QPixmap m_top;
    int m_nBottomWidth = 0;
    int m_nBottomHeight = 0;
    QSliderCtrlBtn* m_pBtn = nullptr;
    float m_fPos = 0.0f;
    long long m_nMin = 0;
    long long m_nMax = 100;
    float m_fPercent = 0.0f;
    int m_nBtnY = 0;
    int m_nBtnWidth = 0;
    bool m_bHideBtn = false;
    bool m_bCircle = false;
    int m_nCircleLen = 5;
    bool m_bPull = true;
    bool m_bShowValue = false;
};
