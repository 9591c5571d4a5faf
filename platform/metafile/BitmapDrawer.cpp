#include "platform/metafile/BitmapDrawer.h"

#include <QLinearGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "platform/metafile/PenBrush.h"
#include "platform/metafile/RasterOp.h"
#include "platform/metafile/RegionTools.h"

namespace metafile {

namespace {

// How source pixels land on the target; none when nothing would be drawn.
std::optional<QTransform> SourceToTarget(const CPlaybackDC& dc, const BlitPlacement& placement)
{
    const QSizeF& source = placement.sourceSize;
    const QSizeF& dest = placement.destSize;
    if (source.width() == 0 || source.height() == 0 || dest.width() == 0 || dest.height() == 0)
        return std::nullopt;
    QTransform logical = dc.LogicalToTarget();
    if (logical.m12() == 0 && logical.m21() == 0) {
        // Corners in whole pixels, as GDI places them.
        QPointF first = dc.ToTarget(placement.destOrigin);
        QPointF second = dc.ToTarget(placement.destOrigin + QPointF(dest.width(), dest.height()));
        double xScale = (second.x() - first.x()) / source.width();
        double yScale = (second.y() - first.y()) / source.height();
        if (xScale == 0 || yScale == 0)
            return std::nullopt;
        return QTransform(xScale, 0, 0, yScale, first.x() - placement.sourceOrigin.x() * xScale,
                          first.y() - placement.sourceOrigin.y() * yScale);
    }
    double xScale = dest.width() / source.width();
    double yScale = dest.height() / source.height();
    QTransform toLogical(xScale, 0, 0, yScale, placement.destOrigin.x() - placement.sourceOrigin.x() * xScale,
                         placement.destOrigin.y() - placement.sourceOrigin.y() * yScale);
    return toLogical * logical;
}

// The part of the source rectangle that lies on the image.
QRectF SourceArea(const BlitPlacement& placement, const QImage& image)
{
    QRectF area = QRectF(placement.sourceOrigin, placement.sourceSize).normalized();
    return area.intersected(QRectF(image.rect()));
}

QImage Opaque(const QImage& image)
{
    QImage opaque = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < opaque.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x)
            row[x] |= 0xFF000000;
    }
    return opaque;
}

// The source as drawn by plain copies: opaque, except the pixels that
// run-length deltas left out.
QImage DrawableImage(const DibImage& source)
{
    return source.holes ? source.image : Opaque(source.image);
}

bool ShrinksInHalftone(const CPlaybackDC& dc, const QTransform& transform)
{
    return dc.State().stretchMode == gdi::HALFTONE &&
           (std::abs(transform.m11()) < 1 || std::abs(transform.m22()) < 1);
}

void DrawTransformed(CPlaybackDC& dc, const QTransform& transform, const QImage& image, const QRectF& area,
                     bool smooth, double opacity = 1)
{
    if (!dc.SpendDrawing(transform.mapRect(area)))
        return;
    QPainter& painter = dc.Painter();
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.setOpacity(opacity);
    painter.setTransform(transform);
    painter.drawImage(area, image, area);
    painter.restore();
}

// The target pixels a pixel-by-pixel operation may change: the shape's
// bounds on the target, within the clip. Empty once the file has used up
// its allowance of such work.
QRect AffectedArea(CPlaybackDC& dc, const QRectF& bounds)
{
    QRect area = dc.DrawableArea(bounds);
    if (area.isEmpty() || !dc.SpendPixelWork(int64_t {area.width()} * area.height()))
        return {};
    return area;
}

QImage PatternLayer(CPlaybackDC& dc, const QRect& area)
{
    QImage layer(area.size(), QImage::Format_ARGB32);
    layer.fill(Qt::black);
    if (std::optional<QBrush> brush = MakeFillBrush(dc.State().brush, dc.State())) {
        QPainter painter(&layer);
        painter.setBrushOrigin(dc.State().brushOrigin - area.topLeft());
        painter.fillRect(layer.rect(), *brush);
    }
    return layer;
}

// The ternary operation of each pixel: one for all, or the foreground one
// where a mask is white and the background one where it is black.
struct Operations {
    uint8_t foreground = 0;
    const QImage* mask = nullptr;
    uint8_t background = 0;

    bool UsePattern() const { return RopUsesPattern(foreground) || (mask && RopUsesPattern(background)); }
    uint8_t At(const QRgb* maskRow, int x) const
    {
        return maskRow != nullptr && (maskRow[x] & 0x00FFFFFF) == 0 ? background : foreground;
    }
};

// Mixes pattern, source and target pixel by pixel where `coverage` is
// opaque, and draws the result through the clip.
void MixIntoTarget(CPlaybackDC& dc, const QRect& area, const QImage& coverage, const QImage* source,
                   const Operations& operations)
{
    QImage pattern = operations.UsePattern() ? PatternLayer(dc, area) : QImage();
    QImage destination = dc.Target().copy(area).convertToFormat(QImage::Format_ARGB32);
    QImage result(area.size(), QImage::Format_ARGB32);
    for (int y = 0; y < area.height(); ++y) {
        const QRgb* cover = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        const QRgb* src = source ? reinterpret_cast<const QRgb*>(source->constScanLine(y)) : nullptr;
        const QRgb* pat = pattern.isNull() ? nullptr : reinterpret_cast<const QRgb*>(pattern.constScanLine(y));
        const QRgb* mask = operations.mask ? reinterpret_cast<const QRgb*>(operations.mask->constScanLine(y)) : nullptr;
        const QRgb* dst = reinterpret_cast<const QRgb*>(destination.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            if (qAlpha(cover[x]) == 0) {
                out[x] = 0;
                continue;
            }
            uint32_t mixed = ApplyRop3(operations.At(mask, x), pat ? pat[x] : 0, src ? src[x] : 0, dst[x]);
            out[x] = 0xFF000000 | (mixed & 0x00FFFFFF);
        }
    }
    QPainter& painter = dc.Painter();
    painter.save();
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(area.topLeft(), result);
    painter.restore();
}

// `image` drawn by `transform` onto a transparent layer over `area`.
QImage Layer(const QRect& area, const QTransform& transform, const QImage& image, const QRectF& part)
{
    QImage layer(area.size(), QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    painter.translate(-area.topLeft());
    painter.setTransform(transform, true);
    painter.drawImage(part, image, part);
    painter.end();
    return layer;
}

void FillWithBrush(CPlaybackDC& dc, const QPolygonF& shape)
{
    std::optional<QBrush> brush = MakeFillBrush(dc.State().brush, dc.State());
    if (!brush || !dc.SpendDrawing(shape.boundingRect()))
        return;
    QPainter& painter = dc.Painter();
    painter.save();
    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(Qt::NoPen);
    painter.setBrush(*brush);
    painter.setBrushOrigin(dc.State().brushOrigin);
    painter.drawPolygon(shape);
    painter.restore();
}

// PatBlt: the destination rectangle mixed with the brush. GDI covers its
// pixels up to, not including, the far edges.
void PatternBlit(CPlaybackDC& dc, const BlitPlacement& placement, uint8_t rop)
{
    QPointF corner = placement.destOrigin + QPointF(placement.destSize.width(), placement.destSize.height());
    QPolygonF shape = dc.ToTarget(std::vector<QPointF> {placement.destOrigin,
                                                        {corner.x(), placement.destOrigin.y()},
                                                        corner,
                                                        {placement.destOrigin.x(), corner.y()}});
    if (rop == gdi::RopIndex(gdi::PATCOPY)) {
        FillWithBrush(dc, shape);
        return;
    }
    QRect area = AffectedArea(dc, shape.boundingRect());
    if (area.isEmpty())
        return;
    QImage coverage(area.size(), QImage::Format_ARGB32);
    coverage.fill(Qt::transparent);
    QPainter painter(&coverage);
    painter.translate(-area.topLeft());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(shape);
    painter.end();
    MixIntoTarget(dc, area, coverage, nullptr, Operations {rop});
}

}  // namespace

void Blit(CPlaybackDC& dc, const BlitPlacement& placement, const DibImage* source, uint32_t rop)
{
    uint8_t index = gdi::RopIndex(rop);
    if (dc.RecordingPath())
        return;
    if (!RopUsesSource(index)) {
        PatternBlit(dc, placement, index);
        return;
    }
    // An operation that needs a source it has not got draws nothing.
    if (source == nullptr)
        return;
    std::optional<QTransform> transform = SourceToTarget(dc, placement);
    QRectF area = SourceArea(placement, source->image);
    if (!transform || area.isEmpty())
        return;
    QImage image = DrawableImage(*source);
    if (index == gdi::RopIndex(gdi::SRCCOPY)) {
        DrawTransformed(dc, *transform, image, area, ShrinksInHalftone(dc, *transform));
        return;
    }
    QRect affected = AffectedArea(dc, transform->mapRect(area));
    if (affected.isEmpty())
        return;
    QImage layer = Layer(affected, *transform, image, area);
    MixIntoTarget(dc, affected, layer, &layer, Operations {index});
}

void MaskedBlit(CPlaybackDC& dc, const BlitPlacement& placement, const DibImage& source, const DibImage& mask,
                QPointF maskOrigin, uint32_t rop)
{
    std::optional<QTransform> transform = SourceToTarget(dc, placement);
    QRectF area = SourceArea(placement, source.image);
    if (dc.RecordingPath() || !transform || area.isEmpty())
        return;
    QRect affected = AffectedArea(dc, transform->mapRect(area));
    if (affected.isEmpty())
        return;
    QImage layer = Layer(affected, *transform, DrawableImage(source), area);
    // Mask pixels line up with source pixels from their own origin on.
    QTransform maskToTarget = QTransform::fromTranslate(placement.sourceOrigin.x() - maskOrigin.x(),
                                                        placement.sourceOrigin.y() - maskOrigin.y()) *
                              *transform;
    QImage maskLayer = Layer(affected, maskToTarget, TwoToneMask(mask), QRectF(mask.image.rect()));
    Operations operations {gdi::RopIndex(rop), &maskLayer, static_cast<uint8_t>(rop >> 24)};
    MixIntoTarget(dc, affected, layer, &layer, operations);
}

void SetBitsToDevice(CPlaybackDC& dc, QPointF destOrigin, QPointF sourceOrigin, QSizeF size, uint32_t startScan,
                     const DibImage& band)
{
    QTransform toDevice = dc.State().mapping.LogicalToDevice();
    BlitPlacement placement;
    placement.destOrigin = destOrigin;
    placement.destSize = QSizeF(size.width() / toDevice.m11(), size.height() / toDevice.m22());
    double top = band.bottomUp ? startScan + band.image.height() - sourceOrigin.y() - size.height()
                               : sourceOrigin.y() - startScan;
    placement.sourceOrigin = QPointF(sourceOrigin.x(), top);
    placement.sourceSize = size;
    if (std::isfinite(placement.destSize.width()) && std::isfinite(placement.destSize.height()))
        Blit(dc, placement, &band, gdi::SRCCOPY);
}

void AlphaBlend(CPlaybackDC& dc, const BlitPlacement& placement, const DibImage& source, uint8_t constantAlpha,
                bool perPixelAlpha)
{
    std::optional<QTransform> transform = SourceToTarget(dc, placement);
    QRectF area = SourceArea(placement, source.image);
    if (dc.RecordingPath() || !transform || area.isEmpty())
        return;
    QImage image;
    if (perPixelAlpha && source.alphaChannel) {
        // The pixels are premultiplied; colours above their alpha are cut to it.
        image = QImage(source.image.size(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y) {
            const QRgb* in = reinterpret_cast<const QRgb*>(source.image.constScanLine(y));
            QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                int alpha = qAlpha(in[x]);
                out[x] = qRgba(std::min(qRed(in[x]), alpha), std::min(qGreen(in[x]), alpha),
                               std::min(qBlue(in[x]), alpha), alpha);
            }
        }
    } else {
        image = DrawableImage(source);
    }
    DrawTransformed(dc, *transform, image, area, false, constantAlpha / 255.0);
}

void TransparentBlt(CPlaybackDC& dc, const BlitPlacement& placement, const DibImage& source, QRgb transparent)
{
    std::optional<QTransform> transform = SourceToTarget(dc, placement);
    QRectF area = SourceArea(placement, source.image);
    if (dc.RecordingPath() || !transform || area.isEmpty())
        return;
    QImage image = DrawableImage(source);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0x00FFFFFF) == (transparent & 0x00FFFFFF))
                row[x] = 0;
    }
    DrawTransformed(dc, *transform, image, area, false);
}

void ParallelogramBlit(CPlaybackDC& dc, const QPointF (&corners)[3], const DibImage& source, const QRectF& sourceRect)
{
    QRectF area = sourceRect.normalized().intersected(QRectF(source.image.rect()));
    if (dc.RecordingPath() || sourceRect.width() == 0 || sourceRect.height() == 0 || area.isEmpty())
        return;
    QPointF across = (corners[1] - corners[0]) / sourceRect.width();
    QPointF down = (corners[2] - corners[0]) / sourceRect.height();
    QPointF origin = corners[0] - across * sourceRect.x() - down * sourceRect.y();
    QTransform toLogical(across.x(), across.y(), down.x(), down.y(), origin.x(), origin.y());
    if (toLogical.determinant() == 0)
        return;
    DrawTransformed(dc, toLogical * dc.LogicalToTarget(), DrawableImage(source), area, false);
}

void GradientFillRects(CPlaybackDC& dc, const std::vector<GradientVertex>& vertices,
                       const std::vector<std::pair<uint32_t, uint32_t>>& rects, bool vertical)
{
    if (dc.RecordingPath())
        return;
    QPainter& painter = dc.Painter();
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(Qt::NoPen);
    for (const auto& [first, second] : rects) {
        if (first >= vertices.size() || second >= vertices.size())
            continue;
        const GradientVertex& from = vertices[first];
        const GradientVertex& to = vertices[second];
        QRectF box = QRectF(dc.ToTarget(from.at), dc.ToTarget(to.at)).normalized();
        QLinearGradient gradient(box.topLeft(), vertical ? box.bottomLeft() : box.topRight());
        bool fromFirst = vertical ? dc.ToTarget(from.at).y() <= dc.ToTarget(to.at).y()
                                  : dc.ToTarget(from.at).x() <= dc.ToTarget(to.at).x();
        gradient.setColorAt(0, fromFirst ? from.color : to.color);
        gradient.setColorAt(1, fromFirst ? to.color : from.color);
        if (dc.SpendDrawing(box))
            painter.fillRect(box, gradient);
    }
    painter.restore();
}

void GradientFillTriangles(CPlaybackDC& dc, const std::vector<GradientVertex>& vertices,
                           const std::vector<std::array<uint32_t, 3>>& triangles)
{
    if (dc.RecordingPath())
        return;
    for (const std::array<uint32_t, 3>& triangle : triangles) {
        if (triangle[0] >= vertices.size() || triangle[1] >= vertices.size() || triangle[2] >= vertices.size())
            continue;
        std::array<QPointF, 3> at;
        std::array<QColor, 3> color;
        for (int i = 0; i < 3; ++i) {
            at[i] = dc.ToTarget(vertices[triangle[i]].at);
            color[i] = vertices[triangle[i]].color;
        }
        double area = (at[1].x() - at[0].x()) * (at[2].y() - at[0].y()) -
                      (at[2].x() - at[0].x()) * (at[1].y() - at[0].y());
        QRect bounds = AffectedArea(dc, QPolygonF({at[0], at[1], at[2]}).boundingRect());
        if (area == 0 || bounds.isEmpty())
            continue;
        QImage layer(bounds.size(), QImage::Format_ARGB32);
        for (int y = 0; y < bounds.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(layer.scanLine(y));
            for (int x = 0; x < bounds.width(); ++x) {
                QPointF p(bounds.x() + x + 0.5, bounds.y() + y + 0.5);
                double w0 = ((at[1].x() - p.x()) * (at[2].y() - p.y()) - (at[2].x() - p.x()) * (at[1].y() - p.y())) /
                            area;
                double w1 = ((at[2].x() - p.x()) * (at[0].y() - p.y()) - (at[0].x() - p.x()) * (at[2].y() - p.y())) /
                            area;
                double w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) {
                    row[x] = 0;
                    continue;
                }
                auto mix = [&](int (QColor::*channel)() const) {
                    return std::clamp(static_cast<int>(std::lround(w0 * (color[0].*channel)() +
                                                                   w1 * (color[1].*channel)() +
                                                                   w2 * (color[2].*channel)())),
                                      0, 255);
                };
                row[x] = qRgb(mix(&QColor::red), mix(&QColor::green), mix(&QColor::blue));
            }
        }
        QPainter& painter = dc.Painter();
        painter.save();
        painter.resetTransform();
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(bounds.topLeft(), layer);
        painter.restore();
    }
}

}  // namespace metafile
