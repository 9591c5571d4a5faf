#include <gtest/gtest.h>

#include <vector>

#include "picture/decoding/MappedFileSource.h"
#include "picture/decoding/MemoryByteSource.h"
#include "picture/decoding/TextException.h"
#include "tests/support/TempFolder.h"

namespace {

class RecordingProgress : public CDecodeProgress {
public:
    void OnProgress(double fraction) override { fractions.push_back(fraction); }
    std::vector<double> fractions;
};

}  // namespace

TEST(ByteSource, ReadsUpToTheEndAndNoFurther)
{
    std::vector<uint8_t> data(100, 7);
    CMemoryByteSource source;
    ASSERT_EQ(source.OpenMemory(data.data(), data.size()), 0);
    EXPECT_STREQ(source.GetName(), "Mem");
    EXPECT_EQ(source.Read(100), data.data());
    EXPECT_NE(source.Read(0), nullptr);  // nothing left, nothing asked: fine
    try {
        source.Read(1);
        FAIL() << "read past the end";
    } catch (const CTextException& error) {
        EXPECT_EQ(error.GetCode(), PE_END_OF_FILE);
        EXPECT_STREQ(error.GetText(), "End of file reached while decoding.\n");
    }
    EXPECT_THROW(source.Read(SIZE_MAX), CTextException);
    source.Close();
    EXPECT_EQ(source.GetName(), nullptr);
}

TEST(ByteSource, TypedReadsKeepTheirByteOrder)
{
    const uint8_t data[] = {0x12, 0x34, 0x12, 0x34, 0x56, 0x78, 0x12, 0x34, 0x12, 0x34, 0x56, 0x78};
    CMemoryByteSource source;
    source.OpenMemory(data, sizeof data);
    EXPECT_EQ(source.ReadU16LE(), 0x3412);
    EXPECT_EQ(source.ReadU32LE(), 0x78563412u);
    EXPECT_EQ(source.ReadU16BE(), 0x1234);
    EXPECT_EQ(source.ReadU32BE(), 0x12345678u);
    EXPECT_EQ(source.GetRemaining(), 0);
    EXPECT_EQ(source.Peek(0), source.GetReadPointer());
}

TEST(ByteSource, PeekLooksAtWhatIsLeftAndNoFurther)
{
    std::vector<uint8_t> data(10, 7);
    CMemoryByteSource source;
    source.OpenMemory(data.data(), data.size());
    source.Read(4);
    EXPECT_EQ(source.Peek(6), data.data() + 4);
    EXPECT_EQ(source.GetPosition(), 4);
    try {
        source.Peek(7);
        FAIL() << "peeked past the end";
    } catch (const CTextException& error) {
        EXPECT_EQ(error.GetCode(), PE_END_OF_FILE);
    }
}

TEST(ByteSource, ReportsProgressAtEachKilobyteAndOnceAtClose)
{
    TempFolder folder;
    std::string path = folder.Write("data.bin", std::vector<uint8_t>(3000, 1));
    RecordingProgress progress;
    {
        CMappedFileSource source(&progress);
        ASSERT_EQ(source.OpenFile(path.c_str()), 0);
        EXPECT_STREQ(source.GetName(), path.c_str());
        for (int i = 0; i < 3000; ++i)
            source.Read(1);
        source.Close();
    }  // destroying a closed source reports nothing more
    ASSERT_EQ(progress.fractions.size(), 3u);
    EXPECT_DOUBLE_EQ(progress.fractions[0], 1024.0 / 3000.0);
    EXPECT_DOUBLE_EQ(progress.fractions[1], 2048.0 / 3000.0);
    EXPECT_DOUBLE_EQ(progress.fractions[2], 1.0);
}

TEST(ByteSource, OpeningFailuresGiveTheirCodes)
{
    TempFolder folder;
    std::string empty = folder.Write("empty.bmp", std::vector<uint8_t> {});
    CMappedFileSource source(nullptr);
    EXPECT_EQ(source.OpenFile((folder.Path() + "/nowhere/a.bmp").c_str()), PE_PATH_NOT_FOUND);
    EXPECT_EQ(source.OpenFile((folder.Path() + "/a.bmp").c_str()), PE_OPEN_FAILED);
    EXPECT_EQ(source.OpenFile(empty.c_str()), PE_ACCESS_DENIED);
    EXPECT_EQ(source.GetName(), nullptr);
}
