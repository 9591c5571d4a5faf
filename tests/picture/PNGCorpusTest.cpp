// Real-world PNG files, PngSuite's among them. Valid ones must decode to the
// pixels stb_image finds; broken ones must fail cleanly.

#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

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
