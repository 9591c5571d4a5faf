#include "views/ZoomView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

#include "resources/Cursors.h"

namespace {

// Shrinks `target` to the aspect ratio of `source`.
void FitAspect(QSize source, QSize& target)
{
    double sourceRatio = static_cast<double>(source.width()) / source.height();
    double targetRatio = static_cast<double>(target.width()) / target.height();
    if (sourceRatio > targetRatio)
        target.setHeight(static_cast<int>(target.width() / sourceRatio));
    else if (sourceRatio < targetRatio)
        target.setWidth(static_cast<int>(sourceRatio * target.height()));
}

int FloorDiv(int64_t numerator, int64_t denominator)
{
    int64_t quotient = numerator / denominator;
    if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0)))
        --quotient;
    return static_cast<int>(quotient);
}

// The logical pixel the painter draws at device pixel `device` (counted from
// where logical 0 lands) when `logical` units span `zoomed` device pixels:
// the one whose area holds the device pixel's centre. A centre that falls
// exactly on a boundary is drawn with the pixel before it.
int PixelDrawnAt(int device, int logical, int zoomed)
{
    return FloorDiv((2 * int64_t {device} + 1) * logical - 1, 2 * int64_t {zoomed});
}

// A length in client units as device pixels.
int ToDevice(int units, double ratio)
{
    return static_cast<int>(std::lround(units * ratio));
}

}  // namespace

CZoomView::CZoomView(QWidget* parent) : QAbstractScrollArea(parent), zoomCursor_(LoadZoomCursor())
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    UpdateCursor();
}

void CZoomView::SetZoomSizes(QSize size, QSize page, QSize line)
{
    logicalSize_ = size.expandedTo({1, 1});
    deviceSize_ = logicalSize_;
    baseDeviceSize_ = logicalSize_;
    pageSizeLogical_ = page;
    lineSizeLogical_ = line;
    UpdateDeviceSizes();
    NotifyZoom();
}

void CZoomView::UpdateDeviceSizes()
{
    pageDevice_ = {pageSizeLogical_.width(), std::abs(pageSizeLogical_.height())};
    lineDevice_ = {lineSizeLogical_.width(), std::abs(lineSizeLogical_.height())};
    if (pageDevice_.width() == 0)
        pageDevice_.setWidth(deviceSize_.width() / 10);
    if (pageDevice_.height() == 0)
        pageDevice_.setHeight(deviceSize_.height() / 10);
    if (lineDevice_.width() == 0)
        lineDevice_.setWidth(pageDevice_.width() / 10);
    if (lineDevice_.height() == 0)
        lineDevice_.setHeight(pageDevice_.height() / 10);
    UpdateScrollBars();
    viewport()->update();
}

void CZoomView::UpdateScrollBars()
{
    QSize client = ClientSize();
    horizontalScrollBar()->setRange(0, std::max(0, deviceSize_.width() - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, deviceSize_.height() - client.height()));
    horizontalScrollBar()->setPageStep(std::max(1, pageDevice_.width()));
    verticalScrollBar()->setPageStep(std::max(1, pageDevice_.height()));
    horizontalScrollBar()->setSingleStep(std::max(1, lineDevice_.width()));
    verticalScrollBar()->setSingleStep(std::max(1, lineDevice_.height()));
    UpdateCursor();
}

bool CZoomView::SetZoomedSize(double zoom)
{
    double width = std::trunc(baseDeviceSize_.width() * zoom);
    double height = std::trunc(baseDeviceSize_.height() * zoom);
    if (!(width >= 1 && height >= 1 && width <= kMaxDeviceSide && height <= kMaxDeviceSide))
        return false;
    zoom_ = zoom;
    deviceSize_ = {static_cast<int>(width), static_cast<int>(height)};
    return true;
}

int CZoomView::ZoomIn(const QPoint* point, double factor)
{
    return ZoomTo(point, zoom_ * factor);
}

int CZoomView::ZoomOut(const QPoint* point, double factor)
{
    return ZoomTo(point, zoom_ / factor);
}

int CZoomView::ZoomTo(const QPoint* point, double zoom)
{
    QPoint center = point != nullptr ? *point : GetClientCenter();
    if (!SetZoomedSize(zoom))
        return 1;
    UpdateDeviceSizes();
    CenterOnLogicalPoint(center);
    NotifyZoom();
    return 1;
}

int CZoomView::ZoomAtClientPoint(QPointF client, double zoom)
{
    QPoint device = DevicePoint(client);
    QPoint origin = ViewportOrigin();
    // The content point under the device pixel's centre, in logical units.
    double x = (device.x() - origin.x() + 0.5) * logicalSize_.width() / deviceSize_.width();
    double y = (device.y() - origin.y() + 0.5) * logicalSize_.height() / deviceSize_.height();
    if (!SetZoomedSize(zoom))
        return 1;
    UpdateDeviceSizes();
    ScrollTo({static_cast<int>(std::lround(x * deviceSize_.width() / logicalSize_.width() - 0.5)) - device.x(),
              static_cast<int>(std::lround(y * deviceSize_.height() / logicalSize_.height() - 0.5)) - device.y()});
    NotifyZoom();
    return 1;
}

int CZoomView::ZoomToRect(QPoint corner, QPoint oppositeCorner)
{
    int left = std::min(corner.x(), oppositeCorner.x());
    int right = std::max(corner.x(), oppositeCorner.x());
    int top = std::min(corner.y(), oppositeCorner.y());
    int bottom = std::max(corner.y(), oppositeCorner.y());
    QPoint middle((left + right) / 2, (top + bottom) / 2);

    QPoint topLeft = LogicalToDevice({left, top});
    QPoint bottomRight = LogicalToDevice({right, bottom});
    if (std::max(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()) < 10)
        return ZoomIn(&middle, 1.25);

    QSize client = ClientSize();
    double zoomX = (client.width() + 1.0) / (right - left);
    double zoomY = (client.height() + 1.0) / (bottom - top);
    if (!SetZoomedSize(zoomX < zoomY ? zoomX : zoomY))
        return 1;
    UpdateDeviceSizes();
    CenterOnLogicalPoint(middle);
    NotifyZoom();
    return 1;
}

int CZoomView::ZoomToFit()
{
    QSize device = FullClientSize().expandedTo({1, 1});
    FitAspect(baseDeviceSize_, device);
    device = device.expandedTo({1, 1});
    deviceSize_ = device;
    zoom_ = static_cast<double>(device.width()) / baseDeviceSize_.width();
    UpdateScrollBars();
    viewport()->update();
    NotifyZoom();
    return 1;
}

void CZoomView::SetZoomMode(int mode)
{
    if (mode == zoomMode_)
        return;
    zoomMode_ = mode;
    // A rubber band being dragged ends with the mode, without zooming.
    if (capturing_) {
        capturing_ = false;
        viewport()->update();
    }
    UpdateCursor();
}

void CZoomView::UpdateCursor()
{
    if (zoomMode_ != 0)
        viewport()->setCursor(zoomCursor_);
    else
        viewport()->setCursor(Qt::ArrowCursor);
}

QPoint CZoomView::GetScrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

bool CZoomView::HasHorizontalBar() const
{
    return horizontalScrollBar()->maximum() > 0;
}

bool CZoomView::HasVerticalBar() const
{
    return verticalScrollBar()->maximum() > 0;
}

double CZoomView::DeviceRatio() const
{
    return viewport()->devicePixelRatioF();
}

QPoint CZoomView::DevicePoint(QPointF client) const
{
    double ratio = DeviceRatio();
    return {static_cast<int>(std::floor(client.x() * ratio)), static_cast<int>(std::floor(client.y() * ratio))};
}

QTransform CZoomView::ContentToClient() const
{
    double ratio = DeviceRatio();
    QPoint origin = ViewportOrigin();
    return QTransform::fromScale(1 / ratio, 1 / ratio).translate(origin.x(), origin.y());
}

QSize CZoomView::FullClientSize() const
{
    double ratio = DeviceRatio();
    QSize full = maximumViewportSize();
    return {ToDevice(full.width(), ratio), ToDevice(full.height(), ratio)};
}

QSize CZoomView::ClientSize() const
{
    double ratio = DeviceRatio();
    QSize full = FullClientSize();
    int barWidth = ToDevice(verticalScrollBar()->sizeHint().width(), ratio);
    int barHeight = ToDevice(horizontalScrollBar()->sizeHint().height(), ratio);
    bool horizontal = deviceSize_.width() > full.width();
    bool vertical = deviceSize_.height() > full.height();
    // A bar takes room from the other axis, which may then need its bar too.
    horizontal = horizontal || (vertical && deviceSize_.width() > full.width() - barWidth);
    vertical = vertical || (horizontal && deviceSize_.height() > full.height() - barHeight);
    return {full.width() - (vertical ? barWidth : 0), full.height() - (horizontal ? barHeight : 0)};
}

QPoint CZoomView::ViewportOrigin() const
{
    QSize client = ClientSize();
    QPoint origin = -GetScrollPosition();
    if (deviceSize_.width() < client.width())
        origin.setX((client.width() - deviceSize_.width()) / 2);
    if (deviceSize_.height() < client.height())
        origin.setY((client.height() - deviceSize_.height()) / 2);
    return origin;
}

QPoint CZoomView::LogicalToDevice(QPoint logical) const
{
    QPoint origin = ViewportOrigin();
    return {origin.x() + FloorDiv(int64_t {logical.x()} * deviceSize_.width(), logicalSize_.width()),
            origin.y() + FloorDiv(int64_t {logical.y()} * deviceSize_.height(), logicalSize_.height())};
}

QPoint CZoomView::DeviceToLogical(QPoint device) const
{
    QPoint origin = ViewportOrigin();
    return {PixelDrawnAt(device.x() - origin.x(), logicalSize_.width(), deviceSize_.width()),
            PixelDrawnAt(device.y() - origin.y(), logicalSize_.height(), deviceSize_.height())};
}

QPoint CZoomView::LogicalToClient(QPoint logical) const
{
    QPointF client = QPointF(LogicalToDevice(logical)) / DeviceRatio();
    return {static_cast<int>(std::floor(client.x())), static_cast<int>(std::floor(client.y()))};
}

QPoint CZoomView::ClientToLogical(QPointF client) const
{
    return DeviceToLogical(DevicePoint(client));
}

QPoint CZoomView::GetClientCenter() const
{
    QSize client = ClientSize();
    return DeviceToLogical({client.width() / 2, client.height() / 2});
}

void CZoomView::CenterOnLogicalPoint(QPoint logical)
{
    QPoint inContent = LogicalToDevice(logical) + GetScrollPosition();
    QSize client = ClientSize();
    ScrollTo({inContent.x() - client.width() / 2, inContent.y() - client.height() / 2});
}

// The scroll bars clamp to their range, and an axis without one stays at 0.
void CZoomView::ScrollTo(QPoint position)
{
    horizontalScrollBar()->setValue(HasHorizontalBar() ? std::max(0, position.x()) : 0);
    verticalScrollBar()->setValue(HasVerticalBar() ? std::max(0, position.y()) : 0);
}

void CZoomView::OnDraw(QPainter& /*painter*/, const QRect& /*exposed*/) {}

void CZoomView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    QRect update = event->rect();
    QPoint first = ClientToLogical(update.topLeft());
    QPoint last = ClientToLogical(update.bottomRight() + QPoint(1, 1));
    QRect exposed = QRect(QPoint(first.x() - 1, first.y() - 1), QPoint(last.x(), last.y()))
                        .intersected(QRect(QPoint(0, 0), logicalSize_));
    painter.save();
    painter.setWorldTransform(ContentToClient());
    painter.scale(static_cast<double>(deviceSize_.width()) / logicalSize_.width(),
                  static_cast<double>(deviceSize_.height()) / logicalSize_.height());
    if (!exposed.isEmpty())
        OnDraw(painter, exposed);
    painter.restore();
    if (capturing_)
        DrawBand(painter);
}

// A dashed box that inverts what lies beneath it, so it shows on any picture.
void CZoomView::DrawBand(QPainter& painter) const
{
    QPoint from = LogicalToClient(bandAnchor_);
    QPoint to = LogicalToClient(bandCorner_);
    QPen pen(Qt::white, 0, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawRect(QRect(from, to).normalized().adjusted(0, 0, -1, -1));
}

void CZoomView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CZoomView::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    viewport()->update();
}

// The second press of a double click is a press like any other.
void CZoomView::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
}

void CZoomView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || zoomMode_ != 1)
        return;
    capturing_ = true;
    bandAnchor_ = ClientToLogical(event->position());
    bandCorner_ = bandAnchor_;
    viewport()->setCursor(Qt::CrossCursor);
}

void CZoomView::mouseMoveEvent(QMouseEvent* event)
{
    if (!capturing_ || zoomMode_ != 1)
        return;
    bandCorner_ = ClientToLogical(event->position());
    viewport()->update();
}

void CZoomView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || zoomMode_ != 1 || !capturing_)
        return;
    capturing_ = false;
    viewport()->setCursor(zoomCursor_);
    viewport()->update();
    ZoomToRect(bandAnchor_, bandCorner_);
}
