// Metafiles that lie: the player must read nothing outside the data,
// allocate nothing without bound and finish, drawing what it can.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/support/ByteWriter.h"
#include "tests/support/EmfWriter.h"
#include "tests/support/RenderedMetafile.h"
#include "tests/support/WmfWriter.h"

namespace {

constexpr int kSize = 64;

// A red square the hostile records come after; it must survive them.
EmfWriter RedSquare()
{
    EmfWriter emf(EmfWriter::FrameOfPixels(kSize, kSize));
    emf.Record(emr::kCreateBrushIndirect, {1, 0, 0x0000FF, 0}).Record(emr::kSelectObject, {1});
    emf.Record(emr::kSelectObject, {kStock | 8});
    emf.Record(emr::kRectangle, {0, 0, 11, 11});
    return emf;
}

// A green square drawn after the hostile records: playing went on.
void AddGreenSquare(EmfWriter& emf)
{
    emf.Record(emr::kCreateBrushIndirect, {2, 0, 0x00FF00, 0}).Record(emr::kSelectObject, {2});
    emf.Record(emr::kSelectObject, {kStock | 8});
    emf.Record(emr::kRectangle, {50, 50, 61, 61});
}

void ExpectBothSquares(const std::vector<uint8_t>& bytes)
{
    RenderedMetafile picture = RenderEnhanced(bytes, kSize, kSize);
    ASSERT_TRUE(picture.loaded);
    EXPECT_EQ(picture.At(5, 5), kRed);
    EXPECT_EQ(picture.At(55, 55), kGreen);
}

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

TEST(HostileEnhancedMetafile, CountsBeyondTheRecordSkipOnlyThatRecord)
{
    EmfWriter emf = RedSquare();
    emf.Record(emr::kPolygon, {0, 0, 10, 10, 0xFFFFFFFF, 1, 1});                // points far beyond
    emf.Record(emr::kPolygon16, {0, 0, 10, 10, 0x40000000, 1});
    emf.Record(emr::kPolyPolygon, {0, 0, 10, 10, 2, 3, 2, 5, 1, 1, 2, 2, 3, 3});  // counts above the total
    emf.Record(emr::kPolyPolygon, {0, 0, 10, 10, 0x7FFFFFFF, 1, 1});
    emf.Record(emr::kExtSelectClipRgn, {0xFFFFFFF0, 1, 32});                       // region bigger than the record
    emf.Record(emr::kExtSelectClipRgn, {48, 1, 32, 1, 0x7FFFFFFF, 0, 0, 0, 10, 10});  // rectangles beyond
    emf.Record(emr::kGradientFill, {0, 0, 0, 0, 0xFFFFFFFF, 1, 0});
    emf.Record(emr::kExtTextOutW, {0, 0, 10, 10, 1, 0, 0, 5, 5, 0x7FFFFFFF, 0xFFFFFF00, 0, 0, 0, 0, 0, 0});
    emf.Record(emr::kExtTextOutW, {0, 0, 10, 10, 1, 0, 0, 5, 5, 4, 76, 0, 0, 0, 0, 0, 0xFFFFFFF0});
    AddGreenSquare(emf);
    ExpectBothSquares(emf.Finish());
}

TEST(HostileEnhancedMetafile, BitmapsThatLieAreLeftOut)
{
    auto stretchDibits = [](uint32_t infoAt, uint32_t infoSize, uint32_t bitsAt, uint32_t bitsSize, int32_t width,
                            int32_t height, uint16_t depth, uint32_t compression) {
        ByteWriter params;
        params.Fill(16).U32LE(0).U32LE(0).U32LE(0).U32LE(0).U32LE(2).U32LE(2);
        params.U32LE(infoAt).U32LE(infoSize).U32LE(bitsAt).U32LE(bitsSize).U32LE(0).U32LE(0x00CC0020);
        params.U32LE(kSize).U32LE(kSize);
        params.U32LE(40).U32LE(static_cast<uint32_t>(width)).U32LE(static_cast<uint32_t>(height));
        params.U16LE(1).U16LE(depth).U32LE(compression).Fill(20);
        params.Bytes({0, 0, 0, 0, 1, 1, 1, 1});
        return params.Take();
    };
    EmfWriter emf = RedSquare();
    emf.Record(emr::kStretchDibits, stretchDibits(80, 40, 0xFFFFFFF0, 8, 2, 2, 24, 0));  // bits outside
    emf.Record(emr::kStretchDibits, stretchDibits(0xFFFFFFF0, 40, 120, 8, 2, 2, 24, 0));  // header outside
    emf.Record(emr::kStretchDibits, stretchDibits(80, 40, 120, 8, 100000, 100000, 24, 0));  // too many pixels
    emf.Record(emr::kStretchDibits, stretchDibits(80, 40, 120, 8, 64, 64, 24, 0));          // too few bits
    emf.Record(emr::kStretchDibits, stretchDibits(80, 40, 120, 8, 2, 2, 3, 0));             // no such depth
    emf.Record(emr::kStretchDibits, stretchDibits(80, 40, 120, 8, 2, -2, 24, 7));           // no such compression
    emf.Record(emr::kStretchDibits, stretchDibits(80, 40, 120, 8, 64, 64, 8, 1));           // short run lengths
    emf.Record(emr::kStretchDibits, stretchDibits(80, 0xFFFFFFFF, 120, 8, 2, 2, 24, 0));
    AddGreenSquare(emf);
    ExpectBothSquares(emf.Finish());
}

TEST(HostileEnhancedMetafile, StateAndObjectsOutOfRange)
{
    EmfWriter emf = RedSquare();
    for (int i = 0; i < 5000; ++i)
        emf.Record(emr::kSaveDC, {});
    emf.Record(emr::kRestoreDC, {0x80000000}).Record(emr::kRestoreDC, {5000}).Record(emr::kRestoreDC, {0});
    for (uint32_t index : {0u, 0xFFFFu, 0x7FFFFFFFu, kStock | 0xFF, kStock | 0x7FFFFFFF})
        emf.Record(emr::kSelectObject, {index}).Record(emr::kDeleteObject, {index});
    emf.Record(emr::kCreatePen, {0x7FFFFFFF, 0, 5, 0, 0});
    emf.Record(emr::kCreatePen, {kStock | 7, 5, 9, 0, 0x00FF00});  // stock objects stay as they are
    emf.Record(emr::kSetMapMode, {0xFFFFFFFF}).Record(emr::kSetRop2, {0x7FFFFFFF}).Record(emr::kSetPolyFillMode, {77});
    emf.Record(emr::kRestoreDC, {static_cast<uint32_t>(-5000)});  // back to the start
    AddGreenSquare(emf);
    ExpectBothSquares(emf.Finish());
}

TEST(HostileEnhancedMetafile, NumbersAtTheirExtremes)
{
    float nan = std::numeric_limits<float>::quiet_NaN();
    float huge = std::numeric_limits<float>::max();
    EmfWriter emf = RedSquare();
    emf.Record(emr::kSaveDC, {});
    emf.Record(emr::kSetWorldTransform, {FloatBits(nan), 0, 0, FloatBits(1), 0, 0});
    emf.Record(emr::kSetWorldTransform, {FloatBits(huge), 0, 0, FloatBits(huge), FloatBits(huge), 0});
    emf.Record(emr::kSetWorldTransform, {0, 0, 0, 0, 0, 0});
    emf.Record(emr::kPolygon, {0, 0, 0, 0, 3, 0x7FFFFFFF, 0x7FFFFFFF, 0x80000000, 0, 0, 0x80000000});
    emf.Record(emr::kCreatePen, {3, 0, 0x7FFFFFFF, 0, 0}).Record(emr::kSelectObject, {3});
    emf.Record(emr::kMoveToEx, {0x80000000, 0x80000000}).Record(emr::kLineTo, {0x7FFFFFFF, 0x7FFFFFFF});
    emf.Record(emr::kEllipse, {0x80000000, 0x80000000, 0x7FFFFFFF, 0x7FFFFFFF});
    emf.Record(emr::kSetMapMode, {8});
    emf.Record(emr::kSetWindowExtEx, {1, 1}).Record(emr::kSetViewportExtEx, {0x7FFFFFFF, 0x7FFFFFFF});
    emf.Record(emr::kRoundRect, {0, 0, 100, 100, 0x7FFFFFFF, 0x7FFFFFFF});
    emf.Record(emr::kPie, {0, 0, 1, 1, 0, 0, 0, 0});
    emf.Record(emr::kRestoreDC, {static_cast<uint32_t>(-1)});
    AddGreenSquare(emf);
    ExpectBothSquares(emf.Finish());
}

TEST(HostileEnhancedMetafile, RecordSizesThatLieEndThePicture)
{
    for (uint32_t size : {0u, 4u, 7u, 0xFFFFFFF8u}) {
        EmfWriter emf = RedSquare();
        emf.Raw(ByteWriter().U32LE(emr::kRectangle).U32LE(size).U32LE(0).U32LE(0).U32LE(64).U32LE(64).Take());
        AddGreenSquare(emf);
        RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
        EXPECT_EQ(picture.At(5, 5), kRed) << size;
        EXPECT_EQ(picture.At(55, 55), kWhite) << size;
    }
}

TEST(HostileEnhancedMetafile, UnknownRecordsAndCommentsAreSkippedBySize)
{
    EmfWriter emf = RedSquare();
    emf.Record(0x7FFF, {1, 2, 3});
    emf.Record(emr::kGdiComment, ByteWriter().U32LE(8).Text("EMF+").U32LE(0x4001).Take());  // an EMF+ record
    AddGreenSquare(emf);
    ExpectBothSquares(emf.Finish());
}

TEST(HostileEnhancedMetafile, HeadersThatLieAreRefused)
{
    std::vector<uint8_t> good = RedSquare().Finish();
    EXPECT_TRUE(RenderEnhanced(good, 8, 8).loaded);
    std::vector<uint8_t> wrongSignature = good;
    wrongSignature[40] = 'X';
    EXPECT_FALSE(RenderEnhanced(wrongSignature, 8, 8).loaded);
    std::vector<uint8_t> headerBeyond = good;
    ByteWriter patch;
    patch.Bytes(headerBeyond).PatchU32LE(4, 0x7FFFFFFF);
    EXPECT_FALSE(RenderEnhanced(patch.Take(), 8, 8).loaded);
    EXPECT_FALSE(RenderEnhanced(std::vector<uint8_t>(good.begin(), good.begin() + 80), 8, 8).loaded);
    EXPECT_FALSE(RenderEnhanced({}, 8, 8).loaded);
}

// Every byte of a small picture set to 0xFF in turn: each must play to its end.
TEST(HostileEnhancedMetafile, EveryByteCorruptedInTurn)
{
    EmfWriter emf = RedSquare();
    emf.Record(emr::kPolygon16, {0, 0, 10, 10, 3, 0x00050005, 0x0030000A, 0x000A0030});
    emf.Record(emr::kIntersectClipRect, {2, 2, 60, 60});
    emf.Record(emr::kEllipse, {10, 10, 40, 30});
    AddGreenSquare(emf);
    std::vector<uint8_t> good = emf.Finish();
    constexpr size_t kSignatureAt = 40;
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<uint8_t> bad = good;
        bad[at] = 0xFF;
        RenderedMetafile picture = RenderEnhanced(bad, 16, 16);
        bool inSignature = at >= kSignatureAt && at < kSignatureAt + 4;
        EXPECT_FALSE(inSignature && picture.loaded) << "signature byte " << at;
        if (!picture.loaded)
            continue;
        // Played to its end: every row handed over whole and opaque.
        ASSERT_EQ(picture.pixels.size(), 16u * 16u);
        EXPECT_EQ(std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                [](uint32_t pixel) { return pixel >> 24 != 0xFF; }),
                  0)
            << "byte " << at;
    }
}

TEST(HostileWindowsMetafile, RecordsThatLie)
{
    WmfWriter wmf;
    wmf.Record(meta::kSetWindowExt, {64, 64});
    wmf.Record(meta::kCreateBrushIndirect, {0, 0xFF, 0, 0}).Record(meta::kSelectObject, {0});
    wmf.Record(meta::kRectangle, {11, 11, 0, 0});
    wmf.Record(meta::kPolygon, {0x7FFF, 1, 1});
    wmf.Record(meta::kPolyPolygon, {3, 0xFFFF, 0xFFFF, 0xFFFF});
    wmf.Record(meta::kTextOut, {0x7FFF, 0x4141});
    wmf.Record(meta::kExtTextOut, {10, 10, 0x7FFF, 6, 0, 0, 1, 1});
    wmf.Record(meta::kStretchDib, {0x20, 0xCC, 0, 2, 2, 0, 0, 10, 10, 0, 0, 40, 0, 0x7FFF, 0, 0x7FFF, 0, 1, 24});
    wmf.Record(meta::kCreateRegion, {0, 6, 0, 0, 0, 0x7FFF, 0, 0, 0, 100, 100, 0xFFFF, 0, 10});
    wmf.Record(meta::kSelectObject, {0xFFFF}).Record(meta::kDeleteObject, {0xFFFF});
    wmf.Record(meta::kRestoreDC, {-32768}).Record(meta::kSaveDC, {}).Record(meta::kRestoreDC, {32767});
    wmf.Record(meta::kSetWindowExt, {0, 0});  // refused: the window stays
    wmf.Record(meta::kCreateBrushIndirect, {0, 0xFF00, 0, 0}).Record(meta::kSelectObject, {2});
    wmf.Record(meta::kRectangle, {61, 61, 50, 50});
    RenderedMetafile picture = RenderWindows(wmf.Finish(), kSize, kSize);
    ASSERT_TRUE(picture.loaded);
    EXPECT_EQ(picture.At(5, 5), kRed);
    EXPECT_EQ(picture.At(55, 55), kGreen);
}

TEST(HostileWindowsMetafile, HeadersAndSizesThatLie)
{
    std::vector<uint8_t> good = WmfWriter().Record(meta::kSetWindowExt, {10, 10}).Finish();
    EXPECT_TRUE(RenderWindows(good, 8, 8).loaded);
    std::vector<uint8_t> badType = good;
    badType[0] = 7;
    EXPECT_FALSE(RenderWindows(badType, 8, 8).loaded);
    std::vector<uint8_t> badHeaderSize = good;
    badHeaderSize[2] = 12;
    EXPECT_FALSE(RenderWindows(badHeaderSize, 8, 8).loaded);
    EXPECT_FALSE(RenderWindows(std::vector<uint8_t>(good.begin(), good.begin() + 17), 8, 8).loaded);
    // A record of no size, and one reaching past the end, stop the playing cleanly.
    for (uint32_t words : {0u, 2u, 0x7FFFFFFFu}) {
        std::vector<uint8_t> bytes =
            WmfWriter().Raw(ByteWriter().U32LE(words).U16LE(meta::kRectangle).U16LE(1).Take()).Finish();
        EXPECT_TRUE(RenderWindows(bytes, 8, 8).loaded) << words;
    }
}

// Fills of the whole picture, red and then one green, spend the allowance of
// pixel work by the pixels they may cover; once it is used up the rest is
// skipped. The clip leaves only the picture's edge to paint, so the test
// spends the allowance without painting it.
TEST(HostileWindowsMetafile, FillsStopOnceThePixelWorkIsSpent)
{
    constexpr int kSide = 4096;  // 2^24 pixels a fill: 256 fills use up the allowance
    struct Case {
        int redFills;
        uint32_t expected;
    };
    for (Case c : {Case {200, kGreen}, Case {300, kRed}}) {
        WmfWriter wmf;
        wmf.Record(meta::kSetWindowExt, {kSide, kSide});
        wmf.Record(meta::kExcludeClipRect, {kSide - 1, kSide - 1, 1, 1});
        wmf.Record(meta::kCreatePenIndirect, {5, 0, 0, 0, 0}).Record(meta::kSelectObject, {0});
        wmf.Record(meta::kCreateBrushIndirect, {0, 0xFF, 0, 0}).Record(meta::kSelectObject, {1});
        for (int i = 0; i < c.redFills; ++i)
            wmf.Record(meta::kRectangle, {kSide, kSide, 0, 0});
        wmf.Record(meta::kCreateBrushIndirect, {0, 0xFF00, 0, 0}).Record(meta::kSelectObject, {2});
        wmf.Record(meta::kRectangle, {kSide, kSide, 0, 0});
        RenderedMetafile picture = RenderWindows(wmf.Finish(), kSide, kSide);
        ASSERT_TRUE(picture.loaded);
        EXPECT_EQ(picture.At(0, 0), c.expected) << c.redFills;
        EXPECT_EQ(picture.At(kSide / 2, kSide / 2), kWhite) << c.redFills;
    }
}
