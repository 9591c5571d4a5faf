// Real-world JPEG files written by many programs. Valid ones must decode to
// what libjpeg alone makes of them with the same options (their ink converted
// as the TIFF decoder converts CMYK), and close to what stb_image (another
// transform, upsampling and rounding of ink) makes of them; broken ones
// must fail cleanly unless the decoder's rules read past the fault.

#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <cstdlib>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/BareDecoders.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TempFolder.h"

namespace {

const CorpusReasons kBrokenButDecoded = {
    {"jpeg/pillow__truncated_jpeg.jpg", "a cut file ends as if complete; the library fills the missing rows"},
};

void ExpectSamePixelsAsLibjpeg(const CorpusFile& file, const CPictureBitmap& bitmap)
{
    BarePicture bare;
    ASSERT_TRUE(DecodeJpegBare(ReadFileBytes(file.path), bare)) << file.name;
    if (bare.jpegColours.cmyk) {
        ExpectInkConvertedAsTiff(bitmap, bare, file.name);
        return;
    }
    ASSERT_EQ(bare.width, bitmap.GetWidth()) << file.name;
    ASSERT_EQ(bare.height, bitmap.GetHeight()) << file.name;
    bool grey = bare.bytesPerPixel == 1;
    for (int y = 0; y < bare.height; ++y)
        for (int x = 0; x < bare.width; ++x) {
            const uint8_t* expected = bare.At(x, y);
            BgraPixel actual = ColorAt(bitmap, x, y);
            ASSERT_TRUE(actual.red == expected[0] && actual.green == expected[grey ? 0 : 1] &&
                        actual.blue == expected[grey ? 0 : 2])
                << file.name << " at (" << x << ", " << y << "): " << Describe(actual);
        }
}

// The mean difference of red, green and blue from stb_image's reading, or a
// negative number when stb_image does not read the file.
double MeanDifferenceFromStb(const CorpusFile& file, const CPictureBitmap& bitmap)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* reference = stbi_load(file.path.c_str(), &width, &height, &channels, 3);
    if (reference == nullptr)
        return -1;
    double total = 0;
    if (width == bitmap.GetWidth() && height == bitmap.GetHeight()) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const stbi_uc* expected = reference + 3 * (static_cast<size_t>(y) * width + x);
                BgraPixel actual = ColorAt(bitmap, x, y);
                total += std::abs(actual.red - expected[0]) + std::abs(actual.green - expected[1]) +
                         std::abs(actual.blue - expected[2]);
            }
    } else {
        total = 1e9;
    }
    stbi_image_free(reference);
    return total / (3.0 * width * height);
}

}  // namespace

TEST(JPEGCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("jpeg", {}, kBrokenButDecoded);
}

TEST(JPEGCorpus, ValidFilesMatchLibjpegAndStayCloseToAnIndependentDecoder)
{
    CAutoDecoder decoder;
    int comparedWithStb = 0;
    for (const CorpusFile& file : CorpusFiles("jpeg")) {
        if (file.expected != "yes")
            continue;
        DecodeResult result = DecodeFileAt(decoder, file.path);
        ASSERT_TRUE(result.Ok()) << file.name << ": " << result.text;
        ExpectSamePixelsAsLibjpeg(file, *result.bitmap);
        // In pictures below 32 x 32 the choice of upsampling decides too many pixels.
        if (result.bitmap->GetWidth() < 32 || result.bitmap->GetHeight() < 32)
            continue;
        double difference = MeanDifferenceFromStb(file, *result.bitmap);
        if (difference < 0)
            continue;
        ++comparedWithStb;
        EXPECT_LT(difference, 3.0) << file.name;
    }
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    EXPECT_GE(comparedWithStb, 12);
}
