#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>

#include "picture/decoding/TextException.h"
#include "picture/formats/PNGDecoder.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TempFolder.h"

namespace {

struct PngKind {
    int colorType;
    int bitDepth;
};

// Every colour type with every bit depth PNG allows for it.
const PngKind kEveryKind[] = {
    {PNG_COLOR_TYPE_GRAY, 1},       {PNG_COLOR_TYPE_GRAY, 2},       {PNG_COLOR_TYPE_GRAY, 4},
    {PNG_COLOR_TYPE_GRAY, 8},       {PNG_COLOR_TYPE_GRAY, 16},      {PNG_COLOR_TYPE_RGB, 8},
    {PNG_COLOR_TYPE_RGB, 16},       {PNG_COLOR_TYPE_PALETTE, 1},    {PNG_COLOR_TYPE_PALETTE, 2},
    {PNG_COLOR_TYPE_PALETTE, 4},    {PNG_COLOR_TYPE_PALETTE, 8},    {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 16}, {PNG_COLOR_TYPE_RGB_ALPHA, 8}, {PNG_COLOR_TYPE_RGB_ALPHA, 16},
};

std::string Name(const PngKind& kind, bool interlaced = false)
{
    return "colour type " + std::to_string(kind.colorType) + ", " + std::to_string(kind.bitDepth) + " bits" +
           (interlaced ? ", interlaced" : "");
}

// 13 x 11 (so that Adam7's passes end inside the picture), with samples that
// run through the whole range of the bit depth; palette images get a palette
// of 2^depth entries (at most 16) and tRNS for their first three.
PngImage Picture(const PngKind& kind, bool interlaced = false, int width = 13, int height = 11)
{
    PngImage image;
    image.width = width;
    image.height = height;
    image.colorType = kind.colorType;
    image.bitDepth = kind.bitDepth;
    image.interlaced = interlaced;
    uint32_t values = kind.colorType == PNG_COLOR_TYPE_PALETTE ? std::min(1u << kind.bitDepth, 16u)
                                                                 : 1u << kind.bitDepth;
    int channels = PngChannels(kind.colorType);
    for (int y = 0; y < image.height; ++y) {
        std::vector<uint16_t> row;
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < channels; ++c)
                row.push_back(static_cast<uint16_t>((x * 2971u + y * 1013u + c * 4099u) % values));
        image.rows.push_back(row);
    }
    if (kind.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (uint32_t i = 0; i < values; ++i)
            image.palette.push_back(
                {static_cast<uint8_t>(i * 16 + 3), static_cast<uint8_t>(250 - i * 9), static_cast<uint8_t>(i * i)});
        image.paletteAlpha = {0, 90, 180};
        image.paletteAlpha.resize(std::min<size_t>(3, values));
    }
    return image;
}

uint8_t To8Bits(uint16_t sample, int bitDepth)
{
    return static_cast<uint8_t>(bitDepth == 16 ? sample >> 8 : sample * 255 / ((1 << bitDepth) - 1));
}

// The colour the decoder must give pixel (x, y); `wide` for a 32-bit result,
// where palette and grey images carry their tRNS alpha.
BgraPixel ExpectedColour(const PngImage& image, int x, int y, bool wide)
{
    const uint16_t* s = &image.rows[y][static_cast<size_t>(x) * PngChannels(image.colorType)];
    int depth = image.bitDepth;
    switch (image.colorType) {
    case PNG_COLOR_TYPE_GRAY: {
        uint8_t grey = To8Bits(s[0], depth);
        bool transparent = wide && !image.transparentColour.empty() && image.transparentColour[0] == s[0];
        return {grey, grey, grey, static_cast<uint8_t>(transparent ? 0 : 255)};
    }
    case PNG_COLOR_TYPE_RGB: return OpaqueBgra(To8Bits(s[0], depth), To8Bits(s[1], depth), To8Bits(s[2], depth));
    case PNG_COLOR_TYPE_PALETTE: {
        const auto& entry = image.palette[s[0]];
        uint8_t alpha = wide && s[0] < image.paletteAlpha.size() ? image.paletteAlpha[s[0]] : 255;
        return {entry[2], entry[1], entry[0], alpha};
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA: {
        uint8_t grey = To8Bits(s[0], depth);
        return {grey, grey, grey, To8Bits(s[1], depth)};
    }
    default:
        return {To8Bits(s[2], depth), To8Bits(s[1], depth), To8Bits(s[0], depth), To8Bits(s[3], depth)};
    }
}

// The palette index of pixel (x, y) of a grey or palette image: the sample, cut to 8 bits.
int ExpectedIndex(const PngImage& image, int x, int y)
{
    uint16_t sample = image.rows[y][static_cast<size_t>(x)];
    return image.bitDepth == 16 ? sample >> 8 : sample;
}

bool IsIndexed(int colorType)
{
    return colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_PALETTE;
}

void ExpectPixels(const PngImage& image, const CPictureBitmap& bitmap, const std::string& what)
{
    ASSERT_EQ(bitmap.GetWidth(), image.width) << what;
    ASSERT_EQ(bitmap.GetHeight(), image.height) << what;
    bool wide = bitmap.GetBitsPerPixel() == 32;
    int mismatches = 0;
    for (int y = 0; y < image.height && mismatches < 3; ++y)
        for (int x = 0; x < image.width && mismatches < 3; ++x) {
            BgraPixel expected = ExpectedColour(image, x, y, wide);
            if (ColorAt(bitmap, x, y) != expected) {
                ++mismatches;
                ADD_FAILURE() << what << " at (" << x << ", " << y << "): " << Describe(ColorAt(bitmap, x, y))
                              << " instead of " << Describe(expected);
            }
            if (!wide && IndexAt(bitmap, x, y) != ExpectedIndex(image, x, y)) {
                ++mismatches;
                ADD_FAILURE() << what << ": index at (" << x << ", " << y << ")";
            }
        }
}

// The file with the last byte of its image data (the end of zlib's checksum)
// changed, and the chunk's CRC made to match.
std::vector<uint8_t> WithImageDataChanged(std::vector<uint8_t> bytes)
{
    const std::string type = "IDAT";
    size_t at = static_cast<size_t>(std::search(bytes.begin(), bytes.end(), type.begin(), type.end()) - bytes.begin());
    size_t length = (size_t {bytes[at - 4]} << 24) | (bytes[at - 3] << 16) | (bytes[at - 2] << 8) | bytes[at - 1];
    std::vector<uint8_t> data(bytes.begin() + at + 4, bytes.begin() + at + 4 + length);
    data.back() ^= 0x01;
    std::vector<uint8_t> chunk = PngChunk(type, data);
    std::copy(chunk.begin(), chunk.end(), bytes.begin() + at - 4);
    return bytes;
}

DecodeResult Decode(const std::vector<uint8_t>& bytes, int wantedDepth = 0)
{
    CPNGDecoder decoder;
    return DecodeBytes(decoder, bytes, wantedDepth);
}

}  // namespace

TEST(PNGDecoder, EveryColourTypeAndDepthGivesItsPixels)
{
    for (const PngKind& kind : kEveryKind)
        for (int wanted : {0, 8, 32}) {
            PngImage image = Picture(kind);
            std::string what = Name(kind) + ", " + std::to_string(wanted) + " wanted";
            DecodeResult result = Decode(WritePng(image), wanted);
            ASSERT_TRUE(result.Ok()) << what << ": " << result.text;
            // Grey and palette images are indices unless 32 bits are wanted; a
            // wish for 8 bits from colour or alpha images gives 32.
            int depth = IsIndexed(kind.colorType) && wanted != 32 ? 8 : 32;
            EXPECT_EQ(result.bitmap->GetBitsPerPixel(), depth) << what;
            EXPECT_EQ(result.bitmap->GetAlphaFlag(), (kind.colorType & PNG_COLOR_MASK_ALPHA) != 0) << what;
            ExpectPixels(image, *result.bitmap, what);
        }
}

TEST(PNGDecoder, InterlacedPicturesEqualTheirPlainTwins)
{
    for (const PngKind& kind : kEveryKind) {
        PngImage image = Picture(kind, true);
        std::vector<uint8_t> interlaced = WritePng(image);
        image.interlaced = false;
        std::vector<uint8_t> plain = WritePng(image);
        ASSERT_NE(interlaced, plain);
        for (int wanted : {0, 32}) {
            DecodeResult fromInterlaced = Decode(interlaced, wanted);
            DecodeResult fromPlain = Decode(plain, wanted);
            ASSERT_TRUE(fromInterlaced.Ok() && fromPlain.Ok()) << Name(kind, true) << ": " << fromInterlaced.text;
            ExpectPixels(image, *fromInterlaced.bitmap, Name(kind, true));
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width; ++x)
                    ASSERT_EQ(ColorAt(*fromInterlaced.bitmap, x, y), ColorAt(*fromPlain.bitmap, x, y))
                        << Name(kind, true) << " at (" << x << ", " << y << ")";
        }
    }
}

TEST(PNGDecoder, GreyPalettesAreRampsForTheBitDepth)
{
    struct Case {
        int bitDepth;
        std::vector<uint8_t> greys;  // the first entries
    };
    for (const Case& c : {Case {1, {0, 255}}, Case {2, {0, 85, 170, 255}}, Case {4, {0, 17, 34, 51}},
                          Case {16, {0, 1, 2, 3}}}) {
        DecodeResult result = Decode(WritePng(Picture({PNG_COLOR_TYPE_GRAY, c.bitDepth})));
        ASSERT_TRUE(result.Ok()) << result.text;
        for (size_t i = 0; i < c.greys.size(); ++i)
            EXPECT_EQ(result.bitmap->GetPalette()[i], OpaqueBgra(c.greys[i], c.greys[i], c.greys[i]))
                << c.bitDepth << " bits, entry " << i;
        // Entries past the ramp keep the default ramp, so 16 bits give the identity.
        EXPECT_EQ(result.bitmap->GetPalette()[200], OpaqueBgra(200, 200, 200)) << c.bitDepth << " bits";
    }
}

TEST(PNGDecoder, PalettesFillTheirEntriesAndIgnoreTransparencyAtEightBits)
{
    DecodeResult result = Decode(WritePng(Picture({PNG_COLOR_TYPE_PALETTE, 8})));
    ASSERT_TRUE(result.Ok()) << result.text;
    const BgraPixel* palette = result.bitmap->GetPalette();
    EXPECT_EQ(palette[0], OpaqueBgra(3, 250, 0));  // tRNS gives it alpha 0, which 8 bits do not keep
    EXPECT_EQ(palette[15], OpaqueBgra(243, 115, 225));
    EXPECT_EQ(palette[16], OpaqueBgra(16, 16, 16));  // past the file's 16 entries: the grey ramp
    EXPECT_EQ(palette[255], OpaqueBgra(255, 255, 255));

    // At 32 bits the pixels carry the tRNS alpha, but the alpha flag stays off.
    DecodeResult wide = Decode(WritePng(Picture({PNG_COLOR_TYPE_PALETTE, 8})), 32);
    ASSERT_TRUE(wide.Ok());
    EXPECT_FALSE(wide.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*wide.bitmap, 0, 0).alpha, 0);
}

TEST(PNGDecoder, GreyTransparencyReachesOnlyThirtyTwoBitPixels)
{
    PngImage image = Picture({PNG_COLOR_TYPE_GRAY, 4});
    image.transparentColour = {image.rows[0][0]};
    DecodeResult narrow = Decode(WritePng(image));
    ASSERT_TRUE(narrow.Ok()) << narrow.text;
    ExpectPixels(image, *narrow.bitmap, "grey with tRNS");
    DecodeResult wide = Decode(WritePng(image), 32);
    ASSERT_TRUE(wide.Ok()) << wide.text;
    EXPECT_FALSE(wide.bitmap->GetAlphaFlag());
    ExpectPixels(image, *wide.bitmap, "grey with tRNS at 32 bits");
    EXPECT_EQ(ColorAt(*wide.bitmap, 0, 0).alpha, 0);

    // RGB keeps every pixel opaque: its tRNS is not expanded.
    PngImage rgb = Picture({PNG_COLOR_TYPE_RGB, 8});
    rgb.transparentColour = {rgb.rows[0][0], rgb.rows[0][1], rgb.rows[0][2]};
    DecodeResult opaque = Decode(WritePng(rgb));
    ASSERT_TRUE(opaque.Ok());
    EXPECT_EQ(ColorAt(*opaque.bitmap, 0, 0).alpha, 255);
}

TEST(PNGDecoderDamage, EveryCutEndsWithEndOfFile)
{
    for (const PngKind& kind : {PngKind {PNG_COLOR_TYPE_RGB, 8}, PngKind {PNG_COLOR_TYPE_PALETTE, 4}}) {
        std::vector<uint8_t> bytes = WritePng(Picture(kind, true));
        CPNGDecoder decoder;
        for (size_t length = 0; length < bytes.size(); ++length) {
            DecodeResult result =
                DecodeBytes(decoder, std::vector<uint8_t>(bytes.begin(), bytes.begin() + length));
            ASSERT_EQ(result.code, PE_END_OF_FILE) << Name(kind) << " cut at " << length << ": " << result.text;
            ASSERT_EQ(result.text, "End of file reached while decoding.\n");
        }
        // The same decoder still reads the whole file.
        EXPECT_TRUE(DecodeBytes(decoder, bytes).Ok());
    }
}

TEST(PNGDecoderDamage, LibraryErrorsCarryLibpngsText)
{
    std::vector<uint8_t> good = WritePng(Picture({PNG_COLOR_TYPE_RGB, 8}));
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* text;
    };
    std::vector<Case> cases;

    std::vector<uint8_t> crc = good;
    crc[crc.size() - 13] ^= 0x01;  // the image data's CRC, before IEND
    cases.push_back({"a wrong CRC", crc, "Decoder error: IDAT: CRC error\n"});

    cases.push_back({"a changed data byte with its CRC to match", WithImageDataChanged(good),
                     "Decoder error: IDAT: incorrect data check\n"});

    std::vector<uint8_t> critical = good;
    std::vector<uint8_t> chunk = PngChunk("ABCD", {1, 2, 3});
    critical.insert(critical.begin() + kPngAfterHeader, chunk.begin(), chunk.end());
    cases.push_back({"an unknown critical chunk", critical, "Decoder error: ABCD: unhandled critical chunk\n"});

    std::vector<uint8_t> signature = good;
    signature[2] = 'x';
    cases.push_back({"a bad signature", signature, "Decoder error: Not a PNG file\n"});
    std::vector<uint8_t> lineEnds = good;
    lineEnds[4] = '\n';
    cases.push_back({"a changed line end", lineEnds, "Decoder error: PNG file corrupted by ASCII conversion\n"});

    std::vector<uint8_t> noData = good;
    std::vector<uint8_t> end = PngChunk("IEND", {});
    noData.resize(kPngAfterHeader);
    noData.insert(noData.end(), end.begin(), end.end());
    cases.push_back({"no image data", noData, "Decoder error: IEND: out of place\n"});

    std::vector<uint8_t> zeroWidth = good;
    std::vector<uint8_t> header = PngChunk("IHDR", {0, 0, 0, 0, 0, 0, 0, 11, 8, 2, 0, 0, 0});
    std::copy(header.begin(), header.end(), zeroWidth.begin() + 8);
    cases.push_back({"a zero width", zeroWidth, "Decoder error: Invalid IHDR data\n"});

    CPNGDecoder decoder;
    for (const Case& c : cases) {
        DecodeResult result = DecodeBytes(decoder, c.bytes);
        EXPECT_EQ(result.code, PE_FORMAT_ERROR) << c.what << ": " << result.text;
        EXPECT_EQ(result.text, c.text) << c.what;
    }
    EXPECT_TRUE(DecodeBytes(decoder, good).Ok());
}

TEST(PNGDecoderDamage, PicturesBeyondTheBitmapLimitsAreRefused)
{
    // 1000000 x 1000000 RGB: within libpng's limits, far beyond a bitmap's.
    std::vector<uint8_t> bytes = WritePng(Picture({PNG_COLOR_TYPE_RGB, 8}));
    std::vector<uint8_t> header = PngChunk("IHDR", {0, 0x0F, 0x42, 0x40, 0, 0x0F, 0x42, 0x40, 8, 2, 0, 0, 0});
    std::copy(header.begin(), header.end(), bytes.begin() + 8);
    DecodeResult result = Decode(bytes);
    EXPECT_EQ(result.code, PE_ALLOC_FAILED);
    EXPECT_EQ(result.text, "Out of memory creating bitmap.");
}

TEST(PNGDecoderDamage, EveryChangedByteFailsCleanlyOrDecodes)
{
    std::vector<uint8_t> good = WritePng(Picture({PNG_COLOR_TYPE_PALETTE, 2}, true));
    CPNGDecoder decoder;
    for (size_t i = 0; i < good.size(); ++i)
        for (uint8_t value : {0x00, 0xFF, 0x80}) {
            std::vector<uint8_t> bytes = good;
            bytes[i] ^= value == 0 ? 0x01 : value;
            for (int wanted : {0, 32}) {
                DecodeResult result = DecodeBytes(decoder, bytes, wanted);
                // Only bytes libpng does not check (CRCs of ancillary chunks) may leave the picture intact.
                if (result.Ok()) {
                    ASSERT_EQ(result.bitmap->GetWidth(), 13) << "byte " << i;
                }
            }
        }
}

TEST(PNGDecoderDamage, AnExceptionFromProgressPassesTheLibraryUnchanged)
{
    // Large enough for the source to report progress while libpng reads.
    PngImage image = Picture({PNG_COLOR_TYPE_RGB, 8}, false, 64, 64);
    image.compressionLevel = 0;
    TempFolder folder;
    std::string path = folder.Write("big.png", WritePng(image));
    CPNGDecoder decoder;
    ProgressRecorder stopper;
    stopper.stopAt = 2;
    DecodeResult stopped = DecodeFileAt(decoder, path, 0, &stopper);
    EXPECT_EQ(stopped.code, kStoppedByProgress);
    EXPECT_EQ(stopped.text, "stopped");
    EXPECT_TRUE(DecodeFileAt(decoder, path).Ok());
}
