#include "platform/metafile/QuickDrawPainter.h"

#include <QImage>
#include <QPolygonF>

#include <algorithm>
#include <vector>

#include "platform/metafile/RegionTools.h"

namespace metafile::quickdraw {

namespace {

// The convex outline a rectangular pen of `size` sweeps from `from` to `to`,
// counter-clockwise, so that the sweeps of one call unite under the winding rule.
QPolygonF PenSweep(QPoint from, QPoint to, QSize size)
{
    std::vector<QPointF> corners;
    for (QPoint at : {from, to})
        for (QPoint corner : {QPoint(0, 0), QPoint(size.width(), 0), QPoint(size.width(), size.height()),
                              QPoint(0, size.height())})
            corners.emplace_back(at + corner);
    std::sort(corners.begin(), corners.end(),
              [](QPointF a, QPointF b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    auto cross = [](QPointF o, QPointF a, QPointF b) {
        return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    std::vector<QPointF> hull(2 * corners.size());
    size_t k = 0;
    for (size_t i = 0; i < corners.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], corners[i]) <= 0)
            --k;
        hull[k++] = corners[i];
    }
    for (size_t i = corners.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], corners[i - 1]) <= 0)
            --k;
        hull[k++] = corners[i - 1];
    }
    hull.resize(k - 1);
    return QPolygonF(hull.begin(), hull.end());
}

// The area a QuickDraw rectangle covers: its right and bottom edges are
// the pixels' far sides.
QRectF BoxOf(const QRect& rect)
{
    return QRectF(rect.topLeft(), rect.bottomRight() + QPoint(1, 1));
}

QImage ImageOf(const QuickDrawImage& image)
{
    return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                  static_cast<qsizetype>(image.width) * 4, QImage::Format_RGB32);
}

// The image's white made transparent.
QImage WithoutWhite(const QImage& image)
{
    QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < pixels.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            if (line[x] == white)
                line[x] = 0;
    }
    return pixels;
}

}  // namespace

void CQuickDrawPainter::SetClip(const QRegion& local)
{
    dc_.SelectClipRegion(local.translated(-port_.origin), gdi::RGN_COPY);
}

// ---- shapes

void CQuickDrawPainter::DrawBox(Family family, Verb verb, const QRect& rect)
{
    QRectF box = BoxOf(rect);
    if (box.width() <= 0 || box.height() <= 0)
        return;
    auto outline = [&](const QRectF& within) { return BoxOutline(family, within); };
    Draw(verb, verb == Verb::Frame ? FrameOf(outline, box) : outline(box));
}

void CQuickDrawPainter::DrawArc(Verb verb, const QRect& rect, int start, int sweep)
{
    QRectF box = BoxOf(rect);
    if (box.width() <= 0 || box.height() <= 0)
        return;
    QRectF around = box.adjusted(-box.width(), -box.height(), box.width(), box.height());
    QPainterPath wedge;
    wedge.moveTo(box.center());
    wedge.arcTo(around, 90 - start, -sweep);
    wedge.closeSubpath();
    auto oval = [this](const QRectF& within) { return BoxOutline(Family::Oval, within); };
    QPainterPath shape = verb == Verb::Frame ? FrameOf(oval, box) : oval(box);
    Draw(verb, shape.intersected(wedge));
}

void CQuickDrawPainter::DrawPolygon(Verb verb, const QPolygon& polygon)
{
    if (polygon.size() < 2 || !SpendShapeWork(polygon.size()))
        return;
    if (verb == Verb::Frame) {
        DrawPenPath(polygon);
        return;
    }
    QPainterPath shape;
    shape.addPolygon(QPolygonF(polygon));
    shape.closeSubpath();
    shape.setFillRule(Qt::OddEvenFill);
    Draw(verb, shape);
}

void CQuickDrawPainter::DrawRegion(Verb verb, const QRegion& region)
{
    if (!SpendShapeWork(region.rectCount()))
        return;
    QRegion covered = region;
    if (verb == Verb::Frame) {
        int dx = std::clamp(port_.penSize.width(), 0, 4096);
        int dy = std::clamp(port_.penSize.height(), 0, 4096);
        if (dx == 0 || dy == 0)
            return;
        covered -= region & region.translated(dx, 0) & region.translated(-dx, 0) & region.translated(0, dy) &
                   region.translated(0, -dy);
    }
    QPainterPath shape;
    shape.addRegion(covered);
    Draw(verb, shape);
}

// The outline of a rectangle, round rectangle or oval in `box`.
QPainterPath CQuickDrawPainter::BoxOutline(Family family, const QRectF& box) const
{
    QPainterPath path;
    if (family == Family::Rect)
        path.addRect(box);
    else if (family == Family::Oval)
        path.addEllipse(box);
    else
        path.addRoundedRect(box, std::min(std::abs(port_.ovalSize.width()) / 2.0, box.width() / 2),
                            std::min(std::abs(port_.ovalSize.height()) / 2.0, box.height() / 2));
    return path;
}

// A frame is what the pen covers inside the shape's edge: the shape
// without the shape shrunk by the pen's size.
QPainterPath CQuickDrawPainter::FrameOf(const Outline& outline, const QRectF& box) const
{
    QPainterPath frame = outline(box);
    QSize pen = port_.penSize;
    QRectF inner = box.adjusted(pen.width(), pen.height(), -pen.width(), -pen.height());
    if (inner.width() > 0 && inner.height() > 0)
        frame.addPath(outline(inner));
    frame.setFillRule(Qt::OddEvenFill);
    return frame;
}

// Frames and paints use the pen's pattern and mode, erasing the
// background pattern, filling the fill pattern.
void CQuickDrawPainter::Draw(Verb verb, const QPainterPath& local)
{
    switch (verb) {
    case Verb::Frame:
        if (port_.penSize.width() > 0 && port_.penSize.height() > 0)
            FillWith(local, port_.penPattern, port_.penMode);
        break;
    case Verb::Paint: FillWith(local, port_.penPattern, port_.penMode); break;
    case Verb::Erase: FillWith(local, port_.backPattern, kPatCopy); break;
    case Verb::Fill: FillWith(local, port_.fillPattern, kPatCopy); break;
    case Verb::Invert: Invert(local); break;
    }
}

// ---- lines

void CQuickDrawPainter::DrawLine(QPoint from, QPoint to)
{
    DrawPenPath(QPolygon({from, to}));
}

// The pen hangs below and to the right of the points it goes through.
// Each segment is filled alone, which is quick however many cross; in
// the xor modes they are filled as one, so that joints are not inverted
// twice.
void CQuickDrawPainter::DrawPenPath(const QPolygon& points)
{
    if (port_.penSize.width() <= 0 || port_.penSize.height() <= 0 || points.isEmpty())
        return;
    QPainterPath swept;
    swept.setFillRule(Qt::WindingFill);
    QSize size(std::min(port_.penSize.width(), 4096), std::min(port_.penSize.height(), 4096));
    bool together = (port_.penMode & 3) == kModeXor;
    for (qsizetype i = 0; i + 1 < points.size() || i == 0; ++i) {
        swept.addPolygon(PenSweep(points[i], points[std::min(i + 1, points.size() - 1)], size));
        swept.closeSubpath();
        if (!together) {
            FillWith(swept, port_.penPattern, port_.penMode);
            swept.clear();
        }
    }
    if (together)
        FillWith(swept, port_.penPattern, port_.penMode);
}

// ---- painting

// The brush of a pattern in a mode: copy draws both colours, or draws the
// set bits in the foreground colour, bic draws them in the background
// colour, xor inverts under them; the "not" modes take the bits inverted.
QBrush CQuickDrawPainter::BrushOf(const Pattern& pattern, int mode) const
{
    int op = mode & 3;
    if (pattern.color && op != kModeXor)
        return QBrush(*pattern.color);
    if (pattern.image >= 0 && op != kModeXor)
        return QBrush(ImageOf(picture_.images[static_cast<size_t>(pattern.image)]));
    Pattern8 bits = pattern.bits;
    if ((mode & 4) != 0)
        for (uint8_t& row : bits)
            row = static_cast<uint8_t>(~row);
    QColor set = op == kModeBic ? port_.backColor : op == kModeXor ? QColor(Qt::white) : port_.foreColor;
    QColor clear = op == kModeXor ? QColor(Qt::black) : op == 0 ? port_.backColor : QColor(Qt::transparent);
    if (bits == kBlack)
        return QBrush(set);
    if (bits == kWhite)
        return clear.alpha() == 0 ? QBrush(Qt::NoBrush) : QBrush(clear);
    QImage tile(8, 8, QImage::Format_ARGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tile.setPixelColor(x, y, (bits[static_cast<size_t>(y)] & (0x80 >> x)) != 0 ? set : clear);
    return QBrush(tile);
}

void CQuickDrawPainter::FillWith(const QPainterPath& local, const Pattern& pattern, int mode)
{
    QBrush brush = BrushOf(pattern, mode);
    if (brush.style() == Qt::NoBrush)
        return;
    QPainterPath target = dc_.ToTarget(local.translated(-port_.origin));
    if (!SpendPaintWork(target))
        return;
    DcState& state = dc_.State();
    state.rop2 = (mode & 3) == kModeXor ? gdi::R2_XORPEN : gdi::R2_COPYPEN;
    state.fillMode = local.fillRule() == Qt::WindingFill ? gdi::WINDING : gdi::ALTERNATE;
    state.brushOrigin = dc_.ToTarget(QPointF(0, 0)).toPoint();
    dc_.FillTarget(target, brush);
}

void CQuickDrawPainter::Invert(const QPainterPath& local)
{
    QPainterPath target = dc_.ToTarget(local.translated(-port_.origin));
    if (!SpendPaintWork(target))
        return;
    DcState& state = dc_.State();
    state.rop2 = gdi::R2_NOT;
    state.fillMode = local.fillRule() == Qt::WindingFill ? gdi::WINDING : gdi::ALTERNATE;
    dc_.FillTarget(target, QBrush(Qt::black));
}

// Shapes count the pixels of their box, and the rows each of their
// edges crosses, against the file's allowance, so that no picture keeps
// painting for long, whether with large shapes or with shapes of many
// edges.
bool CQuickDrawPainter::SpendPaintWork(const QPainterPath& target)
{
    constexpr int64_t kEdgeRowCost = 256;  // an edge on a row costs about as much as 256 pixels filled
    QRect area = PixelsWithin(target.controlPointRect(), dc_.Target().rect());
    if (area.isEmpty())
        return false;
    int64_t edgeRows = int64_t {target.elementCount()} * area.height() * kEdgeRowCost;
    return dc_.SpendPixelWork(int64_t {area.width()} * area.height() + edgeRows);
}

// Polygons and regions are paid for by their points and rectangles before
// they become paths, so that one drawn again and again ends soon, even
// once the allowance is spent.
bool CQuickDrawPainter::SpendShapeWork(int64_t elements)
{
    constexpr int64_t kElementCost = 1024;  // pixels filled in the time a point or rectangle is handled
    return dc_.SpendPixelWork(std::max<int64_t>(elements, 1) * kElementCost);
}

// ---- images

void CQuickDrawPainter::DrawImage(const QuickDrawImage& image)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height) ||
        !dc_.SpendPixelWork(int64_t {image.width} * image.height))
        return;
    QImage pixels = ImageOf(image);
    if (image.mode == kSrcOr || image.mode == kTransparent)
        pixels = WithoutWhite(pixels);
    const MetaRect& d = image.destination;
    QRectF destination(dc_.ToTarget(QPointF(d.left, d.top) - port_.origin),
                       dc_.ToTarget(QPointF(d.right, d.bottom) - port_.origin));
    const MetaRect& s = image.source;
    QRectF source(QPointF(s.left, s.top), QPointF(s.right, s.bottom));
    if (destination.width() <= 0 || destination.height() <= 0 || source.width() <= 0 || source.height() <= 0)
        return;
    QPainter& painter = dc_.Painter();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(destination, pixels, source);
}

}  // namespace metafile::quickdraw
