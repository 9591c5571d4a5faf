#include <gtest/gtest.h>

#include "platform/gdi/MemoryDC.h"

using namespace gdi;

TEST(MemoryDC, FillsIndexedBitmapsWithTheNearestEntry)
{
    BitmapInfoHeader header;
    header.width = 4;
    header.height = 2;
    header.bitCount = 8;
    std::vector<RgbQuad> table(256);
    table[3] = {190, 190, 190, 0};
    auto section = CDibSection::Create(header, table.data());
    ASSERT_TRUE(section);
    CMemoryDC dc;
    dc.SelectBitmap(section.get());
    dc.FillRect({0, 0, 4, 2}, Rgb(192, 192, 192));
    EXPECT_EQ(section->Bits()[0], 3);
    EXPECT_EQ(section->Bits()[section->Stride() + 3], 3);
}

TEST(MemoryDC, BlitsBetweenContexts)
{
    BitmapInfoHeader header;
    header.width = 2;
    header.height = 2;
    header.bitCount = 32;
    auto source = CDibSection::Create(header, nullptr);
    auto target = CDibSection::Create(header, nullptr);
    CMemoryDC sourceDc;
    sourceDc.SelectBitmap(source.get());
    sourceDc.FillRect({1, 0, 2, 1}, Rgb(255, 0, 0));  // top right
    CMemoryDC targetDc;
    targetDc.SelectBitmap(target.get());
    EXPECT_TRUE(BitBlt(targetDc, 0, 0, 2, 2, sourceDc, 0, 0, SRCCOPY));
    // Row 0 (top) is stored last in the bottom-up DIB.
    const uint8_t* topRight = target->Bits() + target->Stride() + 4;
    EXPECT_EQ(topRight[2], 255);
    EXPECT_EQ(topRight[0], 0);
    EXPECT_FALSE(BitBlt(targetDc, 0, 0, 2, 2, sourceDc, 0, 0, 0x00EE0086 /* SRCPAINT */));
}

TEST(MemoryDC, PaletteRealisationChangesNothingOnTrueColour)
{
    CMemoryDC dc;
    CPalette halftone = CreateHalftonePalette();
    EXPECT_EQ(halftone.Entries().size(), 256u);
    EXPECT_EQ(dc.SelectPalette(&halftone, false), nullptr);
    EXPECT_EQ(dc.RealizePalette(), 0);
    EXPECT_EQ(dc.SelectPalette(nullptr, true), &halftone);
}
