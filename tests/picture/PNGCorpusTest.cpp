// Real-world PNG files, PngSuite's among them. Valid ones must decode to the
// pixels stb_image finds; broken ones must fail cleanly.

#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

namespace {

// Compares each pixel with stb_image's reading: red, green and blue always,
// alpha where the bitmap carries it. False when stb_image does not read the file.
bool ExpectSamePixelsAsStb(const CorpusFile& file, const CPictureBitmap& bitmap, const std::string& what)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* reference = stbi_load(file.path.c_str(), &width, &height, &channels, 4);
    if (reference == nullptr)
        return false;
    EXPECT_EQ(width, bitmap.GetWidth()) << what;
    EXPECT_EQ(height, bitmap.GetHeight()) << what;
    int mismatches = 0;
    for (int y = 0; y < std::min(height, bitmap.GetHeight()) && mismatches < 3; ++y)
        for (int x = 0; x < std::min(width, bitmap.GetWidth()) && mismatches < 3; ++x) {
            const stbi_uc* expected = reference + 4 * (static_cast<size_t>(y) * width + x);
            BgraPixel actual = ColorAt(bitmap, x, y);
            bool alphaDiffers = bitmap.GetAlphaFlag() && actual.alpha != expected[3];
            if (actual.red != expected[0] || actual.green != expected[1] || actual.blue != expected[2] ||
                alphaDiffers) {
                ++mismatches;
                ADD_FAILURE() << what << " at (" << x << ", " << y << "): " << Describe(actual)
                              << " but stb reads (" << int(expected[0]) << ", " << int(expected[1]) << ", "
                              << int(expected[2]) << ", " << int(expected[3]) << ")";
            }
        }
    stbi_image_free(reference);
    return true;
}

}  // namespace

TEST(PNGCorpus, EveryFileMeetsItsExpectation)
{
    // libpng refuses every deliberately broken file, and reads every valid one.
    ExpectCorpusOutcomes("png", {}, {});
}

TEST(PNGCorpus, ValidFilesMatchAnIndependentDecoder)
{
    CAutoDecoder decoder;
    int compared = 0;
    for (const CorpusFile& file : CorpusFiles("png")) {
        if (file.expected != "yes")
            continue;
        for (int wanted : {0, 32}) {
            DecodeResult result = DecodeFileAt(decoder, file.path, wanted);
            ASSERT_TRUE(result.Ok()) << file.name << ": " << result.text;
            if (ExpectSamePixelsAsStb(file, *result.bitmap, file.name + " at " + std::to_string(wanted)))
                ++compared;
        }
    }
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    EXPECT_GE(compared, 120);
}
