#include <gtest/gtest.h>

#include "picture/formats/BMPDecoder.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;

DecodeResult Decode(const BmpImage& image, int wantedDepth = 0)
{
    CBMPDecoder decoder;
    return DecodeBytes(decoder, WriteBmp(image), wantedDepth);
}

BmpImage Indexed(int width, int height, uint16_t depth, std::vector<std::array<uint8_t, 3>> colors)
{
    BmpImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = depth;
    image.colors = std::move(colors);
    return image;
}

BmpImage TrueColour(int width, int height, uint16_t depth, const std::vector<std::vector<uint32_t>>& rows)
{
    BmpImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = depth;
    image.pixels = BmpRows(rows, depth);
    return image;
}

const std::vector<std::array<uint8_t, 3>> kTwoColours = {{255, 255, 0}, {0, 0, 255}};  // yellow, blue

}  // namespace

TEST(BMPDecoder, OneBitRowsAreIndicesIntoTheFilesColours)
{
    BmpImage image = Indexed(10, 2, 1, kTwoColours);
    image.pixels = BmpRows({{1, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 0, 0, 0, 0, 1, 0}}, 1);
    ASSERT_EQ(image.pixels.size(), 8u);  // 2 data bytes and 2 padding bytes per row
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    const CPictureBitmap& bitmap = *result.bitmap;
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 8);
    EXPECT_EQ(IndexAt(bitmap, 0, 0), 1);
    EXPECT_EQ(IndexAt(bitmap, 9, 0), 1);
    EXPECT_EQ(IndexAt(bitmap, 8, 1), 1);
    EXPECT_EQ(IndexAt(bitmap, 0, 1), 0);
    EXPECT_EQ(bitmap.GetPalette()[0], OpaqueBgra(255, 255, 0));
    EXPECT_EQ(bitmap.GetPalette()[1], OpaqueBgra(0, 0, 255));

    // At 32 bits the pixels take the same colours.
    DecodeResult wide = Decode(image, 32);
    ASSERT_TRUE(wide.Ok());
    EXPECT_EQ(ColorAt(*wide.bitmap, 0, 0), OpaqueBgra(0, 0, 255));
    EXPECT_EQ(ColorAt(*wide.bitmap, 1, 0), OpaqueBgra(255, 255, 0));
}

TEST(BMPDecoder, ColoursUsedSetsTheLengthOfTheColourTable)
{
    BmpImage image = Indexed(3, 1, 4, {{10, 0, 0}, {0, 20, 0}, {0, 0, 30}});
    image.colorsUsed = 3;  // a 12-byte table; the pixels follow right behind it
    image.pixels = BmpRows({{2, 1, 0}}, 4);
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(0, 0, 30));
    EXPECT_EQ(ColorAt(*result.bitmap, 1, 0), OpaqueBgra(0, 20, 0));
    EXPECT_EQ(IndexAt(*result.bitmap, 2, 0), 0);
}

TEST(BMPDecoder, ColourTablesBeyond256KeepTheFirst256)
{
    std::vector<std::array<uint8_t, 3>> colors(300, {1, 2, 3});
    colors[255] = {9, 9, 9};
    BmpImage image = Indexed(1, 1, 8, colors);
    image.colorsUsed = 300;
    image.pixels = BmpRows({{255}}, 8);
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(9, 9, 9));
}

TEST(BMPDecoder, SixteenBitPixelsByCompressionAndMasks)
{
    DecodeResult plain = Decode(TrueColour(2, 1, 16, {{0x7FFF, 0x7C00}}));
    ASSERT_TRUE(plain.Ok()) << plain.text;
    EXPECT_EQ(plain.bitmap->GetBitsPerPixel(), 32);
    EXPECT_EQ(ColorAt(*plain.bitmap, 0, 0), OpaqueBgra(248, 248, 248));
    EXPECT_EQ(ColorAt(*plain.bitmap, 1, 0), OpaqueBgra(248, 0, 0));

    BmpImage bits565 = TrueColour(3, 1, 16, {{0xFFFF, 0xF800, 0x07E0}});
    bits565.compression = kBitFields;
    bits565.masks = {0xF800, 0x07E0, 0x001F};
    DecodeResult fields = Decode(bits565);
    ASSERT_TRUE(fields.Ok()) << fields.text;
    // 5-6-5 keeps five bits of green, as 5-5-5 does.
    EXPECT_EQ(ColorAt(*fields.bitmap, 0, 0), OpaqueBgra(248, 248, 248));
    EXPECT_EQ(ColorAt(*fields.bitmap, 1, 0), OpaqueBgra(248, 0, 0));
    EXPECT_EQ(ColorAt(*fields.bitmap, 2, 0), OpaqueBgra(0, 248, 0));

    BmpImage bits444 = TrueColour(1, 1, 16, {{0x0F80}});
    bits444.compression = kBitFields;
    bits444.masks = {0x0F00, 0x00F0, 0x000F};
    DecodeResult other = Decode(bits444);
    ASSERT_TRUE(other.Ok()) << other.text;
    EXPECT_EQ(ColorAt(*other.bitmap, 0, 0), OpaqueBgra(240, 128, 0));
}

TEST(BMPDecoder, TwentyFourBitRowsArePadded)
{
    BmpImage image = TrueColour(3, 2, 24, {{0x010203, 0x040506, 0x070809}, {0xAABBCC, 0x000000, 0xFFFFFF}});
    ASSERT_EQ(image.pixels.size(), 24u);  // 9 data bytes and 3 padding bytes per row
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_FALSE(result.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*result.bitmap, 2, 0), OpaqueBgra(7, 8, 9));
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 1), OpaqueBgra(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(ColorAt(*result.bitmap, 2, 1), OpaqueBgra(255, 255, 255));
}

TEST(BMPDecoder, ThirtyTwoBitPixelsAsTheyStandOrThroughTheirMasks)
{
    DecodeResult plain = Decode(TrueColour(1, 1, 32, {{0x80102030}}));
    ASSERT_TRUE(plain.Ok()) << plain.text;
    EXPECT_EQ(ColorAt(*plain.bitmap, 0, 0), (BgraPixel {0x30, 0x20, 0x10, 0x80}));
    EXPECT_FALSE(plain.bitmap->GetAlphaFlag());

    BmpImage reversed = TrueColour(1, 1, 32, {{0x11223344}});
    reversed.compression = kBitFields;
    reversed.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
    DecodeResult fields = Decode(reversed);
    ASSERT_TRUE(fields.Ok()) << fields.text;
    EXPECT_EQ(ColorAt(*fields.bitmap, 0, 0), OpaqueBgra(0x11, 0x22, 0x33));
}

TEST(BMPDecoder, EightBitsWantedFromTrueColourGivesThirtyTwo)
{
    DecodeResult result = Decode(TrueColour(1, 1, 24, {{0x102030}}), 8);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(result.bitmap->GetBitsPerPixel(), 32);
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(0x10, 0x20, 0x30));
}

TEST(BMPDecoder, NegativeHeightStoresRowsTopDown)
{
    BmpImage image = TrueColour(1, -2, 24, {});
    image.pixels = BmpRows({{0xFF0000}, {0x0000FF}}, 24, true);
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(result.bitmap->GetHeight(), 2);
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(255, 0, 0));
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 1), OpaqueBgra(0, 0, 255));
}

TEST(BMPDecoder, LongerHeadersPutTheTableAndMasksInTheirPlace)
{
    for (uint32_t headerSize : {108u, 124u}) {
        BmpImage indexed = Indexed(2, 1, 8, {{1, 1, 1}, {200, 100, 50}});
        indexed.headerSize = headerSize;
        indexed.masks = {0xAAAA, 0xBBBB, 0xCCCC};  // inside the header; no influence on indexed pixels
        indexed.pixels = BmpRows({{1, 0}}, 8);
        DecodeResult result = Decode(indexed);
        ASSERT_TRUE(result.Ok()) << result.text;
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(200, 100, 50)) << headerSize;

        BmpImage sixteen = TrueColour(1, 1, 16, {{0xF800}});
        sixteen.headerSize = headerSize;
        sixteen.compression = kBitFields;
        sixteen.masks = {0xF800, 0x07E0, 0x001F};
        DecodeResult fields = Decode(sixteen);
        ASSERT_TRUE(fields.Ok()) << fields.text;
        EXPECT_EQ(ColorAt(*fields.bitmap, 0, 0), OpaqueBgra(248, 0, 0)) << headerSize;
    }
}

// OS/2 headers read like info headers: the core header (12 bytes, 16-bit
// sizes, colours of three bytes) and OS/2 2.x headers of 16 to 64 bytes,
// whose fields beyond their end are 0.
TEST(BMPDecoder, Os2HeadersReadLikeInfoHeaders)
{
    std::vector<std::array<uint8_t, 3>> colours(16, {0, 0, 0});
    colours[1] = {10, 20, 30};
    colours[15] = {40, 50, 60};
    for (uint32_t headerSize : {12u, 16u, 24u, 64u}) {
        BmpImage image = Indexed(3, 2, 4, colours);
        image.headerSize = headerSize;
        image.pixels = BmpRows({{1, 15, 0}, {15, 1, 1}}, 4);
        DecodeResult result = Decode(image);
        ASSERT_TRUE(result.Ok()) << headerSize << ": " << result.text;
        EXPECT_EQ(result.bitmap->GetWidth(), 3) << headerSize;
        EXPECT_EQ(result.bitmap->GetHeight(), 2) << headerSize;
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(10, 20, 30)) << headerSize;
        EXPECT_EQ(ColorAt(*result.bitmap, 1, 0), OpaqueBgra(40, 50, 60)) << headerSize;
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 1), OpaqueBgra(40, 50, 60)) << headerSize;
        EXPECT_EQ(ColorAt(*result.bitmap, 2, 1), OpaqueBgra(10, 20, 30)) << headerSize;
    }

    // Core headers hold sizes of 16 bits and no colour count: a table that
    // ends where the pixels start is shorter than the depth allows.
    BmpImage wide = Indexed(40000, 1, 8, {{0, 0, 0}, {1, 2, 3}});
    wide.headerSize = 12;
    wide.pixels = BmpRows({std::vector<uint32_t>(40000, 1)}, 8);
    DecodeResult result = Decode(wide);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(result.bitmap->GetWidth(), 40000);
    EXPECT_EQ(ColorAt(*result.bitmap, 39999, 0), OpaqueBgra(1, 2, 3));

    BmpImage trueColour = TrueColour(2, 1, 24, {{0x102030, 0x405060}});
    trueColour.headerSize = 12;
    DecodeResult deep = Decode(trueColour);
    ASSERT_TRUE(deep.Ok()) << deep.text;
    EXPECT_EQ(ColorAt(*deep.bitmap, 1, 0), OpaqueBgra(0x40, 0x50, 0x60));
}

TEST(BMPDecoder, PixelOffsetSkipsAGap)
{
    BmpImage image = Indexed(1, 1, 8, {{0, 0, 0}, {5, 6, 7}});
    image.pixels = BmpRows({{1}}, 8);
    image.pixelOffset = 14 + 40 + 8 + 100;
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(5, 6, 7));
}

TEST(BMPDecoder, Rle8RunsEscapesAndClipping)
{
    BmpImage image = Indexed(4, 3, 8, {{0, 0, 0}, {10, 10, 10}, {20, 20, 20}, {30, 30, 30}});
    image.compression = kRle8;
    image.pixels = {
        3, 1,           // bottom line: 1 1 1
        0, 0,           // end of line
        0, 3, 2, 3, 1,  // absolute run of three, odd: one padding byte
        0,              //
        9, 2,           // a run of 9 reaches past the line: clipped
        0, 0,           //
        0, 1,           // end of bitmap: the top line stays as it is
    };
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    const CPictureBitmap& bitmap = *result.bitmap;
    EXPECT_EQ(IndexAt(bitmap, 0, 2), 1);
    EXPECT_EQ(IndexAt(bitmap, 2, 2), 1);
    EXPECT_EQ(IndexAt(bitmap, 3, 2), 0);
    EXPECT_EQ(IndexAt(bitmap, 0, 1), 2);
    EXPECT_EQ(IndexAt(bitmap, 1, 1), 3);
    EXPECT_EQ(IndexAt(bitmap, 2, 1), 1);
    EXPECT_EQ(IndexAt(bitmap, 3, 1), 2);  // the next run continued this line
    EXPECT_EQ(IndexAt(bitmap, 0, 0), 0);

    DecodeResult wide = Decode(image, 32);
    ASSERT_TRUE(wide.Ok()) << wide.text;
    EXPECT_EQ(ColorAt(*wide.bitmap, 1, 1), OpaqueBgra(30, 30, 30));
}

TEST(BMPDecoder, Rle4RunsAlternateNibbles)
{
    BmpImage image = Indexed(5, 2, 4, {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    image.compression = kRle4;
    image.pixels = {
        5, 0x12,           // 1 2 1 2 1
        0, 0,              //
        0, 3, 0x32, 0x10,  // absolute 3 2 1: two bytes, even: no padding
        0, 1,
    };
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    const CPictureBitmap& bitmap = *result.bitmap;
    EXPECT_EQ(IndexAt(bitmap, 0, 1), 1);
    EXPECT_EQ(IndexAt(bitmap, 1, 1), 2);
    EXPECT_EQ(IndexAt(bitmap, 4, 1), 1);
    EXPECT_EQ(IndexAt(bitmap, 0, 0), 3);
    EXPECT_EQ(IndexAt(bitmap, 2, 0), 1);
    EXPECT_EQ(IndexAt(bitmap, 3, 0), 0);

    image.pixels = {0, 5, 0x12, 0x34, 0x50, 0, 0, 1};  // absolute 5: three bytes, odd: one padding byte
    DecodeResult odd = Decode(image);
    ASSERT_TRUE(odd.Ok()) << odd.text;
    EXPECT_EQ(IndexAt(*odd.bitmap, 4, 1), 5);
}

// A delta escape moves the position right and up; the pixels it skips keep
// index 0 (at 32 bits, black zero bytes). Pixels a delta puts past the end of a line
// are dropped; a delta past the last line ends the picture, as the end of
// bitmap does.
TEST(BMPDecoder, RunLengthDeltasMoveThePosition)
{
    for (uint32_t compression : {kRle8, kRle4}) {
        auto value = [compression](uint8_t index) { return uint8_t(compression == kRle4 ? index * 0x11 : index); };
        BmpImage image = Indexed(4, 3, compression == kRle8 ? 8 : 4, {{5, 6, 7}, {10, 10, 10}, {20, 20, 20}});
        image.compression = compression;
        image.pixels = {
            4, value(1),  // bottom line: 1 1 1 1
            0, 2, 0, 1,   // delta at the line's end: one up, still past the line
            2, value(2),  // dropped
            0, 0,         // end of line: the middle line was skipped whole
            1, value(2),  // top line: 2
            0, 2, 2, 0,   // two right
            1, value(1),  // 1 at x = 3
            0, 2, 0, 9,   // up past the picture: the end
            4, value(2),
        };
        std::string what = compression == kRle8 ? "RLE8" : "RLE4";
        DecodeResult result = Decode(image);
        ASSERT_TRUE(result.Ok()) << what << ": " << result.text;
        const std::vector<std::vector<int>> expected = {{2, 0, 0, 1}, {0, 0, 0, 0}, {1, 1, 1, 1}};
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(IndexAt(*result.bitmap, x, y), expected[y][x]) << what << " at " << x << ", " << y;

        DecodeResult wide = Decode(image, 32);
        ASSERT_TRUE(wide.Ok()) << what << ": " << wide.text;
        EXPECT_EQ(ColorAt(*wide.bitmap, 1, 0), (BgraPixel {0, 0, 0, 0})) << what;
        EXPECT_EQ(ColorAt(*wide.bitmap, 2, 1), (BgraPixel {0, 0, 0, 0})) << what;
        EXPECT_EQ(ColorAt(*wide.bitmap, 3, 0), OpaqueBgra(10, 10, 10)) << what;
    }
}

TEST(BMPDecoder, RunLengthFailures)
{
    BmpImage image = Indexed(4, 2, 8, {{0, 0, 0}});
    image.compression = kRle8;
    image.pixels = {2, 0, 0, 0, 3};  // ends inside the second line
    EXPECT_EQ(Decode(image).code, PE_END_OF_FILE);
}

TEST(BMPDecoder, RefusesHeadersItCannotDecode)
{
    struct Case {
        const char* what;
        BmpImage image;
        int code;
        const char* text;
    };
    BmpImage base = TrueColour(2, 2, 24, {{0, 0}, {0, 0}});
    auto with = [&](auto change) {
        BmpImage image = base;
        change(image);
        return image;
    };
    std::vector<Case> cases = {
        {"short header", with([](BmpImage& i) { i.headerSize = 14; }), PE_FORMAT_ERROR,
         "Decoder error: Bitmap decoder: BITMAPINFOHEADER has wrong size.\n"},
        {"2 bits", with([](BmpImage& i) { i.bitsPerPixel = 2; }), PE_FORMAT_ERROR,
         "Decoder error: Decoding bmp: Illegal bpp value.\n"},
        {"0 bits", with([](BmpImage& i) { i.bitsPerPixel = 0; }), PE_FORMAT_ERROR,
         "Decoder error: Decoding bmp: Illegal bpp value.\n"},
        {"48 bits", with([](BmpImage& i) { i.bitsPerPixel = 48; }), PE_FORMAT_ERROR,
         "Decoder error: Decoding bmp: Illegal bpp value.\n"},
        {"zero width", with([](BmpImage& i) { i.width = 0; }), PE_FORMAT_ERROR, nullptr},
        {"negative width", with([](BmpImage& i) { i.width = -2; }), PE_FORMAT_ERROR, nullptr},
        {"zero height", with([](BmpImage& i) { i.height = 0; }), PE_FORMAT_ERROR, nullptr},
        {"most negative height", with([](BmpImage& i) { i.height = INT32_MIN; }), PE_FORMAT_ERROR, nullptr},
        {"too wide", with([](BmpImage& i) { i.width = kMaxBitmapSide + 1; }), PE_FORMAT_ERROR, nullptr},
        {"too large", with([](BmpImage& i) { i.width = i.height = 30000; }), PE_FORMAT_ERROR, nullptr},
        {"offset inside headers", with([](BmpImage& i) { i.pixelOffset = 20; }), PE_FORMAT_ERROR, nullptr},
        {"rows cut short", with([](BmpImage& i) { i.pixels.resize(10); }), PE_END_OF_FILE,
         "End of file reached while decoding.\n"},
    };
    for (const Case& c : cases) {
        DecodeResult result = Decode(c.image);
        EXPECT_EQ(result.code, c.code) << c.what << ": " << result.text;
        if (c.text != nullptr) {
            EXPECT_EQ(result.text, c.text) << c.what;
        }
    }

    CBMPDecoder decoder;
    DecodeResult notBmp = DecodeBytes(decoder, std::vector<uint8_t>(60, 'x'));
    EXPECT_EQ(notBmp.code, PE_WRONG_SIGNATURE);
    EXPECT_EQ(notBmp.text, "Decoder error: Bitmap decoder: This isn't a bitmap.\n");
}

TEST(BMPDecoder, TheLastRowMayLackItsPadding)
{
    BmpImage image = TrueColour(1, 2, 24, {{0x010203}, {0x040506}});
    image.pixels.resize(image.pixels.size() - 1);
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(1, 2, 3));
}

TEST(BMPDecoder, EncodedPicturesDecodeToTheirIndices)
{
    for (uint16_t depth : {4, 8}) {
        std::vector<std::vector<uint8_t>> rows = depth == 8 ? SceneIndices(61, 23) : BandIndices(61, 23, 16);
        BmpImage image = Indexed(61, 23, depth, {});
        image.colors.resize(depth == 8 ? 216 : 16);
        image.compression = depth == 8 ? kRle8 : kRle4;
        image.pixels = depth == 8 ? EncodeRle8(rows) : EncodeRle4(rows);
        DecodeResult result = Decode(image);
        ASSERT_TRUE(result.Ok()) << result.text;
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 61; ++x)
                ASSERT_EQ(IndexAt(*result.bitmap, x, y), rows[static_cast<size_t>(y)][static_cast<size_t>(x)])
                    << depth << " bits at (" << x << ", " << y << ")";
    }
}
