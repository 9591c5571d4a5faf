// Real-world bitmaps written by other programs. Valid ones must decode, to the
// same pixels stb_image finds where it reads them; broken ones must fail
// cleanly, except those our rules read past by design.

#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

namespace {

const CorpusReasons kRefused = {
    {"bmp/imagers__Core_1_Bit.bmp", "OS/2 core header: headers below 40 bytes are refused"},
    {"bmp/imagers__Core_8_Bit.bmp", "OS/2 core header"},
    {"bmp/twelvemonkeys__money-16-_os2_.bmp", "OS/2 core header"},
    {"bmp/twelvemonkeys__money-2-_os2_.bmp", "OS/2 core header"},
    {"bmp/twelvemonkeys__money-24bit-os2.bmp", "OS/2 core header"},
    {"bmp/pillow__l2rgb_read.bmp", "3158064 pixels wide: beyond the 2^20 limit"},
    {"bmp/twelvemonkeys__blauesglas_4.rle", "run-length delta escapes are not decoded"},
    {"bmp/twelvemonkeys__blauesglas_8.rle", "run-length delta escapes are not decoded"},
};

const CorpusReasons kBrokenButDecoded = {
    {"bmp/bmpsuite__b_badbitssize.bmp", "the image-size field is never used"},
    {"bmp/bmpsuite__b_baddens1.bmp", "the resolution fields are never used"},
    {"bmp/bmpsuite__b_baddens2.bmp", "the resolution fields are never used"},
    {"bmp/bmpsuite__b_badplanes.bmp", "the planes field is never used"},
    {"bmp/bmpsuite__b_rgb16-880.bmp", "overlapping masks still select bits of each pixel"},
    {"bmp/bmpsuite__b_rletopdown.bmp", "top-down rows are decoded in their order, run-length ones too"},
    {"bmp/imagers__rle_overflow.bmp", "runs reaching past the line are clipped"},
};

// Compares red, green and blue with what stb_image makes of the file; false
// when stb_image does not read it.
bool ExpectSamePixelsAsStb(const CorpusFile& file, const CPictureBitmap& bitmap)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* reference = stbi_load(file.path.c_str(), &width, &height, &channels, 4);
    if (reference == nullptr)
        return false;
    EXPECT_EQ(width, bitmap.GetWidth()) << file.name;
    EXPECT_EQ(height, bitmap.GetHeight()) << file.name;
    int mismatches = 0;
    for (int y = 0; y < std::min(height, bitmap.GetHeight()) && mismatches < 3; ++y)
        for (int x = 0; x < std::min(width, bitmap.GetWidth()) && mismatches < 3; ++x) {
            const stbi_uc* expected = reference + 4 * (static_cast<size_t>(y) * width + x);
            BgraPixel actual = ColorAt(bitmap, x, y);
            if (actual.red != expected[0] || actual.green != expected[1] || actual.blue != expected[2]) {
                ++mismatches;
                ADD_FAILURE() << file.name << " at (" << x << ", " << y << "): " << Describe(actual)
                              << " but stb reads (" << int(expected[0]) << ", " << int(expected[1]) << ", "
                              << int(expected[2]) << ")";
            }
        }
    stbi_image_free(reference);
    return true;
}

}  // namespace

TEST(BMPCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("bmp", kRefused, kBrokenButDecoded);
}

TEST(BMPCorpus, UncompressedBitmapsMatchAnIndependentDecoder)
{
    CAutoDecoder decoder;
    int compared = 0;
    for (const CorpusFile& file : CorpusFiles("bmp")) {
        // 16-bit pixels are widened by shifting here and by bit replication in stb.
        bool comparable = file.expected == "yes" && file.note.find("uncompressed") != std::string::npos &&
                          file.note.find("16bpp") == std::string::npos && kRefused.count(file.name) == 0;
        if (!comparable)
            continue;
        DecodeResult result = DecodeFileAt(decoder, file.path);
        ASSERT_TRUE(result.Ok()) << file.name << ": " << result.text;
        if (ExpectSamePixelsAsStb(file, *result.bitmap))
            ++compared;
    }
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    EXPECT_GE(compared, 15);
}
