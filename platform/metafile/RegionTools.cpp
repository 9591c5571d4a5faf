#include "platform/metafile/RegionTools.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace metafile {

QRegion UnionOfRects(std::vector<QRect> rects)
{
    std::vector<QRegion> regions;
    regions.reserve(rects.size());
    for (const QRect& rect : rects)
        if (!rect.isEmpty())
            regions.emplace_back(rect);
    while (regions.size() > 1) {
        std::vector<QRegion> merged;
        merged.reserve((regions.size() + 1) / 2);
        for (size_t i = 0; i + 1 < regions.size(); i += 2)
            merged.push_back(regions[i] | regions[i + 1]);
        if (regions.size() % 2 == 1)
            merged.push_back(regions.back());
        regions = std::move(merged);
    }
    return regions.empty() ? QRegion() : regions.front();
}

QRect PixelsWithin(const QRectF& area, const QRect& limit)
{
    if (!std::isfinite(area.x()) || !std::isfinite(area.y()) || !std::isfinite(area.width()) ||
        !std::isfinite(area.height()))
        return {};
    QRectF within = area.normalized().adjusted(-1, -1, 1, 1).intersected(QRectF(limit));
    return within.isEmpty() ? QRect() : within.toAlignedRect() & limit;
}

QRegion RegionOfPath(const QPainterPath& path, const QRect& bounds)
{
    QRect area = PixelsWithin(path.controlPointRect(), bounds);
    if (area.isEmpty())
        return {};
    QImage mask(area.size(), QImage::Format_Grayscale8);
    if (mask.isNull())
        return {};
    mask.fill(0);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(-area.topLeft());
    painter.fillPath(path, Qt::white);
    painter.end();

    // One rectangle per run of covered pixels, row by row: already in the
    // banded order a region keeps.
    std::vector<QRect> runs;
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* row = mask.constScanLine(y);
        for (int x = 0; x < mask.width();) {
            if (row[x] == 0) {
                ++x;
                continue;
            }
            int start = x;
            while (x < mask.width() && row[x] != 0)
                ++x;
            runs.emplace_back(area.x() + start, area.y() + y, x - start, 1);
        }
    }
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

}  // namespace metafile
