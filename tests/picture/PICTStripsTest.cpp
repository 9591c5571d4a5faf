// Pictures that old programs stored as a column of strips, one raster opcode
// each, decode whole.

#include <gtest/gtest.h>

#include "picture/formats/JPEGDecoder.h"
#include "picture/formats/PICTDecoder.h"
#include "tests/support/DamagedInput.h"
#include "tests/support/JpegWriter.h"
#include "tests/support/PictWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr int kWidth = 24;
constexpr int kHeight = 12;

using IndexRows = std::vector<std::vector<uint8_t>>;

IndexRows RowsOf(const IndexRows& rows, int first, int count)
{
    return IndexRows(rows.begin() + first, rows.begin() + first + count);
}

DecodeResult Decode(const std::vector<uint8_t>& bytes, int wantedDepth = 0)
{
    CPICTDecoder decoder(nullptr);
    return DecodeBytes(decoder, bytes, wantedDepth);
}

// The scene in strips of 5, 5 and 2 rows.
PictWriter StripedScene(const IndexRows& scene)
{
    PictWriter pict(2, kWidth, kHeight);
    AppendPictIndexedStrip(pict, RowsOf(scene, 0, 5), CubePalette(), 0);
    AppendPictIndexedStrip(pict, RowsOf(scene, 5, 5), CubePalette(), 5);
    AppendPictIndexedStrip(pict, RowsOf(scene, 10, 2), CubePalette(), 10);
    return pict;
}

void ExpectScene(const CPictureBitmap& bitmap, const IndexRows& scene)
{
    ASSERT_EQ(bitmap.GetSize(), std::make_pair(kWidth, kHeight));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_EQ(IndexAt(bitmap, x, y), scene[y][x]) << x << "," << y;
}

// A QuickTime opcode whose matrix moves a JPEG image by (dx, dy).
void AppendMovedJpeg(PictWriter& pict, const std::vector<uint8_t>& jpeg, int dx, int dy, int scale = 1)
{
    ByteWriter data;
    data.U16BE(0);  // version
    for (int32_t value : {scale << 16, 0, 0, 0, scale << 16, 0, dx << 16, dy << 16, 1 << 30})
        data.U32BE(static_cast<uint32_t>(value));
    data.Fill(30, 0x22).Bytes(jpeg);
    std::vector<uint8_t> payload = data.Take();
    pict.Op(0x8200).Data().U32BE(static_cast<uint32_t>(payload.size())).Bytes(payload);
}

std::vector<uint8_t> GreyJpeg(int width, int height, uint8_t level)
{
    JpegImage image;
    image.width = width;
    image.height = height;
    image.components = 1;
    image.samples.assign(static_cast<size_t>(width * height), level);
    return WriteJpeg(image);
}

}  // namespace

TEST(PICTStrips, JoinIntoOnePicture)
{
    IndexRows scene = SceneIndices(kWidth, kHeight);
    DecodeResult indexed = Decode(StripedScene(scene).Finish());
    ASSERT_TRUE(indexed.Ok()) << indexed.text;
    ExpectScene(*indexed.bitmap, scene);

    DecodeResult colours = Decode(StripedScene(scene).Finish(), 32);
    ASSERT_TRUE(colours.Ok()) << colours.text;
    EXPECT_EQ(colours.bitmap->GetSize(), std::make_pair(kWidth, kHeight));
    auto cube = CubePalette()[scene[11][3]];
    EXPECT_EQ(ColorAt(*colours.bitmap, 3, 11), OpaqueBgra(cube[0], cube[1], cube[2]));

    // Drawing between the strips, and a one-bit image that cannot join them,
    // are drawn over the strips before them, in order.
    IndexRows top = RowsOf(scene, 0, 5);
    PictWriter mixed(2, kWidth, kHeight);
    AppendPictIndexedStrip(mixed, top, CubePalette(), 0);
    mixed.Op(0x31).Data().U16BE(0).U16BE(0).U16BE(4).U16BE(4);  // paintRect
    ByteWriter& mask = mixed.Op(0x90).Data();
    mask.U16BE(2);
    mask.U16BE(0).U16BE(0).U16BE(1).U16BE(16);
    WritePictPlacement(mask, {16, 1}, 0, 0, 16, 1);
    mask.U16BE(0xFFFF);
    AppendPictIndexedStrip(mixed, RowsOf(scene, 5, 7), CubePalette(), 5);
    DecodeResult withMask = Decode(mixed.Finish());
    ASSERT_TRUE(withMask.Ok()) << withMask.text;
    ASSERT_EQ(withMask.bitmap->GetSize(), std::make_pair(kWidth, kHeight));
    auto sceneColor = [&](int x, int y) {
        auto color = CubePalette()[scene[static_cast<size_t>(y)][static_cast<size_t>(x)]];
        return OpaqueBgra(color[0], color[1], color[2]);
    };
    EXPECT_EQ(ColorAt(*withMask.bitmap, 3, 3), OpaqueBgra(0, 0, 0));    // the painted rectangle
    EXPECT_EQ(ColorAt(*withMask.bitmap, 15, 0), OpaqueBgra(0, 0, 0));   // the one-bit row
    EXPECT_EQ(ColorAt(*withMask.bitmap, 20, 0), sceneColor(20, 0));
    EXPECT_EQ(ColorAt(*withMask.bitmap, 5, 4), sceneColor(5, 4));
    EXPECT_EQ(ColorAt(*withMask.bitmap, 3, 11), sceneColor(3, 11));
}

TEST(PICTStrips, StripsThatCannotJoinAreLeftOut)
{
    IndexRows scene = SceneIndices(kWidth, kHeight);
    // Another colour table: the first strip alone.
    auto otherColours = CubePalette();
    otherColours[0] = {1, 2, 3};
    PictWriter palettes(2, kWidth, kHeight);
    AppendPictIndexedStrip(palettes, RowsOf(scene, 0, 5), CubePalette(), 0);
    AppendPictIndexedStrip(palettes, RowsOf(scene, 5, 7), otherColours, 5);
    DecodeResult first = Decode(palettes.Finish());
    ASSERT_TRUE(first.Ok()) << first.text;
    EXPECT_EQ(first.bitmap->GetSize(), std::make_pair(kWidth, 5));

    // A gap between strips is white (index 0 of a QuickDraw colour table).
    PictWriter gap(2, kWidth, kHeight);
    AppendPictIndexedStrip(gap, RowsOf(scene, 0, 5), CubePalette(), 0);
    AppendPictIndexedStrip(gap, RowsOf(scene, 10, 2), CubePalette(), 10);
    DecodeResult gapped = Decode(gap.Finish());
    ASSERT_TRUE(gapped.Ok()) << gapped.text;
    ASSERT_EQ(gapped.bitmap->GetSize(), std::make_pair(kWidth, kHeight));
    EXPECT_EQ(IndexAt(*gapped.bitmap, 7, 7), 0);
    EXPECT_EQ(IndexAt(*gapped.bitmap, 7, 11), scene[11][7]);

    // A strip so far away that the whole would pass the bitmap limits.
    PictWriter far(2, kWidth, kHeight);
    AppendPictIndexedStrip(far, RowsOf(scene, 0, 5), CubePalette(), -32000, -32000);
    AppendPictIndexedStrip(far, RowsOf(scene, 5, 5), CubePalette(), 32000, 32000);
    DecodeResult farApart = Decode(far.Finish());
    ASSERT_TRUE(farApart.Ok()) << farApart.text;
    EXPECT_EQ(farApart.bitmap->GetSize(), std::make_pair(kWidth, 5));
}

TEST(PICTStrips, DamageAfterTheFirstStripKeepsWhatWasRead)
{
    IndexRows scene = SceneIndices(kWidth, kHeight);
    std::vector<uint8_t> whole = StripedScene(scene).Finish();
    size_t firstEnd = 0;
    {
        PictWriter one(2, kWidth, kHeight);
        AppendPictIndexedStrip(one, RowsOf(scene, 0, 5), CubePalette(), 0);
        firstEnd = one.Take().size();
    }
    // Cut anywhere behind the first strip, the picture decodes from the strips
    // that are complete.
    for (size_t cut = firstEnd; cut < whole.size(); cut += 7) {
        DecodeResult result = Decode(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)));
        ASSERT_TRUE(result.Ok()) << "cut at " << cut << ": " << result.text;
        int height = result.bitmap->GetHeight();
        EXPECT_TRUE(height == 5 || height == 10 || height == kHeight) << height;
        EXPECT_EQ(IndexAt(*result.bitmap, 2, 4), scene[4][2]);
    }
    CPICTDecoder decoder(nullptr);
    ExpectChangedBytesEndCleanly(decoder, whole, 300, "striped picture", firstEnd);
}

TEST(PICTStrips, MovedJpegImagesJoin)
{
    CJPEGDecoder jpegDecoder;
    CPICTDecoder decoder(&jpegDecoder);
    PictWriter pict(2, 16, 24);
    AppendMovedJpeg(pict, GreyJpeg(16, 16, 200), 0, 0);
    AppendMovedJpeg(pict, GreyJpeg(16, 8, 40), 0, 16);
    DecodeResult joined = DecodeBytes(decoder, pict.Finish());
    ASSERT_TRUE(joined.Ok()) << joined.text;
    ASSERT_EQ(joined.bitmap->GetSize(), std::make_pair(16, 24));
    EXPECT_NEAR(ColorAt(*joined.bitmap, 5, 3).green, 200, 2);
    EXPECT_NEAR(ColorAt(*joined.bitmap, 5, 20).green, 40, 2);

    // A scaled image is not a strip: the first image alone.
    PictWriter scaled(2, 16, 24);
    AppendMovedJpeg(scaled, GreyJpeg(16, 16, 200), 0, 0);
    AppendMovedJpeg(scaled, GreyJpeg(8, 4, 40), 0, 16, 2);
    DecodeResult first = DecodeBytes(decoder, scaled.Finish());
    ASSERT_TRUE(first.Ok()) << first.text;
    EXPECT_EQ(first.bitmap->GetSize(), std::make_pair(16, 16));
}

// Where images overlap, the earlier one stays. ImageMagick writes after its
// QuickTime JPEG image a pixmap of the same rectangle, all zero, for readers
// without QuickTime.
TEST(PICTStrips, LaterImagesOnlyFillWhatEarlierOnesLeft)
{
    JpegImage colours;
    colours.width = kWidth;
    colours.height = kHeight;
    colours.samples = JpegSamples(SceneRows(kWidth, kHeight), 3);
    std::vector<uint8_t> jpeg = WriteJpeg(colours);
    PictWriter pict(2, kWidth, kHeight);
    AppendMovedJpeg(pict, jpeg, 0, 0);
    AppendPictDirect(pict, std::vector<std::vector<uint32_t>>(kHeight, std::vector<uint32_t>(kWidth, 0)), 32);
    CJPEGDecoder jpegDecoder;
    CPICTDecoder decoder(&jpegDecoder);
    DecodeResult withStandIn = DecodeBytes(decoder, pict.Finish());
    ASSERT_TRUE(withStandIn.Ok()) << withStandIn.text;
    DecodeResult jpegAlone = DecodeBytes(jpegDecoder, jpeg);
    ASSERT_EQ(withStandIn.bitmap->GetSize(), jpegAlone.bitmap->GetSize());
    ExpectColors(
        *withStandIn.bitmap, [&](int x, int y) { return ColorAt(*jpegAlone.bitmap, x, y); }, 0, "JPEG and stand-in");

    // A strip reaching into the one before fills only the rows below it.
    IndexRows scene = SceneIndices(kWidth, kHeight);
    IndexRows lower = RowsOf(scene, 3, 9);
    for (int row : {0, 1})
        for (uint8_t& index : lower[row])
            index = static_cast<uint8_t>((index + 1) % 216);
    PictWriter overlapping(2, kWidth, kHeight);
    AppendPictIndexedStrip(overlapping, RowsOf(scene, 0, 5), CubePalette(), 0);
    AppendPictIndexedStrip(overlapping, lower, CubePalette(), 3);
    DecodeResult joined = Decode(overlapping.Finish());
    ASSERT_TRUE(joined.Ok()) << joined.text;
    ExpectScene(*joined.bitmap, scene);
}
