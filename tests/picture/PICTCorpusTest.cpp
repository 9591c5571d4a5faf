// Real-world PICT files written by other programs: pictures that draw are
// played, the others give their raster image; QuickTime codecs this library
// lacks are refused.

#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

namespace {

constexpr const char* kNoCinepak = "QuickTime Cinepak data: no Cinepak decoder on Debian for the library to use";

const CorpusReasons kRefused = {
    {"pict/quickdrawviewer__MireRpza.pict", "QuickTime RPZA (Apple Video) data: no decoder on Debian"},
    {"pict/quickdrawviewer__RegensBurgCinepak.pict", kNoCinepak},
    {"pict/quickdrawviewer__Telefunken_Cinepak_24.pict", kNoCinepak},
    {"pict/quickdrawviewer__ZurichCinepakBest.pict", kNoCinepak},
};

}  // namespace

TEST(PICTCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("pict", kRefused, {});
}

// Pictures stored in strips, of PackBits pixmaps or of moved JPEG images,
// decode at the size of the whole picture.
TEST(PICTCorpus, StripedPicturesDecodeWhole)
{
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    CAutoDecoder decoder;
    const std::pair<const char*, std::pair<int, int>> striped[] = {
        {"pict/twelvemonkeys__1.pict", {622, 437}},
        {"pict/twelvemonkeys__9.pict", {622, 437}},
        {"pict/twelvemonkeys__J19.pict", {640, 480}},
    };
    for (const auto& [name, size] : striped) {
        DecodeResult result = DecodeFileAt(decoder, CorpusFolder() + "/" + name);
        ASSERT_TRUE(result.Ok()) << name << ": " << result.text;
        EXPECT_EQ(result.bitmap->GetSize(), size) << name;
    }
}
