// Real-world PICT files written by other programs: those holding a raster
// image decode; pictures of drawing alone, and QuickTime codecs other than
// JPEG, are refused.

#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

namespace {

constexpr const char* kVectorOnly = "drawing opcodes only: no raster image to extract";
constexpr const char* kNoPreamble = "no 512-byte preamble: not recognised as PICT";
constexpr const char* kOtherCodec = "QuickTime data of another codec than JPEG";

const CorpusReasons kRefused = {
    {"pict/generated__noheader_DiskMode_SCSI.PICT", kNoPreamble},
    {"pict/generated__noheader_VENUS.PCT", kNoPreamble},
    {"pict/quickdrawviewer__Graypatterns.pict",
     "version 1 without a clip region first: not recognised as PICT (and drawing only)"},
    {"pict/quickdrawviewer__MacDraft.pict",
     "version 1 without a clip region first: not recognised as PICT (and drawing only)"},
    {"pict/quickdrawviewer__CarteRingstadt.pict", kVectorOnly},
    {"pict/quickdrawviewer__CircleShapeBurstClaris.pict", kVectorOnly},
    {"pict/quickdrawviewer__ClarisGradient-2-colors-90_.pict", kVectorOnly},
    {"pict/quickdrawviewer__ClarisGradient2Colors.pict", kVectorOnly},
    {"pict/quickdrawviewer__ClarisGradient45_-3-Colors.pict", kVectorOnly},
    {"pict/quickdrawviewer__ClarisGradient4Colors.pict", kVectorOnly},
    {"pict/quickdrawviewer__ClarisWork5Gradient.PICT", kVectorOnly},
    {"pict/quickdrawviewer__Clarisgradientstar.pict", kVectorOnly},
    {"pict/quickdrawviewer__Cr_ateursGenevois.pict", kVectorOnly},
    {"pict/quickdrawviewer__Pantone.pict", kVectorOnly},
    {"pict/quickdrawviewer__PixPattern.PICT", kVectorOnly},
    {"pict/quickdrawviewer__Wahlenstadt.pict", kVectorOnly},
    {"pict/quickdrawviewer__liste_chainee.pict", kVectorOnly},
    {"pict/twelvemonkeys__5.pict", kVectorOnly},
    {"pict/twelvemonkeys__6.pict", kVectorOnly},
    {"pict/twelvemonkeys__7.pict", kVectorOnly},
    {"pict/twelvemonkeys__carte.pict", kVectorOnly},
    {"pict/twelvemonkeys__cow.pict", kVectorOnly},
    {"pict/quickdrawviewer__MireRpza.pict", kOtherCodec},
    {"pict/quickdrawviewer__RegensBurgCinepak.pict", kOtherCodec},
    {"pict/quickdrawviewer__Telefunken_Cinepak_24.pict", kOtherCodec},
    {"pict/quickdrawviewer__ZurichCinepakBest.pict", kOtherCodec},
    {"pict/twelvemonkeys__P30946BDC.pict", kOtherCodec},
    {"pict/twelvemonkeys__foo.pict", kOtherCodec},
    {"pict/twelvemonkeys__u2.pict", kOtherCodec},
    {"pict/twelvemonkeys__qt_bmp.pict", kOtherCodec},
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
