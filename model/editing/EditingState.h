#pragma once

// The editor's editing state, without widgets: the clip's four edit
// records, its trim range and the state of a drag on the previews. The
// editor window owns it and hands it to its tool panels and its preview
// drags. Panels and drags alike change a record only by announcing the new
// one through the change setters below; the owner, connected once, stores
// it here and applies it to its preview, so a change has one road.

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

    // The stored records.
    CropSettings crop;
    WatermarkTextSettings text;
    WatermarkImageSettings image;
    SubtitleSettings subtitle;
    // Microseconds; end 0 = no trim end.
    uint64_t trimStart = 0;
    uint64_t trimEnd = 0;
    // The clip's embedded subtitle streams; the subtitle choices list them
    // before closed captions and an external file.
    int subtitleStreams = 0;

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
    } drag;

    // A change made in a panel or by a drag, announced to the owner.
    void changeCrop(const CropSettings& s) { emit cropChanged(s); }
    void changeText(const WatermarkTextSettings& s) { emit textChanged(s); }
    void changeImage(const WatermarkImageSettings& s) { emit imageChanged(s); }
    void changeSubtitle(const SubtitleSettings& s) { emit subtitleChanged(s); }

signals:
    void cropChanged(CropSettings s);
    void textChanged(WatermarkTextSettings s);
    void imageChanged(WatermarkImageSettings s);
    void subtitleChanged(SubtitleSettings s);
};
