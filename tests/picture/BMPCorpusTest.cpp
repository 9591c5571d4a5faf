// Real-world bitmaps written by other programs. Valid ones must decode, to the
// same pixels stb_image finds where it reads them; broken ones must fail
// cleanly, except those our rules read past by design.

#include <gtest/gtest.h>

#include "tests/support/Corpus.h"

namespace {

const CorpusReasons kRefused = {
    {"bmp/pillow__l2rgb_read.bmp", "3158064 pixels wide: beyond the 2^20 limit"},
};

const CorpusReasons kBrokenButDecoded = {
    {"bmp/bmpsuite__b_badbitssize.bmp", "the image-size field is never used"},
    {"bmp/bmpsuite__b_baddens1.bmp", "the resolution fields are never used"},
    {"bmp/bmpsuite__b_baddens2.bmp", "the resolution fields are never used"},
    {"bmp/bmpsuite__b_badplanes.bmp", "the planes field is never used"},
    {"bmp/bmpsuite__b_rgb16-880.bmp", "overlapping masks still select bits of each pixel"},
    {"bmp/bmpsuite__b_rletopdown.bmp", "top-down rows are decoded in their order, run-length ones too"},
    {"bmp/imagers__rle_overflow.bmp", "runs reaching past the line are clipped"},
    {"bmp/bmpsuite__b_badrle.bmp", "runs and deltas reaching past the picture are clipped"},
    {"bmp/bmpsuite__b_badrle4.bmp", "runs and deltas reaching past the picture are clipped"},
    {"bmp/bmpsuite__b_badrle4bis.bmp", "runs and deltas reaching past the picture are clipped"},
    {"bmp/bmpsuite__b_badrle4ter.bmp", "runs and deltas reaching past the picture are clipped"},
    {"bmp/bmpsuite__b_badrleter.bmp", "runs and deltas reaching past the picture are clipped"},
};

}  // namespace

TEST(BMPCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("bmp", kRefused, kBrokenButDecoded);
}

TEST(BMPCorpus, UncompressedBitmapsMatchAnIndependentDecoder)
{
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    int compared = CompareCorpusWithStb("bmp", [](const CorpusFile& file) {
        // 16-bit pixels are widened by shifting here and by bit replication in
        // stb. stb reads the OS/2 core files otherwise than ImageMagick, which
        // gives the very pixels decoded here.
        return file.expected == "yes" && file.note.find("uncompressed") != std::string::npos &&
               file.note.find("16bpp") == std::string::npos && file.note.find("OS/2") == std::string::npos &&
               kRefused.count(file.name) == 0;
    });
    EXPECT_GE(compared, 15);
}
