#include "platform/metafile/TextDrawer.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/metafile/FontMapper.h"
#include "platform/metafile/GuiApplication.h"
#include "platform/metafile/Limits.h"
#include "platform/metafile/PenBrush.h"

namespace metafile {

namespace {

// The size of a font asked for with height 0, in device pixels.
constexpr double kDefaultFontHeight = 16;

struct PlacedChar {
    QPointF at;  // on the baseline, relative to the text origin, before rotation
    QString text;
};

// Where the characters go along the baseline, and how long the text is.
struct Layout {
    std::vector<PlacedChar> chars;
    double extent = 0;
};

// Characters advanced beyond the range of device coordinates are not drawn.
bool IsWithinReach(QPointF at)
{
    return std::abs(at.x()) <= kMaxDeviceCoordinate && std::abs(at.y()) <= kMaxDeviceCoordinate;
}

double SumOf(const std::vector<double>& values, uint32_t first, uint32_t count)
{
    double sum = 0;
    for (uint32_t i = first; i < first + count && i < values.size(); ++i)
        sum += values[i];
    return sum;
}

Layout LayOut(const TextCall& call, const QFontMetricsF& metrics, double unitX, double unitY, double extraPixels)
{
    Layout layout;
    double x = 0;
    double y = 0;
    for (const TextChar& c : call.chars) {
        layout.chars.push_back({QPointF(x, y), c.text});
        if (!call.dx.empty())
            x += SumOf(call.dx, c.firstUnit, c.unitCount) * unitX;
        else
            x += metrics.horizontalAdvance(c.text) + extraPixels;
        // Vertical offsets count upwards in logical units.
        y -= SumOf(call.dy, c.firstUnit, c.unitCount) * unitY;
    }
    layout.extent = std::clamp(x, -kMaxDeviceCoordinate, kMaxDeviceCoordinate);
    return layout;
}

// The box the characters of a line take up before placement.
QRectF LineBox(const Layout& layout, const QFontMetricsF& metrics)
{
    return QRectF(0, -metrics.ascent(), layout.extent, metrics.ascent() + metrics.descent()).normalized();
}

void FillOpaqueRect(CPlaybackDC& dc, const QRectF& logical)
{
    QPainterPath shape;
    if (std::optional<QRectF> aligned = dc.AlignedBox(logical))
        shape.addRect(*aligned);
    else
        shape.addPolygon(dc.ToTarget(std::vector<QPointF> {logical.topLeft(), logical.topRight(),
                                                            logical.bottomRight(), logical.bottomLeft()}));
    if (!dc.SpendDrawing(shape.boundingRect()))
        return;
    QPainter& painter = dc.Painter();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillPath(shape, ColorOf(dc.State().backgroundColor, dc.State()));
}

// How far the origin moves from the reference point: along the baseline for
// the horizontal alignment, across it for the vertical one.
QPointF AlignmentShift(uint32_t align, double extent, const QFontMetricsF& metrics)
{
    double along = 0;
    if ((align & gdi::TA_HORIZONTAL_MASK) == gdi::TA_CENTER)
        along = -extent / 2;
    else if ((align & gdi::TA_HORIZONTAL_MASK) == gdi::TA_RIGHT)
        along = -extent;
    double across = metrics.ascent();
    if ((align & gdi::TA_VERTICAL_MASK) == gdi::TA_BASELINE)
        across = 0;
    else if ((align & gdi::TA_VERTICAL_MASK) == gdi::TA_BOTTOM)
        across = -metrics.descent();
    return {along, across};
}

}  // namespace

void DrawText(CPlaybackDC& dc, const TextCall& call)
{
    DcState& state = dc.State();
    if (call.rect && (call.options & gdi::ETO_OPAQUE) && !dc.RecordingPath())
        FillOpaqueRect(dc, *call.rect);
    if (call.chars.empty() || !EnsureGuiApplication())
        return;

    double unitX = dc.UnitLengthX();
    double unitY = dc.UnitLengthY();
    double deviceY = std::hypot(dc.DeviceToTarget().m21(), dc.DeviceToTarget().m22());
    double height = state.font.height != 0 ? std::abs(static_cast<double>(state.font.height)) * unitY
                                           : kDefaultFontHeight * deviceY;
    MappedFont mapped = MapFont(state.font, height, std::abs(static_cast<double>(state.font.width)) * unitX);
    QFontMetricsF metrics(mapped.font);
    Layout layout = LayOut(call, metrics, unitX, unitY, state.textCharacterExtra * unitX);

    bool fromPosition = (state.textAlign & gdi::TA_UPDATECP) != 0;
    QPointF origin = dc.ToTarget(fromPosition ? state.position : call.reference);
    double angle = state.font.escapement / 10.0;
    QPointF shift = AlignmentShift(state.textAlign, layout.extent, metrics);
    QTransform placement;
    placement.translate(origin.x(), origin.y());
    placement.rotate(-angle);
    placement.translate(shift.x(), shift.y());

    if (dc.RecordingPath()) {
        QPainterPath outlines;
        for (const PlacedChar& c : layout.chars)
            if (IsWithinReach(c.at))
                outlines.addText(c.at, mapped.font, c.text);
        dc.AddClosedFiguresToPath(placement.map(outlines));
    } else if (dc.SpendDrawing(placement.mapRect(LineBox(layout, metrics)))) {
        QPainter& painter = dc.Painter();
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (call.rect && (call.options & gdi::ETO_CLIPPED))
            painter.setClipRegion(dc.RectRegion(*call.rect), Qt::IntersectClip);
        painter.setTransform(placement);
        if (state.backgroundMode == gdi::OPAQUE && !(call.rect && (call.options & gdi::ETO_OPAQUE)))
            painter.fillRect(QRectF(0, -metrics.ascent(), layout.extent, metrics.ascent() + metrics.descent()),
                             ColorOf(state.backgroundColor, state));
        painter.setFont(mapped.font);
        painter.setPen(ColorOf(state.textColor, state));
        for (const PlacedChar& c : layout.chars)
            if (!c.text.isEmpty() && IsWithinReach(c.at))
                painter.drawText(c.at, c.text);
        painter.restore();
    }

    if (fromPosition) {
        double moved = (state.textAlign & gdi::TA_HORIZONTAL_MASK) == gdi::TA_CENTER ? 0
                       : (state.textAlign & gdi::TA_HORIZONTAL_MASK) == gdi::TA_RIGHT ? -layout.extent
                                                                                      : layout.extent;
        double radians = angle * std::numbers::pi / 180;
        QPointF end = origin + QPointF(std::cos(radians), -std::sin(radians)) * moved;
        state.position = dc.LogicalToTarget().inverted().map(end);
    }
}

}  // namespace metafile
