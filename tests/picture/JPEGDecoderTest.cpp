#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <iterator>

#include "picture/bitmap/PlainBitmap.h"
#include "picture/decoding/MemoryByteSource.h"
#include "picture/decoding/TextException.h"
#include "picture/formats/JPEGDecoder.h"
#include "tests/support/BareDecoders.h"
#include "tests/support/JpegWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr int kWidth = 61;  // not a multiple of any block size
constexpr int kHeight = 35;

JpegImage Scene(int components, int widthFactor = 2, int heightFactor = 2)
{
    JpegImage image;
    image.width = kWidth;
    image.height = kHeight;
    image.components = components;
    image.samples = JpegSamples(SceneRows(kWidth, kHeight), components == 4 ? 3 : components);
    if (components == 4) {
        // Cyan, magenta, yellow from the scene, black a ramp across.
        std::vector<uint8_t> cmyk;
        for (size_t i = 0; i < image.samples.size(); i += 3) {
            cmyk.insert(cmyk.end(), image.samples.begin() + i, image.samples.begin() + i + 3);
            cmyk.push_back(static_cast<uint8_t>((i / 3 % kWidth) * 4));
        }
        image.samples = cmyk;
    }
    image.lumaWidthFactor = widthFactor;
    image.lumaHeightFactor = heightFactor;
    return image;
}

DecodeResult Decode(const std::vector<uint8_t>& bytes, int wantedDepth = 0)
{
    CJPEGDecoder decoder;
    return DecodeBytes(decoder, bytes, wantedDepth);
}

// Every pixel must hold what libjpeg alone makes of the file with the same
// options: red, green and blue in their places, ink converted as TIFF's is.
void ExpectSameAsBareLibrary(const std::vector<uint8_t>& bytes, const CPictureBitmap& bitmap, const std::string& what)
{
    BarePicture bare;
    ASSERT_TRUE(DecodeJpegBare(bytes, bare)) << what;
    if (bare.jpegColours.cmyk) {
        ExpectInkConvertedAsTiff(bitmap, bare, what);
        return;
    }
    ASSERT_EQ(bitmap.GetWidth(), bare.width) << what;
    ASSERT_EQ(bitmap.GetHeight(), bare.height) << what;
    bool grey = bare.bytesPerPixel == 1;
    for (int y = 0; y < bare.height; ++y)
        for (int x = 0; x < bare.width; ++x) {
            const uint8_t* expected = bare.At(x, y);
            BgraPixel actual = ColorAt(bitmap, x, y);
            if (actual.red != expected[0] || actual.green != expected[grey ? 0 : 1] ||
                actual.blue != expected[grey ? 0 : 2]) {
                FAIL() << what << " at (" << x << ", " << y << "): " << Describe(actual) << " but libjpeg gives ("
                       << int(expected[0]) << ", " << int(expected[grey ? 0 : 1]) << ", "
                       << int(expected[grey ? 0 : 2]) << ")";
            }
        }
}

// The file without its DQT segments: the markers before the scan are copied
// except those, the rest as it stands.
std::vector<uint8_t> WithoutQuantisationTables(const std::vector<uint8_t>& jpeg)
{
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
        size_t length = 2 + ((jpeg[at + 2] << 8) | jpeg[at + 3]);
        if (jpeg[at + 1] != 0xDB)
            out.insert(out.end(), jpeg.begin() + at, jpeg.begin() + at + length);
        at += length;
    }
    out.insert(out.end(), jpeg.begin() + at, jpeg.end());
    return out;
}

// The mean difference of red, green and blue from the picture that was written.
double MeanDifference(const JpegImage& image, const CPictureBitmap& bitmap)
{
    double total = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* written = &image.samples[(static_cast<size_t>(y) * image.width + x) * image.components];
            BgraPixel pixel = ColorAt(bitmap, x, y);
            if (image.components == 1) {
                total += std::abs(pixel.red - written[0]);
                continue;
            }
            total += std::abs(pixel.red - written[0]) + std::abs(pixel.green - written[1]) +
                     std::abs(pixel.blue - written[2]);
        }
    return total / (static_cast<double>(image.width) * image.height * (image.components == 1 ? 1 : 3));
}

}  // namespace

TEST(JPEGDecoder, GreyGivesEightBitsWithTheGreyRampOrThirtyTwoWhenAsked)
{
    JpegImage image = Scene(1);
    std::vector<uint8_t> bytes = WriteJpeg(image);
    DecodeResult narrow = Decode(bytes);
    ASSERT_TRUE(narrow.Ok()) << narrow.text;
    EXPECT_EQ(narrow.bitmap->GetBitsPerPixel(), 8);
    EXPECT_EQ(narrow.bitmap->GetPalette()[200], OpaqueBgra(200, 200, 200));
    ExpectSameAsBareLibrary(bytes, *narrow.bitmap, "grey");
    EXPECT_LT(MeanDifference(image, *narrow.bitmap), 2.0);

    DecodeResult wide = Decode(bytes, 32);
    ASSERT_TRUE(wide.Ok()) << wide.text;
    EXPECT_EQ(wide.bitmap->GetBitsPerPixel(), 32);
    EXPECT_FALSE(wide.bitmap->GetAlphaFlag());
    for (int x = 0; x < kWidth; ++x) {
        BgraPixel pixel = ColorAt(*wide.bitmap, x, kHeight - 1);
        EXPECT_EQ(pixel, OpaqueBgra(pixel.red, pixel.red, pixel.red));
        EXPECT_EQ(pixel.red, IndexAt(*narrow.bitmap, x, kHeight - 1));
    }
}

TEST(JPEGDecoder, ColourGivesThirtyTwoBitsInEverySubsamplingAndOrder)
{
    struct Case {
        const char* what;
        int widthFactor;
        int heightFactor;
        bool progressive;
    };
    for (const Case& c : {Case {"4:4:4", 1, 1, false}, Case {"4:2:2", 2, 1, false}, Case {"4:2:0", 2, 2, false},
                          Case {"4:2:0 progressive", 2, 2, true}, Case {"4:4:4 progressive", 1, 1, true}}) {
        JpegImage image = Scene(3, c.widthFactor, c.heightFactor);
        image.progressive = c.progressive;
        std::vector<uint8_t> bytes = WriteJpeg(image);
        // A wish for 8 bits still gives 32.
        for (int wanted : {0, 8, 32}) {
            DecodeResult result = Decode(bytes, wanted);
            ASSERT_TRUE(result.Ok()) << c.what << ": " << result.text;
            EXPECT_EQ(result.bitmap->GetBitsPerPixel(), 32) << c.what;
            EXPECT_FALSE(result.bitmap->GetAlphaFlag()) << c.what;
            ExpectSameAsBareLibrary(bytes, *result.bitmap, c.what);
            EXPECT_LT(MeanDifference(image, *result.bitmap), 4.0) << c.what;
        }
    }
}

// Ink gives the colours it prints, converted as the TIFF decoder converts
// CMYK, whether Adobe's marker says the file stores it inverted or not.
TEST(JPEGDecoder, CmykAndYcckGiveTheColoursOfTheirInk)
{
    // Amounts of cyan, magenta, yellow and black ink (255 full) and the colour
    // they print; one 8 x 8 block each.
    const std::pair<std::array<uint8_t, 4>, BgraPixel> inks[] = {
        {{0, 0, 0, 0}, OpaqueBgra(255, 255, 255)},   {{0, 0, 0, 255}, OpaqueBgra(0, 0, 0)},
        {{0, 0, 0, 128}, OpaqueBgra(127, 127, 127)}, {{255, 0, 0, 0}, OpaqueBgra(0, 255, 255)},
        {{0, 255, 255, 0}, OpaqueBgra(255, 0, 0)},   {{0, 0, 255, 64}, OpaqueBgra(191, 191, 0)},
    };
    JpegImage patches;
    patches.width = 8 * static_cast<int>(std::size(inks));
    patches.height = 8;
    patches.components = 4;
    patches.quality = 100;
    patches.lumaWidthFactor = patches.lumaHeightFactor = 1;
    for (int y = 0; y < patches.height; ++y)
        for (const auto& patch : inks)
            for (int x = 0; x < 8; ++x)
                patches.samples.insert(patches.samples.end(), patch.first.begin(), patch.first.end());

    struct Case {
        const char* what;
        bool ycck;
        bool adobeMarker;
    };
    for (const Case& c : {Case {"CMYK", false, true}, Case {"YCCK", true, true},
                          Case {"CMYK without Adobe's marker", false, false}}) {
        patches.ycck = c.ycck;
        patches.adobeMarker = c.adobeMarker;
        DecodeResult named = Decode(WriteJpeg(patches));
        ASSERT_TRUE(named.Ok()) << c.what << ": " << named.text;
        EXPECT_EQ(named.bitmap->GetBitsPerPixel(), 32);
        ExpectColors(
            *named.bitmap, [&](int x, int /*y*/) { return inks[x / 8].second; }, 3, c.what);

        JpegImage scene = Scene(4, 1, 1);
        scene.ycck = c.ycck;
        scene.adobeMarker = c.adobeMarker;
        std::vector<uint8_t> bytes = WriteJpeg(scene);
        DecodeResult result = Decode(bytes);
        ASSERT_TRUE(result.Ok()) << c.what << ": " << result.text;
        ExpectSameAsBareLibrary(bytes, *result.bitmap, c.what);
    }
}

TEST(JPEGDecoder, ACutFileDecodesAsFarAsItsData)
{
    for (bool progressive : {false, true}) {
        JpegImage image = Scene(3);
        image.height = kHeight;
        image.progressive = progressive;
        std::vector<uint8_t> bytes = WriteJpeg(image);
        DecodeResult whole = Decode(bytes);
        ASSERT_TRUE(whole.Ok());
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * 2 / 3));
        DecodeResult result = Decode(cut);
        ASSERT_TRUE(result.Ok()) << result.text;
        EXPECT_EQ(result.bitmap->GetWidth(), kWidth);
        EXPECT_EQ(result.bitmap->GetHeight(), kHeight);
        ExpectSameAsBareLibrary(cut, *result.bitmap, progressive ? "cut progressive" : "cut baseline");
        if (!progressive) {
            // The rows before the cut are complete.
            for (int x = 0; x < kWidth; ++x)
                EXPECT_EQ(ColorAt(*result.bitmap, x, 0), ColorAt(*whole.bitmap, x, 0)) << x;
        }
    }
}

TEST(JPEGDecoder, LibraryErrorsCarryTheLibrarysMessage)
{
    std::vector<uint8_t> good = WriteJpeg(Scene(3));
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* text;
    };
    std::vector<Case> cases;
    cases.push_back({"not a JPEG", {'G', 'I', 'F', '8', '9', 'a', 0, 0},
                     "Decoder error: Not a JPEG file: starts with 0x47 0x49\n\n"});
    cases.push_back({"no data", {}, "Decoder error: Not a JPEG file: starts with 0xff 0xd9\n\n"});

    // The frame header's precision byte says 12 bits.
    std::vector<uint8_t> twelveBits = good;
    for (size_t i = 0; i + 4 < twelveBits.size(); ++i)
        if (twelveBits[i] == 0xFF && twelveBits[i + 1] == 0xC0) {
            twelveBits[i + 4] = 12;
            break;
        }
    cases.push_back({"12-bit samples", twelveBits, "Decoder error: Unsupported JPEG data precision 12\n\n"});

    // The headers end before any frame.
    std::vector<uint8_t> headersOnly(good.begin(), good.begin() + 20);
    headersOnly.push_back(0xFF);
    headersOnly.push_back(0xD9);
    cases.push_back({"no frame", headersOnly, "Decoder error: JPEG datastream contains no image\n\n"});

    CJPEGDecoder decoder;
    for (const Case& c : cases) {
        DecodeResult result = DecodeBytes(decoder, c.bytes);
        EXPECT_EQ(result.code, PE_UNSUPPORTED) << c.what << ": " << result.text;
        EXPECT_EQ(result.text, c.text) << c.what;
        // After every error the same decoder reads a good file.
        DecodeResult after = DecodeBytes(decoder, good);
        ASSERT_TRUE(after.Ok()) << "after " << c.what << ": " << after.text;
        ExpectSameAsBareLibrary(good, *after.bitmap, std::string("after ") + c.what);
    }
}

TEST(JPEGDecoder, EveryChangedByteFailsCleanlyOrDecodes)
{
    JpegImage image = Scene(3, 2, 1);
    image.width = 19;
    image.height = 9;
    image.samples = JpegSamples(SceneRows(19, 9), 3);
    image.progressive = true;
    std::vector<uint8_t> good = WriteJpeg(image);
    CJPEGDecoder decoder;
    for (size_t i = 0; i < good.size(); ++i)
        for (uint8_t change : {0x01, 0x80, 0xFF}) {
            std::vector<uint8_t> bytes = good;
            bytes[i] ^= change;
            for (int wanted : {0, 32}) {
                DecodeResult result = DecodeBytes(decoder, bytes, wanted);
                // Damaged data may still decode (the library warns and goes on), or
                // fail with the library's message; nothing else may happen.
                if (!result.Ok()) {
                    ASSERT_TRUE(result.code == PE_UNSUPPORTED || result.code == PE_ALLOC_FAILED)
                        << "byte " << i << ": " << result.text;
                }
            }
        }
    ExpectSameAsBareLibrary(good, *DecodeBytes(decoder, good).bitmap, "after the damaged files");
}

TEST(JPEGDecoder, EveryPictureMustBringItsOwnTables)
{
    std::vector<uint8_t> good = WriteJpeg(Scene(3));
    std::vector<uint8_t> noTables = WithoutQuantisationTables(good);
    const std::string missing = "Decoder error: Quantization table 0x00 was not defined\n\n";
    EXPECT_EQ(Decode(noTables).text, missing);
    // Not even after a picture whose tables would fit.
    CJPEGDecoder decoder;
    ASSERT_TRUE(DecodeBytes(decoder, good).Ok());
    DecodeResult result = DecodeBytes(decoder, noTables);
    EXPECT_EQ(result.code, PE_UNSUPPORTED);
    EXPECT_EQ(result.text, missing);
}

TEST(JPEGDecoder, PicturesWithoutAColourSpaceAreRefused)
{
    // Two components: the library hands them out as they are, two bytes a pixel.
    JpegImage image;
    image.width = 9;
    image.height = 4;
    image.components = 2;
    image.samples.assign(9 * 4 * 2, 77);
    DecodeResult result = Decode(WriteJpeg(image));
    EXPECT_EQ(result.code, PE_UNSUPPORTED);
    EXPECT_EQ(result.text, "Decoder error: JPEG decoder: 2 colour components are not supported.\n");
}

TEST(JPEGDecoder, PicturesBeyondTheBitmapLimitsAreRefusedBeforeDecoding)
{
    std::vector<uint8_t> bytes = WriteJpeg(Scene(3));
    for (size_t i = 0; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            // 60000 x 60000 colour pixels: far more than a bitmap may hold.
            bytes[i + 5] = bytes[i + 7] = 0xEA;
            bytes[i + 6] = bytes[i + 8] = 0x60;
            break;
        }
    CJPEGDecoder decoder;
    DecodeResult result = DecodeBytes(decoder, bytes);
    EXPECT_EQ(result.code, PE_ALLOC_FAILED);
    EXPECT_EQ(result.text, "Out of memory creating bitmap.");
    EXPECT_TRUE(DecodeBytes(decoder, WriteJpeg(Scene(1))).Ok());

    // Reduced to 1/8 it would fit, and is refused all the same.
    CMemoryByteSource source;
    source.OpenMemory(bytes.data(), bytes.size());
    CPlainBitmap reduced;
    try {
        decoder.DecodeReduced(source, reduced, 0, {200, 150});
        ADD_FAILURE() << "a reduced decode took the picture";
    } catch (const CTextException& error) {
        EXPECT_EQ(error.GetCode(), PE_ALLOC_FAILED);
    }
}

TEST(JPEGDecoder, ProgressComesFromTheLibraryAndMayStopTheDecode)
{
    JpegImage image = Scene(3);
    image.progressive = true;
    TempFolder folder;
    std::string path = folder.Write("scene.jpg", WriteJpeg(image));
    CJPEGDecoder decoder;

    ProgressRecorder recorder;
    ASSERT_TRUE(DecodeFileAt(decoder, path, 0, &recorder).Ok());
    ASSERT_GT(recorder.fractions.size(), 5u);
    for (size_t i = 1; i < recorder.fractions.size(); ++i)
        EXPECT_GE(recorder.fractions[i], recorder.fractions[i - 1]);
    EXPECT_EQ(recorder.fractions.back(), 1.0);

    // An exception from the progress object leaves the library and arrives unchanged.
    ProgressRecorder stopper;
    stopper.stopAt = 3;
    DecodeResult stopped = DecodeFileAt(decoder, path, 0, &stopper);
    EXPECT_EQ(stopped.code, kStoppedByProgress);
    EXPECT_EQ(stopped.text, "stopped");
    DecodeResult after = DecodeFileAt(decoder, path);
    ASSERT_TRUE(after.Ok()) << after.text;
    ExpectSameAsBareLibrary(ReadFileBytes(path), *after.bitmap, "after a stopped decode");
}

TEST(JPEGDecoder, DecodesFromTheSourcesCurrentPosition)
{
    // As JPEG data inside another file: the decoder starts where the source stands.
    std::vector<uint8_t> jpeg = WriteJpeg(Scene(3));
    std::vector<uint8_t> file(100, 0x11);
    file.insert(file.end(), jpeg.begin(), jpeg.end());
    CMemoryByteSource source;
    source.OpenMemory(file.data(), file.size());
    source.Read(100);
    CJPEGDecoder decoder;
    CDibSectionBitmap bitmap;
    decoder.Decode(source, bitmap, 0);
    ExpectSameAsBareLibrary(jpeg, bitmap, "embedded");
}

TEST(JPEGDecoder, ReducedDecodesTakeTheSmallestScaleThatStillGivesEnough)
{
    struct Case {
        int width, height, components;
        int reducedWidth, reducedHeight;
    };
    const Case cases[] = {
        {2400, 1800, 3, 300, 225},  // 1/8
        {1593, 1193, 1, 200, 150},  // 1/8, sides rounded up to exactly enough
        {1592, 1192, 1, 398, 298},  // 1/8 one short: 1/4
        {1201, 1600, 3, 301, 400},  // portrait: 1/8 too narrow
        {399, 299, 1, 200, 150},    // 1/2, exactly enough
        {397, 299, 1, 397, 299},    // 1/2 one short of the width: whole
        {150, 2000, 1, 150, 2000},  // narrower than enough: whole
    };
    CJPEGDecoder decoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        JpegImage image;
        image.width = c.width;
        image.height = c.height;
        image.components = c.components;
        image.samples = std::vector<uint8_t>(static_cast<size_t>(c.width * c.height * c.components), 90);
        std::vector<uint8_t> bytes = WriteJpeg(image);
        CMemoryByteSource source;
        ASSERT_EQ(source.OpenMemory(bytes.data(), bytes.size()), PE_OK);
        CPlainBitmap reduced;
        PictureSize size = decoder.DecodeReduced(source, reduced, 0, {200, 150});
        EXPECT_EQ(size, (PictureSize {c.width, c.height}));
        EXPECT_EQ(reduced.GetSize(), std::make_pair(c.reducedWidth, c.reducedHeight));
        EXPECT_EQ(reduced.GetBitsPerPixel(), c.components == 1 ? 8 : 32);
        BgraPixel corner = ColorAt(reduced, c.reducedWidth - 1, c.reducedHeight - 1);
        EXPECT_EQ(corner.red + corner.green + corner.blue, 3 * 90);
        // The decoder keeps nothing of it: a plain decode gives the whole picture.
        EXPECT_EQ(DecodeBytes(decoder, bytes).bitmap->GetSize(), std::make_pair(c.width, c.height));
    }
}
