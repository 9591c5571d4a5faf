// Pictures that draw, played onto their frame over white: shapes, lines,
// patterns, colours, text, clip and origin, drawing mixed with images; and
// the images QuickTime data hold.

#include <gtest/gtest.h>

#include <functional>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/PictWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TiffWriter.h"

namespace {

constexpr int kSize = 20;
constexpr BgraPixel kBlack = OpaqueBgra(0, 0, 0);
constexpr BgraPixel kWhite = OpaqueBgra(255, 255, 255);
constexpr BgraPixel kRed = OpaqueBgra(255, 0, 0);
constexpr BgraPixel kGreen = OpaqueBgra(0, 255, 0);
constexpr BgraPixel kBlue = OpaqueBgra(0, 0, 255);

DecodeResult Decode(const std::vector<uint8_t>& bytes)
{
    CAutoDecoder decoder;
    return DecodeBytes(decoder, bytes);
}

void Shape(PictWriter& pict, uint16_t opcode, int left, int top, int right, int bottom)
{
    WritePictRect(pict.Op(opcode).Data(), left, top, right, bottom);
}

void PaintAll(PictWriter& pict)
{
    Shape(pict, 0x31, 0, 0, kSize, kSize);
}

void Pattern(PictWriter& pict, uint16_t opcode, uint8_t even, uint8_t odd)
{
    ByteWriter& data = pict.Op(opcode).Data();
    for (int row = 0; row < 4; ++row)
        data.U8(even).U8(odd);
}

void RgbColor(PictWriter& pict, uint16_t opcode, BgraPixel color)
{
    pict.Op(opcode).Data().U16BE(color.red * 0x101u).U16BE(color.green * 0x101u).U16BE(color.blue * 0x101u);
}

struct PixelCheck {
    int x;
    int y;
    BgraPixel color;
};

void ExpectPixels(const DecodeResult& result, const std::vector<PixelCheck>& checks, const std::string& what)
{
    ASSERT_TRUE(result.Ok()) << what << ": " << result.text;
    for (const PixelCheck& check : checks)
        EXPECT_EQ(ColorAt(*result.bitmap, check.x, check.y), check.color) << what << " at " << check.x << "," << check.y;
}

// Counts the dark pixels of a box.
int DarkPixels(const CPictureBitmap& bitmap, int left, int top, int right, int bottom)
{
    int dark = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            dark += ColorAt(bitmap, x, y).green < 128 ? 1 : 0;
    return dark;
}

}  // namespace

// Every family of drawing opcodes, each on a 20 x 20 picture: pixels inside,
// on the edges and outside.
TEST(PICTDrawing, EachOpcodeFamilyDrawsInItsPlace)
{
    struct Case {
        const char* what;
        std::function<void(PictWriter&)> draw;
        std::vector<PixelCheck> checks;
        int version = 2;
        int dpi = 72;
    };
    const Case cases[] = {
        {"paintRect", [](PictWriter& p) { Shape(p, 0x31, 4, 4, 16, 16); },
         {{4, 4, kBlack}, {15, 15, kBlack}, {16, 16, kWhite}, {3, 10, kWhite}, {10, 3, kWhite}}},
        {"frameRect with a 2 x 2 pen",
         [](PictWriter& p) {
             p.Op(0x07).Data().U16BE(2).U16BE(2);
             Shape(p, 0x30, 4, 4, 16, 16);
         },
         {{4, 10, kBlack}, {5, 10, kBlack}, {6, 10, kWhite}, {14, 10, kBlack}, {15, 10, kBlack}, {13, 10, kWhite},
          {16, 10, kWhite}}},
        {"paintOval", [](PictWriter& p) { Shape(p, 0x51, 4, 4, 16, 16); },
         {{10, 10, kBlack}, {4, 10, kBlack}, {4, 4, kWhite}, {15, 15, kWhite}}},
        {"paintRRect with 8 x 8 corners",
         [](PictWriter& p) {
             p.Op(0x0B).Data().U16BE(8).U16BE(8);
             Shape(p, 0x41, 4, 4, 16, 16);
         },
         {{4, 4, kWhite}, {4, 10, kBlack}, {10, 4, kBlack}, {10, 10, kBlack}}},
        {"eraseRect",
         [](PictWriter& p) {
             PaintAll(p);
             Shape(p, 0x32, 5, 5, 10, 10);
         },
         {{5, 5, kWhite}, {9, 9, kWhite}, {10, 10, kBlack}, {4, 4, kBlack}}},
        {"invertRect",
         [](PictWriter& p) {
             Shape(p, 0x31, 0, 0, 10, kSize);
             Shape(p, 0x33, 5, 0, 15, kSize);
         },
         {{2, 2, kBlack}, {7, 2, kWhite}, {12, 2, kBlack}, {17, 2, kWhite}}},
        {"fillRect with the fill pattern",
         [](PictWriter& p) {
             Pattern(p, 0x0A, 0xAA, 0x55);
             Shape(p, 0x34, 0, 0, kSize, kSize);
         },
         {{0, 0, kBlack}, {1, 0, kWhite}, {0, 1, kWhite}, {1, 1, kBlack}}},
        {"paintSameRect",
         [](PictWriter& p) {
             Shape(p, 0x30, 4, 4, 16, 16);
             p.Op(0x39);
         },
         {{10, 10, kBlack}, {16, 16, kWhite}}},
        {"paintArc of the upper right quarter",
         [](PictWriter& p) {
             WritePictRect(p.Op(0x61).Data(), 0, 0, kSize, kSize);
             p.Data().U16BE(0).U16BE(90);
         },
         {{15, 5, kBlack}, {5, 5, kWhite}, {15, 15, kWhite}}},
        {"paintPoly",
         [](PictWriter& p) {
             p.Op(0x71).Data().U16BE(22);
             WritePictRect(p.Data(), 0, 0, 19, 19);
             p.Data().U16BE(0).U16BE(0).U16BE(0).U16BE(19).U16BE(19).U16BE(0);  // (v, h) points
         },
         {{2, 2, kBlack}, {17, 17, kWhite}}},
        {"paintRgn of an L",
         [](PictWriter& p) {
             p.Op(0x81);
             WritePictShapeRegion(p.Data(), 0, 0, kSize, kSize, {{0, {0, 10}}, {10, {10, 20}}, {20, {0, 20}}});
         },
         {{5, 5, kBlack}, {15, 5, kWhite}, {15, 15, kBlack}, {5, 15, kBlack}}},
        {"Line, both ends drawn",
         [](PictWriter& p) { p.Op(0x20).Data().U16BE(2).U16BE(2).U16BE(2).U16BE(17); },
         {{2, 2, kBlack}, {17, 2, kBlack}, {18, 2, kWhite}, {10, 3, kWhite}}},
        {"Line with a 1 x 3 pen",
         [](PictWriter& p) {
             p.Op(0x07).Data().U16BE(3).U16BE(1);
             p.Op(0x20).Data().U16BE(2).U16BE(2).U16BE(2).U16BE(17);
         },
         {{10, 4, kBlack}, {10, 5, kWhite}}},
        {"ShortLine, ShortLineFrom, LineFrom",
         [](PictWriter& p) {
             p.Op(0x22).Data().U16BE(5).U16BE(5).U8(10).U8(0);
             p.Op(0x23).Data().U8(0).U8(5);
             p.Op(0x21).Data().U16BE(15).U16BE(2);
         },
         {{10, 5, kBlack}, {15, 10, kBlack}, {16, 10, kWhite}, {2, 15, kBlack}}},
        {"pen pattern",
         [](PictWriter& p) {
             Pattern(p, 0x09, 0xAA, 0x55);
             PaintAll(p);
         },
         {{0, 0, kBlack}, {1, 0, kWhite}, {1, 1, kBlack}}},
        {"pen mode xor",
         [](PictWriter& p) {
             PaintAll(p);
             p.Op(0x08).Data().U16BE(10);
             Shape(p, 0x31, 0, 0, 10, kSize);
         },
         {{5, 5, kWhite}, {15, 5, kBlack}}},
        {"RGB colours",
         [](PictWriter& p) {
             RgbColor(p, 0x1A, kRed);
             RgbColor(p, 0x1B, kGreen);
             Shape(p, 0x31, 0, 0, 10, kSize);
             Shape(p, 0x32, 10, 0, kSize, kSize);
         },
         {{5, 5, kRed}, {15, 5, kGreen}}},
        {"old-style colours",
         [](PictWriter& p) {
             p.Op(0x0E).Data().U32BE(409);  // blue
             p.Op(0x0F).Data().U32BE(205);  // red
             Shape(p, 0x31, 0, 0, 10, kSize);
             Shape(p, 0x32, 10, 0, kSize, kSize);
         },
         {{5, 5, kBlue}, {15, 5, kRed}}},
        {"clip region",
         [](PictWriter& p) {
             p.Op(0x01);
             WritePictShapeRegion(p.Data(), 0, 0, 10, kSize);
             PaintAll(p);
         },
         {{5, 5, kBlack}, {15, 5, kWhite}}},
        {"origin",
         [](PictWriter& p) {
             p.Op(0x0C).Data().U16BE(10).U16BE(0);
             Shape(p, 0x31, 10, 0, 15, 5);
         },
         {{2, 2, kBlack}, {12, 2, kWhite}}},
        {"version 1 byte opcodes", [](PictWriter& p) { Shape(p, 0x31, 4, 4, 16, 16); },
         {{10, 10, kBlack}, {3, 3, kWhite}}, 1},
        {"the header's source rectangle at 144 dpi", [](PictWriter& p) { Shape(p, 0x31, 20, 20, 40, 40); },
         {{10, 10, kBlack}, {19, 19, kBlack}, {9, 9, kWhite}}, 2, 144},
    };
    for (const Case& test : cases) {
        PictWriter pict(test.version, kSize, kSize, test.dpi);
        test.draw(pict);
        DecodeResult result = Decode(pict.Finish());
        ExpectPixels(result, test.checks, test.what);
        EXPECT_EQ(result.bitmap->GetSize(), std::make_pair(kSize, kSize)) << test.what;
    }

    // A picture that only sets state draws nothing and is refused.
    PictWriter state(2, kSize, kSize);
    state.Op(0x07).Data().U16BE(2).U16BE(2);
    EXPECT_EQ(Decode(state.Finish()).text, "Decoder error: PICT contained only vector data!\n\n");
}

// Text in the font, face and size given, each piece at its own place.
TEST(PICTDrawing, TextOpcodesPlaceTheirText)
{
    PictWriter pict(2, 100, 40);
    pict.Op(0x03).Data().U16BE(21);  // Helvetica
    pict.Op(0x04).Data().U8(1);      // bold
    pict.Op(0x0D).Data().U16BE(14);
    pict.Op(0x28).Data().U16BE(16).U16BE(2).U8(2).Text("Hi");  // at (2, 16)
    pict.Op(0x29).Data().U8(30).U8(2).Text("Hi");              // (32, 16)
    pict.Op(0x2A).Data().U8(20).U8(2).Text("Hi");              // (32, 36)
    pict.Op(0x2B).Data().U8(30).U8(0).U8(2).Text("Hi");        // (62, 36)
    DecodeResult result = Decode(pict.Finish());
    ASSERT_TRUE(result.Ok()) << result.text;
    const CPictureBitmap& bitmap = *result.bitmap;
    EXPECT_GT(DarkPixels(bitmap, 2, 4, 24, 17), 20);
    EXPECT_GT(DarkPixels(bitmap, 32, 4, 54, 17), 20);
    EXPECT_GT(DarkPixels(bitmap, 32, 24, 54, 37), 20);
    EXPECT_GT(DarkPixels(bitmap, 62, 24, 84, 37), 20);
    EXPECT_EQ(DarkPixels(bitmap, 0, 19, 30, 40), 0);
    EXPECT_EQ(DarkPixels(bitmap, 62, 0, 100, 19), 0);
}

// Drawing and images of one picture are drawn in their order.
TEST(PICTDrawing, DrawingAndImagesDrawInOrder)
{
    PictWriter pict(2, kSize, kSize);
    RgbColor(pict, 0x1A, kRed);
    PaintAll(pict);
    AppendPictDirect(pict, std::vector<std::vector<uint32_t>>(4, std::vector<uint32_t>(4, 0x0000FF)), 32);
    RgbColor(pict, 0x1A, kGreen);
    Shape(pict, 0x31, 2, 2, 6, 6);
    ExpectPixels(Decode(pict.Finish()), {{1, 1, kBlue}, {3, 3, kGreen}, {5, 5, kGreen}, {4, 1, kRed}, {8, 8, kRed}},
                 "mixed");
}

// PNG, TIFF, uncompressed and Windows bitmap QuickTime images decode, alone and in a picture
// that draws; in the latter the drawing behind the image is its stand-in for
// readers without QuickTime and is left out. Other codecs are refused.
TEST(PICTDrawing, QuickTimeImagesOfPngTiffRawPixelsAndWindowsBitmaps)
{
    PngImage png;
    png.width = 2;
    png.rows = {{255, 0, 0, 0, 0, 255}};
    std::vector<uint8_t> tiff = WriteTiff(SceneTiff(4, 3, COMPRESSION_NONE));
    auto scene = [](int x, int y) {
        uint32_t rgb = ScenePixel(x, y, 4, 3);
        return OpaqueBgra(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
    };
    struct Case {
        const char* codec;
        int width;
        int height;
        int depth;
        std::vector<uint8_t> data;
        std::vector<PixelCheck> checks;
        std::vector<std::array<uint8_t, 3>> colors = {};
    };
    const Case cases[] = {
        {"png ", 2, 1, 24, WritePng(png), {{0, 0, kRed}, {1, 0, kBlue}}},
        {"tiff", 4, 3, 24, tiff, {{0, 0, scene(0, 0)}, {3, 2, scene(3, 2)}}},
        {"raw ", 2, 1, 40, {0x00, 0x80}, {{0, 0, kBlack}, {1, 0, OpaqueBgra(128, 128, 128)}}},
        {"raw ", 2, 1, 8, {0x01, 0x00}, {{0, 0, kRed}, {1, 0, kBlue}}, {{0, 0, 255}, {255, 0, 0}}},
        {"raw ", 2, 1, 16, {0x7C, 0x00, 0x00, 0x1F}, {{0, 0, OpaqueBgra(248, 0, 0)}, {1, 0, OpaqueBgra(0, 0, 248)}}},
        {"raw ", 2, 1, 24, {255, 0, 0, 0, 255, 0}, {{0, 0, kRed}, {1, 0, kGreen}}},
        {"raw ", 2, 1, 32, {255, 0, 0, 255, 255, 0, 255, 0}, {{0, 0, kBlue}, {1, 0, kGreen}}},
        // Windows bitmaps: blue first, rows bottom-up and padded to 32 bits.
        {"WRLE", 2, 2, 24, {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0},
         {{0, 0, kBlue}, {1, 0, kBlack}, {0, 1, kRed}, {1, 1, kGreen}}},
        {"WRLE", 2, 1, 32, {0, 0, 255, 0, 255, 0, 0, 0}, {{0, 0, kRed}, {1, 0, kBlue}}},
        {"WRLE", 2, 1, 16, {0x00, 0x7C, 0x1F, 0x00}, {{0, 0, OpaqueBgra(248, 0, 0)}, {1, 0, OpaqueBgra(0, 0, 248)}}},
        {"WRLE", 2, 1, 8, {1, 0, 0, 0}, {{0, 0, kRed}, {1, 0, kBlue}}, {{0, 0, 255}, {255, 0, 0}}},
        // Shorter than its rows: run-length codes, here a delta then a run.
        {"WRLE", 4, 3, 8, {0, 2, 1, 1, 2, 1, 0, 1},
         {{0, 2, kBlue}, {1, 1, kRed}, {2, 1, kRed}, {3, 1, kBlue}, {0, 0, kBlue}},
         {{0, 0, 255}, {255, 0, 0}}},
    };
    for (const Case& test : cases) {
        for (bool standIn : {false, true}) {
            PictWriter pict(2, test.width, test.height);
            AppendPictQuickTime(pict, test.codec, test.width, test.height, test.depth, test.data, test.colors);
            if (standIn)
                Shape(pict, 0x31, 0, 0, test.width, test.height);
            DecodeResult result = Decode(pict.Finish());
            ExpectPixels(result, test.checks, std::string(test.codec) + " " + std::to_string(test.depth));
        }
    }
    PictWriter cinepak(2, 2, 1);
    AppendPictQuickTime(cinepak, "cvid", 2, 1, 24, std::vector<uint8_t>(32, 0x11));
    EXPECT_EQ(Decode(cinepak.Finish()).text, "Decoder error: PICT file contains unrecognized quicktime data.\n\n");
}
