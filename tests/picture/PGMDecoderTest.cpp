#include <gtest/gtest.h>

#include "picture/formats/PGMDecoder.h"
#include "tests/support/ByteWriter.h"
#include "tests/support/DamagedInput.h"
#include "tests/support/PgmWriter.h"
#include "tests/support/PictureChecks.h"

namespace {

DecodeResult Decode(const std::vector<uint8_t>& bytes, int wantedDepth = 0)
{
    CPGMDecoder decoder;
    return DecodeBytes(decoder, bytes, wantedDepth);
}

DecodeResult Decode(const std::string& text)
{
    return Decode(std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

TEST(PGMDecoder, AsciiAndBinarySamplesGiveTheSameGreys)
{
    std::vector<std::vector<uint32_t>> rows = {{0, 10, 255}, {128, 7, 99}};
    for (bool binary : {false, true}) {
        DecodeResult result = Decode(WritePgm(rows, 255, binary));
        ASSERT_TRUE(result.Ok()) << result.text;
        const CPictureBitmap& bitmap = *result.bitmap;
        EXPECT_EQ(bitmap.GetBitsPerPixel(), 8);
        EXPECT_EQ(bitmap.GetWidth(), 3);
        EXPECT_EQ(IndexAt(bitmap, 2, 0), 255) << binary;
        EXPECT_EQ(IndexAt(bitmap, 0, 1), 128) << binary;
        EXPECT_EQ(bitmap.GetPalette()[99], OpaqueBgra(99, 99, 99));
        DecodeResult wide = Decode(WritePgm(rows, 255, binary), 32);
        EXPECT_EQ(ColorAt(*wide.bitmap, 2, 1), OpaqueBgra(99, 99, 99)) << binary;
    }
}

TEST(PGMDecoder, SamplesAreScaledByTheMaximum)
{
    // 15: sample 15 is white, 8 becomes 136; beyond the maximum is white.
    DecodeResult fifteen = Decode(WritePgm({{15, 8, 0, 200}}, 15, true));
    ASSERT_TRUE(fifteen.Ok()) << fifteen.text;
    EXPECT_EQ(IndexAt(*fifteen.bitmap, 0, 0), 255);
    EXPECT_EQ(IndexAt(*fifteen.bitmap, 1, 0), 136);
    EXPECT_EQ(IndexAt(*fifteen.bitmap, 2, 0), 0);
    EXPECT_EQ(IndexAt(*fifteen.bitmap, 3, 0), 255);

    // Above 255, binary samples take two bytes, most significant first.
    std::vector<std::vector<uint32_t>> deep = {{65535, 32768, 257, 0}};
    std::vector<uint8_t> binary = WritePgm(deep, 65535, true);
    ASSERT_EQ(binary.size(), PgmHeader(true, 4, 1, 65535).size() + 8);
    for (const auto& bytes : {binary, WritePgm(deep, 65535, false)}) {
        DecodeResult result = Decode(bytes);
        ASSERT_TRUE(result.Ok()) << result.text;
        EXPECT_EQ(IndexAt(*result.bitmap, 0, 0), 255);
        EXPECT_EQ(IndexAt(*result.bitmap, 1, 0), 127);
        EXPECT_EQ(IndexAt(*result.bitmap, 2, 0), 1);
    }
    DecodeResult thousand = Decode(WritePgm({{500, 1000, 4000}}, 1000, false));
    ASSERT_TRUE(thousand.Ok()) << thousand.text;
    EXPECT_EQ(IndexAt(*thousand.bitmap, 0, 0), 127);
    EXPECT_EQ(IndexAt(*thousand.bitmap, 1, 0), 255);
    EXPECT_EQ(IndexAt(*thousand.bitmap, 2, 0), 255);
}

TEST(PGMDecoder, HeaderWhiteSpaceAndComments)
{
    // Comments end at a line feed or a carriage return; tabs, vertical tabs
    // and form feeds separate numbers too.
    for (std::string header : {"P5\n# made by hand\n2 1\n255\n", "P5\r# made on a Mac\r2\t1\r255\r",
                               "P5 2#comment\n\v1\f255 ", "P5\n2 1 # a comment right behind\n255\n"}) {
        std::vector<uint8_t> bytes(header.begin(), header.end());
        bytes.insert(bytes.end(), {10, 20});
        DecodeResult result = Decode(bytes);
        ASSERT_TRUE(result.Ok()) << header << ": " << result.text;
        EXPECT_EQ(result.bitmap->GetWidth(), 2);
        // One character ends the maximum; the samples follow right after it,
        // even when the first sample is itself a white-space byte.
        EXPECT_EQ(IndexAt(*result.bitmap, 0, 0), 10) << header;
        EXPECT_EQ(IndexAt(*result.bitmap, 1, 0), 20) << header;
    }
}

TEST(PGMDecoder, AsciiSamplesNeedTheCharacterBehindThem)
{
    EXPECT_EQ(Decode("P2 2 1 255 1 2").code, PE_END_OF_FILE);
    DecodeResult ended = Decode("P2 2 1 255 1 2\n");
    ASSERT_TRUE(ended.Ok()) << ended.text;
    EXPECT_EQ(IndexAt(*ended.bitmap, 1, 0), 2);
    // A character that is not a digit gives 0.
    DecodeResult stray = Decode("P2 3 1 255 9 x 7\n");
    ASSERT_TRUE(stray.Ok()) << stray.text;
    EXPECT_EQ(IndexAt(*stray.bitmap, 0, 0), 9);
    EXPECT_EQ(IndexAt(*stray.bitmap, 1, 0), 0);
}

TEST(PGMDecoder, RefusesWhatItCannotDecode)
{
    DecodeResult colour = Decode("P3 1 1 255 0 0 0\n");
    EXPECT_EQ(colour.code, PE_FORMAT_ERROR);
    EXPECT_EQ(colour.text, "Decoder error: PGM decoder: Is not the correct identifier P5 or P2.\n");
    struct Case {
        const char* text;
        int code;
    };
    const Case cases[] = {
        {"P5 1 1 0\n\x01", PE_FORMAT_ERROR},            // maximum 0
        {"P5 1 1 65536\n\x01\x01", PE_FORMAT_ERROR},    // maximum beyond 16 bits
        {"P5 1 x1 255\n\x01", PE_FORMAT_ERROR},         // a letter in the header
        {"P5 0 1 255\n", PE_FORMAT_ERROR},              // no pixels
        {"P5 99999999999999999999 1 255\n", PE_FORMAT_ERROR},
        {"P5 2 2 255\n\x01\x02\x03", PE_END_OF_FILE},   // samples cut short
        {"P5 30000 30000 255\n\x01", PE_END_OF_FILE},   // refused before allocating
        {"P5 2 2 255", PE_END_OF_FILE},                 // the header cut short
        {"P2 30000 30000 255\n1 ", PE_END_OF_FILE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Decode(c.text).code, c.code) << c.text;
}

TEST(PGMDecoder, DamagedFilesEndCleanly)
{
    CPGMDecoder decoder;
    std::vector<std::vector<uint32_t>> rows = {{0, 1000, 2000, 65535}, {4, 5, 6, 7}, {9, 99, 999, 9999}};
    for (bool binary : {false, true}) {
        for (uint32_t maxval : {255u, 10000u}) {
            std::vector<uint8_t> bytes = WritePgm(rows, maxval, binary);
            ASSERT_TRUE(DecodeBytes(decoder, bytes).Ok());
            ExpectCutsEndCleanly(decoder, bytes, 1, "pgm");
            ExpectChangedBytesEndCleanly(decoder, bytes, 300, "pgm");
        }
    }
}
