#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/BitmapInfo.h"
#include "platform/gdi/StretchBits.h"

using namespace gdi;

namespace {

// A DIB in a vector, with helpers to set and get pixels by top-down position.
struct TestDib {
    TestDib(int width, int height, int depth, std::vector<RgbQuad> table = {})
        : colors(std::move(table)),
          bytes(static_cast<size_t>(DibStride(width, depth) * height)),
          pixels {width, height, depth, static_cast<int>(DibStride(width, depth)), bytes.data(), nullptr, 0}
    {
        pixels.colors = colors.data();
        pixels.colorCount = static_cast<int>(colors.size());
    }
    void Set32(int x, int y, uint32_t bgra) { std::memcpy(pixels.Row(y) + 4 * x, &bgra, 4); }
    uint32_t Get32(int x, int y) const
    {
        uint32_t value;
        std::memcpy(&value, pixels.Row(y) + 4 * x, 4);
        return value;
    }
    uint8_t& Index8(int x, int y) { return pixels.Row(y)[x]; }
    int Bit(int x, int y) const { return (pixels.Row(y)[x / 8] >> (7 - x % 8)) & 1; }

    std::vector<RgbQuad> colors;
    std::vector<uint8_t> bytes;
    DibPixels pixels;
};

std::vector<RgbQuad> GreyTable()
{
    std::vector<RgbQuad> table(256);
    for (int i = 0; i < 256; ++i)
        table[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
    return table;
}

}  // namespace

TEST(StretchBits, CopiesOneToOneAndPlacesTheRectangle)
{
    TestDib source(3, 2, 32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            source.Set32(x, y, 0xFF000000u | static_cast<uint32_t>(y * 16 + x));
    TestDib target(5, 4, 32);
    ASSERT_TRUE(StretchBits(target.pixels, {1, 1, 4, 3}, source.pixels, {0, 0, 3, 2}, StretchQuality::Nearest));
    EXPECT_EQ(target.Get32(1, 1), 0xFF000000u);
    EXPECT_EQ(target.Get32(3, 1), 0xFF000002u);
    EXPECT_EQ(target.Get32(2, 2), 0xFF000011u);
    EXPECT_EQ(target.Get32(0, 0), 0u);  // outside the rectangle: untouched
    EXPECT_EQ(target.Get32(4, 3), 0u);
}

TEST(StretchBits, EnlargesByRepeatingPixels)
{
    TestDib source(2, 1, 32);
    source.Set32(0, 0, 0xFF0000FF);
    source.Set32(1, 0, 0xFF00FF00);
    TestDib target(4, 2, 32);
    StretchBits(target.pixels, {0, 0, 4, 2}, source.pixels, {0, 0, 2, 1}, StretchQuality::Average);
    EXPECT_EQ(target.Get32(0, 0), 0xFF0000FFu);
    EXPECT_EQ(target.Get32(1, 1), 0xFF0000FFu);
    EXPECT_EQ(target.Get32(2, 0), 0xFF00FF00u);
    EXPECT_EQ(target.Get32(3, 1), 0xFF00FF00u);
}

TEST(StretchBits, AveragesShrunkTrueColourOnlyWhenAsked)
{
    TestDib source(2, 2, 32);
    source.Set32(0, 0, 0xFF000000);
    source.Set32(1, 0, 0xFF0000C8);  // blue 200
    source.Set32(0, 1, 0xFF000064);  // blue 100
    source.Set32(1, 1, 0xFF000064);
    TestDib averaged(1, 1, 32);
    StretchBits(averaged.pixels, {0, 0, 1, 1}, source.pixels, {0, 0, 2, 2}, StretchQuality::Average);
    EXPECT_EQ(averaged.Get32(0, 0) & 0xFF, 100u);  // (0 + 200 + 100 + 100) / 4

    TestDib nearest(1, 1, 32);
    StretchBits(nearest.pixels, {0, 0, 1, 1}, source.pixels, {0, 0, 2, 2}, StretchQuality::Nearest);
    EXPECT_EQ(nearest.Get32(0, 0) & 0xFF, 100u);  // the pixel under the centre: (1, 1)
}

TEST(StretchBits, AveragesShrunkIndexedPicturesByTheirColoursOnlyWhenAsked)
{
    TestDib source(2, 2, 8, GreyTable());
    source.Index8(0, 0) = 0;
    source.Index8(1, 0) = 200;
    source.Index8(0, 1) = 100;
    source.Index8(1, 1) = 40;
    struct Case {
        StretchQuality quality;
        uint32_t blue;
    };
    for (Case c : {Case {StretchQuality::AverageColors, 85},  // (0 + 200 + 100 + 40) / 4
                   Case {StretchQuality::Average, 40}, Case {StretchQuality::Nearest, 40}}) {
        TestDib target(1, 1, 32);
        StretchBits(target.pixels, {0, 0, 1, 1}, source.pixels, {0, 0, 2, 2}, c.quality);
        EXPECT_EQ(target.Get32(0, 0) & 0xFF, c.blue) << static_cast<int>(c.quality);
    }
}

TEST(StretchBits, CopiesIndicesBetweenBitmapsOfOnePalette)
{
    std::vector<RgbQuad> table = GreyTable();
    table[7] = table[9];  // two entries of one colour: only copying keeps index 7
    TestDib source(2, 1, 8, table);
    source.Index8(0, 0) = 7;
    source.Index8(1, 0) = 200;
    TestDib target(4, 1, 8, table);
    StretchBits(target.pixels, {0, 0, 4, 1}, source.pixels, {0, 0, 2, 1}, StretchQuality::Average);
    EXPECT_EQ(target.Index8(0, 0), 7);
    EXPECT_EQ(target.Index8(1, 0), 7);
    EXPECT_EQ(target.Index8(3, 0), 200);
}

TEST(StretchBits, MapsColoursToTheNearestEntryOfAnotherPalette)
{
    TestDib source(1, 1, 32);
    source.Set32(0, 0, 0xFF10F010);  // mostly green
    std::vector<RgbQuad> table {{0, 0, 0, 0}, {0, 255, 0, 0}, {255, 255, 255, 0}};
    table.resize(256);
    TestDib target(1, 1, 8, table);
    StretchBits(target.pixels, {0, 0, 1, 1}, source.pixels, {0, 0, 1, 1}, StretchQuality::Nearest);
    EXPECT_EQ(target.Index8(0, 0), 1);

    TestDib mono(9, 1, 1, {{0, 0, 0, 0}, {255, 255, 255, 0}});
    TestDib grey(9, 1, 8, GreyTable());
    grey.Index8(8, 0) = 250;
    StretchBits(mono.pixels, {0, 0, 9, 1}, grey.pixels, {0, 0, 9, 1}, StretchQuality::Nearest);
    EXPECT_EQ(mono.Bit(0, 0), 0);
    EXPECT_EQ(mono.Bit(8, 0), 1);  // the ninth pixel sits in the second byte
}

TEST(StretchBits, ClipsToTheTargetAndSkipsMissingSource)
{
    TestDib source(2, 2, 32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            source.Set32(x, y, 0xFFFFFFFF);
    TestDib target(3, 3, 32);
    // Reaches past every edge of the target; nothing may be written outside it.
    EXPECT_TRUE(StretchBits(target.pixels, {-2, -2, 6, 6}, source.pixels, {0, 0, 2, 2}, StretchQuality::Average));
    EXPECT_EQ(target.Get32(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(target.Get32(2, 2), 0xFFFFFFFFu);

    // A source rectangle larger than the source leaves those target pixels alone.
    TestDib partial(4, 1, 32);
    StretchBits(partial.pixels, {0, 0, 4, 1}, source.pixels, {0, 0, 4, 1}, StretchQuality::Nearest);
    EXPECT_EQ(partial.Get32(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(partial.Get32(3, 0), 0u);

    EXPECT_FALSE(StretchBits(target.pixels, {0, 0, 0, 3}, source.pixels, {0, 0, 2, 2}, StretchQuality::Nearest));
}
