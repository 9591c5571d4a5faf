#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "tests/support/ByteWriter.h"

// Windows metafiles built record by record: an optional placeable header,
// the 18-byte header, the records as given and the end record. Sizes are
// filled in at the end.
class WmfWriter {
public:
    struct Placeable {
        int16_t left, top, right, bottom;
        uint16_t unitsPerInch;
    };

    explicit WmfWriter(std::optional<Placeable> placeable = std::nullopt, uint16_t objects = 8);

    // A record of 16-bit parameters, as most records hold them: y before x.
    WmfWriter& Record(uint16_t function, std::initializer_list<int32_t> words);
    // A record of any parameters, padded to a whole word.
    WmfWriter& Record(uint16_t function, const std::vector<uint8_t>& params);
    // The bytes exactly as given, for records that lie about their size.
    WmfWriter& Raw(const std::vector<uint8_t>& bytes);

    std::vector<uint8_t> Finish();

private:
    std::optional<Placeable> placeable_;
    uint16_t objects_;
    ByteWriter records_;
    uint32_t largestRecord_ = 3;
};

// Record functions used by the tests.
namespace meta {
enum : uint16_t {
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetPolyFillMode = 0x0106,
    kSaveDC = 0x001E,
    kRestoreDC = 0x0127,
    kSelectClipRegion = 0x012C,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportExt = 0x020E,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kCreatePalette = 0x00F7,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kPatBlt = 0x061D,
    kCreateRegion = 0x06FF,
    kPie = 0x081A,
    kExtTextOut = 0x0A32,
    kStretchDib = 0x0F43,
};
}  // namespace meta
