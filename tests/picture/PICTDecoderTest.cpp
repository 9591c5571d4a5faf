#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/Trace.h"
#include "picture/formats/JPEGDecoder.h"
#include "picture/formats/PICTDecoder.h"
#include "tests/support/DamagedInput.h"
#include "tests/support/JpegWriter.h"
#include "tests/support/PictWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPictures.h"

namespace {

constexpr uint16_t kPixMap = 0x8000;

DecodeResult Decode(const std::vector<uint8_t>& bytes, int wantedDepth = 0)
{
    CPICTDecoder decoder(nullptr);
    return DecodeBytes(decoder, bytes, wantedDepth);
}

// Decodes with the trace at its most detailed and returns what it wrote.
std::string DecodeTraced(const std::vector<uint8_t>& bytes, DecodeResult& result)
{
    TempFolder folder;
    std::string path = folder.Path() + "/trace.txt";
    CPICTDecoder decoder(nullptr);
    SetTraceFile(path);
    SetTraceLevel(3);
    result = DecodeBytes(decoder, bytes);
    SetTraceLevel(0);
    SetTraceFile("");
    std::vector<uint8_t> text = ReadFileBytes(path);
    return std::string(text.begin(), text.end());
}

// An 8-bit PackBitsRect pixmap of `width` x `rows.size()`, rows as given (packed bytes behind their counts).
std::vector<uint8_t> PixMapWithRows(int width, const std::vector<std::vector<uint8_t>>& packedRows)
{
    int height = static_cast<int>(packedRows.size());
    PictWriter pict(2, width, height);
    ByteWriter& data = pict.Op(0x98).Data();
    data.U16BE(kPixMap | 8u);
    WritePictPixMap(data, {width, height, 0, 8, 1, 8});
    WritePictColorTable(data, CubePalette());
    WritePictRects(data, width, height);
    for (const auto& row : packedRows)
        data.U8(static_cast<uint32_t>(row.size())).Bytes(row);
    return pict.Finish();
}

BgraPixel Cube(int index)
{
    auto colour = CubePalette()[static_cast<size_t>(index)];
    return OpaqueBgra(colour[0], colour[1], colour[2]);
}

}  // namespace

TEST(PICTDecoder, DrawingOpcodesAreWalkedAndTraced)
{
    PictWriter pict(2, 40, 30);
    pict.Op(0x04).Data().U8(1);  // TxFace leaves the offset odd
    pict.Op(0x12).Data().U16BE(1).Fill(8).U16BE(kPixMap | 2u);  // a full pixel pattern
    WritePictPixMap(pict.Data(), {8, 8, 0, 2, 1, 2});
    WritePictColorTable(pict.Data(), {{0, 0, 0}, {255, 255, 255}});
    pict.Data().Fill(8 * 2, 0x55);
    pict.Op(0x13).Data().U16BE(2).Fill(8 + 6);  // a dithered pattern
    pict.Op(0x28).Data().Fill(4).U8(3).Text("abc");
    pict.Op(0x29).Data().U8(9).U8(1).Text("x");
    pict.Op(0x2B).Data().U8(1).U8(2).U8(0);
    pict.Op(0x70);
    WritePictRegion(pict.Data(), 18);
    pict.Op(0x81);
    WritePictRegion(pict.Data(), 10);
    pict.Op(0xA1).Data().U16BE(100).U16BE(300).Fill(300, 0xFF);
    pict.Op(0xA0).Data().U16BE(7);
    pict.Op(0x24).Data().U16BE(3).Fill(3, 0xFF);
    pict.Op(0x17);
    pict.Op(0xA5).Data().U16BE(2).Fill(2, 0xFF);
    pict.Op(0xB3);
    pict.Op(0xD5).Data().U32BE(5).Fill(5, 0xFF);
    pict.Op(0x0200).Data().Fill(4, 0xFF);
    pict.Op(0x8005);
    pict.Op(0x8201).Data().U32BE(3).Fill(3, 0xFF);
    DecodeResult result;
    std::string trace = DecodeTraced(pict.Finish(), result);
    EXPECT_TRUE(result.Ok()) << result.text;
    for (const char* line : {"Decoding mac pict.\n", "PICT version 2 found.\n", "Opcode: Header.\n", "Opcode: TxFace\n",
                             "Opcode: BkPixPat\n", "PixMap header info:\n", "  Bounds: (0,0) (8,8).\n",
                             "  pixelSize: 2\n", "Palette Size:  2\n", "Opcode: PnPixPat\n", "Opcode: DHDVText\n",
                             "Opcode: framePoly\n", "Skipping polygon or region.\n", "Opcode: paintRgn\n",
                             "Opcode: LongComment\n", "Opcode: reserved=0x24\n", "Opcode: reserved=0x17\n",
                             "Opcode: reserved 0xa5.\n", "Opcode: reserved 0x8201.\n", "Opcode: End of pict.\n"})
        EXPECT_NE(trace.find(line), std::string::npos) << line << " not in\n" << trace;

    // Version 1: byte opcodes, never aligned.
    PictWriter old(1, 40, 30);
    old.Op(0x04).Data().U8(1);
    old.Op(0x22).Data().Fill(6);
    old.Op(0x28).Data().Fill(4).U8(1).Text("a");
    old.Op(0x71);
    WritePictRegion(old.Data(), 11);
    old.Op(0xA1).Data().U16BE(1).U16BE(1).U8(0xFF);
    DecodeResult vector;
    std::string oldTrace = DecodeTraced(old.Finish(), vector);
    EXPECT_TRUE(vector.Ok()) << vector.text;
    EXPECT_NE(oldTrace.find("Opcode: Clip\nOpcode: TxFace\nOpcode: ShortLine\nOpcode: LongText\n"), std::string::npos)
        << oldTrace;
}

TEST(PICTDecoder, VersionMustBeOneOrTwo)
{
    std::vector<uint8_t> bytes = PictBitmap({{1, 0}}, 2);
    DecodeResult good = Decode(bytes);
    ASSERT_TRUE(good.Ok()) << good.text;
    bytes[525] = 0xFE;
    DecodeResult noFF = Decode(bytes);
    EXPECT_EQ(noFF.code, PE_WRONG_SIGNATURE);
    EXPECT_EQ(noFF.text, "Decoder error: Illegal version number.\n");
    bytes[524] = 3;
    EXPECT_EQ(Decode(bytes).code, PE_WRONG_SIGNATURE);
    bytes[523] = 0x12;
    DecodeResult missing = Decode(bytes);
    EXPECT_EQ(missing.code, PE_WRONG_SIGNATURE);
    EXPECT_EQ(missing.text, "Decoder error: Error decoding pict: Version number missing.\n");
}

// Without the preamble the header is read at the start, in both versions.
TEST(PICTDecoder, PicturesWithoutPreamble)
{
    for (int version : {1, 2}) {
        std::vector<uint8_t> file = PictBitmap({{1, 0, 1}}, version);
        CAutoDecoder decoder;
        DecodeResult result = DecodeBytes(decoder, std::vector<uint8_t>(file.begin() + 512, file.end()));
        ASSERT_TRUE(result.Ok()) << version << ": " << result.text;
        EXPECT_EQ(result.bitmap->GetSize(), std::make_pair(3, 1));
        EXPECT_EQ(IndexAt(*result.bitmap, 0, 0), 1);
        EXPECT_EQ(IndexAt(*result.bitmap, 1, 0), 0);
    }
}

TEST(PICTDecoder, OneBitBitmapsShowSetBitsBlackOnWhite)
{
    std::vector<std::vector<uint8_t>> narrow = {{1, 0, 0, 1, 1}, {0, 1, 1, 0, 0}};
    std::vector<std::vector<uint8_t>> wide(3, std::vector<uint8_t>(70));
    wide[1][69] = 1;
    wide[2][0] = 1;
    for (int version : {1, 2}) {
        for (const auto& bits : {narrow, wide}) {
            std::vector<uint8_t> bytes = PictBitmap(bits, version);
            DecodeResult indexed = Decode(bytes);
            ASSERT_TRUE(indexed.Ok()) << indexed.text;
            EXPECT_EQ(indexed.bitmap->GetBitsPerPixel(), 8);
            EXPECT_EQ(indexed.bitmap->GetPalette()[0], OpaqueBgra(255, 255, 255));
            EXPECT_EQ(indexed.bitmap->GetPalette()[1], OpaqueBgra(0, 0, 0));
            DecodeResult colours = Decode(bytes, 32);
            ASSERT_TRUE(colours.Ok()) << colours.text;
            for (size_t y = 0; y < bits.size(); ++y)
                for (size_t x = 0; x < bits[0].size(); ++x) {
                    ASSERT_EQ(IndexAt(*indexed.bitmap, int(x), int(y)), bits[y][x]) << version << ": " << x << ", " << y;
                    ASSERT_EQ(ColorAt(*colours.bitmap, int(x), int(y)),
                              bits[y][x] ? OpaqueBgra(0, 0, 0) : OpaqueBgra(255, 255, 255));
                }
        }
    }
}

TEST(PICTDecoder, CopybitsRowsAreNeverPacked)
{
    // A BitsRgn of 10-byte rows: the rows stand as they are, behind a clip region.
    PictWriter pict(2, 80, 2);
    ByteWriter& data = pict.Op(0x91).Data();
    data.U16BE(10).U16BE(0).U16BE(0).U16BE(2).U16BE(80);
    WritePictRects(data, 80, 2);
    WritePictRegion(data, 10);
    data.U8(0x80).Fill(9).Fill(9).U8(0x01);
    DecodeResult result = Decode(pict.Finish());
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(IndexAt(*result.bitmap, 0, 0), 1);
    EXPECT_EQ(IndexAt(*result.bitmap, 1, 0), 0);
    EXPECT_EQ(IndexAt(*result.bitmap, 79, 1), 1);
}

TEST(PICTDecoder, PixMapColourTablesInBothIndexModes)
{
    std::vector<std::vector<uint8_t>> rows = SceneIndices(23, 7);
    std::vector<uint8_t> bytes = PictIndexed(rows, 8, CubePalette());
    DecodeResult indexed = Decode(bytes);
    ASSERT_TRUE(indexed.Ok()) << indexed.text;
    EXPECT_EQ(indexed.bitmap->GetBitsPerPixel(), 8);
    EXPECT_EQ(IndexAt(*indexed.bitmap, 22, 6), rows[6][22]);
    EXPECT_EQ(indexed.bitmap->GetPalette()[rows[6][22]], Cube(rows[6][22]));
    DecodeResult colours = Decode(bytes, 32);
    ASSERT_TRUE(colours.Ok()) << colours.text;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 23; ++x)
            ASSERT_EQ(ColorAt(*colours.bitmap, x, y), Cube(rows[size_t(y)][size_t(x)])) << x << ", " << y;

    // Without the index-order flag each entry says which index it sets.
    auto valued = [](std::vector<uint16_t> values) {
        PictWriter pict(2, 3, 1);
        ByteWriter& data = pict.Op(0x98).Data();
        data.U16BE(kPixMap | 4u);
        WritePictPixMap(data, {3, 1, 0, 8, 1, 8});
        WritePictColorTable(data, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, values);
        WritePictRects(data, 3, 1);
        data.Bytes({0, 1, 2, 0});
        return pict.Finish();
    };
    DecodeResult byValue = Decode(valued({2, 0, 1}));
    ASSERT_TRUE(byValue.Ok()) << byValue.text;
    EXPECT_EQ(ColorAt(*byValue.bitmap, 0, 0), OpaqueBgra(0, 255, 0));
    EXPECT_EQ(ColorAt(*byValue.bitmap, 1, 0), OpaqueBgra(0, 0, 255));
    EXPECT_EQ(ColorAt(*byValue.bitmap, 2, 0), OpaqueBgra(255, 0, 0));

    DecodeResult beyond = Decode(valued({2, 3, 1}));
    EXPECT_EQ(beyond.code, PE_FORMAT_ERROR);
    EXPECT_EQ(beyond.text, "Decoder error: pixel value greater than colour table size.\n");
}

TEST(PICTDecoder, ColourTablesBeyond256KeepTheFirst256)
{
    std::vector<std::array<uint8_t, 3>> colours(300, {1, 2, 3});
    colours[255] = {200, 100, 50};
    PictWriter pict(2, 2, 1);
    ByteWriter& data = pict.Op(0x98).Data();
    data.U16BE(kPixMap | 2u);
    WritePictPixMap(data, {2, 1, 0, 8, 1, 8});
    WritePictColorTable(data, colours);
    WritePictRects(data, 2, 1);
    data.Bytes({255, 0});
    DecodeResult result = Decode(pict.Finish());
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(200, 100, 50));
    EXPECT_EQ(ColorAt(*result.bitmap, 1, 0), OpaqueBgra(1, 2, 3));
}

TEST(PICTDecoder, PixMapsOfTwoAndFourBits)
{
    std::vector<std::vector<uint8_t>> rows = {{3, 0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
                                               3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1}};
    for (int pixelSize : {2, 4}) {
        std::vector<uint8_t> bytes = PictIndexed(rows, pixelSize, CubePalette());
        DecodeResult indexed = Decode(bytes);
        ASSERT_TRUE(indexed.Ok()) << indexed.text;
        EXPECT_EQ(IndexAt(*indexed.bitmap, 0, 0), 3) << pixelSize;
        EXPECT_EQ(IndexAt(*indexed.bitmap, 1, 0), 0) << pixelSize;
        EXPECT_EQ(IndexAt(*indexed.bitmap, 39, 0), 1) << pixelSize;
        DecodeResult colours = Decode(bytes, 32);
        EXPECT_EQ(ColorAt(*colours.bitmap, 3, 0), Cube(2)) << pixelSize;
    }
}

TEST(PICTDecoder, DirectPixelsOfThirtyTwoAndSixteenBits)
{
    std::vector<std::vector<uint32_t>> rows = SceneRows(70, 3);
    rows[0][0] = 0x80FF0000;
    for (int components : {3, 4}) {
        DecodeResult result = Decode(PictDirect(rows, 32, components), 8);
        ASSERT_TRUE(result.Ok()) << result.text;
        EXPECT_EQ(result.bitmap->GetBitsPerPixel(), 32) << "8 bits cannot hold direct pixels";
        EXPECT_EQ(result.bitmap->GetAlphaFlag(), components == 4);
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), (BgraPixel {0, 0, 255, uint8_t(components == 4 ? 0x80 : 255)}));
        uint32_t pixel = rows[2][69];
        EXPECT_EQ(ColorAt(*result.bitmap, 69, 2).red, uint8_t(pixel >> 16));
        EXPECT_EQ(ColorAt(*result.bitmap, 69, 2).blue, uint8_t(pixel));
    }

    DecodeResult sixteen = Decode(PictDirect({{0x7FFF, 0x7C00, 0x001F, 0}, {0x03E0, 0, 0, 0}}, 16));
    ASSERT_TRUE(sixteen.Ok()) << sixteen.text;
    EXPECT_FALSE(sixteen.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*sixteen.bitmap, 0, 0), OpaqueBgra(248, 248, 248));
    EXPECT_EQ(ColorAt(*sixteen.bitmap, 1, 0), OpaqueBgra(248, 0, 0));
    EXPECT_EQ(ColorAt(*sixteen.bitmap, 2, 0), OpaqueBgra(0, 0, 248));
    EXPECT_EQ(ColorAt(*sixteen.bitmap, 0, 1), OpaqueBgra(0, 248, 0));
    std::vector<std::vector<uint32_t>> narrow = {{0x7C00, 0x001F}};  // 4 row bytes: stored unpacked
    EXPECT_EQ(ColorAt(*Decode(PictDirect(narrow, 16)).bitmap, 1, 0), OpaqueBgra(0, 0, 248));
}

TEST(PICTDecoder, RowCountsSizedByThePlanes)
{
    // 70 pixels: width x 4 asks for word counts, but some writers count by the
    // 210 bytes of the three planes and write single bytes.
    std::vector<std::vector<uint32_t>> rows = SceneRows(70, 2);
    PictWriter pict(2, 70, 2);
    ByteWriter& data = pict.Op(0x9A).Data();
    data.U32BE(0xFF).U16BE(kPixMap | 280u);
    WritePictPixMap(data, {70, 2, 4, 32, 3, 8});
    WritePictRects(data, 70, 2);
    std::vector<std::vector<uint8_t>> planes;
    for (const auto& row : rows) {
        std::vector<uint8_t> bytes;
        for (int shift : {16, 8, 0})
            for (uint32_t pixel : row)
                bytes.push_back(uint8_t(pixel >> shift));
        planes.push_back(bytes);
    }
    WritePictRows(data, planes, 210);
    DecodeResult result = Decode(pict.Finish());
    ASSERT_TRUE(result.Ok()) << result.text;
    EXPECT_EQ(ColorAt(*result.bitmap, 69, 1).green, uint8_t(rows[1][69] >> 8));
}

TEST(PICTDecoder, PackBitsRowsAreClippedOrPadded)
{
    std::vector<uint8_t> bytes = PixMapWithRows(8, {
                                                       {0x80, 0x02, 1, 2, 3, 0xFB, 9},  // no-op, 3 literals, 5 repeats
                                                       {0x01, 7, 7},                    // two bytes: padded with 0
                                                       {0xF0, 4},                       // 17 repeats: clipped at 8
                                                       {0x09, 5, 6},                    // literals cut off by the count
                                                   });
    DecodeResult result = Decode(bytes);
    ASSERT_TRUE(result.Ok()) << result.text;
    const CPictureBitmap& bitmap = *result.bitmap;
    EXPECT_EQ(IndexAt(bitmap, 0, 0), 1);
    EXPECT_EQ(IndexAt(bitmap, 3, 0), 9);
    EXPECT_EQ(IndexAt(bitmap, 7, 0), 9);
    EXPECT_EQ(IndexAt(bitmap, 1, 1), 7);
    EXPECT_EQ(IndexAt(bitmap, 2, 1), 0);
    EXPECT_EQ(IndexAt(bitmap, 7, 2), 4);
    EXPECT_EQ(IndexAt(bitmap, 1, 3), 6);
    EXPECT_EQ(IndexAt(bitmap, 2, 3), 0);
}

TEST(PICTDecoder, RegionClippedForms)
{
    // PackBitsRgn and DirectBitsRgn carry a clip region behind the transfer mode.
    PictWriter pict(2, 2, 1);
    ByteWriter& data = pict.Op(0x99).Data();
    data.U16BE(kPixMap | 2u);
    WritePictPixMap(data, {2, 1, 0, 8, 1, 8});
    WritePictColorTable(data, CubePalette());
    WritePictRects(data, 2, 1);
    WritePictRegion(data, 28);
    data.Bytes({5, 215});
    DecodeResult packed = Decode(pict.Finish());
    ASSERT_TRUE(packed.Ok()) << packed.text;
    EXPECT_EQ(IndexAt(*packed.bitmap, 1, 0), 215);

    PictWriter direct(2, 2, 1);
    ByteWriter& pixels = direct.Op(0x9B).Data();
    pixels.U32BE(0xFF).U16BE(kPixMap | 8u);
    WritePictPixMap(pixels, {2, 1, 4, 32, 3, 8});
    WritePictRects(pixels, 2, 1);
    WritePictRegion(pixels, 10);
    std::vector<uint8_t> planes = PackBits({10, 20, 30, 40, 50, 60});  // red, green and blue planes
    pixels.U8(static_cast<uint32_t>(planes.size())).Bytes(planes);
    std::vector<uint8_t> bytes = direct.Finish();
    DecodeResult rgn = Decode(bytes);
    ASSERT_TRUE(rgn.Ok()) << rgn.text;
    EXPECT_EQ(ColorAt(*rgn.bitmap, 1, 0), OpaqueBgra(20, 40, 60));
}

TEST(PICTDecoder, QuickTimeDataAreSearchedForJpeg)
{
    auto quickTime = [](std::vector<uint8_t> payload, uint32_t length) {
        PictWriter pict(2, 8, 8);
        pict.Op(0x8200).Data().U32BE(length).Bytes(payload);
        return pict.Take();
    };
    // A JPEG start behind the QuickTime headers goes to the JPEG decoder.
    JpegImage grey;
    grey.width = 8;
    grey.height = 8;
    grey.components = 1;
    grey.samples.assign(64, 200);
    std::vector<uint8_t> jpegData = WriteJpeg(grey);
    ByteWriter headers;
    headers.Fill(68, 0x11).Bytes(jpegData);
    std::vector<uint8_t> embedded = quickTime(headers.Take(), static_cast<uint32_t>(68 + jpegData.size()));
    CJPEGDecoder jpegDecoder;
    CPICTDecoder withJpeg(&jpegDecoder);
    DecodeResult decoded = DecodeBytes(withJpeg, embedded);
    ASSERT_TRUE(decoded.Ok()) << decoded.text;
    EXPECT_EQ(decoded.bitmap->GetWidth(), 8);
    EXPECT_NEAR(ColorAt(*decoded.bitmap, 4, 4).green, 200, 2);
    // Without a JPEG decoder the same data are refused.
    DecodeResult jpeg = Decode(embedded);
    EXPECT_EQ(jpeg.code, PE_UNSUPPORTED);
    EXPECT_EQ(jpeg.text, "Decoder error: Library not compiled for PICT/JPEG.\n");

    DecodeResult other = Decode(quickTime({1, 2, 3, 4, 5, 0xFF, 0xD8, 0xFF}, 5));
    EXPECT_EQ(other.code, PE_UNSUPPORTED);
    EXPECT_EQ(other.text, "Decoder error: PICT file contains unrecognized quicktime data.\n\n");

    // Two bytes of a JPEG start at the very end are no JPEG start.
    EXPECT_EQ(Decode(quickTime({1, 2, 0xFF, 0xD8}, 100)).code, PE_END_OF_FILE);
}

TEST(PICTDecoder, RefusesWhatItCannotDecode)
{
    auto pixMap = [](PictPixMap record, int rowBytes) {
        PictWriter pict(2, record.width, record.height);
        ByteWriter& data = pict.Op(0x98).Data();
        data.U16BE(kPixMap | static_cast<uint32_t>(rowBytes));
        WritePictPixMap(data, record);
        WritePictColorTable(data, {{0, 0, 0}});
        WritePictRects(data, record.width, record.height);
        data.Fill(64);
        return pict.Finish();
    };
    DecodeResult size3 = Decode(pixMap({4, 4, 0, 3, 1, 3}, 2));
    EXPECT_EQ(size3.code, PE_FORMAT_ERROR);
    EXPECT_EQ(size3.text, "Decoder error: Illegal bpp value in unpackbits: 3\n\n");
    EXPECT_EQ(Decode(pixMap({0, 4, 0, 8, 1, 8}, 2)).code, PE_FORMAT_ERROR);
    EXPECT_EQ(Decode(pixMap({4, 4, 0, 32, 2, 8}, 16)).code, PE_UNSUPPORTED_VARIANT);
    EXPECT_EQ(Decode(pixMap({30000, 30000, 0, 8, 1, 8}, 30000)).code, PE_END_OF_FILE);

    PictWriter pattern(2, 8, 8);
    pattern.Op(0x12).Data().U16BE(7);
    DecodeResult badPattern = Decode(pattern.Finish());
    EXPECT_EQ(badPattern.code, PE_FORMAT_ERROR);
    EXPECT_EQ(badPattern.text, "Decoder error: Unknown pattern type in pixPat.\n");

    PictWriter region(2, 8, 8);
    region.Op(0x80).Data().U16BE(1);
    EXPECT_EQ(Decode(region.Finish()).code, PE_FORMAT_ERROR);
}

TEST(PICTDecoder, DamagedFilesEndCleanly)
{
    CPICTDecoder decoder(nullptr);
    std::vector<std::vector<uint8_t>> files = {
        PictBitmap({{1, 0, 1}, {0, 1, 0}}, 1),
        PictBitmap(std::vector<std::vector<uint8_t>>(3, std::vector<uint8_t>(90, 1)), 2),
        PictIndexed(SceneIndices(19, 5), 8, CubePalette()),
        PictIndexed(BandIndices(33, 4, 4), 2, CubePalette()),
        PictDirect(SceneRows(17, 4), 32, 4),
        PictDirect({{0x1234, 0x7FFF, 0x4321, 1, 2}, {3, 4, 5, 6, 7}}, 16),
    };
    for (const auto& bytes : files) {
        ASSERT_TRUE(DecodeBytes(decoder, bytes).Ok());
        ExpectCutsEndCleanly(decoder, bytes, 1, "pict");
        ExpectChangedBytesEndCleanly(decoder, bytes, 300, "pict", 512);  // past the preamble, where changes matter
    }
}
