#include "platform/metafile/PenBrush.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/metafile/Limits.h"

namespace metafile {

namespace {

QColor RgbOf(gdi::ColorRef color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// Dashes of thin pens, in pixels: on, off, on, ...
QList<qreal> ThinDashes(uint32_t style)
{
    switch (style) {
    case gdi::PS_DASH: return {18, 6};
    case gdi::PS_DOT: return {3, 3};
    case gdi::PS_DASHDOT: return {9, 6, 3, 6};
    case gdi::PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    case gdi::PS_ALTERNATE: return {1, 1};
    default: return {};
    }
}

// Dashes of wide pens, in pen widths.
QList<qreal> WideDashes(uint32_t style)
{
    switch (style) {
    case gdi::PS_DASH: return {3, 1};
    case gdi::PS_DOT: return {1, 1};
    case gdi::PS_DASHDOT: return {3, 1, 1, 1};
    case gdi::PS_DASHDOTDOT: return {3, 1, 1, 1, 1, 1};
    default: return {};
    }
}

bool IsGeometric(const LogPen& pen)
{
    return pen.extended ? (pen.style & gdi::PS_GEOMETRIC) != 0 : pen.width > 0;
}

QList<qreal> DashesOf(const LogPen& pen, int width, double unitLength)
{
    uint32_t style = pen.style & gdi::PS_STYLE_MASK;
    if (style == gdi::PS_USERSTYLE) {
        QList<qreal> dashes;
        for (double entry : pen.userDashes) {
            double pixels = IsGeometric(pen) ? entry * unitLength : entry;
            dashes.push_back(std::clamp(pixels / width, 0.01, 1e4));
        }
        if (dashes.size() % 2 == 1)
            dashes.append(dashes);
        return dashes;
    }
    if (width <= 1)
        return ThinDashes(style);
    // Pens made by CreatePen draw dashes only when they are thin.
    return pen.extended ? WideDashes(style) : QList<qreal> {};
}

Qt::PenCapStyle CapOf(uint32_t style)
{
    switch (style & gdi::PS_ENDCAP_MASK) {
    case gdi::PS_ENDCAP_SQUARE: return Qt::SquareCap;
    case gdi::PS_ENDCAP_FLAT: return Qt::FlatCap;
    default: return Qt::RoundCap;
    }
}

Qt::PenJoinStyle JoinOf(uint32_t style)
{
    switch (style & gdi::PS_JOIN_MASK) {
    case gdi::PS_JOIN_BEVEL: return Qt::BevelJoin;
    case gdi::PS_JOIN_MITER: return Qt::MiterJoin;
    default: return Qt::RoundJoin;
    }
}

// Hatches as 8 x 8 bit patterns, most significant bit leftmost.
constexpr std::array<std::array<uint8_t, 8>, 6> kHatches = {{
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal, down to the right
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal, up to the right
    {0x10, 0x10, 0x10, 0xFF, 0x10, 0x10, 0x10, 0x10},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
}};

QImage HatchImage(uint32_t hatch, QColor foreground, std::optional<QColor> background)
{
    const std::array<uint8_t, 8>& bits = kHatches[hatch < kHatches.size() ? hatch : 0];
    QImage image(8, 8, QImage::Format_ARGB32);
    QRgb back = background ? background->rgb() : qRgba(0, 0, 0, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, (bits[y] >> (7 - x)) & 1 ? foreground.rgb() : back);
    return image;
}

// A two-tone pattern (black for the zero bits) in the given colours.
QImage MonochromePattern(const QImage& pattern, QColor zeroColor, QColor oneColor)
{
    QImage image = pattern.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = (row[x] & 0x00FFFFFF) == 0 ? zeroColor.rgb() : oneColor.rgb();
    }
    return image;
}

}  // namespace

QColor ColorOf(gdi::ColorRef color, const DcState& state)
{
    if ((color >> 24) == gdi::kPaletteIndexColor) {
        const std::vector<PaletteColor>& entries = state.Palette().entries;
        const PaletteColor& entry = entries[std::min<size_t>(color & 0xFFFF, entries.size() - 1)];
        return QColor(entry.red, entry.green, entry.blue);
    }
    return RgbOf(color);
}

int StrokeWidth(const LogPen& pen, double unitLength)
{
    if ((pen.style & gdi::PS_STYLE_MASK) == gdi::PS_NULL)
        return 0;
    if (!IsGeometric(pen))
        return 1;
    double width = std::round(std::abs(pen.width) * unitLength);
    return static_cast<int>(std::clamp(width, 1.0, kMaxPenWidth));
}

std::optional<QPen> MakeStrokePen(const DcState& state, double unitLength)
{
    const LogPen& pen = state.pen;
    int width = StrokeWidth(pen, unitLength);
    if (width == 0)
        return std::nullopt;
    QPen qtPen(ColorOf(pen.color, state));
    qtPen.setWidth(width);
    if (width == 1) {
        // Thin lines leave out their last pixel and have no caps or joins.
        qtPen.setCapStyle(Qt::FlatCap);
        qtPen.setJoinStyle(Qt::MiterJoin);
    } else {
        qtPen.setCapStyle(CapOf(pen.style));
        qtPen.setJoinStyle(JoinOf(pen.style));
        qtPen.setMiterLimit(std::clamp(state.miterLimit / 2, 0.5, 1e3));
    }
    QList<qreal> dashes = DashesOf(pen, width, unitLength);
    if (!dashes.isEmpty())
        qtPen.setDashPattern(dashes);
    return qtPen;
}

std::optional<QBrush> MakeFillBrush(const LogBrush& brush, const DcState& state)
{
    QColor color = ColorOf(brush.color, state);
    std::optional<QColor> background;
    if (state.backgroundMode == gdi::OPAQUE)
        background = ColorOf(state.backgroundColor, state);
    switch (brush.style) {
    case gdi::BS_SOLID:
    case gdi::BS_INDEXED: return QBrush(color);
    case gdi::BS_HATCHED: return QBrush(HatchImage(brush.hatch, color, background));
    case gdi::BS_PATTERN:
    case gdi::BS_DIBPATTERN:
    case gdi::BS_DIBPATTERNPT:
        if (brush.pattern.isNull())
            return QBrush(color);
        if (brush.monochrome)
            return QBrush(MonochromePattern(brush.pattern, ColorOf(state.textColor, state),
                                            ColorOf(state.backgroundColor, state)));
        return QBrush(brush.pattern);
    default: return std::nullopt;
    }
}

MixMode MixModeOf(int rop2)
{
    using C = QPainter;
    switch (rop2) {
    case gdi::R2_BLACK: return {true, C::CompositionMode_SourceOver, QColor(0, 0, 0)};
    case gdi::R2_NOTMERGEPEN: return {true, C::RasterOp_NotSourceAndNotDestination, std::nullopt};
    case gdi::R2_MASKNOTPEN: return {true, C::RasterOp_NotSourceAndDestination, std::nullopt};
    case gdi::R2_NOTCOPYPEN: return {true, C::RasterOp_NotSource, std::nullopt};
    case gdi::R2_MASKPENNOT: return {true, C::RasterOp_SourceAndNotDestination, std::nullopt};
    case gdi::R2_NOT: return {true, C::RasterOp_NotDestination, std::nullopt};
    case gdi::R2_XORPEN: return {true, C::RasterOp_SourceXorDestination, std::nullopt};
    case gdi::R2_NOTMASKPEN: return {true, C::RasterOp_NotSourceOrNotDestination, std::nullopt};
    case gdi::R2_MASKPEN: return {true, C::RasterOp_SourceAndDestination, std::nullopt};
    case gdi::R2_NOTXORPEN: return {true, C::RasterOp_NotSourceXorDestination, std::nullopt};
    case gdi::R2_NOP: return {false, C::CompositionMode_SourceOver, std::nullopt};
    case gdi::R2_MERGENOTPEN: return {true, C::RasterOp_NotSourceOrDestination, std::nullopt};
    case gdi::R2_MERGEPENNOT: return {true, C::RasterOp_SourceOrNotDestination, std::nullopt};
    case gdi::R2_MERGEPEN: return {true, C::RasterOp_SourceOrDestination, std::nullopt};
    case gdi::R2_WHITE: return {true, C::CompositionMode_SourceOver, QColor(255, 255, 255)};
    default: return {};
    }
}

}  // namespace metafile
