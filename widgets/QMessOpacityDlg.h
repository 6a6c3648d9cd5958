#pragma once

#include "QImageDialog.h"
#include "ui_QMessOpacityDlg.h"

#include <QString>

class QTimer;

// A small modeless notice over a skin picture that stays on top, is fully
// opaque for one second, then fades by 0.1 every 200 ms and closes itself.
// The pointer resting on it holds it opaque; leaving starts the cycle again.
// Closing only hides it, so one notice serves many messages.
class QMessOpacityDlg : public QImageDialog, public Ui::QMessOpacityDlg
{
    Q_OBJECT
public:
    explicit QMessOpacityDlg(QWidget* parent = nullptr);
    ~QMessOpacityDlg() override;

    void SetBgImage(QString path);
    // Set the background first: the text is placed from the dialog's size.
    void SetMessText(QString text);
    void SetMessText(QString text, int x, int y);
    void StartOpacity();
    void SetIsOpacity(bool fadeOnHover);
    void SetCheckShow(bool show);
    void SetXmlSetting();

    QTimer* fadeTimer() const { return m_pTimer; }

signals:
    void NoShowMsgDlg();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private slots:
    void OnTimer();
    void OnClose();

private:
    QTimer* m_pTimer = nullptr;
    bool m_bFadeOnHover = true;
};

// A process-wide notice with the given text, shown at full opacity.
void ShowOpacityMessDlg(QWidget* parent, QString text);
