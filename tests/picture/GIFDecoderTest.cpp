// GIF pictures written by giflib itself: the logical screen with every image
// drawn into it in file order.

#include <gtest/gtest.h>

#include <gif_lib.h>

#include <random>

#include "picture/formats/GIFDecoder.h"
#include "tests/support/GifWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TestPictures.h"

namespace {

DecodeResult Decode(const std::vector<uint8_t>& bytes, int wantedDepth = 0)
{
    CGIFDecoder decoder;
    return DecodeBytes(decoder, bytes, wantedDepth);
}

DecodeResult Decode(const GifPicture& picture, int wantedDepth = 0)
{
    return Decode(WriteGif(picture), wantedDepth);
}

const GifColors kColors = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};

uint8_t Pattern(int x, int y)
{
    return static_cast<uint8_t>((x + 2 * y) % 6);
}

GifFrame Frame(int left, int top, int width, int height, uint8_t (*index)(int, int))
{
    GifFrame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame.indices.push_back(index(x, y));
    return frame;
}

// A screen with the global map kColors and no image yet.
GifPicture Screen(int width, int height, int background)
{
    GifPicture picture;
    picture.width = width;
    picture.height = height;
    picture.background = background;
    picture.colors = kColors;
    return picture;
}

GifPicture OneFrame(int width, int height, bool interlaced = false)
{
    GifPicture picture = Screen(width, height, 0);
    picture.frames.push_back(Frame(0, 0, width, height, Pattern));
    picture.frames.back().interlaced = interlaced;
    return picture;
}

BgraPixel ColorOf(const std::array<uint8_t, 3>& color)
{
    return OpaqueBgra(color[0], color[1], color[2]);
}

std::optional<BgraPixel> PatternColor(int x, int y)
{
    return ColorOf(kColors[Pattern(x, y)]);
}

}  // namespace

TEST(GIFDecoder, IndicesAndColourMapsOf87aAnd89aFiles)
{
    for (bool gif89 : {false, true}) {
        GifPicture picture = OneFrame(11, 7);
        picture.gif89 = gif89;
        for (int depth : {0, 8}) {
            DecodeResult result = Decode(picture, depth);
            ASSERT_TRUE(result.Ok()) << result.text;
            ASSERT_EQ(result.bitmap->GetBitsPerPixel(), 8);
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 11; ++x)
                    ASSERT_EQ(IndexAt(*result.bitmap, x, y), Pattern(x, y)) << "at (" << x << ", " << y << ")";
            EXPECT_EQ(result.bitmap->GetPalette()[5], ColorOf(kColors[5]));
            // The map is padded to 8 entries; past it the grey ramp stays.
            EXPECT_EQ(result.bitmap->GetPalette()[7], OpaqueBgra(0, 0, 0));
            EXPECT_EQ(result.bitmap->GetPalette()[8], OpaqueBgra(8, 8, 8));
        }
        DecodeResult wide = Decode(picture, 32);
        ASSERT_TRUE(wide.Ok()) << wide.text;
        EXPECT_EQ(wide.bitmap->GetBitsPerPixel(), 32);
        EXPECT_FALSE(wide.bitmap->GetAlphaFlag());
        ExpectColors(*wide.bitmap, PatternColor, 0, "32 bits");
    }
}

TEST(GIFDecoder, InterlacedRowsLandInTheirPlaces)
{
    for (int height : {1, 2, 3, 4, 5, 8, 9, 17}) {
        DecodeResult interlaced = Decode(OneFrame(5, height, true));
        ASSERT_TRUE(interlaced.Ok()) << interlaced.text;
        ExpectColors(*interlaced.bitmap, PatternColor, 0, "interlaced, height " + std::to_string(height));
    }
}

TEST(GIFDecoder, FramesAreDrawnInOrderWithTheLastImagesColourMap)
{
    GifPicture picture = Screen(8, 6, 5);
    picture.frames.push_back(Frame(0, 0, 8, 6, [](int, int) -> uint8_t { return 1; }));
    GifFrame second = Frame(2, 1, 3, 2, [](int, int) -> uint8_t { return 2; });
    second.colors = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    second.transparentIndex = 2;  // transparency is not used: the frame covers what lies below
    picture.frames.push_back(second);
    DecodeResult result = Decode(picture);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(IndexAt(*result.bitmap, 0, 0), 1);
    EXPECT_EQ(IndexAt(*result.bitmap, 2, 1), 2);
    EXPECT_EQ(IndexAt(*result.bitmap, 4, 2), 2);
    EXPECT_EQ(IndexAt(*result.bitmap, 5, 2), 1);
    EXPECT_EQ(IndexAt(*result.bitmap, 4, 3), 1);
    // The last image's own map, padded to 4 entries; beyond it the grey ramp.
    EXPECT_EQ(result.bitmap->GetPalette()[2], OpaqueBgra(70, 80, 90));
    EXPECT_EQ(result.bitmap->GetPalette()[4], OpaqueBgra(4, 4, 4));

    // When the last image has no map of its own, the global map holds.
    picture.frames.push_back(Frame(0, 0, 1, 1, [](int, int) -> uint8_t { return 3; }));
    result = Decode(picture);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(result.bitmap->GetPalette()[2], ColorOf(kColors[2]));
    EXPECT_EQ(IndexAt(*result.bitmap, 0, 0), 3);
}

TEST(GIFDecoder, ImagesAreClippedToTheScreenOverItsBackground)
{
    GifPicture picture = Screen(6, 5, 4);
    picture.frames.push_back(Frame(3, 2, 5, 4, Pattern));  // reaches past the right and the bottom
    picture.frames.push_back(Frame(10, 10, 2, 2, Pattern));
    picture.frames.push_back(Frame(0, 0, 1, 1, [](int, int) -> uint8_t { return 3; }));
    DecodeResult result = Decode(picture);
    ASSERT_TRUE(result.Ok()) << result.text;
    ASSERT_EQ(result.bitmap->GetSize(), std::make_pair(6, 5));
    EXPECT_EQ(IndexAt(*result.bitmap, 0, 0), 3);
    EXPECT_EQ(IndexAt(*result.bitmap, 1, 0), 4);
    EXPECT_EQ(IndexAt(*result.bitmap, 2, 2), 4);
    EXPECT_EQ(IndexAt(*result.bitmap, 5, 1), 4);
    EXPECT_EQ(IndexAt(*result.bitmap, 3, 2), Pattern(0, 0));
    EXPECT_EQ(IndexAt(*result.bitmap, 5, 4), Pattern(2, 2));
}

// An image taller than the screen is read only as far as a row can still
// reach the screen: here its data end there, and reading on would fail. The
// image after it is still drawn.
TEST(GIFDecoder, ImagesAreReadOnlyWhileARowCanReachTheScreen)
{
    struct Case {
        const char* name;
        int screenHeight;
        int top;
        bool interlaced;
        int claimedHeight;
        std::vector<uint8_t> storedRows;  // one index per row, in file order
        std::vector<int> column;          // the indices of column 0, top down
    };
    const Case cases[] = {
        {"rows in order", 2, 0, false, 65535, {1, 3}, {1, 3}},
        {"interlaced, the top row", 1, 0, true, 65535, {1}, {1}},
        // Row 1 comes in the last pass, after rows 0, 8, 4, 12, 2, 6, 10 and 14.
        {"interlaced, two rows", 2, 0, true, 16, {1, 5, 5, 5, 5, 5, 5, 5, 3}, {1, 3}},
        {"below the screen", 2, 2, false, 65535, {5}, {0, 0}},
    };
    for (const Case& c : cases) {
        GifPicture picture = Screen(2, c.screenHeight, 0);
        GifFrame tall;
        tall.top = c.top;
        tall.height = static_cast<int>(c.storedRows.size());
        tall.indices = c.storedRows;
        tall.interlaced = c.interlaced;
        tall.claimedHeight = c.claimedHeight;
        picture.frames.push_back(tall);
        picture.frames.push_back(Frame(1, 0, 1, c.screenHeight, [](int, int) -> uint8_t { return 2; }));
        DecodeResult result = Decode(picture);
        ASSERT_TRUE(result.Ok()) << c.name << ": " << result.text;
        for (int y = 0; y < c.screenHeight; ++y) {
            EXPECT_EQ(IndexAt(*result.bitmap, 0, y), c.column[static_cast<size_t>(y)]) << c.name << ", row " << y;
            EXPECT_EQ(IndexAt(*result.bitmap, 1, y), 2) << c.name << ", row " << y;
        }
    }
}

TEST(GIFDecoder, APictureWithoutColourMapsKeepsTheGreyRamp)
{
    GifPicture picture = OneFrame(4, 3);
    picture.colors.clear();
    DecodeResult result = Decode(picture);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(IndexAt(*result.bitmap, 3, 2), Pattern(3, 2));
    EXPECT_EQ(result.bitmap->GetPalette()[1], OpaqueBgra(1, 1, 1));
    EXPECT_EQ(result.bitmap->GetPalette()[255], OpaqueBgra(255, 255, 255));
}

TEST(GIFDecoder, ScreenSizes)
{
    // A screen of 0 x 0 takes the extent of the first image.
    GifPicture empty = Screen(0, 0, 5);
    empty.frames.push_back(Frame(2, 1, 4, 3, Pattern));
    DecodeResult result = Decode(empty);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(result.bitmap->GetSize(), std::make_pair(6, 4));
    EXPECT_EQ(IndexAt(*result.bitmap, 1, 0), 5);
    EXPECT_EQ(IndexAt(*result.bitmap, 5, 3), Pattern(3, 2));

    for (auto [width, height] : {std::pair {0, 5}, std::pair {65535, 65535}}) {
        GifPicture picture = OneFrame(2, 2);
        picture.width = width;
        picture.height = height;
        DecodeResult refused = Decode(picture);
        EXPECT_EQ(refused.code, PE_FORMAT_ERROR) << refused.text;
    }
    // A screen without any image is no picture, however large it claims to be.
    DecodeResult noImage = Decode(Screen(12800, 18775, 0));
    EXPECT_EQ(noImage.code, PE_FORMAT_ERROR);
    EXPECT_EQ(noImage.text, "Decoder error: GIF decoder: the file holds no image.\n");
}

TEST(GIFDecoder, UnknownBytesBetweenRecordsAreSkipped)
{
    std::vector<uint8_t> bytes = WriteGif(OneFrame(4, 3));
    ASSERT_EQ(bytes.back(), ';');
    bytes.insert(bytes.end() - 1, {0x00, 0x42, 0x99});
    DecodeResult result = Decode(bytes);
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(IndexAt(*result.bitmap, 3, 2), Pattern(3, 2));
}

TEST(GIFDecoder, DataGiflibRefusesAreNoGif)
{
    std::string text = "hello, world";
    DecodeResult result = Decode(std::vector<uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(result.code, PE_WRONG_SIGNATURE);
    EXPECT_EQ(result.text, std::string("Decoder error: ") + GifErrorString(D_GIF_ERR_NOT_GIF_FILE) + "\n");
}

TEST(GIFDecoder, DamagedFilesFailCleanly)
{
    GifPicture picture = Screen(9, 9, 0);
    picture.frames.push_back(Frame(0, 0, 9, 9, Pattern));
    picture.frames.push_back(Frame(1, 1, 7, 7, Pattern));
    picture.frames.back().interlaced = true;
    picture.frames.back().transparentIndex = 1;
    picture.frames.back().colors = {{1, 2, 3}, {4, 5, 6}};
    std::vector<uint8_t> bytes = WriteGif(picture);
    // Whatever is missing, the terminator at least: the end of the data ends the decode.
    for (size_t length = 0; length < bytes.size(); ++length) {
        DecodeResult cut = Decode(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(length)));
        EXPECT_EQ(cut.code, PE_END_OF_FILE) << "cut at " << length << ": " << cut.text;
    }
    CGIFDecoder decoder;
    std::mt19937 random(5);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> changed = bytes;
        for (int i = 0; i <= round % 4; ++i)
            changed[random() % changed.size()] = static_cast<uint8_t>(random());
        DecodeBytes(decoder, changed, round % 2 == 0 ? 0 : 32);
    }
}
