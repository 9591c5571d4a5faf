#include <gtest/gtest.h>

#include "picture/formats/PCXDecoder.h"
#include "tests/support/DamagedInput.h"
#include "tests/support/PcxWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TestPictures.h"

namespace {

DecodeResult Decode(const PcxImage& image, int wantedDepth = 0)
{
    CPCXDecoder decoder;
    return DecodeBytes(decoder, WritePcx(image), wantedDepth);
}

std::vector<std::array<uint8_t, 3>> Ega()
{
    std::vector<std::array<uint8_t, 3>> colours;
    for (int i = 0; i < 16; ++i)
        colours.push_back({static_cast<uint8_t>(i * 16), static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i)});
    return colours;
}

}  // namespace

TEST(PCXDecoder, OneBitPicturesAreBlackAndWhiteWhateverTheHeaderSays)
{
    PcxImage image = EncodedPcx({{1, 0, 1, 1, 0, 0, 0, 0, 0, 1}}, 1, 1);
    image.headerColors = {{255, 0, 0}, {0, 0, 255}};
    for (int wanted : {0, 8, 32}) {
        DecodeResult result = Decode(image, wanted);
        ASSERT_TRUE(result.Ok()) << result.text;
        EXPECT_EQ(result.bitmap->GetBitsPerPixel(), 32) << "every picture is 32 bits";
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(255, 255, 255));
        EXPECT_EQ(ColorAt(*result.bitmap, 1, 0), OpaqueBgra(0, 0, 0));
        EXPECT_EQ(ColorAt(*result.bitmap, 9, 0), OpaqueBgra(255, 255, 255));
    }
}

TEST(PCXDecoder, EgaPlanesGiveTheBitsOfHeaderPaletteIndices)
{
    // 16 pixels fill the two bytes of each plane's line: the last eight too.
    std::vector<uint32_t> row;
    for (uint32_t i = 0; i < 16; ++i)
        row.push_back(15 - i);
    PcxImage image = EncodedPcx({row, row}, 1, 4);
    image.headerColors = Ega();
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(ColorAt(*result.bitmap, x, 1), OpaqueBgra(uint8_t((15 - x) * 16), uint8_t(15 - x), uint8_t(240 + x)))
            << x;

    // Three planes give eight colours.
    PcxImage three = EncodedPcx({{1, 2, 4, 7}}, 1, 3);
    three.headerColors = Ega();
    DecodeResult eight = Decode(three);
    ASSERT_TRUE(eight.Ok()) << eight.text;
    EXPECT_EQ(ColorAt(*eight.bitmap, 1, 0), OpaqueBgra(32, 2, 253));
    EXPECT_EQ(ColorAt(*eight.bitmap, 3, 0), OpaqueBgra(112, 7, 248));
}

TEST(PCXDecoder, PackedPixelsOfTwoAndFourBits)
{
    for (uint8_t bits : {2, 4}) {
        PcxImage image = EncodedPcx({{3, 1, 2, 0, 3}}, bits, 1);
        image.headerColors = Ega();
        DecodeResult result = Decode(image);
        ASSERT_TRUE(result.Ok()) << result.text;
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(48, 3, 252)) << int(bits);
        EXPECT_EQ(ColorAt(*result.bitmap, 2, 0), OpaqueBgra(32, 2, 253)) << int(bits);
        EXPECT_EQ(ColorAt(*result.bitmap, 4, 0), OpaqueBgra(48, 3, 252)) << int(bits);
    }
}

// A CGA four-colour picture whose header sets the colour burst bit (bit 7 of
// byte 19) takes the background from the high nibble of byte 16 and the
// other three colours from the CGA palette that bits 6 (palette) and 5
// (intensity) choose.
TEST(PCXDecoder, CgaFourColourPicturesTakeTheCgaPaletteTheHeaderChooses)
{
    struct Case {
        uint8_t version;
        uint8_t flags;
        std::array<uint32_t, 3> colours;  // 0xRRGGBB of indices 1 to 3
    };
    const Case cases[] = {
        {5, 0x80, {0x00AA00, 0xAA0000, 0xAA5500}},  // green, red, brown
        {5, 0xA0, {0x55FF55, 0xFF5555, 0xFFFF55}},  // light green, light red, yellow
        {5, 0xC0, {0x00AAAA, 0xAA00AA, 0xAAAAAA}},  // cyan, magenta, light grey
        {2, 0xE0, {0x55FFFF, 0xFF55FF, 0xFFFFFF}},  // light cyan, light magenta, white
    };
    auto bgra = [](uint32_t rgb) { return OpaqueBgra(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)); };
    for (const Case& c : cases) {
        PcxImage image = EncodedPcx({{0, 1, 2, 3}}, 2, 1);
        image.version = c.version;
        image.headerColors = {{0x13, 0x13, 0x13}, {c.flags, 0xFF, 0x67}};
        DecodeResult result = Decode(image);
        ASSERT_TRUE(result.Ok()) << result.text;
        std::string what = "version " + std::to_string(c.version) + ", flags " + std::to_string(c.flags);
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(0, 0, 0xAA)) << what << ": background 1, blue";
        for (int x = 1; x < 4; ++x)
            EXPECT_EQ(ColorAt(*result.bitmap, x, 0), bgra(c.colours[x - 1])) << what << ", index " << x;
    }
    // Without palette information (version 3) the header's colours stand.
    PcxImage plain = EncodedPcx({{0, 1}}, 2, 1);
    plain.version = 3;
    plain.headerColors = {{0x13, 0x13, 0x13}, {0xA0, 0xFF, 0x67}};
    DecodeResult result = Decode(plain);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 1, 0), OpaqueBgra(0xA0, 0xFF, 0x67));
}

TEST(PCXDecoder, TwoHundredFiftySixColoursFromTheEnd)
{
    PcxImage image = EncodedPcx(Widen(SceneIndices(13, 5)), 8, 1);
    image.palette = CubePalette();
    DecodeResult result = Decode(image);
    ASSERT_TRUE(result.Ok()) << result.text;
    uint8_t index = SceneIndices(13, 5)[4][12];
    const auto& colour = image.palette[index];
    EXPECT_EQ(ColorAt(*result.bitmap, 12, 4), OpaqueBgra(colour[0], colour[1], colour[2]));

    // Padding between the data and the palette: the palette is found in the last 769 bytes.
    image.paddingBeforePalette = 100;
    DecodeResult padded = Decode(image);
    ASSERT_TRUE(padded.Ok()) << padded.text;
    EXPECT_EQ(ColorAt(*padded.bitmap, 12, 4), OpaqueBgra(colour[0], colour[1], colour[2]));

    image.paddingBeforePalette = 0;
    image.paletteMarker = 13;
    DecodeResult bad = Decode(image);
    EXPECT_EQ(bad.code, PE_UNSUPPORTED_VARIANT);
    EXPECT_EQ(bad.text, "Decoder error: bad color map signature.\n");
    image.palette.clear();
    EXPECT_EQ(Decode(image).code, PE_END_OF_FILE);
}

TEST(PCXDecoder, TwentyFourBitsFromThreePlanes)
{
    std::vector<std::vector<uint32_t>> rows = SceneRows(9, 4);
    DecodeResult result = Decode(EncodedPcx(rows, 8, 3));
    ASSERT_TRUE(result.Ok()) << result.text;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
            uint32_t pixel = rows[size_t(y)][size_t(x)];
            ASSERT_EQ(ColorAt(*result.bitmap, x, y), OpaqueBgra(uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel)))
                << x << ", " << y;
        }
}

TEST(PCXDecoder, RunsCrossRowsAndMustEndWithTheImage)
{
    PcxImage image;
    image.width = 4;
    image.height = 2;
    image.bytesPerLine = 4;
    image.headerColors = Ega();
    image.palette = Ega();
    image.data = {0xC6, 3, 0xC2, 5};  // six 3s over both rows, then two 5s ending exactly at the end
    DecodeResult exact = Decode(image);
    ASSERT_TRUE(exact.Ok()) << exact.text;
    EXPECT_EQ(ColorAt(*exact.bitmap, 1, 1), OpaqueBgra(48, 3, 252));
    EXPECT_EQ(ColorAt(*exact.bitmap, 3, 1), OpaqueBgra(80, 5, 250));

    image.data = {0xC6, 3, 0xC3, 5};
    DecodeResult beyond = Decode(image);
    EXPECT_EQ(beyond.code, PE_UNSUPPORTED_VARIANT);
    EXPECT_EQ(beyond.text, "Decoder error: repeat count spans end of image.\n");

    // A count of 0 writes nothing; a byte with both top bits set takes a run of one.
    image.palette.resize(200);
    image.palette[199] = {9, 9, 9};
    image.data = {0xC0, 9, 0xC1, 0xC7, 1, 2, 3, 4, 5, 6, 7};
    DecodeResult zero = Decode(image);
    ASSERT_TRUE(zero.Ok()) << zero.text;
    EXPECT_EQ(ColorAt(*zero.bitmap, 0, 0), OpaqueBgra(9, 9, 9));
    EXPECT_EQ(ColorAt(*zero.bitmap, 1, 0), OpaqueBgra(16, 1, 254));
}

TEST(PCXDecoder, RefusesWhatItCannotDecode)
{
    PcxImage base = EncodedPcx({{1, 2}, {3, 4}}, 8, 1);
    base.palette = Ega();
    struct Case {
        const char* what;
        void (*change)(PcxImage&);
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"manufacturer", [](PcxImage& i) { i.manufacturer = 11; }, PE_WRONG_SIGNATURE,
         "Decoder error: Error decoding pcx: Not a PCX file.\n"},
        {"encoding", [](PcxImage& i) { i.encoding = 0; }, PE_WRONG_SIGNATURE,
         "Decoder error: File has unknown encoding scheme.\n"},
        {"five planes", [](PcxImage& i) { i.bitsPerPixel = 1, i.planes = 5; }, PE_FORMAT_ERROR,
         "Decoder error: Can't handle image with more than 4 planes.\n"},
        {"two 8-bit planes", [](PcxImage& i) { i.planes = 2; }, PE_FORMAT_ERROR,
         "Decoder error: Can't handle bits per pixel image with planes.\n"},
        {"3 bits", [](PcxImage& i) { i.bitsPerPixel = 3; }, PE_FORMAT_ERROR,
         "Decoder error: Can't handle bits per pixel image with planes.\n"},
        {"three 4-bit planes", [](PcxImage& i) { i.bitsPerPixel = 4, i.planes = 3; }, PE_UNSUPPORTED_VARIANT,
         "Decoder error: Can't handle more than 1 bit per pixel.\n"},
        {"no planes", [](PcxImage& i) { i.planes = 0; }, PE_FORMAT_ERROR, nullptr},
        {"no bytes per line", [](PcxImage& i) { i.bytesPerLine = 0; }, PE_FORMAT_ERROR, nullptr},
        {"xmax before xmin", [](PcxImage& i) { i.xMin = 10, i.width = 0xFFFF; }, PE_FORMAT_ERROR, nullptr},
        {"data cut short", [](PcxImage& i) { i.data.resize(1), i.palette.clear(); }, PE_END_OF_FILE, nullptr},
        {"huge, little data", [](PcxImage& i) { i.width = i.height = i.bytesPerLine = 60000; }, PE_END_OF_FILE,
         nullptr},
    };
    for (const Case& c : cases) {
        PcxImage image = base;
        c.change(image);
        DecodeResult result = Decode(image);
        EXPECT_EQ(result.code, c.code) << c.what << ": " << result.text;
        if (c.text != nullptr) {
            EXPECT_EQ(result.text, c.text) << c.what;
        }
    }
}

TEST(PCXDecoder, DamagedFilesEndCleanly)
{
    CPCXDecoder decoder;
    PcxImage vga = EncodedPcx(Widen(SceneIndices(11, 6)), 8, 1);
    vga.palette = CubePalette();
    PcxImage ega = EncodedPcx(Widen(BandIndices(21, 6, 16)), 1, 4);
    PcxImage rgb = EncodedPcx(SceneRows(7, 5), 8, 3);
    for (const PcxImage& image : {vga, ega, rgb}) {
        std::vector<uint8_t> bytes = WritePcx(image);
        ASSERT_TRUE(DecodeBytes(decoder, bytes).Ok());
        ExpectCutsEndCleanly(decoder, bytes, 3, "pcx");
        ExpectChangedBytesEndCleanly(decoder, bytes, 300, "pcx");
    }
}
