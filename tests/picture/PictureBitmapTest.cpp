#include <gtest/gtest.h>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/bitmap/PlainBitmap.h"
#include "picture/bitmap/RowExpansion.h"
#include "picture/decoding/TextException.h"
#include "tests/support/PictureChecks.h"

namespace {

template <typename Bitmap>
class NewBitmap : public ::testing::Test {};
using BitmapKinds = ::testing::Types<CPlainBitmap, CDibBitmap, CDibSectionBitmap>;
TYPED_TEST_SUITE(NewBitmap, BitmapKinds);

// An 8-bit 4 x 2 bitmap with a few colours and indices set.
void FillSample(CPictureBitmap& bitmap)
{
    bitmap.Create(4, 2, 8, false);
    bitmap.GetPalette()[1] = {10, 20, 30, 255};
    bitmap.GetPalette()[2] = {127, 127, 127, 255};
    bitmap.GetPalette()[3] = {0, 0, 128, 255};
    uint8_t* top = bitmap.GetLines()[0];
    top[0] = 1;
    top[1] = 2;
    top[2] = 3;
    bitmap.GetLines()[1][3] = 255;
}

}  // namespace

TYPED_TEST(NewBitmap, IsSixteenBySixteenGreyAtEightBits)
{
    TypeParam bitmap;
    EXPECT_EQ(bitmap.GetWidth(), 16);
    EXPECT_EQ(bitmap.GetHeight(), 16);
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 8);
    EXPECT_FALSE(bitmap.GetAlphaFlag());
    EXPECT_EQ(bitmap.GetPalette()[200], (BgraPixel {200, 200, 200, 255}));
}

TYPED_TEST(NewBitmap, CreatesEachDepthWithItsGreyRamp)
{
    TypeParam bitmap;
    bitmap.Create(9, 3, 1, false);
    EXPECT_EQ(bitmap.GetPalette()[0], (BgraPixel {0, 0, 0, 255}));
    EXPECT_EQ(bitmap.GetPalette()[1], (BgraPixel {255, 255, 255, 255}));
    bitmap.Create(5, 4, 32, true);
    EXPECT_EQ(bitmap.GetPalette(), nullptr);
    EXPECT_TRUE(bitmap.GetAlphaFlag());
    // Rows are zero and line 0 is the top row.
    EXPECT_EQ(ColorAt(bitmap, 4, 3), (BgraPixel {0, 0, 0, 0}));
    EXPECT_NE(bitmap.GetLines()[0], bitmap.GetLines()[1]);
}

TYPED_TEST(NewBitmap, RefusesSizesBeyondTheLimitsWithoutLosingItsPicture)
{
    TypeParam bitmap;
    bitmap.Create(3, 3, 32, false);
    for (auto [width, height, depth] : {std::tuple {kMaxBitmapSide + 1, 1, 8}, std::tuple {1, 0, 8},
                                        std::tuple {20000, 20000, 32}, std::tuple {-5, 5, 8}}) {
        try {
            bitmap.Create(width, height, depth, false);
            ADD_FAILURE() << width << " x " << height << " was accepted";
        } catch (const CTextException& error) {
            EXPECT_EQ(error.GetCode(), PE_ALLOC_FAILED);
            EXPECT_STREQ(error.GetText(), "Out of memory creating bitmap.");
        }
    }
    EXPECT_EQ(bitmap.GetWidth(), 3);
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 32);
    EXPECT_THROW(bitmap.Create(4, 4, 16, false), CTextException);
}

TYPED_TEST(NewBitmap, CopiesAtTheSameDepthExactly)
{
    TypeParam source;
    FillSample(source);
    for (int depth : {0, 8}) {
        CPlainBitmap copy;
        copy.CopyFrom(source, depth);
        ASSERT_EQ(copy.GetBitsPerPixel(), 8);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(IndexAt(copy, x, y), IndexAt(source, x, y));
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(copy.GetPalette()[i], source.GetPalette()[i]);
        EXPECT_FALSE(copy.GetAlphaFlag());
    }
}

TEST(CopyFrom, EightToThirtyTwoTakesThePaletteColours)
{
    CDibBitmap source;
    FillSample(source);
    CDibSectionBitmap wide;
    wide.CopyFrom(source, 32);
    EXPECT_EQ(wide.GetBitsPerPixel(), 32);
    EXPECT_FALSE(wide.GetAlphaFlag());
    EXPECT_EQ(ColorAt(wide, 0, 0), (BgraPixel {10, 20, 30, 255}));
    EXPECT_EQ(ColorAt(wide, 3, 1), (BgraPixel {255, 255, 255, 255}));
}

TEST(CopyFrom, ToOneBitMakesDarkColoursBlack)
{
    CPlainBitmap source;
    FillSample(source);  // index 2 is (127, 127, 127), index 3 is red 128
    CPlainBitmap mono;
    mono.CopyFrom(source, 1);
    EXPECT_EQ(mono.GetPalette()[0], (BgraPixel {255, 255, 255, 255}));
    EXPECT_EQ(mono.GetPalette()[1], (BgraPixel {0, 0, 0, 255}));
    EXPECT_EQ(IndexAt(mono, 1, 0), 1);  // (127, 127, 127): black
    EXPECT_EQ(IndexAt(mono, 2, 0), 0);  // (128, 0, 0): white
    EXPECT_EQ(IndexAt(mono, 3, 1), 0);
}

TEST(CopyFrom, OneToEightAndBackKeepsTheTwoColours)
{
    CDibBitmap mono;
    mono.Create(10, 1, 1, false);
    mono.GetPalette()[0] = {0, 0, 200, 7};
    mono.GetPalette()[1] = {0, 200, 0, 7};
    mono.GetLines()[0][1] = 0x40;  // pixel 9
    CDibBitmap eight;
    eight.CopyFrom(mono, 8);
    EXPECT_EQ(IndexAt(eight, 9, 0), 1);
    EXPECT_EQ(IndexAt(eight, 8, 0), 0);
    EXPECT_EQ(eight.GetPalette()[1], (BgraPixel {0, 200, 0, 255}));
    EXPECT_EQ(eight.GetPalette()[2], (BgraPixel {2, 2, 2, 255}));  // rest of the grey ramp
}

TEST(CopyFrom, ThirtyTwoToEightReducesToTheColourCube)
{
    CPlainBitmap wide;
    wide.Create(2, 1, 32, true);
    reinterpret_cast<BgraPixel*>(wide.GetLines()[0])[0] = {0, 0, 255, 255};
    reinterpret_cast<BgraPixel*>(wide.GetLines()[0])[1] = {250, 250, 250, 255};
    CPlainBitmap eight;
    eight.CopyFrom(wide, 8);
    EXPECT_FALSE(eight.GetAlphaFlag());
    EXPECT_EQ(ColorAt(eight, 0, 0), (BgraPixel {0, 0, 255, 255}));
    EXPECT_EQ(ColorAt(eight, 1, 0), (BgraPixel {255, 255, 255, 255}));
}

TEST(CopyFrom, OntoItself)
{
    CDibBitmap bitmap;
    FillSample(bitmap);
    bitmap.CopyFrom(bitmap, 0);
    EXPECT_EQ(IndexAt(bitmap, 2, 0), 3);
    bitmap.CopyFrom(bitmap, 32);
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 32);
    EXPECT_EQ(ColorAt(bitmap, 0, 0), (BgraPixel {10, 20, 30, 255}));
}

TEST(RowExpansion, ReadsMostSignificantBitsFirst)
{
    BgraPixel colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = {static_cast<uint8_t>(i), 0, 0, 255};
    BgraPixel row[12] = {};
    const uint8_t ones[] = {0xFF, 0xA0};  // second byte: bits 1, 0, 1
    ExpandIndexRow1(row, ones, 11, colors);
    EXPECT_EQ(row[7].blue, 1);
    EXPECT_EQ(row[8].blue, 1);
    EXPECT_EQ(row[9].blue, 0);
    EXPECT_EQ(row[10].blue, 1);
    EXPECT_EQ(row[11].alpha, 0);  // nothing written past the count

    const uint8_t pairs[] = {0x1B};  // 0, 1, 2, 3
    ExpandIndexRow2(row, pairs, 3, colors);
    EXPECT_EQ(row[0].blue, 0);
    EXPECT_EQ(row[2].blue, 2);
    const uint8_t nibbles[] = {0xA5, 0xF0};
    ExpandIndexRow4(row, nibbles, 3, colors);
    EXPECT_EQ(row[0].blue, 0xA);
    EXPECT_EQ(row[1].blue, 0x5);
    EXPECT_EQ(row[2].blue, 0xF);
    const uint8_t bytes[] = {200, 7};
    ExpandIndexRow8(row, bytes, 2, colors);
    EXPECT_EQ(row[0].blue, 200);
    EXPECT_EQ(row[1].blue, 7);
}

TEST(PlainBitmap, StoresRowsUnpadded)
{
    CPlainBitmap bitmap;
    EXPECT_EQ(bitmap.GetMemorySize(), 256 + 88 + 1024);
    bitmap.Create(10, 3, 1, false);
    EXPECT_EQ(bitmap.GetLineSize(), 2);
    EXPECT_EQ(bitmap.GetLines()[1] - bitmap.GetLines()[0], 2);
    bitmap.Create(10, 3, 32, false);
    EXPECT_EQ(bitmap.GetLineSize(), 40);
    EXPECT_EQ(bitmap.GetMemorySize(), 120 + 88);
}
