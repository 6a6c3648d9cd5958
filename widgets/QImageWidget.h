#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QColor;
class QImage;

// A child widget that paints a picture stretched over itself, or a fill
// colour on top of it, and reports double clicks.
class QImageWidget : public QWidget
{
    Q_OBJECT
public:
    explicit QImageWidget(QWidget* parent = nullptr);
    ~QImageWidget() override;

    // A picture that does not load leaves a null background; with fixSize the
    // widget then shrinks to 0 x 0. The call reports success either way.
    bool SetImageBackgroud(QString path, bool fixSize);
    void setBackgroundColor(int r, int g, int b);

    void SetGrabEnable(bool enable);
    bool GetGrabEnable() const;

    static QString GetApplicationPath();

signals:
    void signalDoubleClickEvent();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<QImage> m_pBgImage;
    bool m_bPressed = false;
    bool m_bGrabEnable = false;
    std::unique_ptr<QColor> m_pBgColor;

    static QString s_appDirPath;
};
