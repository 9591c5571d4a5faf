// Real-world GIF files. Valid ones must decode, single images to the colours
// stb_image finds wherever it sees an opaque pixel; broken ones must fail
// cleanly, except those our rules read past by design.

#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

namespace {

const CorpusReasons kRefused = {
};

const CorpusReasons kBrokenButDecoded = {
};

// Pixels no image covers and transparent ones are see-through in stb_image
// and are left out; every other pixel must have stb_image's colour.
bool ExpectSameColoursAsStb(const CorpusFile& file, const CPictureBitmap& bitmap)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* reference = stbi_load(file.path.c_str(), &width, &height, &channels, 4);
    if (reference == nullptr)
        return false;
    EXPECT_EQ(std::make_pair(width, height), bitmap.GetSize()) << file.name;
    if (std::make_pair(width, height) == bitmap.GetSize())
        ExpectColors(
            bitmap,
            [&](int x, int y) -> std::optional<BgraPixel> {
                const stbi_uc* pixel = reference + 4 * (static_cast<size_t>(y) * width + x);
                if (pixel[3] != 255)
                    return std::nullopt;
                return OpaqueBgra(pixel[0], pixel[1], pixel[2]);
            },
            0, file.name);
    stbi_image_free(reference);
    return true;
}

}  // namespace

TEST(GIFCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("gif", kRefused, kBrokenButDecoded);
}

TEST(GIFCorpus, SingleImagesMatchAnIndependentDecoder)
{
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    CAutoDecoder decoder;
    int compared = 0;
    for (const CorpusFile& file : CorpusFiles("gif")) {
        if (file.expected != "yes" || file.note.find(", 1 frame") == std::string::npos || kRefused.count(file.name))
            continue;
        DecodeResult result = DecodeFileAt(decoder, file.path);
        ASSERT_TRUE(result.Ok()) << file.name << ": " << result.text;
        if (ExpectSameColoursAsStb(file, *result.bitmap))
            ++compared;
    }
    EXPECT_GE(compared, 20);
}
