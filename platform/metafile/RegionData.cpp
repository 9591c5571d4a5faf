#include "platform/metafile/RegionData.h"

#include <vector>

#include "platform/metafile/Limits.h"
#include "platform/metafile/RegionTools.h"

namespace metafile {

namespace {

constexpr uint32_t kRegionHeaderSize = 32;
constexpr uint32_t kRectangles = 1;

// A rectangle given by exclusive right and bottom edges.
QRect EdgeRect(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    if (right <= left || bottom <= top)
        return {};
    return QRect(QPoint(static_cast<int>(left), static_cast<int>(top)),
                 QPoint(static_cast<int>(right - 1), static_cast<int>(bottom - 1)));
}

}  // namespace

std::optional<QRegion> ReadRegionData(CByteView data)
{
    uint32_t headerSize = data.U32(0);
    uint32_t type = data.U32(4);
    uint32_t count = data.U32(8);
    if (headerSize < kRegionHeaderSize || type != kRectangles || count > kMaxRegionRects ||
        !data.Has(headerSize, 16 * uint64_t {count}))
        return std::nullopt;
    std::vector<QRect> rects;
    rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = headerSize + 16 * uint64_t {i};
        rects.push_back(EdgeRect(data.I32(at), data.I32(at + 4), data.I32(at + 8), data.I32(at + 12)));
    }
    return UnionOfRects(std::move(rects));
}

// Header: next in chain, object type, object count, region size, scan
// count, largest scan, bounds (left, top, right, bottom); then the scans,
// each: count of x values, top, bottom, (left, right) pairs, the count again.
std::optional<QRegion> ReadWindowsRegion(CByteView data)
{
    int scanCount = data.I16(10);
    QRect bounds = EdgeRect(data.I16(14), data.I16(16), data.I16(18), data.I16(20));
    if (scanCount <= 0)
        return QRegion(bounds);
    std::vector<QRect> rects;
    uint64_t at = 22;
    for (int scan = 0; scan < scanCount; ++scan) {
        uint16_t values = data.U16(at);
        int top = data.I16(at + 2);
        int bottom = data.I16(at + 4);
        if (values % 2 != 0 || rects.size() + values / 2 > kMaxRegionRects)
            return std::nullopt;
        for (uint16_t i = 0; i < values; i += 2)
            rects.push_back(EdgeRect(data.I16(at + 6 + 2 * i), top, data.I16(at + 8 + 2 * i), bottom));
        at += 8 + 2 * uint64_t {values};
    }
    return UnionOfRects(std::move(rects));
}

}  // namespace metafile
