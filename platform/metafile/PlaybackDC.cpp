#include "platform/metafile/PlaybackDC.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "platform/metafile/Limits.h"
#include "platform/metafile/PenBrush.h"
#include "platform/metafile/RegionTools.h"

namespace metafile {

bool DrawOnWhite(int width, int height, const RowSink& sink, const std::function<void(QImage&)>& draw)
{
    if (width <= 0 || height <= 0)
        return false;
    QImage target;
    try {
        target = QImage(width, height, QImage::Format_RGB32);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (target.isNull())
        return false;
    target.fill(Qt::white);
    try {
        draw(target);
    } catch (const std::bad_alloc&) {
        // What was drawn before memory ran out stands.
    }
    for (int y = 0; y < height; ++y)
        sink(y, reinterpret_cast<const uint32_t*>(target.constScanLine(y)));
    return true;
}

namespace {

double ClampCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(std::round(value), -kMaxDeviceCoordinate, kMaxDeviceCoordinate);
}

// Whether a shape stays within the range painting can take.
bool IsPaintable(const QRectF& rect)
{
    constexpr double kLimit = 1 << 30;
    return std::isfinite(rect.left()) && std::isfinite(rect.top()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height()) && std::abs(rect.left()) < kLimit && std::abs(rect.top()) < kLimit &&
           rect.width() < kLimit && rect.height() < kLimit;
}

QPainterPath OpenPolyline(const QPolygonF& points)
{
    QPainterPath path;
    path.addPolygon(points);
    return path;
}

QPainterPath ClosedPolygon(const QPolygonF& points)
{
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

// Béziers from `start` through the control points, three per curve.
QPainterPath Beziers(QPointF start, const QPolygonF& points)
{
    QPainterPath path(start);
    for (qsizetype i = 0; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    return path;
}

}  // namespace

CPlaybackDC::CPlaybackDC(QImage& target, const CMapping& initialMapping, const QTransform& deviceToTarget,
                         uint32_t objectSlots)
    : target_(target), deviceToTarget_(deviceToTarget), state_(initialMapping), objects_(objectSlots)
{
    painter_.begin(&target_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
}

CPlaybackDC::~CPlaybackDC()
{
    painter_.end();
}

QTransform CPlaybackDC::LogicalToTarget() const
{
    return state_.mapping.LogicalToDevice() * deviceToTarget_;
}

QPointF CPlaybackDC::ToTarget(QPointF logical) const
{
    QPointF point = LogicalToTarget().map(logical);
    return {ClampCoordinate(point.x()), ClampCoordinate(point.y())};
}

QPolygonF CPlaybackDC::ToTarget(const std::vector<QPointF>& logical) const
{
    QTransform transform = LogicalToTarget();
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(logical.size()));
    for (QPointF point : logical) {
        QPointF mapped = transform.map(point);
        points.append({ClampCoordinate(mapped.x()), ClampCoordinate(mapped.y())});
    }
    return points;
}

QPainterPath CPlaybackDC::ToTarget(const QPainterPath& logical) const
{
    QPainterPath mapped = LogicalToTarget().map(logical);
    return IsPaintable(mapped.controlPointRect()) ? mapped : QPainterPath();
}

double CPlaybackDC::UnitLengthX() const
{
    QTransform transform = LogicalToTarget();
    return std::hypot(transform.m11(), transform.m12());
}

double CPlaybackDC::UnitLengthY() const
{
    QTransform transform = LogicalToTarget();
    return std::hypot(transform.m21(), transform.m22());
}

std::optional<QRectF> CPlaybackDC::AlignedBox(const QRectF& logical) const
{
    QTransform transform = LogicalToTarget();
    if (transform.m12() != 0 || transform.m21() != 0)
        return std::nullopt;
    return QRectF(ToTarget(logical.topLeft()), ToTarget(logical.bottomRight())).normalized();
}

void CPlaybackDC::Save()
{
    if (saved_.size() < kMaxSaveDepth)
        saved_.push_back(state_);
}

void CPlaybackDC::Restore(int which)
{
    int64_t depth = static_cast<int64_t>(saved_.size());
    int64_t index = which < 0 ? depth + which : static_cast<int64_t>(which) - 1;
    if (which == 0 || index < 0 || index >= depth)
        return;
    state_ = saved_[static_cast<size_t>(index)];
    saved_.erase(saved_.begin() + index, saved_.end());
    ApplyClip();
}

void CPlaybackDC::Select(const ObjectPtr& object)
{
    if (!object)
        return;
    if (const auto* pen = std::get_if<LogPen>(object.get()))
        state_.pen = *pen;
    else if (const auto* brush = std::get_if<LogBrush>(object.get()))
        state_.brush = *brush;
    else if (const auto* font = std::get_if<LogFont>(object.get()))
        state_.font = *font;
    else if (std::holds_alternative<LogPalette>(*object))
        state_.palette = object;
    else if (const auto* region = std::get_if<LogRegion>(object.get()); region && CountClipOperation())
        CombineClip(RegionToTarget(region->region), gdi::RGN_COPY);
}

// ---- lines and shapes

void CPlaybackDC::MoveTo(QPointF point)
{
    state_.position = point;
    state_.path.figureOpen = false;
}

void CPlaybackDC::LineTo(QPointF point)
{
    PolylineTo({point});
}

void CPlaybackDC::Polyline(const std::vector<QPointF>& points)
{
    if (points.size() >= 2) {
        state_.path.figureOpen = false;
        DrawOpen(OpenPolyline(ToTarget(points)));
    }
}

void CPlaybackDC::PolylineTo(const std::vector<QPointF>& points)
{
    if (points.empty())
        return;
    QPolygonF line = ToTarget(points);
    line.prepend(TargetPosition());
    DrawOpen(OpenPolyline(line));
    state_.position = points.back();
}

void CPlaybackDC::PolyBezier(const std::vector<QPointF>& points)
{
    if (points.size() < 4)
        return;
    QPolygonF mapped = ToTarget(points);
    state_.path.figureOpen = false;
    DrawOpen(Beziers(mapped.front(), mapped.mid(1)));
}

void CPlaybackDC::PolyBezierTo(const std::vector<QPointF>& points)
{
    if (points.size() < 3)
        return;
    DrawOpen(Beziers(TargetPosition(), ToTarget(points)));
    state_.position = points[(points.size() / 3) * 3 - 1];
}

void CPlaybackDC::Polygon(const std::vector<QPointF>& points)
{
    if (points.size() < 2)
        return;
    QPainterPath shape = ClosedPolygon(ToTarget(points));
    DrawClosed(shape, shape);
}

void CPlaybackDC::PolyPolygon(const std::vector<std::vector<QPointF>>& polygons)
{
    QPainterPath shape;
    for (const std::vector<QPointF>& polygon : polygons)
        if (polygon.size() >= 2)
            shape.addPath(ClosedPolygon(ToTarget(polygon)));
    DrawClosed(shape, shape);
}

void CPlaybackDC::PolyPolyline(const std::vector<std::vector<QPointF>>& polylines)
{
    for (const std::vector<QPointF>& polyline : polylines)
        Polyline(polyline);
}

// Moves, lines and Béziers by their point types; a malformed sequence
// ends the figure there.
void CPlaybackDC::PolyDraw(const std::vector<QPointF>& points, const std::vector<uint8_t>& types)
{
    QPolygonF mapped = ToTarget(points);
    QPainterPath path(TargetPosition());
    QPointF last = state_.position;
    for (size_t i = 0; i < points.size(); ++i) {
        uint8_t kind = types[i] & ~gdi::PT_CLOSEFIGURE;
        if (kind == gdi::PT_MOVETO) {
            path.moveTo(mapped[i]);
        } else if (kind == gdi::PT_LINETO) {
            path.lineTo(mapped[i]);
        } else if (kind == gdi::PT_BEZIERTO && i + 2 < points.size()) {
            path.cubicTo(mapped[i], mapped[i + 1], mapped[i + 2]);
            i += 2;
        } else {
            break;
        }
        last = points[i];
        if (types[i] & gdi::PT_CLOSEFIGURE)
            path.closeSubpath();
    }
    DrawOpen(path);
    state_.position = last;
}

QPainterPath CPlaybackDC::BoxShape(const QRectF& box, const std::function<void(QPainterPath&, const QRectF&)>& addShape,
                                   bool forFill) const
{
    QPainterPath shape;
    if (std::optional<QRectF> aligned = AlignedBox(box)) {
        // GDI leaves out the right and bottom edges of the box.
        QRectF inclusive = aligned->adjusted(0, 0, -1, -1);
        if (inclusive.width() < 0 || inclusive.height() < 0)
            return shape;
        int penWidth = StrokeWidth(state_.pen, UnitLengthX());
        if (!forFill && (state_.pen.style & gdi::PS_STYLE_MASK) == gdi::PS_INSIDEFRAME && penWidth > 1) {
            double inset = std::min({(penWidth - 1) / 2.0, inclusive.width() / 2, inclusive.height() / 2});
            inclusive.adjust(inset, inset, -inset, -inset);
        }
        addShape(shape, inclusive);
        return shape;
    }
    QPainterPath logical;
    addShape(logical, box.normalized());
    return ToTarget(logical);
}

void CPlaybackDC::Rectangle(const QRectF& box)
{
    auto addRect = [](QPainterPath& path, const QRectF& rect) {
        path.addRect(rect);
        path.closeSubpath();
    };
    DrawClosed(BoxShape(box, addRect, true), BoxShape(box, addRect, false));
}

void CPlaybackDC::RoundRect(const QRectF& box, QSizeF corner)
{
    std::optional<QRectF> aligned = AlignedBox(box);
    double xScale = aligned ? UnitLengthX() : 1;
    double yScale = aligned ? UnitLengthY() : 1;
    auto addRounded = [&](QPainterPath& path, const QRectF& rect) {
        double xRadius = std::min(std::abs(corner.width()) * xScale / 2, rect.width() / 2);
        double yRadius = std::min(std::abs(corner.height()) * yScale / 2, rect.height() / 2);
        path.addRoundedRect(rect, xRadius, yRadius);
    };
    DrawClosed(BoxShape(box, addRounded, true), BoxShape(box, addRounded, false));
}

void CPlaybackDC::Ellipse(const QRectF& box)
{
    auto addEllipse = [](QPainterPath& path, const QRectF& rect) { path.addEllipse(rect); };
    DrawClosed(BoxShape(box, addEllipse, true), BoxShape(box, addEllipse, false));
}

// Arcs run counter-clockwise as seen on the target unless the clockwise
// direction is set, from the ray through `start` to the ray through `end`.
QPainterPath CPlaybackDC::ArcShape(ArcKind kind, const QRectF& box, QPointF start, QPointF end) const
{
    std::optional<QRectF> aligned = AlignedBox(box);
    QRectF ellipse = aligned ? aligned->adjusted(0, 0, -1, -1) : box.normalized();
    if (aligned) {
        QTransform transform = LogicalToTarget();
        start = transform.map(start);
        end = transform.map(end);
    }
    double xRadius = ellipse.width() / 2;
    double yRadius = ellipse.height() / 2;
    if (!(xRadius > 0 && yRadius > 0))
        return {};
    QPointF center = ellipse.center();
    auto angleOf = [&](QPointF point) {
        return std::atan2(-(point.y() - center.y()) / yRadius, (point.x() - center.x()) / xRadius) * 180 /
               std::numbers::pi;
    };
    double startAngle = angleOf(start);
    double sweep = std::fmod(angleOf(end) - startAngle, 360.0);
    bool clockwise = state_.clockwiseArcs;
    if (!aligned && LogicalToTarget().determinant() < 0)
        clockwise = !clockwise;
    if (!clockwise && sweep <= 0)
        sweep += 360;
    if (clockwise && sweep >= 0)
        sweep -= 360;

    QPainterPath shape;
    if (kind == ArcKind::Pie) {
        shape.moveTo(center);
        shape.arcTo(ellipse, startAngle, sweep);
        shape.closeSubpath();
    } else {
        shape.arcMoveTo(ellipse, startAngle);
        shape.arcTo(ellipse, startAngle, sweep);
        if (kind == ArcKind::Chord)
            shape.closeSubpath();
    }
    return aligned ? shape : ToTarget(shape);
}

void CPlaybackDC::Arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end)
{
    QPainterPath shape = ArcShape(kind, box, start, end);
    if (kind == ArcKind::Chord || kind == ArcKind::Pie) {
        DrawClosed(shape, shape);
        return;
    }
    if (kind == ArcKind::Arc) {
        state_.path.figureOpen = false;
        DrawOpen(shape);
        return;
    }
    // ArcTo: a line from the current position to the arc, which ends there.
    if (shape.isEmpty())
        return;
    QPainterPath withLine(TargetPosition());
    withLine.lineTo(shape.elementAt(0));
    withLine.connectPath(shape);
    DrawOpen(withLine);
    state_.position = LogicalToTarget().inverted().map(shape.currentPosition());
}

void CPlaybackDC::AngleArc(QPointF center, double radius, double startDegrees, double sweepDegrees)
{
    if (!(radius > 0) || !std::isfinite(startDegrees) || !std::isfinite(sweepDegrees))
        return;
    QRectF circle(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    bool flipped = LogicalToTarget().determinant() < 0;
    double start = flipped ? -startDegrees : startDegrees;
    double sweep = std::clamp(flipped ? -sweepDegrees : sweepDegrees, -360.0, 360.0);
    QPainterPath arc;
    arc.arcMoveTo(circle, start);
    QPointF arcStart = arc.currentPosition();
    arc.arcTo(circle, start, sweep);
    QPointF arcEnd = arc.currentPosition();
    QPainterPath logical(state_.position);
    logical.lineTo(arcStart);
    logical.connectPath(arc);
    DrawOpen(ToTarget(logical));
    state_.position = arcEnd;
}

void CPlaybackDC::SetPixel(QPointF point, gdi::ColorRef color)
{
    QPointF at = ToTarget(point);
    if (!SpendDrawing(QRectF(at, QSizeF(1, 1))))
        return;
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillRect(QRectF(at, QSizeF(1, 1)), ColorOf(color, state_));
}

void CPlaybackDC::FloodFill(QPointF point, gdi::ColorRef color, bool toBorder)
{
    QPoint start = ToTarget(point).toPoint();
    std::optional<QBrush> brush = MakeFillBrush(state_.brush, state_);
    if (!brush || !target_.rect().contains(start) || !SpendPixelWork(int64_t {target_.width()} * target_.height()))
        return;
    QRgb key = ColorOf(color, state_).rgb() & 0x00FFFFFF;
    auto fills = [&](int x, int y) {
        QRgb pixel = reinterpret_cast<const QRgb*>(target_.constScanLine(y))[x] & 0x00FFFFFF;
        return toBorder ? pixel != key : pixel == key;
    };
    // Scan-line fill into a mask of the target's size.
    int width = target_.width();
    std::vector<uint8_t> mask(static_cast<size_t>(width) * target_.height(), 0);
    std::vector<QPoint> pending {start};
    while (!pending.empty()) {
        QPoint seed = pending.back();
        pending.pop_back();
        int y = seed.y();
        uint8_t* row = mask.data() + static_cast<size_t>(y) * width;
        if (row[seed.x()] || !fills(seed.x(), y))
            continue;
        int left = seed.x();
        while (left > 0 && !row[left - 1] && fills(left - 1, y))
            --left;
        int right = seed.x();
        while (right + 1 < width && !row[right + 1] && fills(right + 1, y))
            ++right;
        std::fill(row + left, row + right + 1, 1);
        // One seed for each run above and below that still needs filling.
        for (int next : {y - 1, y + 1}) {
            if (next < 0 || next >= target_.height())
                continue;
            const uint8_t* nextRow = mask.data() + static_cast<size_t>(next) * width;
            bool inRun = false;
            for (int x = left; x <= right; ++x) {
                bool open = !nextRow[x] && fills(x, next);
                if (open && !inRun)
                    pending.emplace_back(x, next);
                inRun = open;
            }
        }
    }
    std::vector<QRect> runs;
    for (int y = 0; y < target_.height(); ++y) {
        const uint8_t* row = mask.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            int begin = x;
            while (x < width && row[x])
                ++x;
            runs.emplace_back(begin, y, x - begin, 1);
        }
    }
    QRegion area;
    area.setRects(runs.data(), static_cast<int>(runs.size()));
    FillTargetRegion(area, *brush);
}

// ---- painting

void CPlaybackDC::DrawClosed(const QPainterPath& fillShape, const QPainterPath& outline)
{
    if (state_.path.recording) {
        AddToPath(outline, false);
        state_.path.figureOpen = false;
        return;
    }
    if (std::optional<QBrush> brush = MakeFillBrush(state_.brush, state_))
        FillTarget(fillShape, *brush);
    StrokeTarget(outline);
}

void CPlaybackDC::DrawOpen(const QPainterPath& outline)
{
    if (state_.path.recording)
        AddToPath(outline, true);
    else
        StrokeTarget(outline);
}

void CPlaybackDC::AddToPath(const QPainterPath& target, bool continuesFigure)
{
    if (target.isEmpty())
        return;
    QPainterPath& path = state_.path.path;
    bool joins = continuesFigure && state_.path.figureOpen && path.elementCount() > 0 &&
                 path.currentPosition() == QPointF(target.elementAt(0));
    if (joins)
        path.connectPath(target);
    else
        path.addPath(target);
    state_.path.figureOpen = true;
}

void CPlaybackDC::AddClosedFiguresToPath(const QPainterPath& target)
{
    AddToPath(target, false);
    state_.path.figureOpen = false;
}

void CPlaybackDC::FillTarget(const QPainterPath& target, const QBrush& brush)
{
    MixMode mix = MixModeOf(state_.rop2);
    if (!mix.draws || target.isEmpty() || !SpendDrawing(target.controlPointRect()))
        return;
    QPainterPath shape = target;
    shape.setFillRule(state_.fillMode == gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    painter_.setCompositionMode(mix.mode);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(mix.forcedColor ? QBrush(*mix.forcedColor) : brush);
    painter_.setBrushOrigin(state_.brushOrigin);
    painter_.drawPath(shape);
}

void CPlaybackDC::StrokeTarget(const QPainterPath& outline)
{
    std::optional<QPen> pen = MakeStrokePen(state_, UnitLengthX());
    MixMode mix = MixModeOf(state_.rop2);
    if (!pen || !mix.draws || outline.isEmpty())
        return;
    double reach = std::max(pen->widthF(), 1.0) / 2 + 1;
    if (!SpendDrawing(outline.controlPointRect().adjusted(-reach, -reach, reach, reach)))
        return;
    if (mix.forcedColor)
        pen->setColor(*mix.forcedColor);
    painter_.setCompositionMode(mix.mode);
    painter_.setBrush(Qt::NoBrush);
    if (pen->style() == Qt::CustomDashLine && state_.backgroundMode == gdi::OPAQUE) {
        // The gaps of styled lines show the background colour.
        QPen gaps = *pen;
        gaps.setStyle(Qt::SolidLine);
        gaps.setColor(ColorOf(state_.backgroundColor, state_));
        painter_.setPen(gaps);
        painter_.drawPath(outline);
    }
    painter_.setPen(*pen);
    painter_.drawPath(outline);
}

// ---- paths

void CPlaybackDC::BeginPath()
{
    state_.path = PathBracket {true, false, {}};
}

void CPlaybackDC::EndPath()
{
    state_.path.recording = false;
}

void CPlaybackDC::CloseFigure()
{
    if (state_.path.recording && state_.path.figureOpen) {
        state_.path.path.closeSubpath();
        state_.path.figureOpen = false;
    }
}

void CPlaybackDC::AbortPath()
{
    state_.path = PathBracket {};
}

void CPlaybackDC::FlattenPath()
{
    if (state_.path.recording)
        return;
    QPainterPath flat;
    for (const QPolygonF& polygon : state_.path.path.toSubpathPolygons())
        flat.addPolygon(polygon);
    state_.path.path = flat;
}

void CPlaybackDC::WidenPath()
{
    std::optional<QPen> pen = MakeStrokePen(state_, UnitLengthX());
    if (state_.path.recording || !pen)
        return;
    QPainterPathStroker stroker(*pen);
    state_.path.path = stroker.createStroke(state_.path.path).simplified();
}

void CPlaybackDC::FillPath()
{
    if (state_.path.recording)
        return;
    if (std::optional<QBrush> brush = MakeFillBrush(state_.brush, state_))
        FillTarget(state_.path.path, *brush);
    AbortPath();
}

void CPlaybackDC::StrokePath()
{
    if (state_.path.recording)
        return;
    StrokeTarget(state_.path.path);
    AbortPath();
}

void CPlaybackDC::StrokeAndFillPath()
{
    if (state_.path.recording)
        return;
    if (std::optional<QBrush> brush = MakeFillBrush(state_.brush, state_))
        FillTarget(state_.path.path, *brush);
    StrokeTarget(state_.path.path);
    AbortPath();
}

void CPlaybackDC::SelectClipPath(int mode)
{
    if (state_.path.recording)
        return;
    if (CountClipOperation()) {
        QPainterPath shape = state_.path.path;
        shape.setFillRule(state_.fillMode == gdi::WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        CombineClip(RasterRegion(shape), mode);
    }
    AbortPath();
}

// ---- clipping

bool CPlaybackDC::CountClipOperation()
{
    return ++clipOperations_ <= kMaxClipOperations;
}

QRegion CPlaybackDC::RasterRegion(const QPainterPath& target)
{
    QRect area = PixelsWithin(target.controlPointRect(), target_.rect());
    if (area.isEmpty() || !SpendPixelWork(int64_t {area.width()} * area.height()))
        return {};
    return RegionOfPath(target, target_.rect());
}

bool CPlaybackDC::SpendPixelWork(int64_t pixels)
{
    if (pixels > kMaxPixelWork - pixelWork_)
        return false;
    pixelWork_ += pixels;
    return true;
}

QRect CPlaybackDC::DrawableArea(const QRectF& bounds) const
{
    QRect area = PixelsWithin(bounds, target_.rect());
    if (std::optional<QRegion> clip = EffectiveClip())
        area &= clip->boundingRect();
    return area;
}

bool CPlaybackDC::SpendDrawing(const QRectF& bounds)
{
    QRect area = DrawableArea(bounds);
    return area.isEmpty() || SpendPixelWork(int64_t {area.width()} * area.height());
}

QPainterPath CPlaybackDC::RectShape(const QRectF& logical) const
{
    QPainterPath shape;
    shape.addPolygon(ToTarget(std::vector<QPointF> {logical.topLeft(), logical.topRight(), logical.bottomRight(),
                                                    logical.bottomLeft()}));
    shape.closeSubpath();
    return shape;
}

QRegion CPlaybackDC::RectRegion(const QRectF& logical)
{
    if (std::optional<QRectF> aligned = AlignedBox(logical))
        return QRegion(aligned->toAlignedRect()) & WholeTarget();
    return RasterRegion(RectShape(logical));
}

void CPlaybackDC::IntersectClipRect(const QRectF& logical)
{
    if (CountClipOperation())
        CombineClip(RectRegion(logical), gdi::RGN_AND);
}

void CPlaybackDC::ExcludeClipRect(const QRectF& logical)
{
    if (CountClipOperation())
        CombineClip(RectRegion(logical), gdi::RGN_DIFF);
}

void CPlaybackDC::OffsetClip(QPointF logical)
{
    if (!state_.clip || !CountClipOperation())
        return;
    QPointF by = ToTarget(logical) - ToTarget(QPointF(0, 0));
    state_.clip->translate(static_cast<int>(by.x()), static_cast<int>(by.y()));
    ApplyClip();
}

void CPlaybackDC::SelectClipRegion(const std::optional<QRegion>& device, int mode)
{
    if (!CountClipOperation())
        return;
    if (!device) {
        // No region: the clip is removed (copy), or the call does nothing.
        if (mode == gdi::RGN_COPY) {
            state_.clip.reset();
            ApplyClip();
        }
        return;
    }
    std::vector<QRect> rects;
    for (const QRect& rect : *device) {
        QRectF mapped = deviceToTarget_.mapRect(QRectF(rect));
        rects.emplace_back(QPoint(static_cast<int>(ClampCoordinate(mapped.left())),
                                  static_cast<int>(ClampCoordinate(mapped.top()))),
                           QPoint(static_cast<int>(ClampCoordinate(mapped.right())) - 1,
                                  static_cast<int>(ClampCoordinate(mapped.bottom())) - 1));
    }
    CombineClip(UnionOfRects(std::move(rects)) & WholeTarget(), mode);
}

void CPlaybackDC::CombineClip(const QRegion& region, int mode)
{
    QRegion current = state_.clip.value_or(WholeTarget());
    switch (mode) {
    case gdi::RGN_AND: state_.clip = current & region; break;
    case gdi::RGN_OR: state_.clip = current | region; break;
    case gdi::RGN_XOR: state_.clip = current ^ region; break;
    case gdi::RGN_DIFF: state_.clip = current - region; break;
    case gdi::RGN_COPY: state_.clip = region; break;
    default: return;
    }
    ApplyClip();
}

void CPlaybackDC::SetMetaRegion()
{
    if (state_.clip) {
        state_.metaRegion = state_.metaRegion ? *state_.metaRegion & *state_.clip : *state_.clip;
        state_.clip.reset();
    }
    ApplyClip();
}

std::optional<QRegion> CPlaybackDC::EffectiveClip() const
{
    if (state_.clip && state_.metaRegion)
        return *state_.clip & *state_.metaRegion;
    return state_.clip ? state_.clip : state_.metaRegion;
}

void CPlaybackDC::ApplyClip()
{
    if (std::optional<QRegion> clip = EffectiveClip())
        painter_.setClipRegion(*clip);
    else
        painter_.setClipping(false);
}

// ---- regions

QRegion CPlaybackDC::RegionToTarget(const QRegion& logical)
{
    // A region's rectangles cover up to, not including, QRect's inclusive right + 1.
    auto box = [](const QRect& rect) {
        return QRectF(QPointF(rect.left(), rect.top()), QPointF(rect.right() + 1.0, rect.bottom() + 1.0));
    };
    if (!AlignedBox(QRectF(0, 0, 1, 1))) {
        QPainterPath shape;
        shape.setFillRule(Qt::WindingFill);
        for (const QRect& rect : logical)
            shape.addPath(RectShape(box(rect)));
        return RasterRegion(shape);
    }
    std::vector<QRect> rects;
    rects.reserve(static_cast<size_t>(logical.rectCount()));
    for (const QRect& rect : logical)
        rects.push_back(AlignedBox(box(rect))->toAlignedRect());
    return UnionOfRects(std::move(rects)) & WholeTarget();
}

void CPlaybackDC::FillTargetRegion(const QRegion& target, const QBrush& brush)
{
    if (!SpendDrawing(target.boundingRect()))
        return;
    QPainterPath shape;
    shape.addRegion(target);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(brush);
    painter_.setBrushOrigin(state_.brushOrigin);
    painter_.drawPath(shape);
}

void CPlaybackDC::FillRegion(const QRegion& logical, const LogBrush& brush)
{
    if (std::optional<QBrush> fill = MakeFillBrush(brush, state_))
        FillTargetRegion(RegionToTarget(logical), *fill);
}

// The frame is what an erosion by the stroke size takes away from the region.
void CPlaybackDC::FrameRegion(const QRegion& logical, const LogBrush& brush, QSizeF stroke)
{
    std::optional<QBrush> fill = MakeFillBrush(brush, state_);
    if (!fill)
        return;
    QRegion region = RegionToTarget(logical);
    int dx = std::clamp(static_cast<int>(std::lround(std::min(std::abs(stroke.width()) * UnitLengthX(), 4096.0))), 1,
                        4096);
    int dy = std::clamp(static_cast<int>(std::lround(std::min(std::abs(stroke.height()) * UnitLengthY(), 4096.0))),
                        1, 4096);
    QRegion inner = region & region.translated(dx, 0) & region.translated(-dx, 0) & region.translated(0, dy) &
                    region.translated(0, -dy);
    FillTargetRegion(region - inner, *fill);
}

void CPlaybackDC::InvertRegion(const QRegion& logical)
{
    QRegion target = RegionToTarget(logical);
    if (!SpendDrawing(target.boundingRect()))
        return;
    QPainterPath shape;
    shape.addRegion(target);
    painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(Qt::black);
    painter_.drawPath(shape);
}

void CPlaybackDC::PaintRegion(const QRegion& logical)
{
    FillRegion(logical, state_.brush);
}

}  // namespace metafile
