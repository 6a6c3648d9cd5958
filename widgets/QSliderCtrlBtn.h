#pragma once

#include <QImage>
#include <QPushButton>

#include "window/SpriteState.h"

#include <memory>

// The handle of the kit's sliders: a four-frame sprite without caption that
// reports where inside itself it was gripped and forwards drags to its owner.
class QSliderCtrlBtn : public QPushButton
{
    Q_OBJECT
public:
    explicit QSliderCtrlBtn(QWidget* parent = nullptr);
    ~QSliderCtrlBtn() override;

    bool setBtnImage(QString path);
    void setStatePress();
    void setStateNormal();
    bool getMove() const;

    int state() const { return m_sprite.frame(); }

signals:
    void mouseDown(QMouseEvent* e, int x);
    void mouseMove(QMouseEvent* e, int x);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int m_nPressX = 0;
    std::unique_ptr<QImage> m_pImage;
    SpriteState m_sprite;
};
