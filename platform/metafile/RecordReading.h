#pragma once

#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <vector>

#include "platform/metafile/ByteView.h"
#include "platform/metafile/Limits.h"

// Reading the common structures of records, every count checked against the
// record and the limits (MalformedRecord otherwise).
namespace metafile {

enum class PointSize { Short, Long };  // 16-bit or 32-bit coordinates

inline std::vector<QPointF> ReadPoints(CByteView record, uint64_t at, uint64_t count, PointSize size)
{
    uint64_t bytes = size == PointSize::Short ? 4 : 8;
    if (count > kMaxPointsPerCall || !record.Has(at, count * bytes))
        throw MalformedRecord {};
    std::vector<QPointF> points;
    points.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t p = at + i * bytes;
        if (size == PointSize::Short)
            points.emplace_back(record.I16(p), record.I16(p + 2));
        else
            points.emplace_back(record.I32(p), record.I32(p + 4));
    }
    return points;
}

// Poly-polygons: `polygons` counts at `countsAt`, then the points of all of
// them at `pointsAt`; the counts must add up to no more than `total`.
inline std::vector<std::vector<QPointF>> ReadPolyPoints(CByteView record, uint64_t polygons, uint64_t countsAt,
                                                        uint64_t total, uint64_t countSize, uint64_t pointsAt,
                                                        PointSize size)
{
    if (polygons > kMaxPolygonsPerCall || total > kMaxPointsPerCall || !record.Has(countsAt, polygons * countSize))
        throw MalformedRecord {};
    std::vector<QPointF> all = ReadPoints(record, pointsAt, total, size);
    std::vector<std::vector<QPointF>> result;
    uint64_t used = 0;
    for (uint64_t i = 0; i < polygons; ++i) {
        uint64_t count = countSize == 2 ? record.U16(countsAt + 2 * i) : record.U32(countsAt + 4 * i);
        if (count > total - used)
            throw MalformedRecord {};
        result.emplace_back(all.begin() + static_cast<ptrdiff_t>(used),
                            all.begin() + static_cast<ptrdiff_t>(used + count));
        used += count;
    }
    return result;
}

// A rectangle by its edges: left, top, right, bottom as 32-bit values.
inline QRectF ReadEdges(CByteView record, uint64_t at)
{
    return QRectF(QPointF(record.I32(at), record.I32(at + 4)), QPointF(record.I32(at + 8), record.I32(at + 12)));
}

// An XFORM: eM11, eM12, eM21, eM22, eDx, eDy.
inline QTransform ReadTransform(CByteView record, uint64_t at)
{
    return QTransform(record.F32(at), record.F32(at + 4), record.F32(at + 8), record.F32(at + 12),
                      record.F32(at + 16), record.F32(at + 20));
}

}  // namespace metafile
