// Real-world pictures written by other programs. Valid ones must decode (to the
// same pixels an independent decoder finds, where it reads them); broken ones
// must fail cleanly, except those our rules read past by design, listed below.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include <stb/stb_image.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

namespace {

// Valid files the library refuses on purpose, with the reason.
const std::map<std::string, std::string> kRefused = {
    {"bmp/imagers__Core_1_Bit.bmp", "OS/2 core header: headers below 40 bytes are refused"},
    {"bmp/imagers__Core_8_Bit.bmp", "OS/2 core header"},
    {"bmp/twelvemonkeys__money-16-_os2_.bmp", "OS/2 core header"},
    {"bmp/twelvemonkeys__money-2-_os2_.bmp", "OS/2 core header"},
    {"bmp/twelvemonkeys__money-24bit-os2.bmp", "OS/2 core header"},
    {"bmp/pillow__l2rgb_read.bmp", "3158064 pixels wide: beyond the 2^20 limit"},
    {"bmp/twelvemonkeys__blauesglas_4.rle", "run-length delta escapes are not decoded"},
    {"bmp/twelvemonkeys__blauesglas_8.rle", "run-length delta escapes are not decoded"},
};

// Broken files that still decode, because the decoder never reads the broken field.
const std::map<std::string, std::string> kBrokenButDecoded = {
    {"bmp/bmpsuite__b_badbitssize.bmp", "the image-size field is never used"},
    {"bmp/bmpsuite__b_baddens1.bmp", "the resolution fields are never used"},
    {"bmp/bmpsuite__b_baddens2.bmp", "the resolution fields are never used"},
    {"bmp/bmpsuite__b_badplanes.bmp", "the planes field is never used"},
    {"bmp/bmpsuite__b_rgb16-880.bmp", "overlapping masks still select bits of each pixel"},
    {"bmp/bmpsuite__b_rletopdown.bmp", "top-down rows are decoded in their order, run-length ones too"},
    {"bmp/imagers__rle_overflow.bmp", "runs reaching past the line are clipped"},
};

class Corpus : public ::testing::TestWithParam<std::string> {};

// Compares red, green and blue with what stb_image makes of the file, where it reads it.
void ExpectSamePixelsAsStb(const CorpusFile& file, const CPictureBitmap& bitmap)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* reference = stbi_load(file.path.c_str(), &width, &height, &channels, 4);
    if (reference == nullptr)
        return;
    EXPECT_EQ(width, bitmap.GetWidth()) << file.name;
    EXPECT_EQ(height, bitmap.GetHeight()) << file.name;
    int mismatches = 0;
    for (int y = 0; y < std::min(height, bitmap.GetHeight()) && mismatches < 3; ++y)
        for (int x = 0; x < std::min(width, bitmap.GetWidth()) && mismatches < 3; ++x) {
            const stbi_uc* expected = reference + 4 * (static_cast<size_t>(y) * width + x);
            BgraPixel actual = ColorAt(bitmap, x, y);
            if (actual.red != expected[0] || actual.green != expected[1] || actual.blue != expected[2]) {
                ++mismatches;
                ADD_FAILURE() << file.name << " at (" << x << ", " << y << "): " << Describe(actual) << " but stb reads ("
                              << int(expected[0]) << ", " << int(expected[1]) << ", " << int(expected[2]) << ")";
            }
        }
    stbi_image_free(reference);
}

}  // namespace

TEST_P(Corpus, EveryFileMeetsItsExpectation)
{
    std::vector<CorpusFile> files = CorpusFiles(GetParam());
    if (files.empty())
        GTEST_SKIP() << "no corpus on this machine";
    CAutoDecoder decoder;
    for (const CorpusFile& file : files) {
        DecodeResult result = DecodeFileAt(decoder, file.path);
        if (file.expected == "yes") {
            if (kRefused.count(file.name) != 0) {
                EXPECT_FALSE(result.Ok()) << file.name << " now decodes: " << kRefused.at(file.name);
                continue;
            }
            EXPECT_TRUE(result.Ok()) << file.name << " (" << file.note << "): " << result.text;
        } else if (file.expected == "no") {
            EXPECT_EQ(result.Ok(), kBrokenButDecoded.count(file.name) != 0) << file.name << ": " << result.text;
        }
        // Whatever the outcome, the other depths must not crash either.
        DecodeFileAt(decoder, file.path, 8);
        DecodeFileAt(decoder, file.path, 32);
    }
}

TEST_P(Corpus, UncompressedBitmapsMatchAnIndependentDecoder)
{
    if (GetParam() != "bmp")
        GTEST_SKIP();
    CAutoDecoder decoder;
    for (const CorpusFile& file : CorpusFiles("bmp")) {
        // 16-bit pixels are widened by shifting here and by bit replication in stb.
        bool comparable = file.expected == "yes" && file.note.find("uncompressed") != std::string::npos &&
                          file.note.find("16bpp") == std::string::npos;
        if (!comparable)
            continue;
        DecodeResult result = DecodeFileAt(decoder, file.path);
        if (result.Ok())
            ExpectSamePixelsAsStb(file, *result.bitmap);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, Corpus, ::testing::Values("bmp"));
