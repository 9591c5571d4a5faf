#include <gtest/gtest.h>

#include <cstring>

#include "picture/bitmap/DisplayBitmap.h"
#include "platform/gdi/MemoryDC.h"
#include "tests/support/Canvas.h"
#include "tests/support/PictureChecks.h"

namespace {

constexpr BgraPixel kRed {0, 0, 255, 255};
constexpr BgraPixel kBlue {255, 0, 0, 255};
constexpr BgraPixel kBlack {0, 0, 0, 255};
constexpr BgraPixel kWhite {255, 255, 255, 255};

void Fill32(CPictureBitmap& bitmap, int width, int height, BgraPixel (*colorAt)(int x, int y))
{
    bitmap.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<BgraPixel*>(bitmap.GetLines()[y])[x] = colorAt(x, y);
}

// Left half red, right half blue.
BgraPixel Halves(int x, int /*y*/)
{
    return x < 2 ? kRed : kBlue;
}

// Black and white columns.
BgraPixel Stripes(int x, int /*y*/)
{
    return x % 2 == 0 ? kBlack : kWhite;
}

}  // namespace

TEST(DisplayBitmap, StartsAsABlankDefaultPicture)
{
    CDisplayBitmap bitmap;
    EXPECT_TRUE(bitmap.IsBlank());
    EXPECT_EQ(bitmap.GetSize(), std::make_pair(16, 16));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 8);
    EXPECT_EQ(bitmap.GetMemorySize(), 1368);
    bitmap.SetBlank(false);
    EXPECT_FALSE(bitmap.IsBlank());
}

TEST(DisplayBitmap, DisplayPaletteFollowsTheColourTable)
{
    CDisplayBitmap grey;
    const gdi::CPalette* palette = grey.GetDisplayPalette();
    ASSERT_NE(palette, nullptr);
    ASSERT_EQ(palette->Entries().size(), 256u);
    EXPECT_EQ(palette->Entries()[128], (gdi::PaletteEntry {128, 128, 128, 0}));
    EXPECT_EQ(grey.GetDisplayPalette(), palette);  // made once and kept

    CDisplayBitmap mono;
    mono.Create(8, 1, 1, false);
    BgraPixel colors[2] = {kRed, kBlue};
    mono.SetPaletteEntries(colors);
    ASSERT_EQ(mono.GetDisplayPalette()->Entries().size(), 2u);
    EXPECT_EQ(mono.GetDisplayPalette()->Entries()[0], (gdi::PaletteEntry {255, 0, 0, 0}));
    EXPECT_EQ(mono.GetDisplayPalette()->Entries()[1], (gdi::PaletteEntry {0, 0, 255, 0}));

    // New colours need a rebuilt palette.
    BgraPixel swapped[2] = {kBlue, kRed};
    mono.SetPaletteEntries(swapped);
    EXPECT_EQ(mono.GetDisplayPalette()->Entries()[0].red, 255);
    EXPECT_EQ(mono.RebuildDisplayPalette()->Entries()[0], (gdi::PaletteEntry {0, 0, 255, 0}));

    CDisplayBitmap trueColor;
    trueColor.Create(2, 2, 32, false);
    EXPECT_EQ(trueColor.GetDisplayPalette()->Entries(), gdi::CreateHalftonePalette().Entries());
}

TEST(DisplayBitmap, NullRectanglesDrawTheWholePictureAtItsOwnSize)
{
    CDisplayBitmap bitmap;
    Fill32(bitmap, 4, 2, Halves);
    Canvas canvas(6, 3);
    EXPECT_TRUE(bitmap.DrawToRect(canvas.dc, nullptr, nullptr, nullptr, true, CDisplayBitmap::kDrawDibMode,
                                  gdi::SRCCOPY));
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(3, 1), kBlue);
    EXPECT_EQ(canvas.At(4, 0), BgraPixel {});
    EXPECT_EQ(canvas.At(0, 2), BgraPixel {});

    // A source rectangle alone is drawn where it lies in the picture.
    Canvas part(6, 3);
    gdi::Rect rightHalf {2, 0, 4, 2};
    EXPECT_TRUE(bitmap.DrawToRect(part.dc, nullptr, &rightHalf, nullptr, false, gdi::COLORONCOLOR, gdi::SRCCOPY));
    EXPECT_EQ(part.At(1, 0), BgraPixel {});
    EXPECT_EQ(part.At(2, 0), kBlue);
    EXPECT_EQ(part.At(3, 1), kBlue);
}

TEST(DisplayBitmap, ShrinkingAverages32BitPicturesThroughDrawDibAndHalftoneOnly)
{
    CDisplayBitmap bitmap;
    Fill32(bitmap, 8, 2, Stripes);
    gdi::Rect dst {0, 0, 4, 1};
    for (int mode : {CDisplayBitmap::kDrawDibMode, int {gdi::HALFTONE}}) {
        Canvas canvas(4, 1);
        canvas.dc.SetStretchMode(gdi::BLACKONWHITE);
        EXPECT_TRUE(bitmap.DrawToRect(canvas.dc, &dst, nullptr, nullptr, true, mode, gdi::SRCCOPY));
        EXPECT_EQ(canvas.At(0, 0).red, 128) << "mode " << mode;
        EXPECT_EQ(canvas.dc.GetStretchMode(), gdi::BLACKONWHITE);  // restored after the blit
    }
    Canvas nearest(4, 1);
    EXPECT_TRUE(bitmap.DrawToRect(nearest.dc, &dst, nullptr, nullptr, true, gdi::COLORONCOLOR, gdi::SRCCOPY));
    EXPECT_TRUE(nearest.At(0, 0).red == 0 || nearest.At(0, 0).red == 255);
}

TEST(DisplayBitmap, SelectsItsPaletteForTheDrawingAndPutsTheOldOneBack)
{
    CDisplayBitmap bitmap;
    Canvas canvas(16, 16);
    gdi::CPalette previous = gdi::CreateHalftonePalette();
    canvas.dc.SelectPalette(&previous, true);
    gdi::CPalette chosen({{1, 2, 3, 0}});
    EXPECT_TRUE(bitmap.DrawToRect(canvas.dc, nullptr, nullptr, &chosen, true, gdi::COLORONCOLOR, gdi::SRCCOPY));
    EXPECT_EQ(canvas.dc.GetPalette(), &previous);
    EXPECT_EQ(canvas.dc.RealizePalette(), 0);

    // Without a previous palette the own one stays selected, as GDI leaves it.
    Canvas fresh(16, 16);
    EXPECT_TRUE(bitmap.Draw(fresh.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_EQ(fresh.dc.GetPalette(), bitmap.GetDisplayPalette());
}

TEST(DisplayBitmap, IndicesAreCopiedIntoATargetOfTheSamePalette)
{
    // Entries 5 and 9 are both red: only an index copy keeps 9.
    std::vector<gdi::RgbQuad> table(256);
    table[5] = table[9] = {0, 0, 255, 0};
    CDisplayBitmap bitmap;
    bitmap.Create(2, 2, 8, false);
    bitmap.SetPaletteEntries(reinterpret_cast<const BgraPixel*>(table.data()));
    for (int y = 0; y < 2; ++y)
        std::memset(bitmap.GetLines()[y], 9, 2);
    for (int mode : {CDisplayBitmap::kDrawDibMode, int {gdi::COLORONCOLOR}}) {
        Canvas canvas(2, 2, 8, table);
        gdi::Rect dst {0, 0, 2, 2};
        EXPECT_TRUE(bitmap.DrawToRect(canvas.dc, &dst, nullptr, nullptr, true, mode, gdi::SRCCOPY));
        EXPECT_EQ(canvas.IndexAt(1, 1), 9) << "mode " << mode;
    }
}

TEST(DisplayBitmap, TheFourDrawingOperationsPlaceTheirRectangles)
{
    CDisplayBitmap bitmap;
    Fill32(bitmap, 400, 100, [](int, int) { return kRed; });
    Canvas byFactor(120, 60);
    EXPECT_TRUE(bitmap.StretchDrawByFactor(byFactor.dc, 0, 25, 0.25, 0));
    EXPECT_EQ(byFactor.At(0, 25), kRed);
    EXPECT_EQ(byFactor.At(99, 49), kRed);
    EXPECT_EQ(byFactor.At(100, 49), BgraPixel {});
    EXPECT_EQ(byFactor.At(99, 50), BgraPixel {});

    Canvas stretched(20, 20);
    EXPECT_TRUE(bitmap.StretchDraw(stretched.dc, 2, 3, 10, 5, 0));
    EXPECT_EQ(stretched.At(2, 3), kRed);
    EXPECT_EQ(stretched.At(11, 7), kRed);
    EXPECT_EQ(stretched.At(12, 7), BgraPixel {});
    EXPECT_EQ(stretched.At(11, 8), BgraPixel {});

    CDisplayBitmap halves;
    Fill32(halves, 4, 2, Halves);
    Canvas whole(8, 8);
    EXPECT_TRUE(halves.Draw(whole.dc, 3, 3, 0));
    EXPECT_EQ(whole.At(3, 3), kRed);
    EXPECT_EQ(whole.At(6, 4), kBlue);
    EXPECT_EQ(whole.At(7, 4), BgraPixel {});

    // DrawPart sizes the target by the source rectangle, whichever way round it is given.
    Canvas part(8, 8);
    EXPECT_TRUE(halves.DrawPart(part.dc, 1, 1, {1, 0, 3, 2}));
    EXPECT_EQ(part.At(1, 1), kRed);
    EXPECT_EQ(part.At(2, 2), kBlue);
    EXPECT_EQ(part.At(3, 1), BgraPixel {});
}

TEST(DisplayBitmap, DrawPartMirrorsASourceRectangleGivenTheOtherWayRound)
{
    // Blue holds the column and green the row of each pixel.
    CDisplayBitmap bitmap;
    Fill32(bitmap, 4, 3, [](int x, int y) { return BgraPixel {uint8_t(x), uint8_t(y), 0, 255}; });
    for (gdi::Rect source : {gdi::Rect {1, 0, 3, 2}, gdi::Rect {3, 0, 1, 2}, gdi::Rect {1, 2, 3, 0},
                             gdi::Rect {3, 3, 1, 1}}) {
        gdi::Rect part = source.Normalized();
        Canvas canvas(2, 2);
        EXPECT_TRUE(bitmap.DrawPart(canvas.dc, 0, 0, source));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                int fromX = source.Width() > 0 ? part.left + x : part.right - 1 - x;
                int fromY = source.Height() > 0 ? part.top + y : part.bottom - 1 - y;
                EXPECT_EQ(canvas.At(x, y), (BgraPixel {uint8_t(fromX), uint8_t(fromY), 0, 255}))
                    << "source " << source.left << "," << source.top << "," << source.right << "," << source.bottom
                    << " at " << x << "," << y;
            }
        }
    }
}
