// Real-world Targa files written by other programs: valid ones decode, to the
// pixels stb_image finds where both widen colours alike; broken ones fail cleanly.

#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

TEST(TGACorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("tga", {}, {});
}

TEST(TGACorpus, PicturesMatchAnIndependentDecoder)
{
    CAutoDecoder decoder;
    int compared = 0;
    for (const CorpusFile& file : CorpusFiles("tga")) {
        // 5-bit components are widened by shifting here and by scaling in stb.
        bool comparable = file.expected == "yes" && file.note.find("16-bit") == std::string::npos &&
                          file.note.find("@15-bit") == std::string::npos;
        if (!comparable)
            continue;
        DecodeResult result = DecodeFileAt(decoder, file.path);
        ASSERT_TRUE(result.Ok()) << file.name << ": " << result.text;
        if (ExpectSamePixelsAsStb(file, *result.bitmap))
            ++compared;
    }
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    EXPECT_GE(compared, 20);
}
