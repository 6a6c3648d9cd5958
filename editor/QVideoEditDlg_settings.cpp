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
// no layer); one the player already holds is not laid out or decoded again.
void sendLayer(EnginePlayer* player, void (EnginePlayer::*send)(const QString&), const QString& value,
               QString& held, const QString& whenEmpty)
{
    if (value.isEmpty())
        (player->*send)(whenEmpty);
    else if (value != held)
        (player->*send)(value);
    held = value;
}

} // namespace

// ---- Crop, aspect and orientation --------------------------------------------
// Every change of the crop record, from a task, a load, a panel, a ratio or
// fill choice or a drag on the source preview, is stored in the editing
// state; its announcement ends in sendPicture, which shows the stored record
// through the conversion's own mapping, and nothing else does.

void QVideoEditDlg::SetEditSettings(const CropSettings& s) { m_state.changeCrop(s); }

void QVideoEditDlg::sendPicture()
{
    // The conversion's own mapping: the preview shows what it writes.
    if (m_engine->handle())
        ConfigMapping::sendPicture(m_engine->handle(), m_state.crop());
}

void QVideoEditDlg::changePicture(const CropSettings& s)
{
    // Stored and announced like a panel's change, so the preview takes it
    // by the one road; the processed preview follows at once.
    m_state.changeCrop(s);
    m_engine->showFrame();
}

void QVideoEditDlg::GetEditSettings(CropSettings& out) { out = m_state.crop(); }

void QVideoEditDlg::SetDefaultEditSettings() { SetEditSettings(CropSettings()); }

void QVideoEditDlg::IninEditSettingDlg(const CropSettings& s)
{
    SetEditSettings(s);
    m_cropPanel->CropSettingsToDlg(m_state.crop());
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
    changePicture(withRatioChoice(m_state.crop()));
}

void QVideoEditDlg::FillModeChange()
{
    if (!m_engine->handle() || !m_engine->hasVideo())
        return;
    CropSettings s = m_state.crop();
    EditArithmetic::applyPanScan(s, m_outputWidth, m_outputHeight);
    changePicture(s);
}

// A pan-and-scan box keeps the proportions it had at the press.
void QVideoEditDlg::keepPanScanProportion(CropSettings& s) const
{
    EditRect box{s.crop_x, s.crop_y, s.crop_w, s.crop_h};
    EditArithmetic::keepProportion(box, m_state.drag().startRect, m_state.drag().cropMode);
    s.crop_x = box.x;
    s.crop_y = box.y;
    s.crop_w = box.w;
    s.crop_h = box.h;
}

// ---- Watermarks ------------------------------------------------------------------
// As with the crop, a change is stored in the editing state and its
// announcement hands the stored record to the player.

void QVideoEditDlg::SetWatermarkTextSettings(const WatermarkTextSettings& s) { m_state.changeText(s); }

void QVideoEditDlg::sendWatermarkText()
{
    if (!m_engine->handle())
        return;
    const WatermarkTextSettings& s = m_state.text();
    ConfigMapping::sendTextStyle(m_engine->handle(), s);
    m_engine->setTextBorder(s.border != 0);
    sendLayer(m_engine, &EnginePlayer::setWatermarkText, s.text, m_heldText,
              s.border == 1 ? QString("") : QString());
}

void QVideoEditDlg::GetWatermarkTextSettings(WatermarkTextSettings& out) { out = m_state.text(); }

void QVideoEditDlg::SetWatermarkImageSettings(const WatermarkImageSettings& s) { m_state.changeImage(s); }

void QVideoEditDlg::sendWatermarkImage()
{
    if (!m_engine->handle())
        return;
    const WatermarkImageSettings& s = m_state.image();
    ConfigMapping::sendImageStyle(m_engine->handle(), s);
    m_engine->setImageBorder(s.border != 0);
    sendLayer(m_engine, &EnginePlayer::setWatermarkImageFile, s.image_file, m_heldImage, QString());
}

void QVideoEditDlg::GetWatermarkImageSettings(WatermarkImageSettings& out) { out = m_state.image(); }

void QVideoEditDlg::SetDefaultWatermarkTextSettings()
{
    WatermarkTextSettings s;
    s.text = m_watermarkPanel->GetWaterText();
    SetWatermarkTextSettings(s);
}

void QVideoEditDlg::SetDefaultWatermarkImageSettings()
{
    WatermarkImageSettings s;
    s.image_file = m_watermarkPanel->getImagePath();
    SetWatermarkImageSettings(s);
}

void QVideoEditDlg::IninTextSettingsDlg(const WatermarkTextSettings& s)
{
    SetWatermarkTextSettings(s);
    m_watermarkPanel->TextSettingsToDlg(m_state.text());
    setWaterIsBorder(m_curTypeBtn == m_btnWatermark);
}

void QVideoEditDlg::IninImageSettingDlg(const WatermarkImageSettings& s)
{
    SetWatermarkImageSettings(s);
    m_watermarkPanel->ImageSettingsToDlg(m_state.image());
    setWaterIsBorder(m_curTypeBtn == m_btnWatermark);
}

void QVideoEditDlg::setWaterIsBorder(bool on) { m_state.changeWatermarkBorders(on); }

void QVideoEditDlg::sendWatermarkBorders(bool on)
{
    if (m_engine->handle()) {
        m_engine->setTextBorder(on);
        m_engine->setImageBorder(on);
    }
}

// ---- Subtitles ----------------------------------------------------------------------

void QVideoEditDlg::SetSubtitleSettings(const SubtitleSettings& s) { m_state.changeSubtitle(s); }

void QVideoEditDlg::sendSubtitleStyle()
{
    if (m_engine->handle())
        ConfigMapping::sendSubtitleStyle(m_engine->handle(), m_state.subtitle());
}

void QVideoEditDlg::IninSubtlSettingDlg(const SubtitleSettings& s) { SetSubtitleSettings(s); }

void QVideoEditDlg::GetSubtitleSettings(SubtitleSettings& out) { out = m_state.subtitle(); }

void QVideoEditDlg::SetDefaultSubtitleSettings() { SetSubtitleSettings(SubtitleSettings()); }

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
