#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "tests/support/ByteWriter.h"

// Enhanced metafiles built record by record: the header with the frame and
// the reference device, the records as given, the end record (with a
// palette when asked). The header's byte, record and handle counts are
// filled in at the end.
class EmfWriter {
public:
    struct Rect {
        int32_t left, top, right, bottom;
    };
    struct Device {
        int32_t pixelsX, pixelsY, millimetersX, millimetersY;
    };
    // 1000 pixels on 254 mm: 0.01 mm units of 25.4 per pixel.
    static constexpr Device kDevice {1000, 1000, 254, 254};

    // A frame of `width` x `height` pixels of kDevice.
    static Rect FrameOfPixels(int width, int height) { return {0, 0, width * 254 / 10, height * 254 / 10}; }

    explicit EmfWriter(Rect frame = FrameOfPixels(100, 100), Device device = kDevice);

    // A record of 32-bit parameters.
    EmfWriter& Record(uint32_t type, std::initializer_list<uint32_t> params);
    // A record of any parameters, padded to 4 bytes.
    EmfWriter& Record(uint32_t type, const std::vector<uint8_t>& params);
    // The bytes exactly as given, for records that lie about their size.
    EmfWriter& Raw(const std::vector<uint8_t>& bytes);
    // Asks for this many handles in the header (default: none given).
    EmfWriter& Handles(uint16_t handles);

    std::vector<uint8_t> Finish(const std::vector<std::array<uint8_t, 4>>& palette = {});

private:
    ByteWriter bytes_;
    uint32_t records_ = 1;
    uint16_t handles_ = 1;
};

// Record types used by the tests.
namespace emr {
enum : uint32_t {
    kPolygon = 3,
    kPolyline = 4,
    kPolyPolygon = 8,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetRop2 = 20,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kMoveToEx = 27,
    kExcludeClipRect = 29,
    kIntersectClipRect = 30,
    kSaveDC = 33,
    kRestoreDC = 34,
    kSetWorldTransform = 35,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kPie = 47,
    kLineTo = 54,
    kSetArcDirection = 57,
    kBeginPath = 59,
    kEndPath = 60,
    kFillPath = 62,
    kSelectClipPath = 67,
    kGdiComment = 70,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kStretchDibits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutW = 84,
    kPolygon16 = 86,
    kCreateDibPatternBrushPt = 94,
    kAlphaBlend = 114,
    kGradientFill = 118,
};
}  // namespace emr

// Stock objects are named with the top bit set.
constexpr uint32_t kStock = 0x80000000;
