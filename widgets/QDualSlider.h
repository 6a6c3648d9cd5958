#pragma once

#include <QPixmap>
#include <QWidget>

class QMouseEvent;
class QSliderCtrlBtn;

// The kit's two-handle range slider: a track picture, a start handle on the
// left and an end handle on the right, and a fill between them. Programs set
// the handles in percent of the usable track and read them back as
// fractions; the mouse moves the handle that was pressed last. The handles
// never pass each other.
//
// Setup order: setBottomImage, setTopImage, setStartBtnImage, setEndBtnImage,
// then the options. Both handles exist before any value is set or read.
class QDualSlider : public QWidget
{
    Q_OBJECT
public:
    explicit QDualSlider(QWidget* parent = nullptr);
    ~QDualSlider() override;

    bool setBottomImage(QString path);
    bool setTopImage(QString path);
    bool setStartBtnImage(QString path);
    bool setEndBtnImage(QString path);
    void setCircle(bool rounded);
    void setCircleLenght(int length);
    void setEnabledPull(bool enabled);
    void setShowValue(bool show);
    void setWidth(int w);
    void setBtnHide();
    void setValueRange(long long min, long long max);
    void setValue(float value);

    // percent 0..100 of the usable track; no signal.
    void setStartValue(float percent);
    void setEndValue(float percent);
    // fractions 0..1 of the usable track
    float getStartValue() const;
    float getEndValue() const;
    float getValue() const;
    bool GetFocusInStartBtn() const { return m_bFocusStart; }

    QSliderCtrlBtn* startHandle() const { return m_pStartBtn; }
    QSliderCtrlBtn* endHandle() const { return m_pEndBtn; }

signals:
    void sendProgressValue(double fraction);
    void sendEndProgressValue(double fraction);

public slots:
    void btnMouseMove(QMouseEvent* e, int x);
    void btnEndMouseMove(QMouseEvent* e, int x);
    void SetBtnFocus(QMouseEvent* e, int x);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int usableTrack() const;
    void syncTrack();
    double fraction(float pos) const;
    int pointerX(QMouseEvent* event) const;
    void trackPointer(int px, bool drag);
    void moveStart(int x);
    void moveEnd(int x);

    QPixmap m_bottomImage;
    QPixmap m_topImage;
    int m_nBottomWidth = 0;
    int m_nBottomHeight = 0;
    QSliderCtrlBtn* m_pStartBtn = nullptr;
    QSliderCtrlBtn* m_pEndBtn = nullptr;
    float m_fStart = 0.0f;
    float m_fEnd = 0.0f;
    long long m_nMin = 0;
    long long m_nMax = 100;
    float m_fShownValue = 0.0f;
    int m_nHandleY = 0;
    int m_nHandleW = 0;
    bool m_bHideHandle = false;
    bool m_bRounded = false;
    int m_nCapLength = 5;
    bool m_bPull = true;
    bool m_bShowValue = false;
    bool m_bFocusStart = true;
    int m_nTrack = 0; // the usable track the positions are measured on
};
