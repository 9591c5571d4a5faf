// EPS files with a TIFF preview, as drawing programs save them: the 30-byte
// binary header, the PostScript, then the TIFF, whose offsets count from its
// own first byte.

#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "picture/formats/TIFFDecoder.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TiffWriter.h"

namespace {

std::vector<uint8_t> Eps(const std::vector<uint8_t>& tiff, size_t trailingBytes = 0)
{
    // An odd length, so the preview starts at an odd offset.
    std::vector<uint8_t> eps = WriteEps("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 19 13\n%%EOF\n", tiff);
    eps.insert(eps.end(), trailingBytes, '%');
    return eps;
}

TiffImage Picture(bool rgb, bool bigEndian)
{
    TiffImage image = SceneTiff(19, 13, COMPRESSION_LZW);
    image.bigEndian = bigEndian;
    if (!rgb) {
        image.samplesPerPixel = 1;
        image.photometric = PHOTOMETRIC_MINISWHITE;
        image.pixels = Flatten(SceneIndices(19, 13));
    }
    return image;
}

}  // namespace

TEST(EpsPreview, DecodesTheTiffPreviewAsTheTiffItself)
{
    CAutoDecoder autoDecoder;
    CTIFFDecoder tiffDecoder;
    for (bool rgb : {false, true}) {
        for (bool bigEndian : {false, true}) {
            std::string what = std::string(rgb ? "RGB" : "grey") + (bigEndian ? ", Motorola order" : ", Intel order");
            std::vector<uint8_t> tiff = WriteTiff(Picture(rgb, bigEndian));
            DecodeResult alone = DecodeBytes(tiffDecoder, tiff);
            ASSERT_TRUE(alone.Ok()) << what << ": " << alone.text;
            for (size_t trailing : {0, 11}) {
                DecodeResult preview = DecodeBytes(autoDecoder, Eps(tiff, trailing));
                ASSERT_TRUE(preview.Ok()) << what << ": " << preview.text;
                ASSERT_EQ(preview.bitmap->GetSize(), alone.bitmap->GetSize()) << what;
                EXPECT_EQ(preview.bitmap->GetBitsPerPixel(), alone.bitmap->GetBitsPerPixel()) << what;
                ExpectColors(
                    *preview.bitmap,
                    [&](int x, int y) -> std::optional<BgraPixel> { return ColorAt(*alone.bitmap, x, y); }, 0,
                    what);
            }
        }
    }
}

TEST(EpsPreview, APreviewThatIsNoTiffIsRefusedByTheTiffDecoder)
{
    CAutoDecoder decoder;
    DecodeResult result = DecodeBytes(decoder, Eps(std::vector<uint8_t>(40, 'x')));
    EXPECT_EQ(result.code, PE_WRONG_SIGNATURE) << result.text;
}
