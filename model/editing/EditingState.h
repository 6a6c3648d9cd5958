#pragma once

// The editor's editing state, without widgets: the clip's four edit
// records, its trim range and the state of a drag on the previews. The
// editor window owns it and hands it to its tool panels and its preview
// drags. Whoever changes a record does so through the setters below, which
// store it and then announce it; the owner, connected once, hands the stored
// record to its preview, so a change has one road and one home.

#include "clips/ClipEditRecords.h"
#include "editing/EditRect.h"

#include <QObject>
#include <QPoint>

#include <cstdint>

class EditingState : public QObject
{
    Q_OBJECT
public:
    explicit EditingState(QObject* parent = nullptr);
    ~EditingState() override;

    // A drag on the previews: the mode of each box (0 none) and the press,
    // shared by the three boxes since one drag runs at a time.
    struct Drag
    {
        int cropMode = 0;
        int textMode = 0;
        int imageMode = 0;
        EditRect startRect{0, 0, 1, 1}; // the box at the press
        QPoint pressPos;
        double startScaleX = 100.0;
        double startScaleY = 100.0;
    };

    // ---- The stored values ---------------------------------------------------
    const CropSettings& crop() const { return m_crop; }
    const WatermarkTextSettings& text() const { return m_text; }
    const WatermarkImageSettings& image() const { return m_image; }
    const SubtitleSettings& subtitle() const { return m_subtitle; }
    // Microseconds; end 0 = no trim end.
    uint64_t trimStart() const { return m_trimStart; }
    uint64_t trimEnd() const { return m_trimEnd; }
    // The clip's embedded subtitle streams; the subtitle choices list them
    // before closed captions and an external file.
    int subtitleStreams() const { return m_subtitleStreams; }
    const Drag& drag() const { return m_drag; }

    // ---- Changes: each is stored, then announced -------------------------------
    void changeCrop(const CropSettings& s);
    void changeText(const WatermarkTextSettings& s);
    void changeImage(const WatermarkImageSettings& s);
    void changeSubtitle(const SubtitleSettings& s);
    // The two watermarks' borders, shown on the Watermark tab only.
    void changeWatermarkBorders(bool on);
    void changeTrim(uint64_t start, uint64_t end);
    void changeSubtitleStreams(int count);

    // ---- A drag's press and release ----------------------------------------------
    // Nothing is announced: a drag changes the records through the setters
    // above as the pointer moves.
    void pressCrop(int mode, QPoint pos, EditRect box);
    void pressWatermark(bool text, int mode, QPoint pos, EditRect box, double scaleX, double scaleY);
    void releaseCrop();
    void releaseWatermark(bool text);

signals:
    void cropChanged(CropSettings s);
    void textChanged(WatermarkTextSettings s);
    void imageChanged(WatermarkImageSettings s);
    void subtitleChanged(SubtitleSettings s);
    void watermarkBordersChanged(bool on);
    void trimChanged(uint64_t start, uint64_t end);
    void subtitleStreamsChanged(int count);

private:
    CropSettings m_crop;
    WatermarkTextSettings m_text;
    WatermarkImageSettings m_image;
    SubtitleSettings m_subtitle;
    uint64_t m_trimStart = 0;
    uint64_t m_trimEnd = 0;
    int m_subtitleStreams = 0;
    Drag m_drag;
};
