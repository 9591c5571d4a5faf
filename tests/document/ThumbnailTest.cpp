#include <gtest/gtest.h>

#include <cstring>
#include <future>

#include "document/KiroDoc.h"
#include "document/Thumbnail.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/DecodingThreads.h"
#include "platform/gdi/Colors.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/JpegWriter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr BgraPixel kRed {0, 0, 255, 255};
constexpr BgraPixel kButtonFace {192, 192, 192, 255};

BgraPixel PixelAt(const gdi::CDibSection& section, int x, int y)
{
    BgraPixel pixel;
    std::memcpy(&pixel, section.Pixels().Row(y) + 4 * x, 4);
    return pixel;
}

int IndexAt(const gdi::CDibSection& section, int x, int y)
{
    const uint8_t* row = section.Pixels().Row(y);
    if (section.BitsPerPixel() == 1)
        return (row[x / 8] >> (7 - x % 8)) & 1;
    return row[x];
}

void FillRed(CDisplayBitmap& picture, int width, int height)
{
    picture.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<BgraPixel*>(picture.GetLines()[y])[x] = kRed;
}

// The difference of two thumbnails of one depth and colour table, pixel by
// pixel: inside the placement the mean difference of every channel (of the
// indices, for indexed thumbnails), outside it the number of pixels that
// differ at all.
struct ThumbnailDifference {
    double mean = 0;
    int outside = 0;
};

ThumbnailDifference Compare(const gdi::CDibSection& a, const gdi::CDibSection& b, const ThumbnailPlacement& place)
{
    ThumbnailDifference difference;
    int64_t total = 0;
    for (int y = 0; y < kThumbnailHeight; ++y)
        for (int x = 0; x < kThumbnailWidth; ++x) {
            BgraPixel p = a.BitsPerPixel() == 32 ? PixelAt(a, x, y) : BgraPixel {0, 0, uint8_t(IndexAt(a, x, y)), 0};
            BgraPixel q = b.BitsPerPixel() == 32 ? PixelAt(b, x, y) : BgraPixel {0, 0, uint8_t(IndexAt(b, x, y)), 0};
            if (x < place.x || y < place.y || x >= place.x + place.width || y >= place.y + place.height) {
                difference.outside += !(p == q);
                continue;
            }
            total += std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue);
        }
    difference.mean = static_cast<double>(total) / (3.0 * place.width * place.height);
    return difference;
}

struct Geometry {
    int width, height;
    int x, y, drawnWidth, drawnHeight;
};

}  // namespace

TEST(Thumbnail, PicturesAreShrunkToFitAndCentredButNeverEnlarged)
{
    const Geometry cases[] = {
        {50, 40, 25, 17, 50, 40},
        {400, 100, 0, 25, 100, 25},
        {300, 300, 12, 0, 75, 75},
        {100, 75, 0, 0, 100, 75},
        {1, 1, 49, 37, 1, 1},
    };
    for (const Geometry& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        ThumbnailPlacement place = PlaceThumbnail(c.width, c.height);
        EXPECT_EQ(place.x, c.x);
        EXPECT_EQ(place.y, c.y);
        EXPECT_EQ(place.width, c.drawnWidth);
        EXPECT_EQ(place.height, c.drawnHeight);

        CDisplayBitmap picture;
        FillRed(picture, c.width, c.height);
        std::unique_ptr<gdi::CDibSection> thumbnail = MakeThumbnail(picture);
        ASSERT_NE(thumbnail, nullptr);
        ASSERT_EQ(thumbnail->Width(), 100);
        ASSERT_EQ(thumbnail->Height(), 75);
        EXPECT_EQ(thumbnail->BitsPerPixel(), 32);
        int right = c.x + c.drawnWidth;
        int bottom = c.y + c.drawnHeight;
        EXPECT_EQ(PixelAt(*thumbnail, c.x, c.y), kRed);
        EXPECT_EQ(PixelAt(*thumbnail, right - 1, bottom - 1), kRed);
        // Just outside each edge lies the background, where there is room for it.
        auto expectBackground = [&](int x, int y) {
            if (x >= 0 && x < 100 && y >= 0 && y < 75) {
                EXPECT_EQ(PixelAt(*thumbnail, x, y), kButtonFace) << x << ", " << y;
            }
        };
        expectBackground(right, c.y);
        expectBackground(c.x, bottom);
        expectBackground(c.x - 1, c.y);
        expectBackground(c.x, c.y - 1);
    }
}

TEST(Thumbnail, IndexedPicturesKeepTheirDepthPaletteAndIndices)
{
    // The cube has no 192 grey: the background takes the nearest entry, 204 grey.
    CDisplayBitmap picture;
    picture.Create(50, 40, 8, false);
    std::vector<BgraPixel> palette(256);
    std::vector<std::array<uint8_t, 3>> cube = CubePalette();
    for (size_t i = 0; i < cube.size(); ++i)
        palette[i] = OpaqueBgra(cube[i][0], cube[i][1], cube[i][2]);
    palette[250] = palette[180];  // a twin entry: only index copying keeps 250
    picture.SetPaletteEntries(palette.data());
    for (int y = 0; y < 40; ++y)
        std::memset(picture.GetLines()[y], 250, 50);

    std::unique_ptr<gdi::CDibSection> thumbnail = MakeThumbnail(picture);
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(thumbnail->BitsPerPixel(), 8);
    EXPECT_EQ(std::memcmp(thumbnail->ColorTable().data(), palette.data(), 1024), 0);
    constexpr int kGrey204 = 4 * 36 + 4 * 6 + 4;
    EXPECT_EQ(IndexAt(*thumbnail, 0, 0), kGrey204);
    EXPECT_EQ(IndexAt(*thumbnail, 25, 17), 250);
    EXPECT_EQ(IndexAt(*thumbnail, 74, 56), 250);

    CDisplayBitmap mono;
    mono.Create(200, 20, 1, false);
    BgraPixel blackWhite[2] = {OpaqueBgra(0, 0, 0), OpaqueBgra(255, 255, 255)};
    mono.SetPaletteEntries(blackWhite);  // every pixel is index 0: black
    std::unique_ptr<gdi::CDibSection> monoThumbnail = MakeThumbnail(mono);
    ASSERT_NE(monoThumbnail, nullptr);
    EXPECT_EQ(monoThumbnail->BitsPerPixel(), 1);
    ASSERT_EQ(monoThumbnail->ColorTable().size(), 2u);
    EXPECT_EQ(IndexAt(*monoThumbnail, 0, 0), 1);     // grey is nearer to white
    EXPECT_EQ(IndexAt(*monoThumbnail, 0, 32), 0);    // 100 x 10 at (0, 32)
    EXPECT_EQ(IndexAt(*monoThumbnail, 99, 41), 0);
    EXPECT_EQ(IndexAt(*monoThumbnail, 99, 42), 1);
}

TEST(Thumbnail, BackgroundIsTheSystemButtonFace)
{
    gdi::SetSysColor(gdi::COLOR_BTNFACE, gdi::Rgb(10, 20, 30));
    CDisplayBitmap picture;
    FillRed(picture, 10, 10);
    std::unique_ptr<gdi::CDibSection> thumbnail = MakeThumbnail(picture);
    gdi::ResetSysColors();
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(PixelAt(*thumbnail, 0, 0), (BgraPixel {30, 20, 10, 255}));
}

TEST(Thumbnail, ShrunkTrueColourPicturesAreAveraged)
{
    // Black and white columns, shrunk to half: every thumbnail pixel is grey.
    CDisplayBitmap picture;
    picture.Create(200, 150, 32, false);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            reinterpret_cast<BgraPixel*>(picture.GetLines()[y])[x] =
                x % 2 ? OpaqueBgra(255, 255, 255) : OpaqueBgra(0, 0, 0);
    std::unique_ptr<gdi::CDibSection> thumbnail = MakeThumbnail(picture);
    ASSERT_NE(thumbnail, nullptr);
    EXPECT_EQ(PixelAt(*thumbnail, 0, 0).green, 128);
    EXPECT_EQ(PixelAt(*thumbnail, 99, 74).green, 128);
}

TEST(Thumbnail, BuildThumbnailDecodesAtTheFilesOwnDepth)
{
    TempFolder folder;
    CAutoDecoder decoder;
    CKiroDoc document(decoder);
    ImageEntry indexed {folder.Write("cube.bmp", SceneBmp(300, 300, 8)), "", nullptr};
    ASSERT_TRUE(document.BuildThumbnail(indexed));
    ASSERT_NE(indexed.thumbnail, nullptr);
    EXPECT_EQ(indexed.thumbnail->BitsPerPixel(), 8);
    const gdi::RgbQuad& white = indexed.thumbnail->ColorTable()[215];
    EXPECT_EQ(white.red + white.green + white.blue, 3 * 255);

    ImageEntry trueColor {folder.Write("scene.bmp", SceneBmp(400, 100, 24)), "", nullptr};
    ASSERT_TRUE(document.BuildThumbnail(trueColor));
    EXPECT_EQ(trueColor.thumbnail->BitsPerPixel(), 32);

    ImageEntry broken {folder.Write("broken.bmp", std::string("BM not really")), "", nullptr};
    EXPECT_FALSE(document.BuildThumbnail(broken));
    EXPECT_EQ(broken.thumbnail, nullptr);
}

TEST(Thumbnail, ReducedJpegDecodesKeepTheGeometryDepthAndBackgroundOfTheWholePicture)
{
    struct Case {
        int width, height, components;
    };
    const Case cases[] = {
        {1601, 1203, 3},  // 1/8, odd sides
        {1599, 1199, 1},  // 1/8, just enough
        {1592, 1192, 3},  // 1/8 just short: 1/4
        {1203, 1601, 3},  // portrait
        {403, 301, 1},    // 1/2
        {397, 299, 3},    // whole
        {1611, 199, 3},   // a strip too low to reduce
    };
    // A background far from every colour of the scene, so that a picture
    // drawn smaller than its place would show.
    constexpr BgraPixel kMagenta {255, 0, 255, 255};
    gdi::SetSysColor(gdi::COLOR_BTNFACE, gdi::Rgb(255, 0, 255));
    TempFolder folder;
    CAutoDecoder decoder;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        JpegImage image;
        image.width = c.width;
        image.height = c.height;
        image.components = c.components;
        image.samples = JpegSamples(SceneRows(c.width, c.height), c.components);
        std::string path = folder.Write("scene.jpg", WriteJpeg(image));
        std::unique_ptr<gdi::CDibSection> reduced = MakeFileThumbnail(decoder, path);
        CDisplayBitmap whole;
        decoder.DecodeFile(path.c_str(), whole, 0, nullptr);
        std::unique_ptr<gdi::CDibSection> expected = MakeThumbnail(whole);
        ASSERT_NE(reduced, nullptr);
        ASSERT_EQ(reduced->Width(), kThumbnailWidth);
        ASSERT_EQ(reduced->Height(), kThumbnailHeight);
        ASSERT_EQ(reduced->BitsPerPixel(), expected->BitsPerPixel());
        EXPECT_EQ(reduced->ColorTable(), expected->ColorTable());
        ThumbnailPlacement place = PlaceThumbnail(c.width, c.height);
        ThumbnailDifference difference = Compare(*reduced, *expected, place);
        EXPECT_EQ(difference.outside, 0);
        EXPECT_LT(difference.mean, 3.0);
        for (int y = place.y; y < place.y + place.height && reduced->BitsPerPixel() == 32; ++y)
            for (int x = place.x; x < place.x + place.width; ++x) {
                ASSERT_NE(PixelAt(*reduced, x, y), kMagenta) << x << ", " << y;
            }
    }
    gdi::ResetSysColors();
}

// Decoding threads, each with its own decoder, make thumbnails side by side
// exactly as one thread alone makes them.
TEST(Thumbnail, ThreadsWithDecodersOfTheirOwnMakeTheSameThumbnails)
{
    TempFolder folder;
    std::vector<std::string> paths;
    for (const Fixture& sample : AllFixtures().samples)
        paths.push_back(folder.Write(sample.name, sample.bytes));
    PrepareDecodingThreads();
    // Each thumbnail's colour table and bits, made starting at file `start`.
    auto thumbnailsFrom = [&](size_t start) {
        CAutoDecoder decoder;
        std::vector<std::vector<uint8_t>> thumbnails(paths.size());
        for (size_t n = 0; n < paths.size(); ++n) {
            size_t i = (start + n) % paths.size();
            std::unique_ptr<gdi::CDibSection> thumbnail = MakeFileThumbnail(decoder, paths[i]);
            if (!thumbnail)
                continue;
            const auto* colors = reinterpret_cast<const uint8_t*>(thumbnail->ColorTable().data());
            thumbnails[i].assign(colors, colors + 4 * thumbnail->ColorTable().size());
            thumbnails[i].insert(thumbnails[i].end(), thumbnail->Bits(),
                                 thumbnail->Bits() + thumbnail->Stride() * thumbnail->Height());
        }
        return thumbnails;
    };
    std::vector<std::vector<uint8_t>> expected = thumbnailsFrom(0);
    std::vector<std::future<std::vector<std::vector<uint8_t>>>> threads;
    for (size_t start : {size_t {0}, paths.size() / 3, 2 * paths.size() / 3})
        threads.push_back(std::async(std::launch::async, thumbnailsFrom, start));
    for (auto& thread : threads) {
        std::vector<std::vector<uint8_t>> thumbnails = thread.get();
        for (size_t i = 0; i < paths.size(); ++i) {
            EXPECT_FALSE(expected[i].empty()) << paths[i];
            EXPECT_EQ(thumbnails[i], expected[i]) << paths[i];
        }
    }
}
