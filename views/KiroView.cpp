#include "views/KiroView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "document/KiroDoc.h"
#include "platform/gdi/DeviceContext.h"
#include "resources/CommandIds.h"
#include "views/PainterDC.h"

CKiroView::CKiroView(CKiroDoc& document, QWidget* parent) : CZoomView(parent), document_(document)
{
    setFocusPolicy(Qt::StrongFocus);
    SetZoomSizes({16, 16}, {0, 0}, {0, 0});
}

void CKiroView::OnInitialUpdate()
{
    document_.SetPictureView(this);
    ShowActualSize();
}

void CKiroView::OnUpdate(CView* /*sender*/, long /*hint*/)
{
    viewport()->update();
}

void CKiroView::ShowActualSize()
{
    const CDisplayBitmap* picture = document_.GetCurrentPicture();
    QSize size = picture != nullptr ? QSize(picture->GetWidth(), picture->GetHeight()) : QSize(16, 16);
    SetZoomSizes(size, {0, 0}, {0, 0});
    SetZoomMode(0);
    SetZoom(1.0);
    zoomCommandOn_ = false;
    UpdateCursor();
}

bool CKiroView::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.GetId()) {
    case ID_INDICATOR_ZOOM:
        ui.SetText(ZoomRatioText());
        return true;
    case ID_INDICATOR_X:
        ui.SetText(mouseX_ >= 0 ? QString::asprintf("%5d", mouseX_) : QString());
        return true;
    case ID_INDICATOR_Y:
        ui.SetText(mouseY_ >= 0 ? QString::asprintf("%5d", mouseY_) : QString());
        return true;
    default:
        return false;
    }
}

QString CKiroView::ZoomRatioText() const
{
    double zoom = GetZoom();
    return zoom >= 1.0 ? QString::asprintf("%.2f:1", zoom) : QString::asprintf("1:%.2f", 1.0 / zoom);
}

int CKiroView::OnRealizePalette(const QWidget* activeView)
{
    CDisplayBitmap* picture = document_.GetCurrentPicture();
    if (picture == nullptr || picture->GetDisplayPalette() == nullptr)
        return 0;
    QPainter painter;
    CPainterDC dc(painter);
    const gdi::CPalette* old = dc.SelectPalette(picture->GetDisplayPalette(), activeView != this);
    int changed = dc.RealizePalette();
    dc.SelectPalette(old, true);
    if (changed > 0) {
        viewport()->update();
        return 1;
    }
    return 0;
}

void CKiroView::ToggleZoomCommand()
{
    zoomCommandOn_ = !zoomCommandOn_;
    SetZoomMode(zoomCommandOn_ ? 1 : 0);
    UpdateCursor();
}

int CKiroView::ChooseStretchMode(int pictureDepth) const
{
    int screen = screenDepth_ ? screenDepth_() : 32;
    return halftoneAllowed_ && screen <= 8 && screen < pictureDepth ? gdi::HALFTONE : gdi::COLORONCOLOR;
}

void CKiroView::OnDraw(QPainter& painter, const QRect& exposed)
{
    CDisplayBitmap* picture = document_.GetCurrentPicture();
    if (picture == nullptr || picture->IsBlank())
        return;
    gdi::Rect area {exposed.left(), exposed.top(), exposed.right() + 1, exposed.bottom() + 1};
    CPainterDC dc(painter);
    picture->DrawToRect(dc, &area, &area, nullptr, false, ChooseStretchMode(picture->GetBitsPerPixel()),
                        gdi::SRCCOPY);
}

void CKiroView::UpdateCursor()
{
    if (!zoomCommandOn_ && (HasHorizontalBar() || HasVerticalBar()))
        viewport()->setCursor(panning_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
    else
        CZoomView::UpdateCursor();
}

void CKiroView::mousePressEvent(QMouseEvent* event)
{
    QPoint point = event->position().toPoint();
    switch (event->button()) {
    case Qt::LeftButton:
        if (zoomCommandOn_) {
            if (event->modifiers() & Qt::ControlModifier)
                ZoomToFit();
            else
                CZoomView::mousePressEvent(event);
        } else if (HasHorizontalBar() || HasVerticalBar()) {
            panning_ = true;
            panLast_ = point;
            UpdateCursor();
        }
        break;
    case Qt::MiddleButton:
        if (GetZoomMode() != 0)
            ZoomToFit();
        break;
    case Qt::RightButton:
        if (GetZoomMode() == 0) {
            ShowActualSize();
        } else {
            QPoint logical = ClientToLogical(point);
            ZoomOut(&logical, 1.25);
        }
        break;
    default:
        break;
    }
}

void CKiroView::mouseMoveEvent(QMouseEvent* event)
{
    QPoint point = event->position().toPoint();
    QPoint pixel = ClientToLogical(point);
    QSize size = GetTotalLogicalSize();
    bool inside = pixel.x() >= 0 && pixel.x() < size.width() && pixel.y() >= 0 && pixel.y() < size.height();
    mouseX_ = inside ? pixel.x() : -1;
    mouseY_ = inside ? pixel.y() : -1;
    if (panning_) {
        PanBy(point - panLast_);
        panLast_ = point;
    }
    CZoomView::mouseMoveEvent(event);
}

void CKiroView::mouseReleaseEvent(QMouseEvent* event)
{
    if (panning_ && event->button() == Qt::LeftButton) {
        panning_ = false;
        viewport()->update();
        UpdateCursor();
        return;
    }
    CZoomView::mouseReleaseEvent(event);
}

// The picture follows the pointer pixel for pixel; an axis without a scroll bar stays put.
void CKiroView::PanBy(QPoint movement)
{
    if (movement.isNull())
        return;
    QPoint target = GetScrollPosition() - movement;
    horizontalScrollBar()->setValue(HasHorizontalBar() ? std::max(0, target.x()) : 0);
    verticalScrollBar()->setValue(HasVerticalBar() ? std::max(0, target.y()) : 0);
}

void CKiroView::keyPressEvent(QKeyEvent* event)
{
    bool control = event->modifiers() & Qt::ControlModifier;
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageUp: vertical->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case Qt::Key_PageDown: vertical->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case Qt::Key_Home: (control ? vertical : horizontal)->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case Qt::Key_End: (control ? vertical : horizontal)->triggerAction(QAbstractSlider::SliderToMaximum); break;
    case Qt::Key_Left: horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Right: horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_Up: vertical->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    default: CZoomView::keyPressEvent(event); return;
    }
}

bool CKiroView::viewportEvent(QEvent* event)
{
    // Leaving the picture area (to a scroll bar or out of the window) loses the position.
    if (event->type() == QEvent::Leave) {
        mouseX_ = -1;
        mouseY_ = -1;
    }
    return CZoomView::viewportEvent(event);
}
