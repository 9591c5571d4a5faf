#include <gtest/gtest.h>

#include "picture/formats/TGADecoder.h"
#include "tests/support/DamagedInput.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TgaWriter.h"

namespace {

constexpr uint8_t kTopDown = 0x20;

DecodeResult Decode(const TgaImage& image, int wantedDepth = 0)
{
    CTGADecoder decoder;
    return DecodeBytes(decoder, WriteTga(image), wantedDepth);
}

TgaImage TrueColour(uint16_t width, uint16_t height, uint8_t depth, const std::vector<std::vector<uint32_t>>& rows,
                    uint8_t descriptor = 0)
{
    TgaImage image;
    image.width = width;
    image.height = height;
    image.pixelDepth = depth;
    image.descriptor = descriptor;
    image.pixels = TgaRows(rows, depth, (descriptor & kTopDown) != 0);
    return image;
}

// 24-bit colour-map entries, blue, green, red as stored.
std::vector<uint8_t> ColourMap(const std::vector<uint32_t>& colours)
{
    std::vector<uint8_t> map;
    for (uint32_t colour : colours)
        map.insert(map.end(), {uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)});
    return map;
}

}  // namespace

TEST(TGADecoder, RowsAreStoredBottomUpUnlessTheDescriptorSaysTopDown)
{
    std::vector<std::vector<uint32_t>> rows = {{0xFF0000, 0x00FF00}, {0x0000FF, 0x102030}};
    for (uint8_t descriptor : {uint8_t {0}, kTopDown}) {
        TgaImage image = TrueColour(2, 2, 24, rows, descriptor);
        DecodeResult result = Decode(image);
        ASSERT_TRUE(result.Ok()) << result.text;
        EXPECT_EQ(result.bitmap->GetBitsPerPixel(), 32);
        EXPECT_FALSE(result.bitmap->GetAlphaFlag());
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(255, 0, 0)) << int(descriptor);
        EXPECT_EQ(ColorAt(*result.bitmap, 1, 1), OpaqueBgra(0x10, 0x20, 0x30)) << int(descriptor);
    }
    // The first stored row is the bottom line of a bottom-up file.
    TgaImage image = TrueColour(2, 2, 24, {});
    image.pixels = TgaRows({{0xFF0000, 0xFF0000}, {0, 0}}, 24, true);
    EXPECT_EQ(ColorAt(*Decode(image).bitmap, 0, 1), OpaqueBgra(255, 0, 0));
}

// Bit 4 of the descriptor stores each row right to left, whatever the row
// order; packets run right to left too.
TEST(TGADecoder, RowsStoredRightToLeftAreMirrored)
{
    constexpr uint8_t kRightToLeft = 0x10;
    std::vector<std::vector<uint32_t>> stored = {{0xFF0000, 0x00FF00, 0x0000FF}, {0x102030, 0x405060, 0x708090}};
    for (uint8_t descriptor : {kRightToLeft, uint8_t {kRightToLeft | kTopDown}}) {
        TgaImage image = TrueColour(3, 2, 24, stored, descriptor);
        for (bool runLength : {false, true}) {
            if (runLength) {
                image.imageType = 10;
                image.pixels = EncodeTgaRle(TgaRows(stored, 24, (descriptor & kTopDown) != 0), 3, 3);
            }
            DecodeResult result = Decode(image);
            ASSERT_TRUE(result.Ok()) << result.text;
            std::string what = "descriptor " + std::to_string(descriptor) + (runLength ? ", packets" : "");
            EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(0, 0, 255)) << what;
            EXPECT_EQ(ColorAt(*result.bitmap, 1, 0), OpaqueBgra(0, 255, 0)) << what;
            EXPECT_EQ(ColorAt(*result.bitmap, 2, 0), OpaqueBgra(255, 0, 0)) << what;
            EXPECT_EQ(ColorAt(*result.bitmap, 0, 1), OpaqueBgra(0x70, 0x80, 0x90)) << what;
            EXPECT_EQ(ColorAt(*result.bitmap, 2, 1), OpaqueBgra(0x10, 0x20, 0x30)) << what;
        }
    }
    // Indices of 8-bit pictures are mirrored alike.
    TgaImage grey = TrueColour(3, 1, 8, {{1, 2, 3}}, kRightToLeft);
    grey.imageType = 3;
    DecodeResult result = Decode(grey);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(IndexAt(*result.bitmap, 0, 0), 3);
    EXPECT_EQ(IndexAt(*result.bitmap, 2, 0), 1);
}

TEST(TGADecoder, AlphaOfSixteenFifteenAndThirtyTwoBitPixels)
{
    TgaImage attributed = TrueColour(2, 1, 16, {{0x8000 | (31 << 10), 31 << 10}});
    attributed.descriptor = 1;  // one alpha bit
    DecodeResult sixteen = Decode(attributed);
    ASSERT_TRUE(sixteen.Ok()) << sixteen.text;
    EXPECT_TRUE(sixteen.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*sixteen.bitmap, 0, 0), (BgraPixel {0, 0, 248, 0x80}));
    EXPECT_EQ(ColorAt(*sixteen.bitmap, 1, 0), (BgraPixel {0, 0, 248, 0}));

    DecodeResult fifteen = Decode(TrueColour(1, 1, 15, {{0x8000 | 0x03E0}}));
    ASSERT_TRUE(fifteen.Ok()) << fifteen.text;
    EXPECT_FALSE(fifteen.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*fifteen.bitmap, 0, 0), OpaqueBgra(0, 248, 0));

    TgaImage withAlpha = TrueColour(1, 1, 32, {{0x40102030}});
    withAlpha.descriptor = 8;  // eight alpha bits
    DecodeResult thirtyTwo = Decode(withAlpha);
    ASSERT_TRUE(thirtyTwo.Ok()) << thirtyTwo.text;
    EXPECT_TRUE(thirtyTwo.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*thirtyTwo.bitmap, 0, 0), (BgraPixel {0x30, 0x20, 0x10, 0x40}));

    // Files that declare no alpha bits are opaque, whatever their spare bits hold.
    DecodeResult plain16 = Decode(TrueColour(1, 1, 16, {{0x0000 | (31 << 10)}}));
    ASSERT_TRUE(plain16.Ok()) << plain16.text;
    EXPECT_FALSE(plain16.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*plain16.bitmap, 0, 0), OpaqueBgra(248, 0, 0));
    DecodeResult plain32 = Decode(TrueColour(1, 1, 32, {{0x00102030}}));
    ASSERT_TRUE(plain32.Ok()) << plain32.text;
    EXPECT_FALSE(plain32.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*plain32.bitmap, 0, 0), OpaqueBgra(0x10, 0x20, 0x30));
}

// The fourth byte of a 32-bit pixel is alpha whatever the descriptor
// declares, unless every pixel leaves it 0.
TEST(TGADecoder, ThirtyTwoBitPixelsKeepAnAlphaByteThatIsUsed)
{
    struct Case {
        const char* name;
        uint8_t descriptor;
        bool runLength;
        std::vector<uint32_t> pixels;  // 0xAARRGGBB, one row
        bool alpha;
    };
    const Case cases[] = {
        {"no alpha bits declared", 0, false, {0x40FF0000, 0x0000FF00, 0xFF0000FF}, true},
        {"no alpha bits declared, run-length", 0, true, {0x00FF0000, 0x00FF0000, 0x800000FF}, true},
        {"eight alpha bits declared, all 0", 8, false, {0x00FF0000, 0x00123456}, false},
        {"eight alpha bits declared, all 0, run-length", 8, true, {0x00FF0000, 0x00FF0000, 0x00123456}, false},
    };
    for (const Case& c : cases) {
        auto width = static_cast<uint16_t>(c.pixels.size());
        TgaImage image = TrueColour(width, 1, 32, {c.pixels}, c.descriptor);
        if (c.runLength) {
            image.imageType = 10;
            image.pixels = EncodeTgaRle(image.pixels, 4, width);
        }
        DecodeResult result = Decode(image);
        ASSERT_TRUE(result.Ok()) << c.name << ": " << result.text;
        EXPECT_EQ(result.bitmap->GetAlphaFlag(), c.alpha) << c.name;
        for (int x = 0; x < width; ++x) {
            uint32_t stored = c.pixels[static_cast<size_t>(x)];
            BgraPixel expected = {uint8_t(stored), uint8_t(stored >> 8), uint8_t(stored >> 16),
                                  c.alpha ? uint8_t(stored >> 24) : uint8_t {255}};
            EXPECT_EQ(ColorAt(*result.bitmap, x, 0), expected) << c.name << ", pixel " << x;
        }
    }
}

TEST(TGADecoder, RunAndLiteralPackets)
{
    TgaImage image = TrueColour(4, 2, 24, {}, kTopDown);
    image.imageType = 10;
    image.pixels = {0x83, 0x00, 0x00, 0xFF,                       // a run of four red pixels
                    0x01, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00,     // two literals: blue, green
                    0x81, 0x10, 0x20, 0x30};                      // a run of two
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 3, 0), OpaqueBgra(255, 0, 0));
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 1), OpaqueBgra(0, 0, 255));
    EXPECT_EQ(ColorAt(*result.bitmap, 1, 1), OpaqueBgra(0, 255, 0));
    EXPECT_EQ(ColorAt(*result.bitmap, 3, 1), OpaqueBgra(0x30, 0x20, 0x10));

    // Packets that run on into the next row continue there, at 8 bits too.
    TgaImage grey = TrueColour(3, 3, 8, {}, kTopDown);
    grey.imageType = 11;
    grey.pixels = {0x84, 7, 0x03, 1, 2, 3, 4, 0x80, 9};
    DecodeResult greys = Decode(grey);
    ASSERT_TRUE(greys.Ok()) << greys.text;
    EXPECT_EQ(IndexAt(*greys.bitmap, 1, 1), 7);
    EXPECT_EQ(IndexAt(*greys.bitmap, 2, 1), 1);
    EXPECT_EQ(IndexAt(*greys.bitmap, 1, 2), 3);
    EXPECT_EQ(IndexAt(*greys.bitmap, 2, 2), 4) << "a packet beyond the picture is never read";
}

TEST(TGADecoder, EncodedPicturesDecodeToTheirPixels)
{
    std::vector<std::vector<uint32_t>> scene = SceneRows(37, 19);
    for (int depth : {16, 24, 32}) {
        for (bool crossRows : {false, true}) {
            std::vector<std::vector<uint32_t>> rows = scene;
            for (auto& row : rows)
                for (uint32_t& pixel : row)
                    pixel = depth == 16 ? (pixel >> 9 & 0x7C00) | (pixel >> 6 & 0x03E0) | (pixel >> 3 & 0x1F)
                                        : pixel | 0xFF000000;
            TgaImage plain = TrueColour(37, 19, static_cast<uint8_t>(depth), rows);
            TgaImage packed = plain;
            packed.imageType = 10;
            packed.pixels = EncodeTgaRle(plain.pixels, (depth + 7) / 8, 37, !crossRows);
            DecodeResult expected = Decode(plain);
            DecodeResult actual = Decode(packed);
            ASSERT_TRUE(expected.Ok() && actual.Ok()) << actual.text;
            for (int y = 0; y < 19; ++y)
                for (int x = 0; x < 37; ++x)
                    ASSERT_EQ(ColorAt(*actual.bitmap, x, y), ColorAt(*expected.bitmap, x, y))
                        << depth << " bits at (" << x << ", " << y << ")";
        }
    }
}

TEST(TGADecoder, ColourMapsFromTheirFirstEntry)
{
    TgaImage image = TrueColour(2, 1, 8, {{16, 20}});
    image.imageType = 1;
    image.colorMapType = 1;
    image.firstEntry = 16;
    image.mapLength = 16;
    image.entrySize = 24;
    std::vector<uint32_t> colours(16, 0x808080);
    colours[0] = 0xFF0000;
    colours[4] = 0x00FF00;
    colours[5] = 0x0000FF;
    image.colorMap = ColourMap(colours);
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    const BgraPixel* palette = result.bitmap->GetPalette();
    EXPECT_EQ(palette[16], OpaqueBgra(255, 0, 0));
    EXPECT_EQ(palette[20], OpaqueBgra(0, 255, 0));
    EXPECT_EQ(palette[15], OpaqueBgra(15, 15, 15)) << "entries before the map keep the grey ramp";
    EXPECT_EQ(palette[32], OpaqueBgra(32, 32, 32));
    DecodeResult wide = Decode(image, 32);
    EXPECT_EQ(ColorAt(*wide.bitmap, 1, 0), OpaqueBgra(0, 255, 0));

    // Entries beyond 255 are dropped, and the pixels behind the map stay in place.
    image.firstEntry = 250;
    image.pixels = {255, 251};
    DecodeResult beyond = Decode(image);
    ASSERT_TRUE(beyond.Ok()) << beyond.text;
    EXPECT_EQ(ColorAt(*beyond.bitmap, 0, 0), OpaqueBgra(0, 0, 255));
    EXPECT_EQ(ColorAt(*beyond.bitmap, 1, 0), OpaqueBgra(0x80, 0x80, 0x80));

    // 16-bit entries are opaque, as every palette entry.
    image.firstEntry = 0;
    image.entrySize = 16;
    image.mapLength = 1;
    image.colorMap = {0x00, 0x7C};
    image.pixels = {0, 0};
    EXPECT_EQ(ColorAt(*Decode(image).bitmap, 0, 0), OpaqueBgra(248, 0, 0));
}

TEST(TGADecoder, GreyImages)
{
    TgaImage grey = TrueColour(2, 1, 8, {{0, 200}});
    grey.imageType = 3;
    DecodeResult wide = Decode(grey, 32);
    ASSERT_TRUE(wide.Ok()) << wide.text;
    EXPECT_EQ(ColorAt(*wide.bitmap, 1, 0), OpaqueBgra(200, 200, 200));

    // A colour map in a grey image is stepped over, and the ramp stays.
    grey.colorMapType = 1;
    grey.mapLength = 2;
    grey.entrySize = 24;
    grey.colorMap = ColourMap({0xFF0000, 0x00FF00});
    DecodeResult mapped = Decode(grey);
    ASSERT_TRUE(mapped.Ok()) << mapped.text;
    EXPECT_EQ(ColorAt(*mapped.bitmap, 1, 0), OpaqueBgra(200, 200, 200));
    EXPECT_EQ(ColorAt(*mapped.bitmap, 0, 0), OpaqueBgra(0, 0, 0));

    // 16-bit grey pixels are a grey byte and an alpha byte.
    TgaImage greyAlpha = TrueColour(1, 1, 16, {{0x40C8}});
    greyAlpha.imageType = 3;
    greyAlpha.descriptor = 8;
    DecodeResult withAlpha = Decode(greyAlpha);
    ASSERT_TRUE(withAlpha.Ok()) << withAlpha.text;
    EXPECT_TRUE(withAlpha.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*withAlpha.bitmap, 0, 0), (BgraPixel {200, 200, 200, 0x40}));

    // A colour-mapped image without a map shows its indices as grey levels.
    TgaImage unmapped = TrueColour(1, 1, 8, {{77}});
    unmapped.imageType = 1;
    EXPECT_EQ(ColorAt(*Decode(unmapped).bitmap, 0, 0), OpaqueBgra(77, 77, 77));
}

TEST(TGADecoder, RefusesWhatItCannotDecode)
{
    TgaImage base = TrueColour(2, 2, 24, {{0, 0}, {0, 0}});
    struct Case {
        const char* what;
        void (*change)(TgaImage&);
        int code;
    };
    const Case cases[] = {
        {"no image", [](TgaImage& i) { i.imageType = 0; }, PE_FORMAT_ERROR},
        {"type 4", [](TgaImage& i) { i.imageType = 4; }, PE_FORMAT_ERROR},
        {"12-bit pixels", [](TgaImage& i) { i.pixelDepth = 12; }, PE_FORMAT_ERROR},
        {"8-bit map entries", [](TgaImage& i) { i.colorMapType = 1, i.entrySize = 8; }, PE_FORMAT_ERROR},
        {"16-bit indices", [](TgaImage& i) { i.imageType = 1, i.pixelDepth = 16; }, PE_UNSUPPORTED_VARIANT},
        {"no width", [](TgaImage& i) { i.width = 0; }, PE_FORMAT_ERROR},
        {"rows cut short", [](TgaImage& i) { i.pixels.pop_back(); }, PE_END_OF_FILE},
        {"huge and empty", [](TgaImage& i) { i.width = i.height = 60000, i.pixels.clear(); }, PE_END_OF_FILE},
        {"huge packets", [](TgaImage& i) { i.imageType = 10, i.width = i.height = 60000; }, PE_END_OF_FILE},
    };
    for (const Case& c : cases) {
        TgaImage image = base;
        c.change(image);
        EXPECT_EQ(Decode(image).code, c.code) << c.what;
    }
    TgaImage unknown = base;
    unknown.imageType = 0;
    EXPECT_EQ(Decode(unknown).text, "Decoder error: Unknown TGA image type.\n");
}

TEST(TGADecoder, DamagedFilesEndCleanly)
{
    CTGADecoder decoder;
    TgaImage mapped = TrueColour(9, 7, 8, Widen(SceneIndices(9, 7)));
    mapped.imageType = 9;
    mapped.colorMapType = 1;
    mapped.firstEntry = 3;
    mapped.mapLength = 4;
    mapped.entrySize = 16;
    mapped.colorMap = {1, 2, 3, 4, 5, 6, 7, 8};
    mapped.pixels = EncodeTgaRle(mapped.pixels, 1, 9);
    TgaImage colour = TrueColour(9, 7, 32, SceneRows(9, 7), kTopDown);
    colour.imageType = 10;
    colour.pixels = EncodeTgaRle(colour.pixels, 4, 9);
    for (const TgaImage& image : {mapped, colour}) {
        std::vector<uint8_t> bytes = WriteTga(image);
        ASSERT_TRUE(DecodeBytes(decoder, bytes).Ok());
        ExpectCutsEndCleanly(decoder, bytes, 1, "tga");
        ExpectChangedBytesEndCleanly(decoder, bytes, 300, "tga");
    }
}
