#pragma once

#include <QPainterPath>
#include <QRect>
#include <QRegion>

#include <vector>

namespace metafile {

// The union of any number of rectangles, merged pairwise so that large
// lists stay fast; empty rectangles are left out.
QRegion UnionOfRects(std::vector<QRect> rects);

// The pixels of `bounds` whose centres `path` covers, with its fill rule.
QRegion RegionOfPath(const QPainterPath& path, const QRect& bounds);

// The whole pixels of `limit` that `area` touches; none when `area` is not finite.
QRect PixelsWithin(const QRectF& area, const QRect& limit);

}  // namespace metafile
