#pragma once

#include <QWidget>

#include "ui_FormatWindow.h"

class FormatSettingDialog;
class FormatTypeWidget;
class QImageButton;

// The category of a strip.
enum FormatType {
    Format_Recent = 0,
    Format_Devices = 1,
    Format_Video = 2,
    Format_WebShare = 3,
    Format_HD3D = 4,
    Format_Audio = 5
};

// The output-format catalogue panel: six category strips, one shown at a
// time under its tab button, carrying a chosen format to the queue and into
// the Recent strip, and the owner of the merge run's settings dialog.
class FormatWindow : public QWidget, public Ui::FormatWindow
{
    Q_OBJECT
public:
    explicit FormatWindow(QWidget* parent = nullptr);
    ~FormatWindow() override;

    bool FindSelectedItem(FormatType type, QString name);

    FormatTypeWidget* currentWidget() const { return m_currentWidget; }
    FormatTypeWidget* stripOf(FormatType type) const;
    QImageButton* buttonOf(FormatType type) const;
    FormatSettingDialog* mergeSettingDialog() const { return m_mergeSettingDlg; }

    QSize sizeHint() const override;

signals:
    void signalFotmatChoosen();

public slots:
    void showWidget(FormatType type);
    void slotFotmatChoosen();
    void OnBtnRecent();
    void OnBtnDevices();
    void OnBtnVideo();
    void OnBtnWebShare();
    void OnBtnHD3D();
    void OnBtnAudio();
    void setFormatEnableSelect(bool flag);
    void ShowmergeSettingDialog();
    void slotChangeFormatChoosed(QString name);
    void slotFilesAdded(bool hasFiles);
    void updateWidgetText();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    FormatTypeWidget* m_currentWidget = nullptr;
    QWidget* m_currentBtn = nullptr;
    FormatSettingDialog* m_mergeSettingDlg = nullptr;
};
