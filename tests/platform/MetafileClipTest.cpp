// Clipping and mixing in the metafile player: clip rectangles, regions and
// paths with their exact edges, binary raster operations, masked and
// transparent bitmaps, palette colours.

#include <gtest/gtest.h>

#include "tests/support/ByteWriter.h"
#include "tests/support/EmfWriter.h"
#include "tests/support/RenderedMetafile.h"

namespace {

constexpr int kSize = 64;
constexpr uint32_t kNullPen = kStock | 8;
constexpr uint32_t kBlackBrush = kStock | 4;

// Fills the whole picture with the current brush (a rectangle one pixel
// larger, as GDI leaves out the far edges without a pen).
void FillAll(EmfWriter& emf)
{
    emf.Record(emr::kRectangle, {0, 0, kSize + 1, kSize + 1});
}

EmfWriter Blank()
{
    EmfWriter emf(EmfWriter::FrameOfPixels(kSize, kSize));
    emf.Record(emr::kSelectObject, {kNullPen}).Record(emr::kSelectObject, {kBlackBrush});
    return emf;
}

// A region of rectangles (left, top, right, bottom) as RGNDATA.
std::vector<uint8_t> RegionData(const std::vector<std::array<int32_t, 4>>& rects)
{
    ByteWriter data;
    data.U32LE(32).U32LE(1).U32LE(static_cast<uint32_t>(rects.size())).U32LE(16 * rects.size()).Fill(16);
    for (const auto& rect : rects)
        for (int32_t edge : rect)
            data.U32LE(static_cast<uint32_t>(edge));
    return data.Take();
}

std::vector<uint8_t> SelectClipRegion(const std::vector<std::array<int32_t, 4>>& rects, uint32_t mode)
{
    std::vector<uint8_t> region = RegionData(rects);
    return ByteWriter().U32LE(static_cast<uint32_t>(region.size())).U32LE(mode).Bytes(region).Take();
}

// A packed 32-bit bitmap, rows given top first, for the bitmap records.
std::vector<uint8_t> Bitmap32(const std::vector<std::vector<uint32_t>>& rows)
{
    ByteWriter dib;
    int width = static_cast<int>(rows.front().size());
    dib.U32LE(40).U32LE(width).U32LE(static_cast<uint32_t>(-static_cast<int>(rows.size())));
    dib.U16LE(1).U16LE(32).U32LE(0).U32LE(0).Fill(16);
    for (const auto& row : rows)
        for (uint32_t pixel : row)
            dib.U32LE(pixel);
    return dib.Take();
}

// The fixed part of StretchBlt-like records up to the bitmap's location,
// with the destination and, in `middle`, what sits at offset 40.
ByteWriter BlitHead(int x, int y, int width, int height, uint32_t middle)
{
    ByteWriter params;
    params.Fill(16).U32LE(x).U32LE(y).U32LE(width).U32LE(height).U32LE(middle).U32LE(0).U32LE(0);
    params.U32LE(0x3F800000).U32LE(0).U32LE(0).U32LE(0x3F800000).U32LE(0).U32LE(0);
    return params;
}

}  // namespace

TEST(MetafileClip, ClipRectanglesKeepTheirNearEdgesOnly)
{
    EmfWriter emf = Blank();
    emf.Record(emr::kSaveDC, {});
    emf.Record(emr::kIntersectClipRect, {20, 20, 40, 40});
    emf.Record(emr::kExcludeClipRect, {25, 25, 30, 30});
    FillAll(emf);
    emf.Record(emr::kRestoreDC, {static_cast<uint32_t>(-1)});
    // After the restore nothing is clipped.
    emf.Record(emr::kRectangle, {0, 60, kSize + 1, kSize + 1});
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(20, 20), kBlack);
    EXPECT_EQ(picture.At(39, 39), kBlack);
    EXPECT_EQ(picture.At(40, 39), kWhite);
    EXPECT_EQ(picture.At(19, 25), kWhite);
    EXPECT_EQ(picture.At(25, 25), kWhite);
    EXPECT_EQ(picture.At(30, 30), kBlack);
    EXPECT_EQ(picture.Count(kBlack, 0, 0, kSize, 60), 20 * 20 - 5 * 5);
    EXPECT_EQ(picture.Count(kBlack, 0, 60, kSize, kSize), kSize * 4);
}

TEST(MetafileClip, RegionsCombineByTheirMode)
{
    EmfWriter emf = Blank();
    emf.Record(emr::kExtSelectClipRgn, SelectClipRegion({{0, 0, 32, 32}}, 5));         // copy
    emf.Record(emr::kExtSelectClipRgn, SelectClipRegion({{16, 16, 48, 48}}, 3));       // exclusive or
    emf.Record(emr::kExtSelectClipRgn, SelectClipRegion({{0, 40, 8, 48}}, 4));         // minus
    FillAll(emf);
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(5, 5), kBlack);
    EXPECT_EQ(picture.At(20, 20), kWhite);  // in both: left out by the exclusive or
    EXPECT_EQ(picture.At(40, 40), kBlack);
    EXPECT_EQ(picture.At(50, 50), kWhite);
    EXPECT_EQ(picture.Count(kBlack), 2 * (32 * 32 - 16 * 16));

    // A copy of no region removes the clip.
    EmfWriter reset = Blank();
    reset.Record(emr::kExtSelectClipRgn, SelectClipRegion({{0, 0, 8, 8}}, 5));
    reset.Record(emr::kExtSelectClipRgn, {0, 5});
    FillAll(reset);
    EXPECT_EQ(RenderEnhanced(reset.Finish(), kSize, kSize).Count(kBlack), kSize * kSize);
}

TEST(MetafileClip, ClipPathsFollowTheirOutline)
{
    EmfWriter emf = Blank();
    emf.Record(emr::kBeginPath, {}).Record(emr::kEllipse, {0, 0, 65, 65}).Record(emr::kEndPath, {});
    emf.Record(emr::kSelectClipPath, {5});
    FillAll(emf);
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(32, 32), kBlack);
    EXPECT_EQ(picture.At(2, 32), kBlack);
    EXPECT_EQ(picture.At(3, 3), kWhite);
    EXPECT_EQ(picture.At(60, 60), kWhite);
    EXPECT_NEAR(picture.Count(kBlack), 3.14159 * 32 * 32, 150);
}

TEST(MetafileMix, BinaryRasterOperationsMixWithTheTarget)
{
    EmfWriter emf = Blank();
    emf.Record(emr::kCreateBrushIndirect, {1, 0, 0x0000FF, 0}).Record(emr::kSelectObject, {1});
    emf.Record(emr::kSetRop2, {7});  // exclusive or
    emf.Record(emr::kRectangle, {0, 0, 33, 33});
    emf.Record(emr::kRectangle, {16, 16, 49, 49});
    emf.Record(emr::kSetRop2, {6});  // invert the target
    emf.Record(emr::kRectangle, {40, 0, 65, 9});
    emf.Record(emr::kSetRop2, {11});  // leave it
    FillAll(emf);
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(5, 5), 0x00FFFF);    // white XOR red
    EXPECT_EQ(picture.At(20, 20), kWhite);    // twice: white again
    EXPECT_EQ(picture.At(45, 45), 0x00FFFF);
    EXPECT_EQ(picture.At(50, 4), kBlack);     // white inverted
    EXPECT_EQ(picture.At(20, 50), kWhite);
}

TEST(MetafileMix, MaskedAndTransparentBitmaps)
{
    std::vector<uint8_t> source = Bitmap32({{0xFF0000, 0x00FF00}, {0x0000FF, 0xFF0000}});
    // MaskBlt: copy where the 1-bit mask is set, leave the target elsewhere.
    ByteWriter mask;
    mask.U32LE(40).U32LE(2).U32LE(static_cast<uint32_t>(-2)).U16LE(1).U16LE(1).U32LE(0).U32LE(0).Fill(16);
    mask.Bytes({0, 0, 0, 0, 255, 255, 255, 0}).U32LE(0x80).U32LE(0x40);  // set: top left, bottom right
    ByteWriter maskBlt = BlitHead(0, 0, 2, 2, 0xAACC0020);
    maskBlt.U32LE(0).U32LE(0).U32LE(128).U32LE(40).U32LE(168).U32LE(16);
    maskBlt.U32LE(0).U32LE(0).U32LE(0).U32LE(184).U32LE(48).U32LE(232).U32LE(8);
    maskBlt.Bytes(source).Bytes(mask.Data());
    // TransparentBlt: everything but red, stretched to 20 x 20 at (40, 40).
    ByteWriter transparent = BlitHead(40, 40, 20, 20, 0x0000FF);
    transparent.U32LE(0).U32LE(0).U32LE(108).U32LE(40).U32LE(148).U32LE(16).U32LE(2).U32LE(2);
    transparent.Bytes(source);
    EmfWriter emf = Blank();
    emf.Record(78, maskBlt.Take());
    emf.Record(116, transparent.Take());
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(0, 0), kRed);
    EXPECT_EQ(picture.At(1, 0), kWhite);
    EXPECT_EQ(picture.At(0, 1), kWhite);
    EXPECT_EQ(picture.At(1, 1), kRed);
    EXPECT_EQ(picture.At(45, 45), kWhite);
    EXPECT_EQ(picture.At(55, 45), kGreen);
    EXPECT_EQ(picture.At(45, 55), kBlue);
}

TEST(MetafileMix, PaletteIndexColours)
{
    // A palette of two entries, selected: index 1 names its blue.
    EmfWriter emf = Blank();
    emf.Record(49, ByteWriter().U32LE(1).U16LE(0x300).U16LE(2).Bytes({255, 0, 0, 0, 0, 0, 255, 0}).Take());
    emf.Record(48, {1});
    emf.Record(emr::kCreateBrushIndirect, {2, 0, 0x01000001, 0}).Record(emr::kSelectObject, {2});
    emf.Record(emr::kRectangle, {0, 0, 33, 65});
    // Without a palette of its own, the default one's index 13 is red.
    emf.Record(48, {kStock | 15});
    emf.Record(emr::kCreateBrushIndirect, {3, 0, 0x0100000D, 0}).Record(emr::kSelectObject, {3});
    emf.Record(emr::kRectangle, {32, 0, 65, 65});
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(10, 10), kBlue);
    EXPECT_EQ(picture.At(50, 10), kRed);
}
