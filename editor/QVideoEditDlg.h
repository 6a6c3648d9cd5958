#pragma once

// The clip editor as the conversion tasks see it. This build holds the
// records and the trim range and reads a file's streams for the default
// stream choice; the preview, the tool panels and playback are not here yet.

#include "ClipEditRecords.h"

#include <QDialog>
#include <QString>

class QVideoEditDlg : public QDialog
{
    Q_OBJECT
public:
    explicit QVideoEditDlg(QWidget* parent = nullptr);
    ~QVideoEditDlg() override;

    // Opens the clip for an output of width x height (0 x 0: defaults only)
    // and resets the crop record; false when the file cannot be opened.
    bool SetVideoFile(QString path, unsigned width, unsigned height);

    void IninEditSettingDlg(CropSettings& settings);
    void IninTextSettingsDlg(WatermarkTextSettings& settings);
    void IninImageSettingDlg(WatermarkImageSettings& settings);
    void IninSubtlSettingDlg(SubtitleSettings& settings);
    void SetSubtitleInfo(SubtitleValueInfo& info);

    void SetTrimTime(unsigned long long begin, unsigned long long end, bool apply);

    void GetEditSettings(CropSettings& settings);
    void GetWatermarkTextSettings(WatermarkTextSettings& settings);
    void GetWatermarkImageSettings(WatermarkImageSettings& settings);
    void GetSubtitleSettings(SubtitleSettings& settings);
    void GetSubtitleInfo(SubtitleValueInfo& info);

    unsigned long long GetStartTime() const { return m_startTime; }
    unsigned long long GetEndTime() const { return m_endTime; }

signals:
    void seedApplyEditSetting(CropSettings settings);
    void seedApplyWaterSetting(WatermarkTextSettings textSettings, WatermarkImageSettings imageSettings);

private:
    CropSettings m_editSettings;
    WatermarkTextSettings m_textSettings;
    WatermarkImageSettings m_imageSettings;
    SubtitleSettings m_subtitleSettings;
    SubtitleValueInfo m_subtitleInfo;
    QString m_videoPath;
    unsigned m_outputWidth = 0;
    unsigned m_outputHeight = 0;
    unsigned long long m_startTime = 0;
    unsigned long long m_endTime = 0;
};
