// Text and bitmaps of the metafile player: fonts placed by their alignment,
// bitmaps stretched and mixed by raster operations.

#include <gtest/gtest.h>

#include "tests/support/ByteWriter.h"
#include "tests/support/EmfWriter.h"
#include "tests/support/LibEmfRecorder.h"
#include "tests/support/RenderedMetafile.h"

namespace {

constexpr int kSize = 100;

RenderedMetafile Draw(const std::function<void(HDC)>& draw)
{
    return RenderEnhanced(RecordWithLibEmf(kSize, kSize, draw), kSize, kSize);
}

// The box around every pixel of a colour: left, top, right, bottom (inclusive).
struct Box {
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};

Box BoxOf(const RenderedMetafile& picture, uint32_t rgb)
{
    Box box;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.At(x, y) == rgb) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

void UseFont(HDC dc, int height)
{
    SelectObject(dc, CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial"));
}

// A 2 x 2 bitmap of 24 bits, stored bottom-up: red, green on top; blue, white below.
std::vector<uint8_t> QuadrantInfo()
{
    return ByteWriter().U32LE(40).U32LE(2).U32LE(2).U16LE(1).U16LE(24).U32LE(0).U32LE(0).Fill(16).Take();
}

std::vector<uint8_t> QuadrantBits()
{
    return ByteWriter().Bytes({255, 0, 0, 255, 255, 255, 0, 0}).Bytes({0, 0, 255, 0, 255, 0, 0, 0}).Take();
}

}  // namespace

TEST(MetafileText, TextLandsInTheBoxOfItsAlignment)
{
    RenderedMetafile picture = Draw([](HDC dc) {
        UseFont(dc, -20);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 0, 0));
        TextOutA(dc, 10, 10, "HH", 2);  // top left at (10, 10)
        SetTextColor(dc, RGB(0, 0, 255));
        SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
        TextOutA(dc, 90, 80, "HH", 2);  // right end on x = 90, baseline y = 80
    });
    Box red = BoxOf(picture, kRed);
    ASSERT_FALSE(red.Empty());
    EXPECT_GE(red.left, 10);
    EXPECT_LE(red.left, 13);
    EXPECT_GE(red.top, 10);
    EXPECT_LE(red.bottom, 30);
    // A capital of a 20-pixel em is about 14 pixels tall.
    EXPECT_NEAR(red.bottom - red.top + 1, 14, 2);
    Box blue = BoxOf(picture, kBlue);
    ASSERT_FALSE(blue.Empty());
    EXPECT_LE(blue.right, 89);
    EXPECT_GE(blue.right, 86);
    EXPECT_EQ(blue.bottom, 79);
}

TEST(MetafileText, OpaqueRectanglesAndAdvances)
{
    // EXTCREATEFONTINDIRECTW: Arial with a 20-pixel em.
    ByteWriter font;
    font.U32LE(1).U32LE(static_cast<uint32_t>(-20)).U32LE(0).U32LE(0).U32LE(0).U32LE(400).Fill(8);
    for (char16_t c : std::u16string(u"Arial"))
        font.U16LE(c);
    font.Fill(64 - 10);
    // EXTTEXTOUTW: bounds, graphics mode, scales; reference (10, 60), two
    // characters at 76, opaque, the rectangle (5, 50, 95, 95), advances at 80.
    ByteWriter text;
    text.Fill(16).U32LE(1).U32LE(0x3F800000).U32LE(0x3F800000);
    text.U32LE(10).U32LE(60).U32LE(2).U32LE(76).U32LE(2).U32LE(5).U32LE(50).U32LE(95).U32LE(95).U32LE(80);
    text.U16LE('I').U16LE('I').U32LE(40).U32LE(40);
    EmfWriter emf;
    emf.Record(emr::kExtCreateFontIndirectW, font.Take()).Record(emr::kSelectObject, {1});
    emf.Record(emr::kSetBkColor, {0x00FF00});
    emf.Record(emr::kExtTextOutW, text.Take());
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    // The whole rectangle takes the background colour, and nothing beyond it.
    EXPECT_EQ(picture.Count(kGreen, 5, 50, 95, 95) + picture.Count(kBlack, 5, 50, 95, 95), 90 * 45);
    EXPECT_EQ(picture.Count(kGreen), picture.Count(kGreen, 5, 50, 95, 95));
    // The second I stands 40 pixels right of the first.
    Box letters = BoxOf(picture, kBlack);
    ASSERT_FALSE(letters.Empty());
    EXPECT_GE(letters.left, 10);
    EXPECT_GE(letters.right - letters.left, 40);
    EXPECT_LE(letters.right - letters.left, 46);
    EXPECT_LT(letters.bottom, 95);
}

TEST(MetafileText, GlyphNumbersOfCoreFacesAreRead)
{
    auto render = [](const std::u16string& face) {
        ByteWriter font;
        font.U32LE(1).U32LE(static_cast<uint32_t>(-40)).U32LE(0).U32LE(0).U32LE(0).U32LE(400).Fill(8);
        for (char16_t c : face)
            font.U16LE(c);
        font.Fill(64 - 2 * face.size());
        // Glyph 43 is H in the standard Macintosh order.
        ByteWriter text;
        text.Fill(16).U32LE(1).U32LE(0x3F800000).U32LE(0x3F800000);
        text.U32LE(10).U32LE(10).U32LE(1).U32LE(76).U32LE(0x10).Fill(16).U32LE(0);
        text.U16LE(43).U16LE(0);
        EmfWriter emf;
        emf.Record(emr::kExtCreateFontIndirectW, font.Take()).Record(emr::kSelectObject, {1});
        emf.Record(emr::kSetBkMode, {1}).Record(emr::kExtTextOutW, text.Take());
        return RenderEnhanced(emf.Finish(), kSize, kSize);
    };
    RenderedMetafile arial = render(u"Arial");
    Box letter = BoxOf(arial, kBlack);
    ASSERT_FALSE(letter.Empty());
    EXPECT_NEAR(letter.bottom - letter.top + 1, 29, 2);  // a capital of a 40-pixel em
    EXPECT_NEAR(letter.right - letter.left + 1, 23, 3);  // as wide as an H
    // Faces numbered otherwise keep the place blank.
    EXPECT_EQ(render(u"Calibri").Count(kBlack), 0);
}

TEST(MetafileBitmaps, StretchedBitmapsKeepTheirRowOrder)
{
    // STRETCHDIBITS: bounds, destination (10, 10), the whole 2 x 2 source,
    // header at 80, bits at 120, RGB colours, SRCCOPY, destination size 80 x 80.
    ByteWriter params;
    params.Fill(16).U32LE(10).U32LE(10).U32LE(0).U32LE(0).U32LE(2).U32LE(2);
    params.U32LE(80).U32LE(40).U32LE(120).U32LE(16).U32LE(0).U32LE(0x00CC0020).U32LE(80).U32LE(80);
    params.Bytes(QuadrantInfo()).Bytes(QuadrantBits());
    EmfWriter emf;
    emf.Record(emr::kStretchDibits, params.Take());
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(10, 10), kRed);
    EXPECT_EQ(picture.At(49, 49), kRed);
    EXPECT_EQ(picture.At(50, 10), kGreen);
    EXPECT_EQ(picture.At(10, 50), kBlue);
    EXPECT_EQ(picture.At(89, 89), kWhite);
    EXPECT_EQ(picture.At(9, 9), kWhite);
    EXPECT_EQ(picture.Count(kRed), 40 * 40);
}

// A bitmap with an OS/2 2.x header of 16 bytes (the info header's first
// fields only) is drawn like one with an info header.
TEST(MetafileBitmaps, ShortOs2HeadersAreRead)
{
    ByteWriter params;
    params.Fill(16).U32LE(10).U32LE(10).U32LE(0).U32LE(0).U32LE(2).U32LE(2);
    params.U32LE(80).U32LE(16).U32LE(96).U32LE(16).U32LE(0).U32LE(0x00CC0020).U32LE(80).U32LE(80);
    params.U32LE(16).U32LE(2).U32LE(2).U16LE(1).U16LE(24).Bytes(QuadrantBits());
    EmfWriter emf;
    emf.Record(emr::kStretchDibits, params.Take());
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(10, 10), kRed);
    EXPECT_EQ(picture.At(50, 10), kGreen);
    EXPECT_EQ(picture.At(10, 50), kBlue);
    EXPECT_EQ(picture.Count(kRed), 40 * 40);
}

TEST(MetafileBitmaps, RasterOperationsMixSourceBrushAndTarget)
{
    std::vector<uint8_t> info = QuadrantInfo();
    std::vector<uint8_t> bits = QuadrantBits();
    // StretchBlt of the 2 x 2 bitmap onto 20 x 20 pixels.
    auto stretchBlt = [&](int x, int y, uint32_t rop) {
        ByteWriter params;
        params.Fill(16);                                          // bounds
        params.U32LE(x).U32LE(y).U32LE(20).U32LE(20).U32LE(rop);  // destination, operation
        params.U32LE(0).U32LE(0);                                 // source origin
        params.U32LE(0x3F800000).U32LE(0).U32LE(0).U32LE(0x3F800000).U32LE(0).U32LE(0);  // source transform
        params.U32LE(0).U32LE(0);                                // background colour, usage
        params.U32LE(108).U32LE(40).U32LE(148).U32LE(16);         // header and bits, at record offsets
        params.U32LE(2).U32LE(2);                                // source size
        params.Bytes(info).Bytes(bits);
        return params.Take();
    };
    EmfWriter emf;
    // A green brush under everything, then the bitmap mixed over it.
    emf.Record(emr::kCreateBrushIndirect, {1, 0, 0x00FF00, 0}).Record(emr::kSelectObject, {1});
    emf.Record(emr::kSelectObject, {kStock | 8});  // the null pen
    emf.Record(emr::kRectangle, {0, 0, 101, 101});
    emf.Record(emr::kStretchBlt, stretchBlt(0, 0, 0x008800C6));   // source AND target
    emf.Record(emr::kStretchBlt, stretchBlt(40, 0, 0x005A0049));  // brush XOR target
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(2, 2), kBlack);    // red AND green
    EXPECT_EQ(picture.At(12, 2), kGreen);   // green AND green
    EXPECT_EQ(picture.At(17, 17), kGreen);  // white AND green
    EXPECT_EQ(picture.At(45, 5), kBlack);   // green XOR green
    EXPECT_EQ(picture.At(65, 5), kGreen);   // outside the destination
}

TEST(MetafileBitmaps, PatternBrushesTileFromTheOrigin)
{
    // A monochrome 8 x 8 bitmap with its left half black.
    ByteWriter dib;
    dib.U32LE(40).U32LE(8).U32LE(8).U16LE(1).U16LE(1).U32LE(0).U32LE(0).Fill(16);
    dib.Bytes({0, 0, 0, 0, 255, 255, 255, 0});
    for (int row = 0; row < 8; ++row)
        dib.U32LE(0x0F);  // 0000 1111: black, then white
    ByteWriter params;
    params.U32LE(1).U32LE(0).U32LE(32).U32LE(48).U32LE(80).U32LE(32).Bytes(dib.Data());
    EmfWriter emf;
    emf.Record(emr::kCreateDibPatternBrushPt, params.Take()).Record(emr::kSelectObject, {1});
    emf.Record(emr::kSelectObject, {kStock | 8});
    emf.Record(emr::kRectangle, {0, 0, 17, 9});
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_EQ(picture.At(0, 0), kBlack);
    EXPECT_EQ(picture.At(3, 4), kBlack);
    EXPECT_EQ(picture.At(4, 4), kWhite);
    EXPECT_EQ(picture.At(8, 7), kBlack);
    EXPECT_EQ(picture.At(12, 7), kWhite);
}

TEST(MetafileBitmaps, AlphaBlendMixesByTheSourceAlpha)
{
    // One pixel of red at half strength, premultiplied.
    ByteWriter params;
    params.Fill(16).U32LE(10).U32LE(10).U32LE(20).U32LE(20);
    params.Bytes({0, 0, 255, 1});  // blend: over, no flags, constant 255, source alpha
    params.U32LE(0).U32LE(0);
    params.U32LE(0x3F800000).U32LE(0).U32LE(0).U32LE(0x3F800000).U32LE(0).U32LE(0);
    params.U32LE(0).U32LE(0).U32LE(108).U32LE(40).U32LE(148).U32LE(4).U32LE(1).U32LE(1);
    params.U32LE(40).U32LE(1).U32LE(1).U16LE(1).U16LE(32).U32LE(0).U32LE(0).Fill(16);
    params.Bytes({0, 0, 128, 128});
    EmfWriter emf;
    emf.Record(emr::kAlphaBlend, params.Take());
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    uint32_t mixed = picture.At(15, 15);
    EXPECT_EQ(mixed >> 16, 255u);
    EXPECT_NEAR(static_cast<int>((mixed >> 8) & 0xFF), 127, 2);
    EXPECT_NEAR(static_cast<int>(mixed & 0xFF), 127, 2);
    EXPECT_EQ(picture.At(35, 15), kWhite);
}

TEST(MetafileBitmaps, GradientsRunBetweenTheirVertexColours)
{
    ByteWriter params;
    params.Fill(16).U32LE(2).U32LE(1).U32LE(0);  // two vertices, one rectangle, left to right
    params.U32LE(0).U32LE(0).U16LE(0).U16LE(0).U16LE(0).U16LE(0);
    params.U32LE(100).U32LE(10).U16LE(0xFF00).U16LE(0).U16LE(0).U16LE(0);
    params.U32LE(0).U32LE(1);
    EmfWriter emf;
    emf.Record(emr::kGradientFill, params.Take());
    RenderedMetafile picture = RenderEnhanced(emf.Finish(), kSize, kSize);
    EXPECT_LT(picture.At(2, 5) >> 16, 20u);
    EXPECT_NEAR(static_cast<int>(picture.At(50, 5) >> 16), 128, 8);
    EXPECT_GT(picture.At(97, 5) >> 16, 235u);
    EXPECT_EQ(picture.At(50, 5) & 0xFFFF, 0u);
    EXPECT_EQ(picture.At(50, 15), kWhite);
}
