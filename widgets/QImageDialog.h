#pragma once

#include <QColor>
#include <QDialog>
#include <QRect>
#include <QString>

#include <memory>

class QImage;

// Base of the skinned dialogs: a background picture painted unscaled at the
// top-left, an optional drag band at the top, and a helper that takes back
// the title band the designer forms reserve. A dialog without a picture (none
// set, or one that did not load) paints the skin's plain dialog face instead
// of the platform's grey, unless a style sheet draws its background.
class QImageDialog : public QDialog
{
    Q_OBJECT
public:
    explicit QImageDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~QImageDialog() override;

    // A picture that does not load leaves no background picture; with fixSize
    // the dialog then keeps its form size, fixed. The call reports success
    // either way.
    bool SetImageBackgroud(QString path, bool fixSize);
    void setTitleHeight(int height);
    void setCanGrad(bool can);
    void ResizeChildren(int dy);

    static QString GetApplicationPath();

    // The colours of the painted face: top and bottom of its gradient, its
    // hairline border and the text on it.
    static QColor faceTop();
    static QColor faceBottom();
    static QColor faceBorder();
    static QColor faceText();

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
