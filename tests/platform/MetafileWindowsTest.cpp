// Windows metafiles in the player: the object table's lowest free slot,
// the window filling the picture, regions, text and bitmaps of 16-bit records.

#include <gtest/gtest.h>

#include "tests/support/ByteWriter.h"
#include "tests/support/RenderedMetafile.h"
#include "tests/support/WmfWriter.h"

namespace {

constexpr int kSize = 100;

// A picture whose window is 100 x 100 units, drawn at 100 x 100 pixels.
WmfWriter Picture(int width = kSize, int height = kSize)
{
    WmfWriter wmf;
    wmf.Record(meta::kSetWindowOrg, {0, 0}).Record(meta::kSetWindowExt, {height, width});
    return wmf;
}

// CREATEBRUSHINDIRECT: style, the colour as two words, hatch.
void AddSolidBrush(WmfWriter& wmf, uint32_t colorRef)
{
    wmf.Record(meta::kCreateBrushIndirect,
               {0, static_cast<int32_t>(colorRef & 0xFFFF), static_cast<int32_t>(colorRef >> 16), 0});
}

void AddNullPen(WmfWriter& wmf)
{
    wmf.Record(meta::kCreatePenIndirect, {5, 0, 0, 0, 0});
}

// RECTANGLE holds bottom, right, top, left.
void AddRectangle(WmfWriter& wmf, int left, int top, int right, int bottom)
{
    wmf.Record(meta::kRectangle, {bottom, right, top, left});
}

constexpr uint32_t kRedRef = 0x0000FF;
constexpr uint32_t kGreenRef = 0x00FF00;
constexpr uint32_t kBlueRef = 0xFF0000;

}  // namespace

TEST(WindowsMetafile, NewObjectsTakeTheLowestFreeSlot)
{
    WmfWriter wmf = Picture();
    AddNullPen(wmf);              // slot 0
    AddSolidBrush(wmf, kRedRef);    // slot 1
    AddSolidBrush(wmf, kGreenRef);  // slot 2
    wmf.Record(meta::kSelectObject, {0});
    wmf.Record(meta::kDeleteObject, {1});
    AddSolidBrush(wmf, kBlueRef);  // slot 1 again
    wmf.Record(meta::kSelectObject, {1});
    AddRectangle(wmf, 10, 10, 50, 50);
    wmf.Record(meta::kSelectObject, {2});
    AddRectangle(wmf, 60, 60, 90, 90);
    RenderedMetafile picture = RenderWindows(wmf.Finish(), kSize, kSize);
    ASSERT_TRUE(picture.loaded);
    EXPECT_EQ(picture.At(30, 30), kBlue);
    EXPECT_EQ(picture.At(70, 70), kGreen);
    EXPECT_EQ(picture.Count(kRed), 0);
}

TEST(WindowsMetafile, UnreadableObjectsKeepTheirSlot)
{
    WmfWriter wmf = Picture();
    wmf.Record(meta::kCreateRegion, {0});  // far too short: slot 0 all the same
    AddSolidBrush(wmf, kRedRef);         // slot 1
    AddNullPen(wmf);                     // slot 2
    wmf.Record(meta::kSelectObject, {1}).Record(meta::kSelectObject, {2}).Record(meta::kSelectObject, {0});
    AddRectangle(wmf, 10, 10, 50, 50);
    RenderedMetafile picture = RenderWindows(wmf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(30, 30), kRed);
}

TEST(WindowsMetafile, TheWindowFillsThePictureWhateverTheViewport)
{
    // 200 units across, 100 down, y growing upwards.
    WmfWriter wmf;
    wmf.Record(meta::kSetMapMode, {8}).Record(meta::kSetWindowOrg, {0, 0}).Record(meta::kSetWindowExt, {-100, 200});
    wmf.Record(meta::kSetViewportExt, {10, 10});  // the picture is the viewport
    AddNullPen(wmf);
    AddSolidBrush(wmf, kRedRef);
    wmf.Record(meta::kSelectObject, {0}).Record(meta::kSelectObject, {1});
    AddRectangle(wmf, 0, 0, 101, -51);
    RenderedMetafile picture = RenderWindows(wmf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(1, 1), kRed);
    EXPECT_EQ(picture.At(48, 48), kRed);
    EXPECT_EQ(picture.At(52, 20), kWhite);
    EXPECT_EQ(picture.At(20, 52), kWhite);
}

TEST(WindowsMetafile, RegionsClipAndPiesTurnCounterClockwise)
{
    WmfWriter wmf = Picture();
    // A region of one scan: rows 0 to 25, columns 0 to 100.
    ByteWriter region;
    region.U16LE(0).U16LE(6).U32LE(0).U16LE(0).U16LE(1).U16LE(0);
    region.U16LE(0).U16LE(0).U16LE(100).U16LE(25);
    region.U16LE(2).U16LE(0).U16LE(25).U16LE(0).U16LE(100).U16LE(2);
    wmf.Record(meta::kCreateRegion, region.Take());  // slot 0
    AddNullPen(wmf);                                // slot 1
    AddSolidBrush(wmf, kGreenRef);                  // slot 2
    wmf.Record(meta::kSelectObject, {1}).Record(meta::kSelectObject, {2});
    // PIE: end y, x; start y, x; bottom, right, top, left. Three o'clock to twelve.
    wmf.Record(meta::kPie, {0, 50, 50, 100, 100, 100, 0, 0});
    wmf.Record(meta::kSelectClipRegion, {0});
    AddRectangle(wmf, 0, 10, 40, 80);  // drawn in the region's rows only
    RenderedMetafile picture = RenderWindows(wmf.Finish(), kSize, kSize);
    // The quarter from three o'clock to twelve.
    EXPECT_EQ(picture.At(70, 30), kGreen);
    EXPECT_EQ(picture.At(30, 30), kWhite);
    EXPECT_EQ(picture.At(70, 55), kWhite);
    EXPECT_EQ(picture.At(20, 15), kGreen);
    EXPECT_EQ(picture.At(20, 24), kGreen);
    EXPECT_EQ(picture.Count(kGreen, 0, 25, 50, kSize), 0);
}

TEST(WindowsMetafile, TextOfCodePagesAndAdvances)
{
    WmfWriter wmf = Picture();
    // CREATEFONTINDIRECT: height -20, Arial.
    ByteWriter font;
    font.U16LE(static_cast<uint16_t>(-20)).U16LE(0).U16LE(0).U16LE(0).U16LE(400);
    font.Bytes({0, 0, 0, 0, 0, 0, 0, 0}).Text("Arial").U8(0);
    wmf.Record(meta::kCreateFontIndirect, font.Take());
    wmf.Record(meta::kSelectObject, {0}).Record(meta::kSetBkMode, {1});
    wmf.Record(meta::kSetTextColor, {static_cast<int32_t>(kRedRef), 0});
    // EXTTEXTOUT: y, x, length, options, the text, an advance per byte.
    ByteWriter text;
    text.U16LE(10).U16LE(10).U16LE(2).U16LE(0).Text("II").U16LE(60).U16LE(60);
    wmf.Record(meta::kExtTextOut, text.Take());
    RenderedMetafile picture = RenderWindows(wmf.Finish(), kSize, kSize);
    int first = -1;
    int last = -1;
    for (int x = 0; x < kSize; ++x)
        if (picture.Count(kRed, x, 0, x + 1, kSize) > 0) {
            first = first < 0 ? x : first;
            last = x;
        }
    ASSERT_GE(first, 10);
    EXPECT_GE(last - first, 60);
    EXPECT_LE(last - first, 66);
}

TEST(WindowsMetafile, StretchedDibsAndPatternBlits)
{
    WmfWriter wmf = Picture();
    AddSolidBrush(wmf, kBlueRef);
    wmf.Record(meta::kSelectObject, {0});
    // PATBLT: operation (PATCOPY), height, width, y, x.
    wmf.Record(meta::kPatBlt, {0x0021, 0x00F0, 10, 100, 90, 0});
    // STRETCHDIB of a 2 x 1 bitmap (red, green) onto 80 x 40 at (10, 10).
    ByteWriter params;
    params.U32LE(0x00CC0020).U16LE(0);                    // SRCCOPY, RGB colours
    params.U16LE(1).U16LE(2).U16LE(0).U16LE(0);           // source height, width, y, x
    params.U16LE(40).U16LE(80).U16LE(10).U16LE(10);       // destination height, width, y, x
    params.U32LE(40).U32LE(2).U32LE(1).U16LE(1).U16LE(24).U32LE(0).U32LE(0).Fill(16);
    params.Bytes({0, 0, 255, 0, 255, 0, 0, 0});
    wmf.Record(meta::kStretchDib, params.Take());
    RenderedMetafile picture = RenderWindows(wmf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(10, 10), kRed);
    EXPECT_EQ(picture.At(49, 49), kRed);
    EXPECT_EQ(picture.At(50, 10), kGreen);
    EXPECT_EQ(picture.At(89, 49), kGreen);
    EXPECT_EQ(picture.At(50, 50), kWhite);
    EXPECT_EQ(picture.Count(kBlue), kSize * 10);
}
