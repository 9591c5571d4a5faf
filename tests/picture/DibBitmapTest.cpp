#include <gtest/gtest.h>

#include <cstring>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/TextException.h"
#include "platform/gdi/MemoryDC.h"
#include "tests/support/Canvas.h"
#include "tests/support/PictureChecks.h"

namespace {

// A 2 x 2 8-bit picture: red, green on top; blue, white below.
template <typename Bitmap>
void MakeFourColours(Bitmap& bitmap)
{
    bitmap.Create(2, 2, 8, false);
    BgraPixel palette[256] = {};
    palette[1] = {0, 0, 255, 255};
    palette[2] = {0, 255, 0, 255};
    palette[3] = {255, 0, 0, 255};
    palette[4] = {255, 255, 255, 255};
    bitmap.SetPaletteEntries(palette);
    bitmap.GetLines()[0][0] = 1;
    bitmap.GetLines()[0][1] = 2;
    bitmap.GetLines()[1][0] = 3;
    bitmap.GetLines()[1][1] = 4;
}

}  // namespace

TEST(DibBitmap, LineAndMemorySizesFollowTheDibLayout)
{
    CDibBitmap bitmap;
    bitmap.Create(10, 3, 8, false);
    EXPECT_EQ(bitmap.GetLineSize(), 12);
    EXPECT_EQ(bitmap.GetMemorySize(), 12 * 3 + 40 + 1024 + 48);
    // The top row is stored last.
    EXPECT_EQ(bitmap.GetLines()[0], bitmap.GetBits() + 24);
    EXPECT_EQ(bitmap.GetLines()[2], bitmap.GetBits());
    bitmap.Create(10, 3, 32, false);
    EXPECT_EQ(bitmap.GetLineSize(), 40);
    EXPECT_EQ(bitmap.GetMemorySize(), 208);
    bitmap.Create(10, 3, 1, false);
    EXPECT_EQ(bitmap.GetLineSize(), 4);
    // The palette is the colour table right behind the header.
    EXPECT_EQ(reinterpret_cast<uint8_t*>(bitmap.GetPalette()), reinterpret_cast<uint8_t*>(bitmap.GetBitmapInfo()) + 40);
}

TEST(DibBitmap, GlobalMemoryBlockIsAPackedDibBottomUp)
{
    CDibSectionBitmap bitmap;
    MakeFourColours(bitmap);
    os::PackedDib dib = bitmap.CopyToGlobalMemory();
    ASSERT_EQ(static_cast<int64_t>(dib.size()), bitmap.GetMemorySize());
    gdi::BitmapInfoHeader header;
    std::memcpy(&header, dib.data(), sizeof header);
    EXPECT_EQ(header.size, 40u);
    EXPECT_EQ(header.width, 2);
    EXPECT_EQ(header.height, 2);
    EXPECT_EQ(header.bitCount, 8);
    EXPECT_EQ(dib[40 + 4 * 1 + 2], 255);  // entry 1: red
    const uint8_t* pixels = dib.data() + 40 + 1024;
    EXPECT_EQ(pixels[0], 3);  // bottom row first
    EXPECT_EQ(pixels[4], 1);

    CDibBitmap copy;
    copy.CreateFromPackedDib(dib.data(), dib.size());
    EXPECT_EQ(ColorAt(copy, 0, 0), ColorAt(bitmap, 0, 0));
    EXPECT_EQ(ColorAt(copy, 1, 1), ColorAt(bitmap, 1, 1));
    EXPECT_THROW(copy.CreateFromPackedDib(dib.data(), 100), CTextException);
}

TEST(DibBitmap, DrawsWholeAndInParts)
{
    CDibBitmap plain;
    MakeFourColours(plain);
    CDibSectionBitmap section;
    MakeFourColours(section);
    for (CDibBitmap* bitmap : {&plain, static_cast<CDibBitmap*>(&section)}) {
        Canvas canvas(4, 4);
        EXPECT_TRUE(bitmap->Draw(canvas.dc, 1, 1, gdi::SRCCOPY));
        EXPECT_EQ(canvas.At(1, 1), (BgraPixel {0, 0, 255, 255}));
        EXPECT_EQ(canvas.At(2, 2), (BgraPixel {255, 255, 255, 255}));

        Canvas part(4, 4);
        EXPECT_TRUE(bitmap->DrawPart(part.dc, 0, 0, {1, 0, 2, 2}));  // the right column
        EXPECT_EQ(part.At(0, 0), (BgraPixel {0, 255, 0, 255}));
        EXPECT_EQ(part.At(0, 1), (BgraPixel {255, 255, 255, 255}));
        EXPECT_EQ(part.At(1, 0), (BgraPixel {}));

        Canvas whole(2, 2);
        EXPECT_TRUE(bitmap->DrawPart(whole.dc, 0, 0, {0, 0, 2, 2}));
        EXPECT_EQ(whole.At(0, 1), (BgraPixel {255, 0, 0, 255}));
    }
}

TEST(DibBitmap, StretchDrawByFactorTruncatesTheSize)
{
    CDibBitmap bitmap;
    bitmap.Create(400, 100, 32, false);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 400; ++x)
            reinterpret_cast<BgraPixel*>(bitmap.GetLines()[y])[x] = {9, 9, 9, 255};
    Canvas canvas(120, 60);
    EXPECT_TRUE(bitmap.StretchDrawByFactor(canvas.dc, 0, 25, 0.25, gdi::SRCCOPY));
    EXPECT_EQ(canvas.At(0, 25).blue, 9);
    EXPECT_EQ(canvas.At(99, 49).blue, 9);
    EXPECT_EQ(canvas.At(100, 49).blue, 0);
    EXPECT_EQ(canvas.At(99, 50).blue, 0);
    EXPECT_EQ(canvas.At(0, 24).blue, 0);
}

TEST(DibBitmap, CopiesToTheClipboardUnlessItIsHeld)
{
    os::CMemoryClipboard clipboard;
    os::SetClipboardBackend(&clipboard);
    CDibSectionBitmap bitmap;
    MakeFourColours(bitmap);
    EXPECT_TRUE(bitmap.CopyToClipboard());
    EXPECT_FALSE(clipboard.IsOpen());
    EXPECT_EQ(clipboard.Dib(), bitmap.CopyToGlobalMemory());

    clipboard.SetHeldElsewhere(true);
    bitmap.Create(1, 1, 32, false);
    EXPECT_FALSE(bitmap.CopyToClipboard());
    EXPECT_EQ(clipboard.Dib().size(), 1024u + 40 + 8 + 48);  // still the earlier copy
    os::SetClipboardBackend(nullptr);
    EXPECT_FALSE(bitmap.CopyToClipboard());
}
