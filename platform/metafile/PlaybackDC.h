#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QTransform>

#include <functional>
#include <optional>
#include <vector>

#include "platform/metafile/DcState.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/GdiObjects.h"

namespace metafile {

// Draws with `draw` on a white 32-bit target of the size and hands its rows
// to `sink`, top first; what was drawn before memory ran out stands. False,
// with nothing handed over, when no such target can be made.
bool DrawOnWhite(int width, int height, const RowSink& sink, const std::function<void(QImage&)>& draw);

// The device context a metafile plays into: GDI's state (saved and restored
// whole), the object table, and the drawing calls in logical coordinates,
// painted with QPainter on the target image without antialiasing. Geometry
// is rounded to whole target pixels as GDI rounds to device pixels.
class CPlaybackDC {
public:
    // `deviceToTarget` places the device coordinates of `initialMapping`
    // into `target`, which is drawn on as it is.
    CPlaybackDC(QImage& target, const CMapping& initialMapping, const QTransform& deviceToTarget,
                uint32_t objectSlots);
    ~CPlaybackDC();
    CPlaybackDC(const CPlaybackDC&) = delete;
    CPlaybackDC& operator=(const CPlaybackDC&) = delete;

    DcState& State() { return state_; }
    const DcState& State() const { return state_; }
    CObjectTable& Objects() { return objects_; }
    QImage& Target() { return target_; }
    const QImage& Target() const { return target_; }
    QPainter& Painter() { return painter_; }

    // Logical coordinates to target pixels.
    QTransform LogicalToTarget() const;
    const QTransform& DeviceToTarget() const { return deviceToTarget_; }
    // A point in whole target pixels, as GDI rounds device points.
    QPointF ToTarget(QPointF logical) const;
    QPolygonF ToTarget(const std::vector<QPointF>& logical) const;
    // A logical path in target pixels; empty when it leaves the usable range.
    QPainterPath ToTarget(const QPainterPath& logical) const;
    // The length in target pixels of one logical unit along x and along y.
    double UnitLengthX() const;
    double UnitLengthY() const;
    // The target box GDI covers for a logical box (right and bottom edges
    // excluded), or none when the transform rotates or shears.
    std::optional<QRectF> AlignedBox(const QRectF& logical) const;

    void Save();
    // Negative: that many levels back; positive: the state of that save.
    void Restore(int which);
    // Pens, brushes, fonts and palettes become the current ones; a region
    // becomes the clip region.
    void Select(const ObjectPtr& object);

    void MoveTo(QPointF point);
    void LineTo(QPointF point);
    void Polyline(const std::vector<QPointF>& points);
    void PolylineTo(const std::vector<QPointF>& points);
    void PolyBezier(const std::vector<QPointF>& points);
    void PolyBezierTo(const std::vector<QPointF>& points);
    void Polygon(const std::vector<QPointF>& points);
    void PolyPolygon(const std::vector<std::vector<QPointF>>& polygons);
    void PolyPolyline(const std::vector<std::vector<QPointF>>& polylines);
    void PolyDraw(const std::vector<QPointF>& points, const std::vector<uint8_t>& types);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, QSizeF corner);
    void Ellipse(const QRectF& box);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void Arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void AngleArc(QPointF center, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(QPointF point, gdi::ColorRef color);
    // Fills with the brush the area around `point` that reaches up to the
    // colour (`toBorder`) or that has the colour.
    void FloodFill(QPointF point, gdi::ColorRef color, bool toBorder);

    void BeginPath();
    void EndPath();
    void CloseFigure();
    void AbortPath();
    void FlattenPath();
    void WidenPath();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(int mode);

    void IntersectClipRect(const QRectF& logical);
    void ExcludeClipRect(const QRectF& logical);
    void OffsetClip(QPointF logical);
    // A region in device pixels (or none: no clip) combined with the clip.
    void SelectClipRegion(const std::optional<QRegion>& device, int mode);
    void SetMetaRegion();

    // Regions in logical units.
    void FillRegion(const QRegion& logical, const LogBrush& brush);
    void FrameRegion(const QRegion& logical, const LogBrush& brush, QSizeF stroke);
    void InvertRegion(const QRegion& logical);
    void PaintRegion(const QRegion& logical);
    // A logical region in target pixels.
    QRegion RegionToTarget(const QRegion& logical);
    // The target pixels of a logical rectangle: from its left and top edges
    // up to, not including, its right and bottom ones.
    QRegion RectRegion(const QRectF& logical);

    // Building blocks for text and bitmaps, in target pixels.
    bool RecordingPath() const { return state_.path.recording; }
    void AddClosedFiguresToPath(const QPainterPath& target);
    void FillTarget(const QPainterPath& target, const QBrush& brush);
    // Fills target pixels with a brush as it stands, whatever the raster operation.
    void FillTargetRegion(const QRegion& target, const QBrush& brush);
    // The region drawing is limited to; none: the whole target.
    std::optional<QRegion> EffectiveClip() const;
    // Counts pixels a loop of the player's own is about to touch; false
    // once the file has used up its allowance, and the work is skipped.
    bool SpendPixelWork(int64_t pixels);
    // The target pixels a drawing within `bounds` (target pixels) may change:
    // those within the target and the clip.
    QRect DrawableArea(const QRectF& bounds) const;
    // Counts the pixels of `bounds` a drawing handed to the painter may
    // cover against the same allowance; false once it is used up, and the
    // drawing is skipped.
    bool SpendDrawing(const QRectF& bounds);

private:
    void DrawClosed(const QPainterPath& fillShape, const QPainterPath& outline);
    void DrawOpen(const QPainterPath& outline);
    void StrokeTarget(const QPainterPath& outline);
    void AddToPath(const QPainterPath& target, bool continuesFigure);
    QPainterPath BoxShape(const QRectF& box, const std::function<void(QPainterPath&, const QRectF&)>& addShape,
                          bool forFill) const;
    QPainterPath ArcShape(ArcKind kind, const QRectF& box, QPointF start, QPointF end) const;
    QPointF TargetPosition() const { return ToTarget(state_.position); }
    // A logical rectangle's corners as a target polygon.
    QPainterPath RectShape(const QRectF& logical) const;
    // The pixels a target path covers, as long as the allowance of pixel work lasts.
    QRegion RasterRegion(const QPainterPath& target);
    QRegion WholeTarget() const { return QRegion(target_.rect()); }
    bool CountClipOperation();
    void CombineClip(const QRegion& region, int mode);
    void ApplyClip();

    QImage& target_;
    QTransform deviceToTarget_;
    DcState state_;
    std::vector<DcState> saved_;
    CObjectTable objects_;
    QPainter painter_;
    int clipOperations_ = 0;
    int64_t pixelWork_ = 0;
};

}  // namespace metafile
