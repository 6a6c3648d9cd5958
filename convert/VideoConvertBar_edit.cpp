// Task rows: handing a task to the editor and the player.
#include "VideoConvertBar.h"
#include "QVideoEditDlg.h"

#include <QFileInfo>

void VideoConvertBar::OnEditVideo()
{
    // The modal edit hand-off comes with the editor itself.
}

void VideoConvertBar::SlotPreviewPlay()
{
    if (QFileInfo::exists(m_strFilePath))
        emit emitVideoPlay(m_strFilePath);
}

void VideoConvertBar::setEditSetting(CropSettings cropSetting)
{
    m_cropSettings = cropSetting;
}

void VideoConvertBar::setWaterSetting(WatermarkTextSettings textWater, WatermarkImageSettings imageWater)
{
    m_textWaterSettings = textWater;
    m_imageWaterSettings = imageWater;
}

void VideoConvertBar::SlotCutTime()
{
}

void VideoConvertBar::SlotRestFullTime()
{
    m_beginTime = 0;
    m_endTime = m_totalTime;
}

