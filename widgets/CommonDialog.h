#pragma once

#include "QImageDialog.h"
#include "ui_CommonDialog.h"

#include <QImage>

#include <memory>

// The yes/no question box. Ends with the message-box values: Ok 0x400,
// Cancel 0x400000, the skin close button 0x200000; the window's own close
// control or Escape give 0. Callers treat anything but 0x400 as "no".
class CommonDialog : public QImageDialog, public Ui::CommonDialog
{
    Q_OBJECT
public:
    explicit CommonDialog(QWidget* parent = nullptr);
    ~CommonDialog() override;

    void SetTitle(QString title);
    void SetMessage(QString message);

signals:
    void emitIsShowDlg(bool show);

protected:
    void paintEvent(QPaintEvent* event) override;

private slots:
    void slotShowOK();
    void slotShowCancel();
    void slotCloseDialog();
    void slotCheckBox();

private:
    void initControls();

    std::unique_ptr<QImage> m_pIconImage;
};
