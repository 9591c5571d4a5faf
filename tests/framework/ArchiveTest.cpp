#include <gtest/gtest.h>

#include "platform/framework/Archive.h"
#include "tests/support/ByteWriter.h"

namespace {

std::vector<uint8_t> Stored(const std::string& text)
{
    CArchive archive = CArchive::ForStoring();
    archive.WriteString(text);
    return archive.GetStoredBytes();
}

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& stored, size_t length)
{
    return {stored.begin(), stored.end() - static_cast<std::ptrdiff_t>(length)};
}

std::string ReadOne(const std::vector<uint8_t>& bytes)
{
    CArchive archive = CArchive::ForLoading(bytes);
    std::string text = archive.ReadString();
    EXPECT_EQ(archive.GetRemaining(), 0u);
    return text;
}

}  // namespace

TEST(Archive, LengthPrefixTakesTheShortestOfThreeShapes)
{
    EXPECT_EQ(Stored(""), (std::vector<uint8_t> {0x00}));
    EXPECT_EQ(Prefix(Stored(std::string(254, 'a')), 254), (std::vector<uint8_t> {0xFE}));
    EXPECT_EQ(Prefix(Stored(std::string(255, 'a')), 255), (std::vector<uint8_t> {0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Prefix(Stored(std::string(65533, 'a')), 65533), (std::vector<uint8_t> {0xFF, 0xFD, 0xFF}));
    // 0xFFFE would announce a wide string, so 65534 already takes the 32-bit shape.
    EXPECT_EQ(Prefix(Stored(std::string(65534, 'a')), 65534),
              (std::vector<uint8_t> {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(Prefix(Stored(std::string(70000, 'a')), 70000),
              (std::vector<uint8_t> {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
}

TEST(Archive, ReadsWhatItWroteAndEveryHandWrittenShape)
{
    for (size_t length : {0, 1, 254, 255, 65533, 65534, 65535, 70000}) {
        std::string text(length, 'q');
        EXPECT_EQ(ReadOne(Stored(text)), text) << length;
    }
    // Longer shapes than needed are read too.
    EXPECT_EQ(ReadOne(ByteWriter().U8(0xFF).U16LE(3).Text("abc").Take()), "abc");
    EXPECT_EQ(ReadOne(ByteWriter().U8(0xFF).U16LE(0xFFFF).U32LE(3).Text("abc").Take()), "abc");
}

TEST(Archive, WideStringsAreReadAsUtf8InEveryShape)
{
    // 表 (U+8868) and "x".
    std::vector<uint8_t> units = {0x68, 0x88, 'x', 0};
    ByteWriter oneByte;
    oneByte.U8(0xFF).U16LE(0xFFFE).U8(2).Bytes(units);
    EXPECT_EQ(ReadOne(oneByte.Take()), "\xE8\xA1\xA8x");
    ByteWriter sixteen;
    sixteen.U8(0xFF).U16LE(0xFFFE).U8(0xFF).U16LE(2).Bytes(units);
    EXPECT_EQ(ReadOne(sixteen.Take()), "\xE8\xA1\xA8x");
    ByteWriter thirtyTwo;
    thirtyTwo.U8(0xFF).U16LE(0xFFFE).U8(0xFF).U16LE(0xFFFF).U32LE(2).Bytes(units);
    EXPECT_EQ(ReadOne(thirtyTwo.Take()), "\xE8\xA1\xA8x");
}

TEST(Archive, ShortAndOversizedRecordsFailCleanly)
{
    std::vector<std::vector<uint8_t>> broken = {
        {},                                       // no record at all
        {0x05, 'a', 'b'},                         // three bytes short
        {0xFF, 0x10},                             // the 16-bit length cut off
        {0xFF, 0xFF, 0xFF, 0x01},                 // the 32-bit length cut off
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // claims 4 GiB
        {0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'},    // wide, half a unit short
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // wide, 8 GiB
    };
    for (const auto& bytes : broken) {
        CArchive archive = CArchive::ForLoading(bytes);
        EXPECT_THROW(archive.ReadString(), CArchiveException) << bytes.size() << " bytes";
    }
    CArchive storing = CArchive::ForStoring();
    EXPECT_THROW(storing.ReadString(), CArchiveException);
}

TEST(Archive, ReadsRecordsOneAfterAnother)
{
    CArchive storing = CArchive::ForStoring();
    storing.WriteString("2\r\n");
    storing.WriteString(std::string(300, 'p'));
    storing.WriteString("");
    std::vector<uint8_t> bytes = storing.GetStoredBytes();
    CArchive loading = CArchive::ForLoading(bytes);
    EXPECT_EQ(loading.ReadString(), "2\r\n");
    EXPECT_EQ(loading.ReadString().size(), 300u);
    EXPECT_EQ(loading.GetRemaining(), 1u);
    EXPECT_EQ(loading.ReadString(), "");
    EXPECT_THROW(loading.ReadString(), CArchiveException);
}
