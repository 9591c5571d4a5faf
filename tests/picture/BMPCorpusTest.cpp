// Real-world bitmaps written by other programs. Valid ones must decode, to the
// same pixels stb_image finds where it reads them; broken ones must fail
// cleanly, except those our rules read past by design.

#include <gtest/gtest.h>

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
        if (ExpectSamePixelsAsStb(file, *result.bitmap, file.name))
            ++compared;
    }
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    EXPECT_GE(compared, 15);
}
