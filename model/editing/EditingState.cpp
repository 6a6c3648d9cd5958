#include "editing/EditingState.h"

EditingState::EditingState(QObject* parent)
    : QObject(parent)
{}

EditingState::~EditingState() = default;

// The record is stored before it is announced, so a listener reading the
// state sees the change it is told of.

void EditingState::changeCrop(const CropSettings& s)
{
    m_crop = s;
    emit cropChanged(m_crop);
}

void EditingState::changeText(const WatermarkTextSettings& s)
{
    m_text = s;
    emit textChanged(m_text);
}

void EditingState::changeImage(const WatermarkImageSettings& s)
{
    m_image = s;
    emit imageChanged(m_image);
}

void EditingState::changeSubtitle(const SubtitleSettings& s)
{
    m_subtitle = s;
    emit subtitleChanged(m_subtitle);
}

void EditingState::changeWatermarkBorders(bool on)
{
    m_text.border = on ? 1 : 0;
    m_image.border = on ? 1 : 0;
    emit watermarkBordersChanged(on);
}

void EditingState::changeTrim(uint64_t start, uint64_t end)
{
    m_trimStart = start;
    m_trimEnd = end;
    emit trimChanged(start, end);
}

void EditingState::changeSubtitleStreams(int count)
{
    m_subtitleStreams = count;
    emit subtitleStreamsChanged(count);
}

void EditingState::pressCrop(int mode, QPoint pos, EditRect box)
{
    m_drag.cropMode = mode;
    m_drag.pressPos = pos;
    m_drag.startRect = box;
}

void EditingState::pressWatermark(bool text, int mode, QPoint pos, EditRect box, double scaleX, double scaleY)
{
    (text ? m_drag.textMode : m_drag.imageMode) = mode;
    m_drag.pressPos = pos;
    m_drag.startRect = box;
    m_drag.startScaleX = scaleX;
    m_drag.startScaleY = scaleY;
}

void EditingState::releaseCrop() { m_drag.cropMode = 0; }

void EditingState::releaseWatermark(bool text) { (text ? m_drag.textMode : m_drag.imageMode) = 0; }

#include "moc_EditingState.cpp"
