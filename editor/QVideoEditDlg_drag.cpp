// Dragging the two watermarks on the output preview and the crop box on the
// source preview: corners resize, edges stretch, the inside moves.
#include "QVideoEditDlg.h"

#include "EnginePlayer.h"
#include "VideoImageWindow.h"
#include "editing/EditArithmetic.h"
#include "editing/PreviewDrag.h"

#include <QMouseEvent>

#include <cmath>

namespace {

PreviewDrag::Picture pictureOf(const VideoImageWindow* surface)
{
    const QRect r = surface->getVideoRect();
    return PreviewDrag::Picture{r.left(), r.top(), r.right(), r.bottom()};
}

QPoint pointerOf(const QMouseEvent* e)
{
    return QPoint(int(std::lround(e->localPos().x())), int(std::lround(e->localPos().y())));
}

// Moves or scales a watermark record by the drag; true when it changed.
template <class Layer>
bool dragLayer(const EditingState::Drag& drag, int mode, double nx, double ny, Layer& layer)
{
    PreviewDrag::WatermarkState current;
    current.posX = layer.pos_x;
    current.posY = layer.pos_y;
    current.scaleX = layer.scale_x;
    current.scaleY = layer.scale_y;
    const PreviewDrag::WatermarkResult r =
        PreviewDrag::dragWatermark(mode, drag.startRect, drag.startScaleX, drag.startScaleY, current, nx, ny);
    layer.pos_x = r.state.posX;
    layer.pos_y = r.state.posY;
    layer.scale_x = r.state.scaleX;
    layer.scale_y = r.state.scaleY;
    return r.position || r.scale;
}

} // namespace

EditRect QVideoEditDlg::cropDragBox() const
{
    const CropSettings& s = m_state.crop();
    if (EditArithmetic::panScanActive(s))
        return EditRect{s.panscan_x, s.panscan_y, s.panscan_w, s.panscan_h};
    return EditRect{s.crop_x, s.crop_y, s.crop_w, s.crop_h};
}

int QVideoEditDlg::watermarkHit(bool text, QMouseEvent* e, EditRect* box)
{
    const QSizeF size = text ? m_engine->watermarkTextSize() : m_engine->watermarkImageSize();
    const double w = size.width();
    const double h = size.height();
    const int posX = text ? m_state.text().pos_x : m_state.image().pos_x;
    const int posY = text ? m_state.text().pos_y : m_state.image().pos_y;
    const PreviewDrag::Picture pic = pictureOf(m_videoPreviewWidget);
    const PreviewDrag::ScreenBox screen = PreviewDrag::watermarkBox(pic, posX, posY, w, h);
    if (box)
        *box = EditRect{posX / 1000.0, posY / 1000.0, w, h};
    const QPoint p = pointerOf(e);
    return PreviewDrag::hitTest(screen, pic.width(), p.x(), p.y());
}

bool QVideoEditDlg::watermarkDown(bool text, QMouseEvent* e)
{
    if (!m_engine->handle() || (text ? m_state.text().border : m_state.image().border) == 0)
        return false;
    EditRect box;
    const int mode = watermarkHit(text, e, &box);
    if (mode == PreviewDrag::None)
        return false;
    m_state.pressWatermark(text, mode, pointerOf(e), box,
                           text ? m_state.text().scale_x : m_state.image().scale_x,
                           text ? m_state.text().scale_y : m_state.image().scale_y);
    m_videoPreviewWidget->setCursor(PreviewDrag::cursorFor(mode));
    // The layer being dragged goes on top of the other.
    const int topmost = text ? 1 : 0;
    if (m_state.text().topmost != topmost) {
        WatermarkTextSettings raised = m_state.text();
        raised.topmost = topmost;
        m_state.changeText(raised);
    }
    return true;
}

bool QVideoEditDlg::watermarkMove(bool text, QMouseEvent* e)
{
    if (!m_engine->handle() || (text ? m_state.text().border : m_state.image().border) == 0)
        return false;
    m_videoPreviewWidget->setCursor(Qt::ArrowCursor);
    const int mode = text ? m_state.drag().textMode : m_state.drag().imageMode;
    if (mode == PreviewDrag::None) {
        const int hover = watermarkHit(text, e, nullptr);
        if (hover == PreviewDrag::None)
            return false;
        m_videoPreviewWidget->setCursor(PreviewDrag::cursorFor(hover));
        return true;
    }
    const PreviewDrag::Picture pic = pictureOf(m_videoPreviewWidget);
    const QPoint p = pointerOf(e);
    const double nx = m_state.drag().startRect.x + double(p.x() - m_state.drag().pressPos.x()) / pic.width();
    const double ny = m_state.drag().startRect.y + double(p.y() - m_state.drag().pressPos.y()) / pic.height();
    m_videoPreviewWidget->setCursor(PreviewDrag::cursorFor(mode));

    // The two layers differ only in their record; the change goes out as a
    // panel's does, and the editor stores it and hands it to the preview.
    if (text) {
        WatermarkTextSettings moved = m_state.text();
        if (dragLayer(m_state.drag(), mode, nx, ny, moved))
            m_state.changeText(moved);
    } else {
        WatermarkImageSettings moved = m_state.image();
        if (dragLayer(m_state.drag(), mode, nx, ny, moved))
            m_state.changeImage(moved);
    }
    return true;
}

bool QVideoEditDlg::WatermarkTextDown(QMouseEvent* e) { return watermarkDown(true, e); }
bool QVideoEditDlg::WatermarkImageDown(QMouseEvent* e) { return watermarkDown(false, e); }
bool QVideoEditDlg::WatermarkTextMove(QMouseEvent* e) { return watermarkMove(true, e); }
bool QVideoEditDlg::WatermarkImageMove(QMouseEvent* e) { return watermarkMove(false, e); }

bool QVideoEditDlg::WatermarkTextUp(QMouseEvent*)
{
    m_state.releaseWatermark(true);
    return true;
}

bool QVideoEditDlg::WatermarkImageUp(QMouseEvent*)
{
    m_state.releaseWatermark(false);
    return true;
}

bool QVideoEditDlg::CropDown(QMouseEvent* e)
{
    if (!m_engine->handle() || !m_cropBorder)
        return false;
    const PreviewDrag::Picture pic = pictureOf(m_videoOrignalWidget);
    const EditRect box = cropDragBox();
    const QPoint p = pointerOf(e);
    const int mode = PreviewDrag::hitTest(PreviewDrag::cropBox(pic, box), pic.width(), p.x(), p.y());
    if (mode == PreviewDrag::None)
        return false;
    m_state.pressCrop(mode, p, box);
    m_videoOrignalWidget->setCursor(PreviewDrag::cursorFor(mode));
    return true;
}

bool QVideoEditDlg::CropMove(QMouseEvent* e)
{
    if (!m_engine->handle() || !m_cropBorder)
        return false;
    m_videoOrignalWidget->setCursor(Qt::ArrowCursor);
    const PreviewDrag::Picture pic = pictureOf(m_videoOrignalWidget);
    const QPoint p = pointerOf(e);
    if (m_state.drag().cropMode == PreviewDrag::None) {
        const int hover =
            PreviewDrag::hitTest(PreviewDrag::cropBox(pic, cropDragBox()), pic.width(), p.x(), p.y());
        if (hover == PreviewDrag::None)
            return false;
        m_videoOrignalWidget->setCursor(PreviewDrag::cursorFor(hover));
        return true;
    }
    const double nx = m_state.drag().startRect.x + double(p.x() - m_state.drag().pressPos.x()) / pic.width();
    const double ny = m_state.drag().startRect.y + double(p.y() - m_state.drag().pressPos.y()) / pic.height();
    m_videoOrignalWidget->setCursor(PreviewDrag::cursorFor(m_state.drag().cropMode));
    const EditRect b = PreviewDrag::dragCrop(m_state.drag().cropMode, m_state.drag().startRect, nx, ny);
    CropSettings s = m_state.crop();
    s.crop_x = b.x;
    s.crop_y = b.y;
    s.crop_w = b.w;
    s.crop_h = b.h;
    if (s.pad != 0 && s.fill_type == 1 && (s.ratio_type == 0 || s.ratio_type == 1))
        keepPanScanProportion(s);
    s.panscan_x = s.crop_x;
    s.panscan_y = s.crop_y;
    s.panscan_w = s.crop_w;
    s.panscan_h = s.crop_h;
    // Original Size takes its aspect from the box's pixels.
    if ((s.ratio_type == 1 || (s.ratio_type == 0 && s.pad == 0)) && m_engine->hasVideo())
        s = withRatioChoice(s);
    changePicture(s);
    return true;
}

bool QVideoEditDlg::CropUp(QMouseEvent*)
{
    m_state.releaseCrop();
    return true;
}

void QVideoEditDlg::mouseDownFormVideo(QMouseEvent* e)
{
    if (m_state.text().topmost != 0) {
        if (!WatermarkTextDown(e))
            WatermarkImageDown(e);
    } else if (!WatermarkImageDown(e)) {
        WatermarkTextDown(e);
    }
}

void QVideoEditDlg::mouseMoveFormVideo(QMouseEvent* e)
{
    if (m_state.text().topmost != 0) {
        if (!WatermarkTextMove(e))
            WatermarkImageMove(e);
    } else if (!WatermarkImageMove(e)) {
        WatermarkTextMove(e);
    }
}

void QVideoEditDlg::mouseUpFormVideo(QMouseEvent*)
{
    m_state.releaseWatermark(true);
    m_state.releaseWatermark(false);
}

void QVideoEditDlg::mouseCropDownVideo(QMouseEvent* e) { CropDown(e); }

void QVideoEditDlg::mouseCropMoveVideo(QMouseEvent* e) { CropMove(e); }

void QVideoEditDlg::mouseCropUpVideo(QMouseEvent*) { m_state.releaseCrop(); }
