#pragma once

#include <QColor>
#include <QRectF>

#include <vector>

#include "platform/metafile/DibImage.h"
#include "platform/metafile/PlaybackDC.h"

namespace metafile {

// Where a bitmap goes. Sizes may be negative: a destination and a source
// of opposite signs mirror the picture.
struct BlitPlacement {
    QPointF destOrigin;  // logical
    QSizeF destSize;     // logical
    QPointF sourceOrigin;  // source pixels from the top-left
    QSizeF sourceSize;     // source pixels
};

// BitBlt, StretchBlt, StretchDIBits and their kin: the source stretched
// onto the destination and mixed with the current brush and the target by
// the ternary raster operation `rop`. `source` is null for operations of
// pattern and destination alone (PatBlt); operations that need a source
// draw nothing without one.
void Blit(CPlaybackDC& dc, const BlitPlacement& placement, const DibImage* source, uint32_t rop);

// MaskBlt: where the monochrome mask's pixels are set (from `maskOrigin`
// on, in step with the source) the foreground operation of `rop` (its low
// three bytes), elsewhere the background one (its top byte).
void MaskedBlit(CPlaybackDC& dc, const BlitPlacement& placement, const DibImage& source, const DibImage& mask,
                QPointF maskOrigin, uint32_t rop);

// SetDIBitsToDevice: `band` holds the bitmap's rows from `startScan` on
// (counted from the bottom for bottom-up bitmaps, as `sourceOrigin` is);
// `size` is in device pixels, so the picture is never mirrored.
void SetBitsToDevice(CPlaybackDC& dc, QPointF destOrigin, QPointF sourceOrigin, QSizeF size, uint32_t startScan,
                     const DibImage& band);

// AlphaBlend: the source over the target with a constant opacity and, when
// `perPixelAlpha`, the premultiplied alpha of its pixels.
void AlphaBlend(CPlaybackDC& dc, const BlitPlacement& placement, const DibImage& source, uint8_t constantAlpha,
                bool perPixelAlpha);

// TransparentBlt: the source without its pixels of the colour `transparent`.
void TransparentBlt(CPlaybackDC& dc, const BlitPlacement& placement, const DibImage& source, QRgb transparent);

// PlgBlt: the source rectangle onto the parallelogram whose top-left,
// top-right and bottom-left corners are given in logical units.
void ParallelogramBlit(CPlaybackDC& dc, const QPointF (&corners)[3], const DibImage& source, const QRectF& sourceRect);

struct GradientVertex {
    QPointF at;  // logical
    QColor color;
};
// GradientFill of rectangles (each a pair of vertex indices) from left to
// right, or from top to bottom when `vertical`.
void GradientFillRects(CPlaybackDC& dc, const std::vector<GradientVertex>& vertices,
                       const std::vector<std::pair<uint32_t, uint32_t>>& rects, bool vertical);
// GradientFill of triangles (vertex indices), colours mixed across each.
void GradientFillTriangles(CPlaybackDC& dc, const std::vector<GradientVertex>& vertices,
                           const std::vector<std::array<uint32_t, 3>>& triangles);

}  // namespace metafile
