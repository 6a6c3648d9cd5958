// The editor window: handing the crop, watermark and subtitle records to the
// preview player, the aspect choices and pan and scan, and the task's
// records in and out.
#include "QVideoEditDlg.h"

#include "EditArithmetic.h"
#include "LogCategories.h"
#include "QCropOperateDlg.h"
#include "QSubtitleOperateDlg.h"
#include "QWatermarkOperateDlg.h"

#include <QLoggingCategory>

namespace {

double thousandths(int value) { return value / 1000.0; }

// One leading at sign is dropped; an empty family goes out as "".
QByteArray fontFamily(const QString& family)
{
    return (family.startsWith(QLatin1Char('@')) ? family.mid(1) : family).toUtf8();
}

// A layer's text or image path. An empty one goes out as `whenEmpty`; an
// unchanged one is not laid out or decoded again, unless the stored record
// itself is being handed over.
void sendLayer(PlayerHandle player, int (*send)(PlayerHandle, const char*), const QString& value,
               const QString& stored, bool storedRecord, const char* whenEmpty)
{
    if (value.isEmpty()) {
        send(player, whenEmpty);
    } else if (storedRecord || value != stored) {
        const QByteArray utf8 = value.toUtf8();
        send(player, utf8.constData());
    }
}

} // namespace

// ---- Crop, aspect and orientation --------------------------------------------

void QVideoEditDlg::SetEditSettings(CropSettings& s)
{
    if (m_player) {
        Player_SetVideoRotate(m_player, s.rotate);
        Player_SetVideoMirror(m_player, s.mirror);
        if (clipedit::panScanActive(s)) {
            Player_SetVideoPadAndColor(m_player, 0, s.pad_color);
            Player_SetVideoCrop(m_player, s.panscan_x, s.panscan_y, s.panscan_w, s.panscan_h);
        } else {
            Player_SetVideoPadAndColor(m_player, s.ratio_type == Ratio_FullScreen ? 0 : s.pad, s.pad_color);
            Player_SetVideoCrop(m_player, s.crop_x, s.crop_y, s.crop_w, s.crop_h);
        }
        const bool turned = clipedit::quarterTurned(s.rotate);
        if (s.pad == 1 && s.fill_type == 1) {
            const int w = Player_GetVideoWidth(m_player);
            const int h = Player_GetVideoHeight(m_player);
            Player_SetVideoAspectRatio(m_player, turned ? h : w, turned ? w : h);
        } else if (s.ratio_type == Ratio_FullScreen && turned) {
            Player_SetVideoAspectRatio(m_player, s.aspect_height, s.aspect_width);
        } else {
            Player_SetVideoAspectRatio(m_player, s.aspect_width, s.aspect_height);
        }
    }
    if (&s != &m_editSettings)
        m_editSettings = s;
}

void QVideoEditDlg::GetEditSettings(CropSettings& out)
{
    if (&out != &m_editSettings)
        out = m_editSettings;
}

void QVideoEditDlg::SetDefaultEditSettings()
{
    m_editSettings = CropSettings();
    SetEditSettings(m_editSettings);
}

void QVideoEditDlg::IninEditSettingDlg(CropSettings& s)
{
    SetEditSettings(s);
    m_cropPanel->CropSettingsToDlg(m_editSettings);
    m_cropBorder = m_curTypeBtn == m_btnCrop && !m_previewMode;
    Player_EnableVideoCropBorder(m_player, m_cropBorder ? 1 : 0);
}

void QVideoEditDlg::setCropIsVBorder(bool on)
{
    m_cropBorder = on && !m_previewMode;
    Player_EnableVideoCropBorder(m_player, m_cropBorder ? 1 : 0);
}

void QVideoEditDlg::sendAspect(int width, int height, bool swap)
{
    if (swap)
        Player_SetVideoAspectRatio(m_player, height, width);
    else
        Player_SetVideoAspectRatio(m_player, width, height);
}

void QVideoEditDlg::radRatioTypeChange()
{
    if (!m_player || Player_HasVideo(m_player) != 1)
        return;
    CropSettings& s = m_editSettings;
    const int t = m_cropPanel->getRatioType();
    qCDebug(lcEditor) << "ratio type" << t;
    int chosen = 0;
    if (t <= 4) {
        s.fill_type = 0;
        Player_SetVideoCrop(m_player, s.crop_x, s.crop_y, s.crop_w, s.crop_h);
        Player_SetVideoPadAndColor(m_player, 1, s.pad_color);
        Player_SetVideoAspectRatio(m_player, s.aspect_width, s.aspect_height);
        Player_ShowVideoFrame(m_player);
        chosen = t;
    }
    qCDebug(lcEditor) << "fill type" << s.fill_type;
    clipedit::applyRatioChoice(s, chosen, Player_GetVideoWidth(m_player), Player_GetVideoHeight(m_player),
                               m_outputWidth, m_outputHeight);
    const bool turned = clipedit::quarterTurned(s.rotate);
    if (s.ratio_type == Ratio_FullScreen) {
        Player_SetVideoPadAndColor(m_player, 0, s.pad_color);
        sendAspect(s.aspect_width, s.aspect_height, turned);
    } else if (t > 4 && s.fill_type == 1) {
        CalcCropPanScan();
        Player_SetVideoCrop(m_player, s.panscan_x, s.panscan_y, s.panscan_w, s.panscan_h);
        Player_SetVideoPadAndColor(m_player, 0, s.pad_color);
        sendAspect(m_outputWidth, m_outputHeight, turned);
    } else {
        Player_SetVideoPadAndColor(m_player, s.pad, s.pad_color);
        sendAspect(s.aspect_width, s.aspect_height, false);
    }
    Player_ShowVideoFrame(m_player);
}

void QVideoEditDlg::FillModeChange()
{
    if (!m_player || Player_HasVideo(m_player) != 1)
        return;
    CropSettings& s = m_editSettings;
    if (s.ratio_type != Ratio_OriginalAspect)
        radRatioTypeChange();
    s.fill_type = 1;
    CalcCropPanScan();
    Player_SetVideoCrop(m_player, s.panscan_x, s.panscan_y, s.panscan_w, s.panscan_h);
    Player_SetVideoPadAndColor(m_player, 0, s.pad_color);
    sendAspect(m_outputWidth, m_outputHeight, clipedit::quarterTurned(s.rotate));
    Player_ShowVideoFrame(m_player);
}

void QVideoEditDlg::CalcCropPanScan()
{
    // While pan and scan is on the record's aspect is 0 x 0, so the box the
    // user drags is kept as it is.
    if (!m_player || Player_HasVideo(m_player) != 1)
        return;
    if (m_editSettings.aspect_width == 0 || m_editSettings.aspect_height == 0)
        return;
}

void QVideoEditDlg::MoveCropPanScan()
{
    if (!m_player || Player_HasVideo(m_player) != 1)
        return;
    CropSettings& s = m_editSettings;
    clipedit::Box box{s.crop_x, s.crop_y, s.crop_w, s.crop_h};
    const clipedit::Box press{m_dragStartRect[0], m_dragStartRect[1], m_dragStartRect[2], m_dragStartRect[3]};
    clipedit::keepProportion(box, press, m_cropDragMode);
    s.crop_x = box.x;
    s.crop_y = box.y;
    s.crop_w = box.w;
    s.crop_h = box.h;
}

// ---- Watermarks ------------------------------------------------------------------

void QVideoEditDlg::SetWatermarkTextSettings(WatermarkTextSettings& s)
{
    if (m_player) {
        Player_SetWatermarkTextAlpha(m_player, s.alpha);
        Player_SetWatermarkTextScale(m_player, s.scale_x, s.scale_y);
        Player_SetWatermarkTextPosition(m_player, thousandths(s.pos_x), thousandths(s.pos_y));
        Player_SetWatermarkTextLayerTopmost(m_player, s.topmost);
        Player_EnableWatermarkTextBorder(m_player, s.border);
        Player_SetWatermarkTextFont(m_player, fontFamily(s.font_family).constData());
        Player_SetWatermarkTextBold(m_player, s.bold);
        Player_SetWatermarkTextItalic(m_player, s.italic);
        Player_SetWatermarkTextUnderline(m_player, s.underline);
        Player_SetWatermarkTextStrikeout(m_player, s.strikeout);
        Player_SetWatermarkTextSize(m_player, s.font_size);
        Player_SetWatermarkTextColor(m_player, s.text_color);
        Player_SetWatermarkTextShadowColor(m_player, s.shadow_color);
        Player_SetWatermarkTextOutlineColor(m_player, s.outline_color);
        Player_SetWatermarkTextShadowOffset(m_player, thousandths(s.shadow_offset));
        Player_SetWatermarkTextOutlineSize(m_player, thousandths(s.outline_size));
        sendLayer(m_player, Player_SetWatermarkText, s.text, m_textSettings.text, &s == &m_textSettings,
                  s.border == 1 ? "" : nullptr);
    }
    if (&s != &m_textSettings)
        m_textSettings = s;
}

void QVideoEditDlg::GetWatermarkTextSettings(WatermarkTextSettings& out)
{
    if (&out != &m_textSettings)
        out = m_textSettings;
}

void QVideoEditDlg::SetWatermarkImageSettings(WatermarkImageSettings& s)
{
    if (m_player) {
        Player_SetWatermarkImageAlpha(m_player, s.alpha);
        Player_SetWatermarkImageScale(m_player, s.scale_x, s.scale_y);
        Player_SetWatermarkImagePosition(m_player, thousandths(s.pos_x), thousandths(s.pos_y));
        Player_EnableWatermarkImageBorder(m_player, s.border);
        sendLayer(m_player, Player_SetWatermarkImageFile, s.image_file, m_imageSettings.image_file,
                  &s == &m_imageSettings, nullptr);
    }
    if (&s != &m_imageSettings)
        m_imageSettings = s;
}

void QVideoEditDlg::GetWatermarkImageSettings(WatermarkImageSettings& out)
{
    if (&out != &m_imageSettings)
        out = m_imageSettings;
}

void QVideoEditDlg::SetDefaultWatermarkTextSettings()
{
    m_textSettings = WatermarkTextSettings();
    m_textSettings.text = m_watermarkPanel->GetWaterText();
    SetWatermarkTextSettings(m_textSettings);
}

void QVideoEditDlg::SetDefaultWatermarkImageSettings()
{
    m_imageSettings = WatermarkImageSettings();
    m_imageSettings.image_file = m_watermarkPanel->getImagePath();
    SetWatermarkImageSettings(m_imageSettings);
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
    m_textSettings.border = on ? 1 : 0;
    m_imageSettings.border = on ? 1 : 0;
    if (m_player) {
        Player_EnableWatermarkTextBorder(m_player, on ? 1 : 0);
        Player_EnableWatermarkImageBorder(m_player, on ? 1 : 0);
    }
}

// ---- Subtitles ----------------------------------------------------------------------

void QVideoEditDlg::SetSubtitleSettings(SubtitleSettings& s)
{
    if (m_player) {
        Player_SetSubtlAlpha(m_player, s.alpha);
        Player_SetSubtlScale(m_player, s.scale_x, s.scale_y);
        Player_SetSubtlDelay(m_player, int64_t(s.delay) * 1000);
        Player_SetSubtlTextFont(m_player, fontFamily(s.font_family).constData());
        Player_SetSubtlTextBold(m_player, s.bold);
        Player_SetSubtlTextItalic(m_player, s.italic);
        Player_SetSubtlTextUnderline(m_player, s.underline);
        Player_SetSubtlTextStrikeout(m_player, s.strikeout);
        Player_SetSubtlTextSize(m_player, s.font_size);
        Player_SetSubtlTextColor(m_player, s.text_color);
        Player_SetSubtlTextShadowColor(m_player, s.shadow_color);
        Player_SetSubtlTextOutlineColor(m_player, s.outline_color);
        Player_SetSubtlTextShadowOffset(m_player, thousandths(s.shadow_offset));
        Player_SetSubtlTextOutlineSize(m_player, thousandths(s.outline_size));
    }
    if (&s != &m_subtitleSettings)
        m_subtitleSettings = s;
}

void QVideoEditDlg::IninSubtlSettingDlg(SubtitleSettings& s) { SetSubtitleSettings(s); }

void QVideoEditDlg::GetSubtitleSettings(SubtitleSettings& out)
{
    if (&out != &m_subtitleSettings)
        out = m_subtitleSettings;
}

void QVideoEditDlg::SetDefaultSubtitleSettings()
{
    m_subtitleSettings = SubtitleSettings();
    SetSubtitleSettings(m_subtitleSettings);
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
