#include <gtest/gtest.h>

#include "picture/bitmap/PlainBitmap.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/MemoryByteSource.h"
#include "picture/decoding/TextException.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/ByteWriter.h"
#include "tests/support/PcxWriter.h"
#include "tests/support/PgmWriter.h"
#include "tests/support/PictWriter.h"
#include "tests/support/JpegWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TgaWriter.h"
#include "tests/support/WmfWriter.h"

namespace {

PictureFormat Detect(const std::vector<uint8_t>& bytes)
{
    size_t available = std::min(bytes.size(), CAutoDecoder::kDetectionBytes);
    return CAutoDecoder::DetectFormat({bytes.data(), available}, static_cast<int64_t>(bytes.size()));
}

// An 18-byte Targa header: no colour map, the image type and pixel depth given.
std::vector<uint8_t> TgaHeader(uint8_t type, uint8_t depth)
{
    return ByteWriter().U8(0).U8(0).U8(type).Fill(4).U8(0).Fill(4).U16LE(1).U16LE(1).U8(depth).U8(0).Take();
}

// A PICT file of `size` bytes with the given bytes at the version opcode (522).
std::vector<uint8_t> PictWith(std::initializer_list<uint8_t> version, size_t size)
{
    std::vector<uint8_t> bytes(size, 0);
    std::copy(version.begin(), version.end(), bytes.begin() + 522);
    return bytes;
}

std::vector<uint8_t> EpsHeader(uint32_t tiffOffset, uint32_t tiffLength, size_t size = 64)
{
    ByteWriter eps;
    eps.Bytes({0xC5, 0xD0, 0xD3, 0xC6}).U32LE(30).U32LE(10).U32LE(0).U32LE(0).U32LE(tiffOffset).U32LE(tiffLength);
    eps.Fill(size - eps.Size());
    return eps.Take();
}

std::vector<uint8_t> SmallBmp()
{
    BmpImage image;
    image.bitsPerPixel = 24;
    image.pixels = BmpRows({{0x123456}}, 24);
    return WriteBmp(image);
}

}  // namespace

TEST(DetectFormat, RecognisesEverySignature)
{
    EXPECT_EQ(Detect({'B', 'M'}), PF_BMP);
    EXPECT_EQ(Detect(TgaHeader(2, 24)), PF_TGA);
    EXPECT_EQ(Detect({'G', 'I', 'F', '8', '9', 'a'}), PF_GIF);
    EXPECT_EQ(Detect({0x49, 0x49, 0x2A, 0x00}), PF_TIFF);
    EXPECT_EQ(Detect({0x4D, 0x4D, 0x00, 0x2A}), PF_TIFF);
    EXPECT_EQ(Detect({0xFF, 0xD8, 0xFF, 0xE0}), PF_JPEG);
    EXPECT_EQ(Detect({0x89, 'P', 'N', 'G', 0x0D}), PF_PNG);
    EXPECT_EQ(Detect(EpsHeader(64, 100)), PF_EPS_TIFF);
    EXPECT_EQ(Detect({0x0A, 0x05, 0x01, 0x08}), PF_PCX);
    EXPECT_EQ(Detect({'P', '2', '\n'}), PF_PGM);
    EXPECT_EQ(Detect({'P', '5', '\n'}), PF_PGM);
    EXPECT_EQ(Detect({'P', '6', '\n'}), PF_UNKNOWN);
    EXPECT_EQ(Detect({'h', 'e', 'l', 'l', 'o'}), PF_UNKNOWN);
}

TEST(DetectFormat, FollowsTheOrderOfTheTests)
{
    // "BM" wins over a header that also passes the Targa test.
    std::vector<uint8_t> bmpAndTga = TgaHeader(2, 24);
    bmpAndTga[0] = 'B';
    bmpAndTga[1] = 'M';
    EXPECT_EQ(Detect(bmpAndTga), PF_BMP);
    EXPECT_EQ(Detect(TgaHeader(2, 0)), PF_UNKNOWN);
    EXPECT_EQ(Detect(TgaHeader(4, 24)), PF_UNKNOWN);
}

// BigTIFF: version 43, then offsets of 8 bytes and a zero word.
TEST(DetectFormat, BigTiffByItsWholeHeader)
{
    EXPECT_EQ(Detect({0x49, 0x49, 0x2B, 0x00, 0x08, 0x00, 0x00, 0x00}), PF_TIFF);
    EXPECT_EQ(Detect({0x4D, 0x4D, 0x00, 0x2B, 0x00, 0x08, 0x00, 0x00}), PF_TIFF);
    EXPECT_EQ(Detect({0x49, 0x49, 0x2B, 0x00, 0x04, 0x00, 0x00, 0x00}), PF_UNKNOWN);
    EXPECT_EQ(Detect({0x4D, 0x4D, 0x00, 0x2B, 0x00, 0x08}), PF_UNKNOWN);
}

TEST(DetectFormat, PictNeedsMoreThan540Bytes)
{
    EXPECT_EQ(Detect(PictWith({0x00, 0x11, 0x02, 0xFF}, 541)), PF_PICT);
    EXPECT_EQ(Detect(PictWith({0x00, 0x11, 0x01}, 600)), PF_PICT);
    EXPECT_EQ(Detect(PictWith({0x11, 0x01, 0x01, 0x00}, 600)), PF_PICT);
    EXPECT_EQ(Detect(PictWith({0x00, 0x11, 0x02, 0xFF}, 540)), PF_UNKNOWN);
    EXPECT_EQ(Detect(PictWith({0x00, 0x11, 0x02, 0xFE}, 600)), PF_UNKNOWN);
}

// A picture taken out of an archive has no preamble: its header at the start
// says PICT when no other signature does. Version 1 pictures may begin with
// a comment instead of the clip region.
TEST(DetectFormat, PictWithoutPreambleAndVersionOneWithComments)
{
    auto bare = [](std::initializer_list<uint8_t> version, uint16_t bottom = 10) {
        return ByteWriter().U16BE(0).U16BE(0).U16BE(0).U16BE(bottom).U16BE(10).Bytes(version).Fill(20).Take();
    };
    EXPECT_EQ(Detect(bare({0x00, 0x11, 0x02, 0xFF})), PF_PICT);
    EXPECT_EQ(Detect(bare({0x11, 0x01, 0x01, 0x00})), PF_PICT);
    EXPECT_EQ(Detect(bare({0x11, 0x01, 0xA0})), PF_PICT);
    EXPECT_EQ(Detect(PictWith({0x11, 0x01, 0xA1}, 600)), PF_PICT);
    EXPECT_EQ(Detect(bare({0x11, 0x01, 0x30})), PF_UNKNOWN);  // neither clip region nor comment first
    EXPECT_EQ(Detect(bare({0x00, 0x11, 0x02, 0xFF}, 0)), PF_UNKNOWN);  // an empty frame
    std::vector<uint8_t> jpeg = bare({0x00, 0x11, 0x02, 0xFF});
    jpeg[0] = 0xFF, jpeg[1] = 0xD8, jpeg[2] = 0xFF;
    EXPECT_EQ(Detect(jpeg), PF_JPEG);
}

TEST(DetectFormat, EpsWithoutPreviewIsUnknown)
{
    EXPECT_EQ(Detect(EpsHeader(0, 100)), PF_UNKNOWN);
    EXPECT_EQ(Detect(EpsHeader(64, 0)), PF_UNKNOWN);
}

TEST(DetectFormat, MissingBytesFailTheirTest)
{
    EXPECT_EQ(Detect({'B'}), PF_UNKNOWN);
    EXPECT_EQ(Detect({}), PF_UNKNOWN);
    EXPECT_EQ(Detect({0x0A, 0x05}), PF_UNKNOWN);
    std::vector<uint8_t> tga = TgaHeader(2, 24);
    tga.resize(16);  // the pixel depth byte is missing
    EXPECT_EQ(Detect(tga), PF_UNKNOWN);
    std::vector<uint8_t> eps = EpsHeader(64, 100);
    eps.resize(26);  // the length is cut
    EXPECT_EQ(Detect(eps), PF_UNKNOWN);
    // The size says PICT, but the version bytes are not there.
    std::vector<uint8_t> cut(523, 0);
    cut[522] = 0x00;
    EXPECT_EQ(CAutoDecoder::DetectFormat({cut.data(), cut.size()}, 600), PF_UNKNOWN);
}

TEST(AutoDecoder, SendsMetafileExtensionsToTheMetafileDecoder)
{
    TempFolder folder;
    CAutoDecoder decoder;
    // A bitmap named .wmf goes to the metafile decoder whatever its content,
    // which refuses it.
    DecodeResult misnamed = DecodeFileAt(decoder, folder.Write("clip.wmf", SmallBmp()));
    EXPECT_EQ(misnamed.code, PE_UNSUPPORTED);
    EXPECT_EQ(misnamed.text, "Decoder error: Windows Metafile functions failed to load this image.\n");
    // Only the text after the last dot of the file name counts.
    for (std::string name : {"art.EMF.d/picture.bmp", "picture.wmf.bmp", "picture.emf."})
        EXPECT_TRUE(DecodeFileAt(decoder, folder.Write(name, SmallBmp())).Ok()) << name;
    // A real metafile by such a name decodes.
    std::vector<uint8_t> wmf = WmfWriter(WmfWriter::Placeable {0, 0, 48, 24, 96}).Finish();
    for (std::string name : {"clip.WMF", "x/santa.emf.wmf"}) {
        DecodeResult named = DecodeFileAt(decoder, folder.Write(name, wmf));
        ASSERT_TRUE(named.Ok()) << name << ": " << named.text;
        EXPECT_EQ(named.bitmap->GetSize(), std::pair(48, 24)) << name;
    }
    // A memory source is named "Mem" and never taken for a metafile.
    EXPECT_TRUE(DecodeBytes(decoder, SmallBmp()).Ok());
    EXPECT_EQ(DecodeBytes(decoder, wmf).code, PE_UNKNOWN_FILE_TYPE);
}

TEST(AutoDecoder, RefusesUnknownDataAndFormatsNotBuilt)
{
    CAutoDecoder decoder;
    DecodeResult unknown = DecodeBytes(decoder, {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(unknown.code, PE_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(unknown.text, "Decoder error: Unknown file type.\n");
    DecodeResult empty = DecodeBytes(decoder, {});
    EXPECT_EQ(empty.code, PE_UNKNOWN_FILE_TYPE);
}

TEST(AutoDecoder, RefusesAnEpsPreviewOutsideTheFile)
{
    CAutoDecoder decoder;
    DecodeResult beyond = DecodeBytes(decoder, EpsHeader(60, 100));
    EXPECT_EQ(beyond.code, PE_FORMAT_ERROR);
    EXPECT_NE(beyond.text.find("outside the file"), std::string::npos);
    DecodeResult inside = DecodeBytes(decoder, EpsHeader(10, 4));
    EXPECT_EQ(inside.code, PE_FORMAT_ERROR);
}

TEST(AutoDecoder, HandsTargaPgmPcxAndPictToTheirDecoders)
{
    TgaImage tga;
    tga.pixels = TgaRows({{0x123456}}, 24);
    CAutoDecoder decoder;
    for (const auto& bytes : {WriteTga(tga), WritePcx(EncodedPcx({{0x123456}}, 8, 3)), PictDirect({{0x123456}}, 32)}) {
        DecodeResult result = DecodeBytes(decoder, bytes);
        ASSERT_TRUE(result.Ok()) << result.text;
        EXPECT_EQ(ColorAt(*result.bitmap, 0, 0), OpaqueBgra(0x12, 0x34, 0x56));
    }
    DecodeResult pgm = DecodeBytes(decoder, WritePgm({{0x12}}, 255, true));
    ASSERT_TRUE(pgm.Ok()) << pgm.text;
    EXPECT_EQ(ColorAt(*pgm.bitmap, 0, 0), OpaqueBgra(0x12, 0x12, 0x12));
}

TEST(AutoDecoder, HandsJpegAndPngToTheirDecoders)
{
    CAutoDecoder decoder;
    JpegImage jpeg;
    jpeg.width = 3;
    jpeg.height = 2;
    jpeg.components = 1;
    jpeg.samples = {0, 50, 100, 150, 200, 250};
    DecodeResult fromJpeg = DecodeBytes(decoder, WriteJpeg(jpeg));
    ASSERT_TRUE(fromJpeg.Ok()) << fromJpeg.text;
    EXPECT_EQ(fromJpeg.bitmap->GetBitsPerPixel(), 8);

    PngImage png;
    png.width = 2;
    png.rows = {{255, 0, 0, 0, 0, 255}};
    DecodeResult fromPng = DecodeBytes(decoder, WritePng(png));
    ASSERT_TRUE(fromPng.Ok()) << fromPng.text;
    EXPECT_EQ(ColorAt(*fromPng.bitmap, 0, 0), OpaqueBgra(255, 0, 0));
    EXPECT_EQ(ColorAt(*fromPng.bitmap, 1, 0), OpaqueBgra(0, 0, 255));

    // Their errors pass through unchanged.
    EXPECT_EQ(DecodeBytes(decoder, {0x89, 'P', 'N', 'G'}).code, PE_END_OF_FILE);
    EXPECT_EQ(DecodeBytes(decoder, {0xFF, 0xD8, 0xFF, 0x01}).code, PE_UNSUPPORTED);
}

TEST(AutoDecoder, ReducedDecodesReduceJpegFilesAloneAndGiveEachPicturesOwnSize)
{
    TempFolder folder;
    JpegImage jpeg;
    jpeg.width = 800;
    jpeg.height = 600;
    jpeg.samples = std::vector<uint8_t>(800 * 600 * 3, 200);
    CAutoDecoder decoder;
    CPlainBitmap bitmap;
    PictureSize jpegSize = decoder.DecodeFileReduced(folder.Write("a.jpg", WriteJpeg(jpeg)).c_str(), bitmap, 0,
                                                     {100, 75});
    EXPECT_EQ(jpegSize, (PictureSize {800, 600}));
    EXPECT_EQ(bitmap.GetSize(), std::make_pair(100, 75));

    PictureSize bmpSize = decoder.DecodeFileReduced(folder.Write("a.bmp", SceneBmp(400, 300, 24)).c_str(), bitmap,
                                                    0, {100, 75});
    EXPECT_EQ(bmpSize, (PictureSize {400, 300}));
    EXPECT_EQ(bitmap.GetSize(), std::make_pair(400, 300));
    EXPECT_THROW(decoder.DecodeFileReduced(folder.Write("a.png", std::string("not a picture")).c_str(), bitmap, 0,
                                           {100, 75}),
                 CTextException);
}

TEST(AutoDecoder, DecodesAsAGivenFormatWithoutRecognition)
{
    // A PICT file too short for recognition (version 2, then the end) reaches the PICT decoder.
    std::vector<uint8_t> pict = PictWith({0x00, 0x11, 0x02, 0xFF, 0x00, 0xFF}, 540);
    ASSERT_EQ(Detect(pict), PF_UNKNOWN);
    CAutoDecoder decoder;
    auto decodeAs = [&](PictureFormat format, const std::vector<uint8_t>& bytes) {
        CMemoryByteSource source;
        source.OpenMemory(bytes.data(), bytes.size());
        CPlainBitmap bitmap;
        try {
            decoder.DecodeAs(format, source, bitmap, 0);
        } catch (const CTextException& error) {
            return std::string(error.GetText());
        }
        return std::string("decoded");
    };
    EXPECT_EQ(decodeAs(PF_PICT, pict), "Decoder error: PICT contained only vector data!\n\n");
    EXPECT_EQ(decodeAs(PF_BMP, SmallBmp()), "decoded");
    EXPECT_EQ(decodeAs(PF_PCX, pict), "Decoder error: Error decoding pcx: Not a PCX file.\n");
    EXPECT_EQ(decodeAs(PF_UNKNOWN, SmallBmp()), "Decoder error: Unknown file type.\n");
}
