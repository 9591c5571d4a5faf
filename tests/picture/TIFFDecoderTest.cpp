// TIFF pictures written by libtiff itself: the palette path for one sample of
// up to 8 bits in strips, libtiff's RGBA reader for everything else, and the
// decoder's own conversion for the samples that reader refuses.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <thread>

#include "picture/bitmap/PlainBitmap.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"
#include "picture/formats/TIFFDecoder.h"
#include "picture/formats/TiffMemoryClient.h"
#include "picture/formats/TiffMessages.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TiffReference.h"
#include "tests/support/TiffWriter.h"

namespace {

DecodeResult Decode(const std::vector<uint8_t>& bytes, int wantedDepth = 0)
{
    CTIFFDecoder decoder;
    return DecodeBytes(decoder, bytes, wantedDepth);
}

// Sample values 0 .. count - 1, shifted from row to row.
uint32_t RampSample(int x, int y, uint32_t count)
{
    return static_cast<uint32_t>(x + 3 * y) % count;
}

std::vector<std::vector<uint32_t>> Samples(uint32_t width, uint32_t height, uint32_t (*sample)(int, int))
{
    std::vector<std::vector<uint32_t>> rows(height, std::vector<uint32_t>(width));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            rows[y][x] = sample(static_cast<int>(x), static_cast<int>(y));
    return rows;
}

TiffImage Grey(uint32_t width, uint32_t height, uint16_t bits, uint16_t photometric = PHOTOMETRIC_MINISBLACK)
{
    TiffImage image;
    image.width = width;
    image.height = height;
    image.bitsPerSample = bits;
    image.photometric = photometric;
    image.rowsPerStrip = 2;
    std::vector<std::vector<uint32_t>> rows(height, std::vector<uint32_t>(width));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            rows[y][x] = RampSample(static_cast<int>(x), static_cast<int>(y), 1u << bits);
    image.pixels = PackSamples(rows, bits);
    return image;
}

uint32_t BilevelSample(int x, int y)
{
    return (x * 7 + y * 3) % 5 == 0 ? 1 : 0;
}

TiffImage Rgb(uint32_t width, uint32_t height, uint16_t compression = COMPRESSION_NONE)
{
    return SceneTiff(width, height, compression);
}

BgraPixel GreyColor(uint8_t level)
{
    return OpaqueBgra(level, level, level);
}

// Every pixel as libtiff's own RGBA reader finds it.
void ExpectSameAsLibtiff(const std::vector<uint8_t>& bytes, const CPictureBitmap& bitmap, const std::string& what)
{
    ExpectSameAsTiffReference(bitmap, ReadTiffRgba(bytes), 0, what);
}

// The value field of a tag in a little-endian TIFF, or of its `index`th value
// when the values lie in an array elsewhere in the file.
void PatchTag(std::vector<uint8_t>& bytes, uint16_t tag, uint32_t index, uint32_t value)
{
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(bytes[at] | bytes[at + 1] << 8); };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    size_t ifd = u32(4);
    for (uint32_t entry = 0; entry < u16(ifd); ++entry) {
        size_t at = ifd + 2 + 12 * entry;
        if (u16(at) != tag)
            continue;
        size_t size = u16(at + 2) == TIFF_SHORT ? 2 : 4;
        size_t field = u32(at + 4) * size <= 4 ? at + 8 : u32(at + 8);
        for (size_t i = 0; i < size; ++i)
            bytes[field + index * size + i] = static_cast<uint8_t>(value >> (8 * i));
        return;
    }
    FAIL() << "no tag " << tag;
}

}  // namespace

TEST(TIFFDecoder, BilevelPicturesStayOneBitInEveryCompression)
{
    for (uint16_t compression : {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_PACKBITS, COMPRESSION_ADOBE_DEFLATE,
                                 COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4}) {
        for (uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
            TiffImage image;
            image.width = 37;  // the last byte of each row is partly used
            image.height = 11;
            image.bitsPerSample = 1;
            image.photometric = photometric;
            image.compression = compression;
            image.rowsPerStrip = 4;
            image.pixels = PackSamples(Samples(37, 11, BilevelSample), 1);
            std::string what = "compression " + std::to_string(compression) + ", photometric " +
                               std::to_string(photometric);
            // A wish for 8 bits still gives 1 bit.
            DecodeResult result = Decode(WriteTiff(image), 8);
            ASSERT_TRUE(result.Ok()) << what << ": " << result.text;
            const CPictureBitmap& bitmap = *result.bitmap;
            ASSERT_EQ(bitmap.GetBitsPerPixel(), 1) << what;
            bool whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
            EXPECT_EQ(bitmap.GetPalette()[0], GreyColor(whiteIsZero ? 255 : 0)) << what;
            EXPECT_EQ(bitmap.GetPalette()[1], GreyColor(whiteIsZero ? 0 : 255)) << what;
            for (int y = 0; y < 11; ++y)
                for (int x = 0; x < 37; ++x)
                    ASSERT_EQ(IndexAt(bitmap, x, y), static_cast<int>(BilevelSample(x, y)))
                        << what << " at (" << x << ", " << y << ")";
        }
    }
}

TEST(TIFFDecoder, GreysOfTwoToEightBitsBecomeOneIndexPerPixel)
{
    for (uint16_t bits = 2; bits <= 8; ++bits) {
        for (uint16_t photometric : {PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_MINISWHITE}) {
            std::string what = std::to_string(bits) + " bits, photometric " + std::to_string(photometric);
            DecodeResult result = Decode(WriteTiff(Grey(13, 5, bits, photometric)));
            ASSERT_TRUE(result.Ok()) << what << ": " << result.text;
            ASSERT_EQ(result.bitmap->GetBitsPerPixel(), 8) << what;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 13; ++x)
                    ASSERT_EQ(IndexAt(*result.bitmap, x, y), static_cast<int>(RampSample(x, y, 1u << bits)))
                        << what << " at (" << x << ", " << y << ")";
        }
    }
    auto paletteOf = [](const TiffImage& image) {
        DecodeResult result = Decode(WriteTiff(image));
        return std::vector<BgraPixel>(result.bitmap->GetPalette(), result.bitmap->GetPalette() + 256);
    };
    std::vector<BgraPixel> twoBit = paletteOf(Grey(3, 1, 2));
    EXPECT_EQ(twoBit[1], GreyColor(85));
    EXPECT_EQ(twoBit[3], GreyColor(255));
    // The step is 255 / 7 = 36, so the brightest of eight greys is 252.
    EXPECT_EQ(paletteOf(Grey(3, 1, 3))[7], GreyColor(252));
    // Entries beyond the picture's levels keep the grey ramp.
    std::vector<BgraPixel> fourBit = paletteOf(Grey(3, 1, 4));
    EXPECT_EQ(fourBit[15], GreyColor(255));
    EXPECT_EQ(fourBit[16], GreyColor(16));
    std::vector<BgraPixel> whiteIsZero = paletteOf(Grey(3, 1, 8, PHOTOMETRIC_MINISWHITE));
    EXPECT_EQ(whiteIsZero[0], GreyColor(255));
    EXPECT_EQ(whiteIsZero[10], GreyColor(245));
}

TEST(TIFFDecoder, FlippedRowsAreShownTheSameWayAtEveryDepth)
{
    auto expected = [](uint16_t orientation, int x, int y) {
        bool flipped = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT;
        bool mirrored = orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT;
        // Pictures turned by a quarter keep their rows as stored.
        return RampSample(mirrored ? 12 - x : x, flipped ? 4 - y : y, 16);
    };
    for (uint16_t bits : {1, 4}) {
        for (uint16_t orientation = ORIENTATION_TOPLEFT; orientation <= ORIENTATION_LEFTBOT; ++orientation) {
            TiffImage image = Grey(13, 5, bits);
            image.orientation = orientation;
            std::vector<uint8_t> bytes = WriteTiff(image);
            DecodeResult indexed = Decode(bytes);
            DecodeResult rgba = Decode(bytes, 32);
            ASSERT_TRUE(indexed.Ok() && rgba.Ok()) << indexed.text << rgba.text;
            std::string what = std::to_string(bits) + " bits, orientation " + std::to_string(orientation);
            ExpectColors(
                *indexed.bitmap, [&](int x, int y) -> std::optional<BgraPixel> { return ColorAt(*rgba.bitmap, x, y); },
                0, what);
            for (int y = 0; y < 5 && bits == 4; ++y)
                for (int x = 0; x < 13; ++x)
                    ASSERT_EQ(IndexAt(*indexed.bitmap, x, y), static_cast<int>(expected(orientation, x, y)))
                        << what << " at (" << x << ", " << y << ")";
        }
    }
}

TEST(TIFFDecoder, ColourMapsOfEightAndSixteenBitValues)
{
    // 16-bit values: 65535 is 255 and 257 is 1. The odd width takes its last
    // pixel from a high nibble.
    TiffImage sixteen = Grey(7, 2, 4, PHOTOMETRIC_PALETTE);
    for (uint16_t i = 0; i < 16; ++i)
        sixteen.colorMap.push_back(static_cast<uint16_t>(i * 4369));
    sixteen.colorMap.insert(sixteen.colorMap.end(), 16, 257);
    sixteen.colorMap.insert(sixteen.colorMap.end(), 16, 65535);
    DecodeResult result = Decode(WriteTiff(sixteen));
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(IndexAt(*result.bitmap, 6, 0), 6);
    EXPECT_EQ(ColorAt(*result.bitmap, 6, 1), OpaqueBgra(9 * 17, 1, 255));
    EXPECT_EQ(result.bitmap->GetPalette()[15], OpaqueBgra(255, 1, 255));

    // A map without any value above 255 holds 8-bit components.
    TiffImage eight = Grey(5, 1, 8, PHOTOMETRIC_PALETTE);
    for (int part = 0; part < 3; ++part)
        for (int i = 0; i < 256; ++i)
            eight.colorMap.push_back(static_cast<uint16_t>(part == 0 ? i : part == 1 ? 255 - i : 7));
    result = Decode(WriteTiff(eight));
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 4, 0), OpaqueBgra(4, 251, 7));
    EXPECT_EQ(result.bitmap->GetPalette()[200], OpaqueBgra(200, 55, 7));
}

TEST(TIFFDecoder, AbsentSampleTagsMeanOneSampleOfOneBit)
{
    TiffImage image;
    image.width = 9;
    image.height = 4;
    image.omitSampleTags = true;
    image.bitsPerSample = 1;
    image.photometric = PHOTOMETRIC_MINISWHITE;
    image.pixels = PackSamples(Samples(9, 4, BilevelSample), 1);
    DecodeResult result = Decode(WriteTiff(image));
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(result.bitmap->GetBitsPerPixel(), 1);
    EXPECT_EQ(IndexAt(*result.bitmap, 8, 1), static_cast<int>(BilevelSample(8, 1)));
    EXPECT_EQ(IndexAt(*result.bitmap, 7, 3), static_cast<int>(BilevelSample(7, 3)));
}

TEST(TIFFDecoder, OtherPhotometricsOfOneSampleShowAsGreys)
{
    std::vector<uint8_t> bytes = WriteTiff(Grey(6, 2, 8, PHOTOMETRIC_SEPARATED));
    DecodeResult result = Decode(bytes);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 5, 1), GreyColor(8));
    // libtiff's RGBA reader refuses one ink: the palette's greys stand at 32 bits too.
    DecodeResult wide = Decode(bytes, 32);
    ASSERT_TRUE(wide.Ok()) << wide.text;
    EXPECT_EQ(wide.bitmap->GetBitsPerPixel(), 32);
    EXPECT_EQ(ColorAt(*wide.bitmap, 5, 1), GreyColor(8));
}

TEST(TIFFDecoder, TheRgbaPathGivesWhatLibtiffReads)
{
    struct Case {
        const char* name;
        TiffImage image;
        int wantedDepth = 0;
    };
    std::vector<Case> cases;
    for (uint16_t compression : {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_PACKBITS, COMPRESSION_ADOBE_DEFLATE,
                                 COMPRESSION_JPEG})
        cases.push_back({"RGB", Rgb(19, 13, compression)});
    TiffImage tiles = Rgb(37, 21, COMPRESSION_LZW);
    tiles.tileWidth = tiles.tileLength = 16;
    cases.push_back({"RGB tiles", tiles});
    TiffImage planes = Rgb(19, 13);
    planes.planar = PLANARCONFIG_SEPARATE;
    std::vector<uint8_t> contiguous = planes.pixels;
    for (size_t plane = 0; plane < 3; ++plane)
        for (size_t i = 0; i < contiguous.size() / 3; ++i)
            planes.pixels[plane * contiguous.size() / 3 + i] = contiguous[3 * i + plane];
    cases.push_back({"RGB planes", planes});
    TiffImage alpha = Rgb(19, 13, COMPRESSION_LZW);
    alpha.samplesPerPixel = 4;
    alpha.extraSample = EXTRASAMPLE_UNASSALPHA;
    alpha.pixels = PackSamples(RgbSamples(SceneRows(19, 13), 200), 8);
    cases.push_back({"RGBA", alpha});
    TiffImage cmyk = alpha;
    cmyk.photometric = PHOTOMETRIC_SEPARATED;
    cmyk.extraSample.reset();
    cases.push_back({"CMYK", cmyk});
    TiffImage ycbcr = Rgb(19, 13, COMPRESSION_JPEG);
    ycbcr.photometric = PHOTOMETRIC_YCBCR;
    cases.push_back({"YCbCr", ycbcr});
    TiffImage grey16 = Grey(19, 13, 8);
    grey16.bitsPerSample = 16;
    grey16.pixels = PackSamples(Samples(19, 13, [](int x, int y) { return uint32_t(x * 3000 + y * 11); }), 16);
    cases.push_back({"16-bit grey", grey16});
    TiffImage rgb16 = Rgb(19, 13, COMPRESSION_ADOBE_DEFLATE);
    rgb16.bitsPerSample = 16;
    rgb16.bigEndian = true;
    rgb16.pixels = PackSamples(Samples(57, 13, [](int x, int y) { return uint32_t(x * 1100 + y * 7); }), 16);
    cases.push_back({"16-bit RGB, Motorola order", rgb16});
    TiffImage greyTiles = Grey(37, 21, 8);
    greyTiles.tileWidth = greyTiles.tileLength = 16;
    cases.push_back({"grey tiles", greyTiles});
    TiffImage palette = Grey(19, 13, 4, PHOTOMETRIC_PALETTE);
    for (int i = 0; i < 48; ++i)
        palette.colorMap.push_back(static_cast<uint16_t>(i * 1300));
    cases.push_back({"palette wanted at 32 bits", palette, 32});

    CTIFFDecoder decoder;
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = WriteTiff(c.image);
        DecodeResult result = Decode(bytes, c.wantedDepth);
        ASSERT_TRUE(result.Ok()) << c.name << ": " << result.text;
        EXPECT_EQ(result.bitmap->GetBitsPerPixel(), 32) << c.name;
        EXPECT_EQ(result.bitmap->GetAlphaFlag(), c.image.extraSample.has_value()) << c.name;
        ExpectSameAsLibtiff(bytes, *result.bitmap, c.name);
        // libtiff fills a DIB's bottom-up rows in place; top-down rows take a raster of their own.
        CPlainBitmap topDown;
        decoder.DecodeMemory(bytes.data(), bytes.size(), topDown, c.wantedDepth);
        ExpectSameAsLibtiff(bytes, topDown, std::string(c.name) + ", top-down rows");
    }
    // The reference itself: an uncompressed RGB picture is the scene, top row first.
    DecodeResult plain = Decode(WriteTiff(Rgb(19, 13)));
    ExpectColors(
        *plain.bitmap,
        [](int x, int y) -> std::optional<BgraPixel> {
            uint32_t rgb = ScenePixel(x, y, 19, 13);
            return OpaqueBgra(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
        },
        0, "RGB against the scene");
}

// Straight alpha however the file stores it: unassociated samples as they
// stand, so a transparent pixel keeps its colour; associated ones divided by
// their alpha, the same colours within rounding.
TEST(TIFFDecoder, AlphaIsStraightWhetherStoredAssociatedOrNot)
{
    const BgraPixel straight[] = {{0, 0, 255, 128}, {30, 200, 10, 0}, {200, 50, 100, 60}, {9, 8, 7, 255}};
    auto premultiply = [](uint8_t colour, uint8_t alpha) { return static_cast<uint8_t>((colour * alpha + 127) / 255); };
    for (uint16_t kind : {EXTRASAMPLE_UNASSALPHA, EXTRASAMPLE_ASSOCALPHA}) {
        bool associated = kind == EXTRASAMPLE_ASSOCALPHA;
        std::string name = associated ? "associated" : "unassociated";
        TiffImage image = Rgb(2, 2);
        image.samplesPerPixel = 4;
        image.extraSample = kind;
        image.pixels.clear();
        for (BgraPixel p : straight) {
            auto stored = [&](uint8_t colour) { return associated ? premultiply(colour, p.alpha) : colour; };
            image.pixels.insert(image.pixels.end(), {stored(p.red), stored(p.green), stored(p.blue), p.alpha});
        }
        DecodeResult result = Decode(WriteTiff(image));
        ASSERT_TRUE(result.Ok()) << name << ": " << result.text;
        EXPECT_TRUE(result.bitmap->GetAlphaFlag()) << name;
        ExpectColors(
            *result.bitmap,
            [&](int x, int y) -> std::optional<BgraPixel> {
                BgraPixel pixel = straight[2 * y + x];
                // Premultiplied, a transparent pixel has no colour left.
                return associated && pixel.alpha == 0 ? BgraPixel {} : pixel;
            },
            associated ? 2 : 0, name);
    }
}

TEST(TIFFDecoder, RowsThatCannotBeReadEndTheDecodeOnlyInTheFirstThird)
{
    // Strips of one row each; one of them points far beyond the data.
    auto withLostRow = [](uint32_t height, uint32_t row) {
        TiffImage image = Grey(5, height, 8);
        image.rowsPerStrip = 1;
        std::vector<uint8_t> bytes = WriteTiff(image);
        PatchTag(bytes, TIFFTAG_STRIPOFFSETS, row, 0x7FFFFF00);
        return Decode(bytes);
    };
    DecodeResult early = withLostRow(9, 2);
    EXPECT_EQ(early.code, PE_UNSUPPORTED_VARIANT);
    EXPECT_GT(early.text.size(), std::string("Decoder error: \n").size()) << early.text;

    // From row 9 / 3 on, the lost row repeats the row before it.
    DecodeResult late = withLostRow(9, 3);
    ASSERT_TRUE(late.Ok()) << late.text;
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(IndexAt(*late.bitmap, x, 3), IndexAt(*late.bitmap, x, 2));
        EXPECT_EQ(IndexAt(*late.bitmap, x, 4), static_cast<int>(RampSample(x, 4, 256)));
    }
    // Two rows have no first third: a lost first row stays empty.
    DecodeResult shortPicture = withLostRow(2, 0);
    ASSERT_TRUE(shortPicture.Ok()) << shortPicture.text;
    EXPECT_EQ(IndexAt(*shortPicture.bitmap, 4, 0), 0);
    EXPECT_EQ(IndexAt(*shortPicture.bitmap, 4, 1), static_cast<int>(RampSample(4, 1, 256)));
}

// Samples libtiff's RGBA reader refuses are scaled to 8 bits by the decoder:
// integers over their range (signed ones from their smallest value up),
// floating-point samples over 0 to 1 or over SMinSampleValue to
// SMaxSampleValue, clamped; grey, RGB and CMYK, interleaved or in planes.
TEST(TIFFDecoder, SamplesTheRgbaReaderRefusesAreScaledToEightBits)
{
    struct Case {
        const char* what;
        TiffImage image;
        std::vector<BgraPixel> expected;  // the first row
    };
    auto grey = [](uint16_t bits, uint16_t format, std::vector<uint8_t> pixels, uint32_t width) {
        TiffImage image = Grey(width, 1, 8);
        image.bitsPerSample = bits;
        image.sampleFormat = format;
        image.pixels = std::move(pixels);
        return image;
    };
    auto colour = [&grey](uint16_t bits, uint16_t photometric, uint16_t samples, uint16_t planar,
                     std::vector<uint8_t> pixels) {
        TiffImage image = grey(bits, SAMPLEFORMAT_IEEEFP, std::move(pixels), 2);
        image.photometric = photometric;
        image.samplesPerPixel = samples;
        image.planar = planar;
        return image;
    };
    const double nan = std::nan("");
    TiffImage ranged = grey(32, SAMPLEFORMAT_IEEEFP, FloatSamples({-1, 3, 1}, 32), 3);
    ranged.sampleRange = {{-1.0, 3.0}};
    TiffImage minIsWhite = grey(12, SAMPLEFORMAT_UINT, PackSamples({{0, 4095}}, 12), 2);
    minIsWhite.photometric = PHOTOMETRIC_MINISWHITE;
    TiffImage cmyk = grey(16, SAMPLEFORMAT_UINT, PackSamples({{0, 65535, 0, 0, 0, 0, 0, 65535}}, 16), 2);
    cmyk.photometric = PHOTOMETRIC_SEPARATED;
    cmyk.samplesPerPixel = 4;
    std::vector<Case> cases = {
        {"12-bit", grey(12, SAMPLEFORMAT_UINT, PackSamples({{0, 4095, 2048, 1}}, 12), 4),
         {GreyColor(0), GreyColor(255), GreyColor(128), GreyColor(0)}},
        {"12-bit, white at 0", minIsWhite, {GreyColor(255), GreyColor(0)}},
        {"signed 12-bit", grey(12, SAMPLEFORMAT_INT, PackSamples({{0x800, 0x7FF, 0, 0xFFF}}, 12), 4),
         {GreyColor(0), GreyColor(255), GreyColor(128), GreyColor(127)}},
        {"signed 32-bit",
         grey(32, SAMPLEFORMAT_INT, PackSamples({{0x80000000u, 0x7FFFFFFFu, 0, 0xFFFFFFFFu}}, 32), 4),
         {GreyColor(0), GreyColor(255), GreyColor(128), GreyColor(127)}},
        {"32-bit float", grey(32, SAMPLEFORMAT_IEEEFP, FloatSamples({0, 1, 0.5, -3, 7, nan}, 32), 6),
         {GreyColor(0), GreyColor(255), GreyColor(128), GreyColor(0), GreyColor(255), GreyColor(0)}},
        {"32-bit float over its range", ranged, {GreyColor(0), GreyColor(255), GreyColor(128)}},
        {"64-bit float RGB",
         colour(64, PHOTOMETRIC_RGB, 3, PLANARCONFIG_CONTIG, FloatSamples({1, 0.5, 0, 0, 0, 1}, 64)),
         {OpaqueBgra(255, 128, 0), OpaqueBgra(0, 0, 255)}},
        {"32-bit float RGB in planes",
         colour(32, PHOTOMETRIC_RGB, 3, PLANARCONFIG_SEPARATE, FloatSamples({1, 0, 0.5, 0, 0, 1}, 32)),
         {OpaqueBgra(255, 128, 0), OpaqueBgra(0, 0, 255)}},
        {"16-bit CMYK", cmyk, {OpaqueBgra(255, 0, 255), OpaqueBgra(0, 0, 0)}},
    };
    for (const Case& c : cases) {
        for (int wanted : {0, 32}) {
            DecodeResult result = Decode(WriteTiff(c.image), wanted);
            ASSERT_TRUE(result.Ok()) << c.what << ": " << result.text;
            ASSERT_EQ(result.bitmap->GetBitsPerPixel(), 32) << c.what;
            EXPECT_FALSE(result.bitmap->GetAlphaFlag()) << c.what;
            for (size_t x = 0; x < c.expected.size(); ++x)
                EXPECT_EQ(ColorAt(*result.bitmap, static_cast<int>(x), 0), c.expected[x]) << c.what << " at " << x;
        }
    }
}

// Greys of 3, 5, 6 and 7 bits, which libtiff's RGBA reader refuses, go
// through the palette at 32 bits too.
TEST(TIFFDecoder, OddGreysWantedAtThirtyTwoBitsTakeThePalettesColours)
{
    for (uint16_t bits : {3, 5, 6, 7}) {
        std::vector<uint8_t> bytes = WriteTiff(Grey(13, 5, bits));
        DecodeResult indexed = Decode(bytes);
        DecodeResult wide = Decode(bytes, 32);
        ASSERT_TRUE(wide.Ok()) << bits << ": " << wide.text;
        ASSERT_EQ(wide.bitmap->GetBitsPerPixel(), 32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(ColorAt(*wide.bitmap, x, y), ColorAt(*indexed.bitmap, x, y))
                    << bits << " bits at " << x << ", " << y;
    }
}

// BigTIFF files are recognised and read through libtiff.
TEST(TIFFDecoder, BigTiffFilesDecode)
{
    CAutoDecoder decoder;
    for (bool bigEndian : {false, true}) {
        TiffImage image = Rgb(9, 4);
        image.bigTiff = true;
        image.bigEndian = bigEndian;
        std::vector<uint8_t> bytes = WriteTiff(image);
        ASSERT_EQ(bytes[bigEndian ? 3 : 2], 43);
        DecodeResult result = DecodeBytes(decoder, bytes);
        ASSERT_TRUE(result.Ok()) << result.text;
        ExpectSameAsLibtiff(bytes, *result.bitmap, bigEndian ? "big-endian BigTIFF" : "BigTIFF");
    }
}

TEST(TIFFDecoder, RefusesWhatLibtiffRefusesAndPicturesTooLarge)
{
    DecodeResult notTiff = Decode({'I', 'I', 42, 0, 0xF0, 0xFF, 0, 0, 1, 2, 3});
    EXPECT_EQ(notTiff.code, PE_WRONG_SIGNATURE);
    EXPECT_EQ(notTiff.text.rfind("Decoder error: ", 0), 0u);
    EXPECT_GT(notTiff.text.size(), std::string("Decoder error: \n").size()) << notTiff.text;

    // Half floats: neither libtiff's RGBA reader nor the decoder converts them.
    TiffImage halfFloat = Grey(4, 2, 8);
    halfFloat.bitsPerSample = 16;
    halfFloat.sampleFormat = SAMPLEFORMAT_IEEEFP;
    halfFloat.pixels.assign(16, 0);
    DecodeResult refused = Decode(WriteTiff(halfFloat));
    EXPECT_EQ(refused.code, PE_WRONG_SIGNATURE);
    EXPECT_NE(refused.text.find("floating"), std::string::npos) << refused.text;

    // 40000 x 40000 pixels of 8 or 32 bits are more than a bitmap may hold.
    for (TiffImage image : {Grey(4, 2, 8), Rgb(4, 2)}) {
        std::vector<uint8_t> bytes = WriteTiff(image);
        PatchTag(bytes, TIFFTAG_IMAGEWIDTH, 0, 40000);
        PatchTag(bytes, TIFFTAG_IMAGELENGTH, 0, 40000);
        DecodeResult result = Decode(bytes);
        EXPECT_EQ(result.code, PE_FORMAT_ERROR) << result.text;
        EXPECT_NE(result.text.find("too large"), std::string::npos) << result.text;
    }
}

TEST(TIFFDecoder, CutAndChangedFilesFailCleanly)
{
    TiffImage g4 = Grey(37, 11, 1, PHOTOMETRIC_MINISWHITE);
    g4.compression = COMPRESSION_CCITTFAX4;
    TiffImage tiles = Rgb(37, 21, COMPRESSION_LZW);
    tiles.tileWidth = tiles.tileLength = 16;
    TiffImage ycbcr = Rgb(19, 13, COMPRESSION_JPEG);
    ycbcr.photometric = PHOTOMETRIC_YCBCR;
    std::mt19937 random(6);
    CTIFFDecoder decoder;
    // A clean failure: one of the decoder's codes with a text of its own,
    // and nothing kept that the next decode would see.
    auto expectClean = [](const DecodeResult& result, const std::string& what) {
        static const int kCodes[] = {PE_END_OF_FILE, PE_FORMAT_ERROR, PE_WRONG_SIGNATURE, PE_UNSUPPORTED_VARIANT,
                                     PE_ALLOC_FAILED};
        if (result.Ok())
            return;
        EXPECT_NE(std::find(std::begin(kCodes), std::end(kCodes), result.code), std::end(kCodes))
            << what << ": " << result.code << " " << result.text;
        EXPECT_TRUE(result.text == "End of file reached while decoding.\n" ||
                    result.text.starts_with("Decoder error: "))
            << what << ": " << result.text;
    };
    for (const TiffImage& image : {g4, Grey(13, 5, 4, PHOTOMETRIC_MINISWHITE), tiles, ycbcr}) {
        std::vector<uint8_t> bytes = WriteTiff(image);
        DecodeResult whole = DecodeBytes(decoder, bytes, 32);
        ASSERT_TRUE(whole.Ok()) << whole.text;
        for (size_t length = 0; length < bytes.size(); length += 3)
            for (int depth : {0, 32})
                expectClean(DecodeBytes(decoder, {bytes.begin(), bytes.begin() + static_cast<long>(length)}, depth),
                            "cut at " + std::to_string(length));
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> changed = bytes;
            for (int i = 0; i <= round % 3; ++i)
                changed[random() % changed.size()] = static_cast<uint8_t>(random());
            expectClean(DecodeBytes(decoder, changed, round % 2 == 0 ? 0 : 32), "round " + std::to_string(round));
        }
        DecodeResult again = DecodeBytes(decoder, bytes, 32);
        ASSERT_TRUE(again.Ok()) << again.text;
        ExpectColors(
            *again.bitmap, [&](int x, int y) { return std::optional(ColorAt(*whole.bitmap, x, y)); }, 0, "again");
        EXPECT_EQ(again.bitmap->GetWidth(), static_cast<int>(image.width));
    }
}

TEST(TiffMessages, TheSharedErrorTextIsCutNotOverflowed)
{
    CTIFFDecoder decoder;  // installs the handlers
    TIFFError("test", "%s", std::string(5000, 'x').c_str());
    std::string text = LastTiffError();
    EXPECT_EQ(text.size(), kTiffMessageLimit - 1);
    EXPECT_EQ(text.back(), '\n');
    ClearTiffError();
    EXPECT_EQ(LastTiffError(), "");
}

TEST(TiffMessages, EachThreadKeepsItsOwnLastError)
{
    CTIFFDecoder decoder;  // installs the handlers
    ClearTiffError();
    std::thread([] { TIFFError("test", "on another thread"); }).join();
    EXPECT_EQ(LastTiffError(), "");
}

TEST(TiffMemoryClient, ReadsNothingOutsideTheBlock)
{
    std::vector<uint8_t> bytes = WriteTiff(Grey(4, 4, 8));
    TIFF* tiff = OpenTiffMemory(bytes.data(), bytes.size());
    ASSERT_NE(tiff, nullptr);
    thandle_t client = TIFFClientdata(tiff);
    TIFFSeekProc seek = TIFFGetSeekProc(tiff);
    TIFFReadWriteProc read = TIFFGetReadProc(tiff);
    uint8_t buffer[16];
    EXPECT_EQ(seek(client, static_cast<toff_t>(-4), SEEK_END), bytes.size() - 4);
    EXPECT_EQ(read(client, buffer, 16), 4);
    EXPECT_EQ(read(client, buffer, 16), 0);
    EXPECT_EQ(seek(client, bytes.size() + 100, SEEK_SET), bytes.size() + 100);
    EXPECT_EQ(read(client, buffer, 16), 0);
    EXPECT_EQ(seek(client, static_cast<toff_t>(-1), SEEK_SET), static_cast<toff_t>(-1));
    EXPECT_EQ(TIFFGetWriteProc(tiff)(client, buffer, 4), 0) << "a block opened for reading is never written";
    TIFFClose(tiff);
}
