#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

#include <memory>

class QImage;

// Base of the skinned dialogs: a background picture painted unscaled at the
// top-left, an optional drag band at the top, and a helper that takes back
// the title band the designer forms reserve.
class QImageDialog : public QDialog
{
    Q_OBJECT
public:
    explicit QImageDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~QImageDialog() override;

    // A picture that does not load leaves a null background; with fixSize the
    // dialog then shrinks to 0 x 0. The call reports success either way.
    bool SetImageBackgroud(QString path, bool fixSize);
    void setTitleHeight(int height);
    void setCanGrad(bool can);
    void ResizeChildren(int dy);

    static QString GetApplicationPath();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<QImage> m_pBgImage;
    bool m_bCanGrad = false;
    QRect m_pressRect;
    bool m_bPressed = false;
    int m_nTitleHeight = 0;

    static QString s_appDirPath;
};
