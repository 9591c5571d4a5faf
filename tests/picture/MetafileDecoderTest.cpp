// The metafile decoder: the kind by name, the size and palette rules, the
// read-back into the bitmap, and its error texts.

#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "picture/formats/MetafileDecoder.h"
#include "tests/support/EmfWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WmfWriter.h"

namespace {

// A red rectangle over the left half of a 100 x 100 unit window.
std::vector<uint8_t> HalfRedWmf(std::optional<WmfWriter::Placeable> placeable = std::nullopt, int windowWidth = 100,
                                int windowHeight = 100)
{
    WmfWriter wmf(placeable);
    if (windowWidth > 0)
        wmf.Record(meta::kSetWindowOrg, {0, 0}).Record(meta::kSetWindowExt, {windowHeight, windowWidth});
    wmf.Record(meta::kCreatePenIndirect, {5, 0, 0, 0, 0}).Record(meta::kSelectObject, {0});
    wmf.Record(meta::kCreateBrushIndirect, {0, 0xFF, 0, 0}).Record(meta::kSelectObject, {1});
    wmf.Record(meta::kRectangle, {101, 51, 0, 0});
    return wmf.Finish();
}

std::vector<uint8_t> ColouredEmf(EmfWriter::Rect frame, EmfWriter::Device device = EmfWriter::kDevice,
                                 const std::vector<std::array<uint8_t, 4>>& palette = {})
{
    EmfWriter emf(frame, device);
    emf.Record(emr::kCreateBrushIndirect, {1, 0, 0x00FF00, 0}).Record(emr::kSelectObject, {1});
    emf.Record(emr::kSelectObject, {kStock | 8});
    emf.Record(emr::kRectangle, {0, 0, 11, 11});
    emf.Record(emr::kCreateBrushIndirect, {2, 0, 0x804020, 0}).Record(emr::kSelectObject, {2});
    emf.Record(emr::kRectangle, {20, 0, 31, 11});
    return emf.Finish(palette);
}

std::vector<std::array<uint8_t, 4>> Palette(int entries)
{
    std::vector<std::array<uint8_t, 4>> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back({static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i), 0, 0});
    return palette;
}

class MetafileDecoding : public ::testing::Test {
protected:
    DecodeResult DecodeAs(const std::string& name, const std::vector<uint8_t>& bytes, int wantedDepth = 0)
    {
        return DecodeFileAt(decoder_, folder_.Write(name, bytes), wantedDepth);
    }

    CMetafileDecoder decoder_;
    TempFolder folder_;
};

}  // namespace

TEST_F(MetafileDecoding, PlaceableFilesMeasureTheirBoundsAt96PixelsPerInch)
{
    DecodeResult result = DecodeAs("a.wmf", HalfRedWmf(WmfWriter::Placeable {0, 0, 1440, 720, 1440}));
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(result.bitmap->GetSize(), std::pair(96, 48));
    // The window fills the picture: its left half is red.
    EXPECT_EQ(ColorAt(*result.bitmap, 10, 10), OpaqueBgra(255, 0, 0));
    EXPECT_EQ(ColorAt(*result.bitmap, 60, 10), OpaqueBgra(255, 255, 255));

    // Sizes truncate toward zero; a size of nothing, or a zero unit, is 320 x 200.
    EXPECT_EQ(DecodeAs("b.wmf", HalfRedWmf(WmfWriter::Placeable {0, 0, 100, 199, 96 * 2})).bitmap->GetSize(),
              std::pair(50, 99));
    EXPECT_EQ(DecodeAs("c.wmf", HalfRedWmf(WmfWriter::Placeable {10, 10, 10, -50, 1440})).bitmap->GetSize(),
              std::pair(320, 200));
    DecodeResult zeroUnit = DecodeAs("d.wmf", HalfRedWmf(WmfWriter::Placeable {0, 0, 1440, 720, 0}));
    ASSERT_TRUE(zeroUnit.Ok()) << zeroUnit.text;
    EXPECT_EQ(zeroUnit.bitmap->GetSize(), std::pair(320, 200));
}

TEST_F(MetafileDecoding, PlaceableBoundsStandInForAMissingWindow)
{
    DecodeResult result = DecodeAs("a.wmf", HalfRedWmf(WmfWriter::Placeable {0, 0, 100, 100, 96}, 0));
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(result.bitmap->GetSize(), std::pair(100, 100));
    EXPECT_EQ(ColorAt(*result.bitmap, 49, 50), OpaqueBgra(255, 0, 0));
    EXPECT_EQ(ColorAt(*result.bitmap, 50, 50), OpaqueBgra(255, 255, 255));
}

TEST_F(MetafileDecoding, OtherWindowsMetafilesFitTheirWindowIntoTheReferenceScreen)
{
    // 1024 x 768 pixels: a window twice as wide as high becomes 1024 x 512.
    DecodeResult wide = DecodeAs("wide.WMF", HalfRedWmf(std::nullopt, 200, 100));
    ASSERT_TRUE(wide.Ok()) << wide.text;
    EXPECT_EQ(wide.bitmap->GetSize(), std::pair(1024, 512));
    DecodeResult tall = DecodeAs("tall.wmf", HalfRedWmf(std::nullopt, 100, 300));
    EXPECT_EQ(tall.bitmap->GetSize(), std::pair(256, 768));
    DecodeResult noWindow = DecodeAs("none.wmf", HalfRedWmf(std::nullopt, 0));
    EXPECT_EQ(noWindow.bitmap->GetSize(), std::pair(1024, 768));
}

TEST_F(MetafileDecoding, EnhancedFilesMeasureTheirFrameOnTheirDevice)
{
    // 2540 hundredths of a millimetre at 1000 pixels per 254 mm: 100 pixels.
    DecodeResult square = DecodeAs("a.emf", ColouredEmf({0, 0, 2540, 2540}));
    ASSERT_TRUE(square.Ok()) << square.text;
    EXPECT_EQ(square.bitmap->GetSize(), std::pair(100, 100));
    EXPECT_EQ(ColorAt(*square.bitmap, 5, 5), OpaqueBgra(0, 255, 0));
    EXPECT_EQ(ColorAt(*square.bitmap, 25, 5), OpaqueBgra(0x20, 0x40, 0x80));
    // Another device: 800 x 600 pixels on 200 x 150 mm: 4 pixels per mm.
    DecodeResult other = DecodeAs("b.emf", ColouredEmf({100, 100, 2599, 1100}, {800, 600, 200, 150}));
    EXPECT_EQ(other.bitmap->GetSize(), std::pair(99, 40));
    EXPECT_EQ(DecodeAs("c.emf", ColouredEmf({0, 0, 0, 0})).bitmap->GetSize(), std::pair(320, 200));
    EXPECT_EQ(DecodeAs("d.emf", ColouredEmf({0, 0, 2540, 2540}, {1000, 1000, 0, 0})).bitmap->GetSize(),
              std::pair(320, 200));
}

TEST_F(MetafileDecoding, SmallPalettesMakeEightBitPictures)
{
    DecodeResult indexed = DecodeAs("a.emf", ColouredEmf({0, 0, 2540, 2540}, EmfWriter::kDevice, Palette(16)));
    ASSERT_TRUE(indexed.Ok()) << indexed.text;
    EXPECT_EQ(indexed.bitmap->GetBitsPerPixel(), 8);
    EXPECT_FALSE(indexed.bitmap->GetAlphaFlag());
    const BgraPixel* palette = indexed.bitmap->GetPalette();
    // The metafile's colours come first, then the drawn ones as they appear.
    EXPECT_EQ(palette[3], OpaqueBgra(21, 252, 0));
    EXPECT_EQ(ColorAt(*indexed.bitmap, 5, 5), OpaqueBgra(0, 255, 0));
    EXPECT_EQ(ColorAt(*indexed.bitmap, 25, 5), OpaqueBgra(0x20, 0x40, 0x80));
    EXPECT_EQ(ColorAt(*indexed.bitmap, 50, 50), OpaqueBgra(255, 255, 255));
    EXPECT_GE(IndexAt(*indexed.bitmap, 50, 50), 16);
    EXPECT_EQ(palette[255], OpaqueBgra(0, 0, 0));

    // Asked for 32 bits, the same file gives them.
    EXPECT_EQ(DecodeAs("b.emf", ColouredEmf({0, 0, 2540, 2540}, EmfWriter::kDevice, Palette(16)), 32)
                  .bitmap->GetBitsPerPixel(),
              32);
    // No palette, or one of 256 colours: 32 bits with the alpha flag, all opaque.
    for (int entries : {0, 256}) {
        DecodeResult full = DecodeAs("c.emf", ColouredEmf({0, 0, 2540, 2540}, EmfWriter::kDevice, Palette(entries)));
        ASSERT_TRUE(full.Ok()) << full.text;
        EXPECT_EQ(full.bitmap->GetBitsPerPixel(), 32) << entries;
        EXPECT_TRUE(full.bitmap->GetAlphaFlag()) << entries;
        EXPECT_EQ(ColorAt(*full.bitmap, 50, 50), OpaqueBgra(255, 255, 255));
        EXPECT_EQ(ColorAt(*full.bitmap, 5, 5), OpaqueBgra(0, 255, 0));
    }
    // A wish for 8 bits without a palette still gives 32.
    EXPECT_EQ(DecodeAs("d.emf", ColouredEmf({0, 0, 2540, 2540}), 8).bitmap->GetBitsPerPixel(), 32);
}

TEST_F(MetafileDecoding, TheKindComesFromTheExtensionOfTheName)
{
    std::vector<uint8_t> emf = ColouredEmf({0, 0, 2540, 2540});
    EXPECT_TRUE(DecodeAs("picture.Emf", emf).Ok());
    // Anything else, memory blocks included, is a Windows metafile, whatever
    // ".emf" the rest of the path holds.
    for (std::string name : {"picture.wmf", "x.emf.d/picture", "santa.emf.wmf"}) {
        DecodeResult named = DecodeAs(name, emf);
        EXPECT_EQ(named.code, PE_UNSUPPORTED) << name;
        EXPECT_EQ(named.text, "Decoder error: Windows Metafile functions failed to load this image.\n") << name;
    }
    EXPECT_EQ(DecodeBytes(decoder_, emf).code, PE_UNSUPPORTED);
    std::vector<uint8_t> placeable = HalfRedWmf(WmfWriter::Placeable {0, 0, 96, 96, 96});
    DecodeResult wmf = DecodeBytes(decoder_, placeable);
    ASSERT_TRUE(wmf.Ok()) << wmf.text;
    EXPECT_EQ(wmf.bitmap->GetSize(), std::pair(96, 96));
    EXPECT_TRUE(DecodeAs("x.emf.d/santa.emf.wmf", placeable).Ok());
}

TEST_F(MetafileDecoding, RefusalsCarryTheirCodesAndTexts)
{
    DecodeResult garbage = DecodeAs("a.wmf", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(garbage.code, PE_UNSUPPORTED);
    DecodeResult shortPlaceable = DecodeAs("b.wmf", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0});
    EXPECT_EQ(shortPlaceable.code, PE_UNSUPPORTED);
    DecodeResult shortEmf = DecodeAs("c.emf", std::vector<uint8_t>(80, 1));
    EXPECT_EQ(shortEmf.code, PE_UNSUPPORTED);
    // Sizes beyond the bitmap limits are refused as out of memory.
    DecodeResult wide = DecodeAs("d.wmf", HalfRedWmf(WmfWriter::Placeable {-32768, 0, 32767, 10, 1}));
    EXPECT_EQ(wide.code, PE_ALLOC_FAILED);
    EXPECT_EQ(wide.text, "Decoder error: Cannot allocate memory bitmap.\n");
    DecodeResult large = DecodeAs("e.wmf", HalfRedWmf(WmfWriter::Placeable {0, 0, 20000, 20000, 96}));
    EXPECT_EQ(large.code, PE_ALLOC_FAILED);
    DecodeResult hugeFrame = DecodeAs("f.emf", ColouredEmf({0, 0, 0x7FFFFFFF, 2540}));
    EXPECT_EQ(hugeFrame.code, PE_ALLOC_FAILED);
}
