// The editor window: handing the crop, watermark and subtitle records to the
// preview player, the aspect choices and pan and scan, and the task's
// records in and out.
#include "QVideoEditDlg.h"

#include "EnginePlayer.h"
#include "LogCategories.h"
#include "QCropOperateDlg.h"
#include "QSubtitleOperateDlg.h"
#include "QWatermarkOperateDlg.h"
#include "clips/ConfigMapping.h"
#include "editing/EditArithmetic.h"

namespace {

// A layer's text or image path. An empty one goes out as `whenEmpty` (null:
// no layer); an unchanged one is not laid out or decoded again, unless the
// stored record itself is being handed over.
void sendLayer(EnginePlayer* player, void (EnginePlayer::*send)(const QString&), const QString& value,
               const QString& stored, bool storedRecord, const QString& whenEmpty)
{
    if (value.isEmpty())
        (player->*send)(whenEmpty);
    else if (storedRecord || value != stored)
        (player->*send)(value);
}

} // namespace

// ---- Crop, aspect and orientation --------------------------------------------
// Every change of the crop record, from a task, a load, a panel, a ratio or
// fill choice or a drag on the source preview, ends in SetEditSettings: the
// record is stored there and the preview shown through the conversion's own
// mapping, and nowhere else.

void QVideoEditDlg::SetEditSettings(CropSettings& s)
{
    if (&s != &m_state.crop)
        m_state.crop = s;
    sendPicture();
}

void QVideoEditDlg::sendPicture()
{
    // The conversion's own mapping: the preview shows what it writes.
    if (m_engine->handle())
        ConfigMapping::sendPicture(m_engine->handle(), m_state.crop);
}

void QVideoEditDlg::changePicture(const CropSettings& s)
{
    // Announced like a panel's change, so the state's owner (this editor)
    // stores and sends it; the processed preview follows at once.
    m_state.changeCrop(s);
    m_engine->showFrame();
}

void QVideoEditDlg::GetEditSettings(CropSettings& out)
{
    if (&out != &m_state.crop)
        out = m_state.crop;
}

void QVideoEditDlg::SetDefaultEditSettings()
{
    CropSettings defaults;
    SetEditSettings(defaults);
}

void QVideoEditDlg::IninEditSettingDlg(CropSettings& s)
{
    SetEditSettings(s);
    m_cropPanel->CropSettingsToDlg(m_state.crop);
    m_cropBorder = m_curTypeBtn == m_btnCrop && !m_previewMode;
    m_engine->setCropBorder(m_cropBorder);
}

void QVideoEditDlg::setCropIsVBorder(bool on)
{
    m_cropBorder = on && !m_previewMode;
    m_engine->setCropBorder(m_cropBorder);
}

CropSettings QVideoEditDlg::withRatioChoice(CropSettings s)
{
    const int t = m_cropPanel->getRatioType();
    qCDebug(lcEditor) << "ratio type" << t;
    // A ratio radio ends pan and scan; with none checked the record keeps
    // its fill and takes the source's aspect.
    if (t <= Ratio_4_3)
        s.fill_type = 0;
    EditArithmetic::applyRatioChoice(s, t, m_engine->videoWidth(), m_engine->videoHeight(), m_outputWidth,
                                     m_outputHeight);
    if (s.fill_type == 1)
        EditArithmetic::applyPanScan(s, m_outputWidth, m_outputHeight);
    qCDebug(lcEditor) << "fill type" << s.fill_type;
    return s;
}

void QVideoEditDlg::radRatioTypeChange()
{
    if (!m_engine->handle() || !m_engine->hasVideo())
        return;
    changePicture(withRatioChoice(m_state.crop));
}

void QVideoEditDlg::FillModeChange()
{
    if (!m_engine->handle() || !m_engine->hasVideo())
        return;
    CropSettings s = m_state.crop;
    EditArithmetic::applyPanScan(s, m_outputWidth, m_outputHeight);
    changePicture(s);
}

// A pan-and-scan box keeps the proportions it had at the press.
void QVideoEditDlg::keepPanScanProportion(CropSettings& s) const
{
    EditRect box{s.crop_x, s.crop_y, s.crop_w, s.crop_h};
    EditArithmetic::keepProportion(box, m_state.drag.startRect, m_state.drag.cropMode);
    s.crop_x = box.x;
    s.crop_y = box.y;
    s.crop_w = box.w;
    s.crop_h = box.h;
}

// ---- Watermarks ------------------------------------------------------------------

void QVideoEditDlg::SetWatermarkTextSettings(WatermarkTextSettings& s)
{
    if (m_engine->handle()) {
        ConfigMapping::sendTextStyle(m_engine->handle(), s);
        m_engine->setTextBorder(s.border != 0);
        sendLayer(m_engine, &EnginePlayer::setWatermarkText, s.text, m_state.text.text, &s == &m_state.text,
                  s.border == 1 ? QString("") : QString());
    }
    if (&s != &m_state.text)
        m_state.text = s;
}

void QVideoEditDlg::GetWatermarkTextSettings(WatermarkTextSettings& out)
{
    if (&out != &m_state.text)
        out = m_state.text;
}

void QVideoEditDlg::SetWatermarkImageSettings(WatermarkImageSettings& s)
{
    if (m_engine->handle()) {
        ConfigMapping::sendImageStyle(m_engine->handle(), s);
        m_engine->setImageBorder(s.border != 0);
        sendLayer(m_engine, &EnginePlayer::setWatermarkImageFile, s.image_file, m_state.image.image_file,
                  &s == &m_state.image, QString());
    }
    if (&s != &m_state.image)
        m_state.image = s;
}

void QVideoEditDlg::GetWatermarkImageSettings(WatermarkImageSettings& out)
{
    if (&out != &m_state.image)
        out = m_state.image;
}

void QVideoEditDlg::SetDefaultWatermarkTextSettings()
{
    m_state.text = WatermarkTextSettings();
    m_state.text.text = m_watermarkPanel->GetWaterText();
    SetWatermarkTextSettings(m_state.text);
}

void QVideoEditDlg::SetDefaultWatermarkImageSettings()
{
    m_state.image = WatermarkImageSettings();
    m_state.image.image_file = m_watermarkPanel->getImagePath();
    SetWatermarkImageSettings(m_state.image);
}

void QVideoEditDlg::IninTextSettingsDlg(WatermarkTextSettings& s)
{
    SetWatermarkTextSettings(s);
    m_watermarkPanel->TextSettingsToDlg(s);
    setWaterIsBorder(m_curTypeBtn == m_btnWatermark);
}

void QVideoEditDlg::IninImageSettingDlg(WatermarkImageSettings& s)
{
    SetWatermarkImageSettings(s);
    m_watermarkPanel->ImageSettingsToDlg(s);
    setWaterIsBorder(m_curTypeBtn == m_btnWatermark);
}

void QVideoEditDlg::setWaterIsBorder(bool on)
{
    m_state.text.border = on ? 1 : 0;
    m_state.image.border = on ? 1 : 0;
    if (m_engine->handle()) {
        m_engine->setTextBorder(on);
        m_engine->setImageBorder(on);
    }
}

// ---- Subtitles ----------------------------------------------------------------------

void QVideoEditDlg::SetSubtitleSettings(SubtitleSettings& s)
{
    if (m_engine->handle())
        ConfigMapping::sendSubtitleStyle(m_engine->handle(), s);
    if (&s != &m_state.subtitle)
        m_state.subtitle = s;
}

void QVideoEditDlg::IninSubtlSettingDlg(SubtitleSettings& s) { SetSubtitleSettings(s); }

void QVideoEditDlg::GetSubtitleSettings(SubtitleSettings& out)
{
    if (&out != &m_state.subtitle)
        out = m_state.subtitle;
}

void QVideoEditDlg::SetDefaultSubtitleSettings()
{
    m_state.subtitle = SubtitleSettings();
    SetSubtitleSettings(m_state.subtitle);
}

int QVideoEditDlg::getSubtlCount() { return m_info ? Info_GetSubtlCount(m_info) : 0; }

void QVideoEditDlg::SetSubtitleInfo(SubtitleValueInfo& v)
{
    if (!v.subtitle_file.isEmpty())
        m_subtitlePanel->setSubtitlePath(v.subtitle_file);
    // A task whose lists were never filled carries negative indexes: audio
    // then keeps the clip's default track rather than going silent, and the
    // subtitle choice means none.
    if (v.audio_index >= 0)
        m_subtitlePanel->SetAudioIndex(v.audio_index);
    m_subtitlePanel->setSubtlIndex(v.subtitle_index >= 0 ? v.subtitle_index : 0);
}

void QVideoEditDlg::GetSubtitleInfo(SubtitleValueInfo& out)
{
    out.audio_index = m_subtitlePanel->GetAudioIndex();
    out.subtitle_index = m_subtitlePanel->GetSubtlIndex();
    out.subtitle_file = m_subtitlePanel->getSubtlPath();
    out.subtitle_count = getSubtlCount();
    out.program_index = m_programIndex;
}
