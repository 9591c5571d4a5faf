#include "views/KiroView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <chrono>

#include "document/KiroDoc.h"
#include "platform/gdi/DeviceContext.h"
#include "resources/CommandIds.h"
#include "views/PainterDC.h"

namespace {

// One notch of a mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;
// How long one step of making the averaged copy may hold the interface thread.
constexpr std::chrono::milliseconds kReduceSlice {8};
// The checkerboard under pictures with alpha: squares of this many client units.
constexpr int kCheckerSquare = 8;
const QColor kCheckerLight(255, 255, 255);
const QColor kCheckerDark(204, 204, 204);

}  // namespace

CKiroView::CKiroView(CKiroDoc& document, QWidget* parent) : CZoomView(parent), document_(document)
{
    setFocusPolicy(Qt::StrongFocus);
    SetZoomSizes({16, 16}, {0, 0}, {0, 0});
    reduceTimer_.setSingleShot(true);
    reduceTimer_.setInterval(0);
    connect(&reduceTimer_, &QTimer::timeout, this, [this] { ContinueReducing(); });
}

void CKiroView::OnInitialUpdate()
{
    document_.SetPictureView(this);
    ShowActualSize();
}

void CKiroView::OnUpdate(CView* /*sender*/, long /*hint*/)
{
    reduced_.Clear();
    viewport()->update();
}

void CKiroView::ShowActualSize()
{
    ResetToActualSize();
    QSize window = FullClientSize();
    QSize picture = GetTotalLogicalSize();
    if (fitOnOpen_ && (picture.width() > window.width() || picture.height() > window.height()))
        ZoomToFit();
}

void CKiroView::ResetToActualSize()
{
    // The picture the averaged copy was made from may be gone.
    reduced_.Clear();
    const CDisplayBitmap* picture = document_.GetCurrentPicture();
    QSize size = picture != nullptr ? QSize(picture->GetWidth(), picture->GetHeight()) : QSize(16, 16);
    SetZoomSizes(size, {0, 0}, {0, 0});
    SetZoomMode(0);
    SetZoom(1.0);
    zoomCommandOn_ = false;
    UpdateCursor();
}

void CKiroView::ZoomInStep()
{
    ZoomIn(nullptr, kZoomStep);
}

void CKiroView::ZoomOutStep()
{
    ZoomOut(nullptr, kZoomStep);
}

void CKiroView::ZoomToActualSize()
{
    ZoomTo(nullptr, 1.0);
}

void CKiroView::SetSmoothReduction(bool on)
{
    smoothReduction_ = on;
    if (!on)
        reduced_.Clear();
    viewport()->update();
}

void CKiroView::SetAlphaCheckerboard(bool on)
{
    alphaCheckerboard_ = on;
    viewport()->update();
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
    bool alpha = alphaCheckerboard_ && picture->GetBitsPerPixel() == 32 && picture->GetAlphaFlag();
    if (alpha)
        DrawCheckerboard(painter);
    if (!IsReduced())
        reduced_.Clear();  // its memory is not wanted at this zoom
    else if (smoothReduction_ && DrawReduced(painter, *picture, alpha))
        return;
    gdi::Rect area {exposed.left(), exposed.top(), exposed.right() + 1, exposed.bottom() + 1};
    CPainterDC dc(painter);
    dc.SetBlendAlpha(alpha);
    picture->DrawToRect(dc, &area, &area, nullptr, false, ChooseStretchMode(picture->GetBitsPerPixel()),
                        gdi::SRCCOPY);
}

// Drawn smaller than 1:1 along at least one axis.
bool CKiroView::IsReduced() const
{
    QSize device = GetTotalDeviceSize();
    QSize logical = GetTotalLogicalSize();
    return device.width() < logical.width() || device.height() < logical.height();
}

bool CKiroView::IsReducedPictureReady() const
{
    return reduced_.IsReadyFor(document_.GetCurrentPicture(), GetTotalDeviceSize());
}

// Draws the averaged copy one device pixel per pixel when it is whole;
// otherwise has it made and returns false, so the picture is drawn plainly meanwhile.
bool CKiroView::DrawReduced(QPainter& painter, const CDisplayBitmap& picture, bool alpha)
{
    if (!reduced_.IsReadyFor(&picture, GetTotalDeviceSize())) {
        reduced_.Prepare(&picture, GetTotalDeviceSize());
        reduceTimer_.start();
        return false;
    }
    const QImage& copy = reduced_.Image();
    painter.save();
    painter.setWorldTransform(ContentToClient());
    if (alpha)
        painter.drawImage(0, 0, QImage(copy.constBits(), copy.width(), copy.height(), copy.bytesPerLine(),
                                       QImage::Format_ARGB32));
    else
        painter.drawImage(0, 0, copy);
    painter.restore();
    return true;
}

void CKiroView::ContinueReducing()
{
    const CDisplayBitmap* picture = document_.GetCurrentPicture();
    if (!smoothReduction_ || !reduced_.IsInProgress() || reduced_.Picture() != picture) {
        reduced_.Clear();
        return;
    }
    if (reduced_.Continue(picture->GetDibPixels(), kReduceSlice))
        viewport()->update();
    else
        reduceTimer_.start();
}

// Light squares of a fixed size on the screen, anchored at the picture's corner, over the picture's area.
void CKiroView::DrawCheckerboard(QPainter& painter) const
{
    int square = std::max(1, static_cast<int>(std::lround(kCheckerSquare * DeviceRatio())));
    QImage tile(2 * square, 2 * square, QImage::Format_RGB32);
    tile.fill(kCheckerLight);
    for (int y = 0; y < 2 * square; ++y)
        for (int x = 0; x < 2 * square; ++x)
            if ((x < square) != (y < square))
                tile.setPixelColor(x, y, kCheckerDark);
    painter.save();
    painter.setWorldTransform(ContentToClient());
    painter.fillRect(QRect(QPoint(0, 0), GetTotalDeviceSize()), QBrush(tile));
    painter.restore();
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
    switch (event->button()) {
    case Qt::LeftButton:
        if (zoomCommandOn_) {
            if (event->modifiers() & Qt::ControlModifier)
                ZoomToFit();
            else
                CZoomView::mousePressEvent(event);
        } else if (HasHorizontalBar() || HasVerticalBar()) {
            panning_ = true;
            panLast_ = DevicePoint(event->position());
            UpdateCursor();
        }
        break;
    case Qt::MiddleButton:
        if (GetZoomMode() != 0)
            ZoomToFit();
        break;
    case Qt::RightButton:
        if (GetZoomMode() == 0) {
            ResetToActualSize();
        } else {
            QPoint logical = ClientToLogical(event->position());
            ZoomOut(&logical, kZoomStep);
        }
        break;
    default:
        break;
    }
}

void CKiroView::mouseMoveEvent(QMouseEvent* event)
{
    QPoint pixel = ClientToLogical(event->position());
    QSize size = GetTotalLogicalSize();
    bool inside = pixel.x() >= 0 && pixel.x() < size.width() && pixel.y() >= 0 && pixel.y() < size.height();
    mouseX_ = inside ? pixel.x() : -1;
    mouseY_ = inside ? pixel.y() : -1;
    if (panning_) {
        QPoint device = DevicePoint(event->position());
        PanBy(device - panLast_);
        panLast_ = device;
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

// The picture follows the pointer pixel for pixel (`movement` in device
// pixels); an axis without a scroll bar stays put.
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

// Ctrl+wheel zooms about the point under the pointer, a step a notch;
// Shift+wheel scrolls sideways as far as the plain wheel scrolls down.
void CKiroView::wheelEvent(QWheelEvent* event)
{
    int turn = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        event->accept();
        // Turning back forgets what was turned the other way.
        if ((turn > 0) != (wheelZoomDelta_ > 0))
            wheelZoomDelta_ = 0;
        wheelZoomDelta_ += turn;
        for (; wheelZoomDelta_ >= kWheelNotch; wheelZoomDelta_ -= kWheelNotch)
            ZoomAtClientPoint(event->position(), GetZoom() * kZoomStep);
        for (; wheelZoomDelta_ <= -kWheelNotch; wheelZoomDelta_ += kWheelNotch)
            ZoomAtClientPoint(event->position(), GetZoom() / kZoomStep);
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        event->accept();
        QScrollBar* horizontal = horizontalScrollBar();
        int lines = QApplication::wheelScrollLines();
        horizontal->setValue(horizontal->value() - turn * lines * horizontal->singleStep() / kWheelNotch);
        return;
    }
    CZoomView::wheelEvent(event);
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
