// Real-world grey maps written by other programs: valid ones decode, to the
// pixels stb_image finds in 8-bit binary files; broken ones fail cleanly.

#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

TEST(PGMCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("pgm", {}, {});
}

TEST(PGMCorpus, BinaryEightBitMapsMatchAnIndependentDecoder)
{
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    int compared = CompareCorpusWithStb("pgm", [](const CorpusFile& file) {
        // stb_image reads binary maps only, and does not scale other maxima.
        return file.expected == "yes" && file.note.find("P5") != std::string::npos &&
               file.note.find("maxval=255") != std::string::npos;
    });
    EXPECT_GE(compared, 5);
}

TEST(PGMCorpus, OtherMaximaAndAsciiMapsGiveTheSameGreys)
{
    // The generated files hold one picture at several maxima and in both forms.
    std::string folder = CorpusFolder();
    if (folder.empty())
        GTEST_SKIP() << "no corpus on this machine";
    CAutoDecoder decoder;
    DecodeResult reference = DecodeFileAt(decoder, folder + "/pgm/twelvemonkeys__house.l.pgm");
    ASSERT_TRUE(reference.Ok()) << reference.text;
    for (const char* name : {"generated__house_p2_maxval1000.pgm", "generated__house_p5_maxval4095.pgm",
                             "generated__house_p5_maxval100.pgm", "generated__house_p5_maxval15.pgm"}) {
        DecodeResult result = DecodeFileAt(decoder, folder + "/pgm/" + name);
        ASSERT_TRUE(result.Ok()) << name << ": " << result.text;
        int worst = 0;
        for (int y = 0; y < reference.bitmap->GetHeight(); ++y)
            for (int x = 0; x < reference.bitmap->GetWidth(); ++x)
                worst = std::max(worst, std::abs(IndexAt(*result.bitmap, x, y) - IndexAt(*reference.bitmap, x, y)));
        // Fewer grey levels round the picture's greys to their steps.
        EXPECT_LE(worst, std::string(name).find("maxval15") != std::string::npos ? 17 : 3) << name;
    }
}
