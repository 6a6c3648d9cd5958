#pragma once

// The five value records that describe how one clip is edited, and the
// task's set of them. They are copied whole between the editor, the task
// rows, the queue ("Apply to all") and the engine configuration, and are
// never written to a file.
// Units: colours 0xAARRGGBB, alphas 0..255, scales in percent, positions,
// shadow offsets and outline sizes in thousandths, rectangles as fractions
// 0..1 of the source picture.

#include <QMetaType>
#include <QString>

#include <cstdint>

enum RatioType {
    Ratio_OriginalAspect = 0,
    Ratio_OriginalSize = 1,
    Ratio_FullScreen = 2,
    Ratio_16_9 = 3,
    Ratio_4_3 = 4
};

// The editor's tool tabs.
enum QEditType {
    EditType_Trim = 1,
    EditType_Crop = 2,
    EditType_Effect = 3,
    EditType_Watermark = 4,
    EditType_Subtitle = 5
};

struct CropSettings
{
    int32_t ratio_type = Ratio_OriginalAspect;
    int32_t fill_type = 0; // 1 = pan and scan
    int32_t aspect_width = 0; // 0 x 0 keeps the source aspect
    int32_t aspect_height = 0;
    int32_t reserved1 = 0; // kept for the record's layout; nothing reads them
    int32_t reserved2 = 0;
    int32_t rotate = 0; // 0, 90, 180 or 270
    int32_t mirror = 0;
    int32_t pad = 1; // every record we create pads
    uint32_t pad_color = 0xFF000000u;
    double crop_x = 0.0;
    double crop_y = 0.0;
    double crop_w = 1.0;
    double crop_h = 1.0;
    double panscan_x = 0.0;
    double panscan_y = 0.0;
    double panscan_w = 1.0;
    double panscan_h = 1.0;
};

// True when the record cuts its pan-and-scan rectangle instead of the crop
// rectangle (and then pads nothing); full screen never does.
inline bool panScanActive(const CropSettings& s)
{
    return s.pad && s.fill_type == 1 && s.ratio_type != Ratio_FullScreen;
}

struct SubtitleValueInfo
{
    int32_t program_index = -1;
    int32_t audio_index = -1;
    // 0 none, 1..n an embedded stream, n + 1 closed captions, above: the file
    int32_t subtitle_index = -1;
    int32_t subtitle_count = 0;
    QString subtitle_file;
};

struct SubtitleSettings
{
    int32_t alpha = 255;
    int32_t scale_x = 100;
    int32_t scale_y = 100;
    int32_t delay = 0; // milliseconds
    QString font_family;
    int32_t font_size = 18;
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strikeout = 0;
    uint32_t text_color = 0xFFFFFFFFu;
    uint32_t shadow_color = 0x80000000u;
    uint32_t outline_color = 0xFF000000u;
    int32_t shadow_offset = 500;
    int32_t outline_size = 1000;
};

struct WatermarkTextSettings
{
    QString text; // empty: no text layer
    int32_t alpha = 255;
    int32_t scale_x = 100;
    int32_t scale_y = 100;
    int32_t pos_x = 0;
    int32_t pos_y = 0;
    int32_t border = 1; // editor preview only
    int32_t topmost = 1;
    QString font_family;
    int32_t font_size = 36;
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strikeout = 0;
    uint32_t text_color = 0xFFFFFFFFu;
    uint32_t shadow_color = 0x80000000u;
    uint32_t outline_color = 0xFF000000u;
    int32_t shadow_offset = 500;
    int32_t outline_size = 1000;
};

struct WatermarkImageSettings
{
    QString image_file; // empty: no image layer
    int32_t alpha = 255;
    int32_t scale_x = 100;
    int32_t scale_y = 100;
    int32_t pos_x = 0;
    int32_t pos_y = 0;
    int32_t border = 1; // editor preview only
};

// What the editor sets on a task, and the streams it converts.
struct TaskClips
{
    CropSettings crop;
    WatermarkTextSettings text;
    WatermarkImageSettings image;
    SubtitleSettings subtitle;
    SubtitleValueInfo streams;
    bool disVideo = false;
    bool disAudio = false;
};

Q_DECLARE_METATYPE(CropSettings)
Q_DECLARE_METATYPE(SubtitleValueInfo)
Q_DECLARE_METATYPE(SubtitleSettings)
Q_DECLARE_METATYPE(WatermarkTextSettings)
Q_DECLARE_METATYPE(WatermarkImageSettings)
