#pragma once

#include <QAbstractScrollArea>
#include <QCursor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTransform>

// A scrolling view whose content is laid out in logical units (picture pixels)
// and shown at a zoom factor: it maps logical units to the window, centres
// content smaller than the window, scrolls larger content, and offers a
// rectangle-zoom mode in which a left drag draws a rubber band and the view
// zooms so that the band fills the window. Subclasses draw the content.
// Device units are the screen's own pixels: the zoom, the zoomed size, the
// scroll position and the steps count them, so zoom 1.0 shows one logical
// unit per screen pixel whatever the device pixel ratio. Client points are
// the window's (Qt's device-independent) coordinates.
class CZoomView : public QAbstractScrollArea {
public:
    explicit CZoomView(QWidget* parent = nullptr);

    // Content size with page and line steps in logical units (0 = a tenth of
    // the content, a tenth of the page); resets the device size to 1:1.
    void SetZoomSizes(QSize size, QSize page, QSize line);
    void UpdateDeviceSizes();

    // Each returns 1. A null point means the logical point at the window centre.
    int ZoomIn(const QPoint* point, double factor);
    int ZoomOut(const QPoint* point, double factor);
    // Zooms to `zoom`, keeping the point at the window centre.
    int ZoomTo(const QPoint* point, double zoom);
    // Zooms to `zoom`, keeping the content under the client point where it is
    // (as far as the scroll range allows). Returns 1.
    int ZoomAtClientPoint(QPointF client, double zoom);
    // Zooms so that the logical rectangle between two corners fills the window.
    int ZoomToRect(QPoint corner, QPoint oppositeCorner);
    int ZoomToFit();

    void SetZoomMode(int mode);
    int GetZoomMode() const { return zoomMode_; }
    double GetZoom() const { return zoom_; }
    void SetZoom(double zoom) { zoom_ = zoom; }
    QSize GetTotalLogicalSize() const { return logicalSize_; }
    QSize GetTotalDeviceSize() const { return deviceSize_; }
    QSize GetPageStep() const { return pageDevice_; }
    QSize GetLineStep() const { return lineDevice_; }
    QPoint GetScrollPosition() const;

    void CenterOnLogicalPoint(QPoint logical);
    QPoint GetClientCenter() const;
    // The logical pixel drawn at a client point (at the screen pixel under it).
    QPoint ClientToLogical(QPointF client) const;
    QPoint LogicalToClient(QPoint logical) const;
    // Where logical (0, 0) lands, in device pixels of the viewport: the scroll
    // position, or the centring offset along an axis whose content is smaller
    // than the window.
    QPoint ViewportOrigin() const;
    // The viewport's size in device pixels with the scroll bars that the
    // zoomed size needs. Qt shows and hides the bars only when the event loop
    // runs next, so right after a zoom step the viewport itself still has its
    // old size.
    QSize ClientSize() const;
    // The viewport's size in device pixels with no scroll bar shown.
    QSize FullClientSize() const;
    // Device pixels per client unit: the viewport's device pixel ratio.
    double DeviceRatio() const;

    // The largest zoomed size on a side; steps beyond it are refused.
    static constexpr int kMaxDeviceSide = 1 << 24;

protected:
    // Called at the end of every zoom change.
    virtual void NotifyZoom() {}
    // Draws the logical rectangle `exposed` of the content; the painter maps logical units.
    virtual void OnDraw(QPainter& painter, const QRect& exposed);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    // The device pixel under a client point.
    QPoint DevicePoint(QPointF client) const;
    // Maps content device pixels ((0, 0) where logical (0, 0) lands) to the client.
    QTransform ContentToClient() const;

    // Applies the cursor rule: the magnifier in zoom mode, the arrow otherwise.
    virtual void UpdateCursor();
    bool IsCapturing() const { return capturing_; }
    bool HasHorizontalBar() const;
    bool HasVerticalBar() const;

private:
    bool SetZoomedSize(double zoom);
    QPoint DeviceToLogical(QPoint device) const;
    QPoint LogicalToDevice(QPoint logical) const;
    void ScrollTo(QPoint position);
    void UpdateScrollBars();
    void DrawBand(QPainter& painter) const;

    int zoomMode_ = 0;
    bool capturing_ = false;
    QPoint bandAnchor_;  // where the rubber band was pressed, logical
    QPoint bandCorner_;  // where the pointer is now, logical
    QSize logicalSize_ {1, 1};
    QSize deviceSize_ {1, 1};
    QSize baseDeviceSize_ {1, 1};
    QSize pageSizeLogical_;
    QSize lineSizeLogical_;
    QSize pageDevice_;
    QSize lineDevice_;
    double zoom_ = 1.0;
    QCursor zoomCursor_;
};
