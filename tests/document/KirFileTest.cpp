#include <gtest/gtest.h>

#include <filesystem>

#include "document/KiroDoc.h"
#include "picture/decoding/AutoDecoder.h"
#include "tests/document/DocumentTestSupport.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TempFolder.h"

namespace {

class KirFileTest : public testing::Test {
protected:
    KirFileTest() { document.OnNewDocument(); }

    // A small picture file whose full path is exactly `length` bytes long
    // (or as short as the folder allows when `length` is 0).
    std::string Picture(const std::string& stem, size_t length = 0)
    {
        std::string name = stem + ".bmp";
        size_t shortest = folder.Path().size() + 1 + name.size();
        if (length > shortest)
            name.insert(0, std::string(length - shortest, 'p'));
        return folder.Write(name, SceneBmp(8, 6, 24));
    }

    std::vector<uint8_t> Saved()
    {
        std::string path = folder.Path() + "/saved.kir";
        EXPECT_TRUE(document.OnSaveDocument(path));
        return ReadFileBytes(path);
    }

    bool Load(const std::vector<uint8_t>& bytes)
    {
        return document.OnOpenDocument(folder.Write("load.kir", bytes));
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (const ImageEntry& entry : document.GetEntries())
            paths.push_back(entry.path);
        return paths;
    }

    static std::vector<uint8_t> Collection(const std::string& countRecord, const std::vector<std::string>& paths)
    {
        ByteWriter file;
        AddRecord(file, countRecord);
        for (const std::string& path : paths)
            AddRecord(file, path + "\r\n");
        return file.Take();
    }

    TempFolder folder;
    CAutoDecoder decoder;
    CKiroDoc document {decoder};
};

}  // namespace

TEST_F(KirFileTest, AnEmptyCollectionIsFourBytes)
{
    EXPECT_EQ(Saved(), (std::vector<uint8_t> {0x03, '0', 0x0D, 0x0A}));
    EXPECT_TRUE(Load({0x03, '0', 0x0D, 0x0A}));
    EXPECT_EQ(document.GetEntryCount(), 0);
    EXPECT_TRUE(document.GetLastErrorText().empty());
}

TEST_F(KirFileTest, EachPathIsARecordEndingInCrLf)
{
    std::string path = Picture("a");
    ASSERT_TRUE(document.AddEntry(path));
    ByteWriter expected;
    expected.Bytes({0x03, '1', 0x0D, 0x0A}).U8(static_cast<uint32_t>(path.size() + 2)).Text(path).Bytes({0x0D, 0x0A});
    EXPECT_EQ(Saved(), expected.Data());
    EXPECT_FALSE(document.IsModified());
}

TEST_F(KirFileTest, PathsOf252And253BytesTakeTheTwoShortShapes)
{
    std::string short252 = Picture("s", 252);
    std::string long253 = Picture("l", 253);
    ASSERT_EQ(short252.size(), 252u);
    ASSERT_EQ(long253.size(), 253u);
    ASSERT_TRUE(document.AddEntry(short252));
    ASSERT_TRUE(document.AddEntry(long253));
    std::vector<uint8_t> bytes = Saved();
    ASSERT_EQ(bytes.size(), 4 + 1 + 254 + 3 + 255);
    EXPECT_EQ(bytes[4], 0xFE);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 259, bytes.begin() + 262), (std::vector<uint8_t> {0xFF, 0xFF, 0x00}));
    EXPECT_EQ(bytes.back(), 0x0A);

    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(Paths(), (std::vector<std::string> {short252, long253}));
}

TEST_F(KirFileTest, HandWrittenFilesLoadInEveryPrefixShape)
{
    std::string path = Picture("any");
    ByteWriter file;
    AddRecord(file, "6\r\n", Prefix::Dword);
    for (Prefix prefix : {Prefix::Byte, Prefix::Word, Prefix::Dword, Prefix::WideByte, Prefix::WideWord,
                          Prefix::WideDword})
        AddRecord(file, path + "\r\n", prefix);
    ASSERT_TRUE(Load(file.Take()));
    EXPECT_EQ(Paths(), std::vector<std::string>(6, path));
    EXPECT_FALSE(document.IsModified());
}

TEST_F(KirFileTest, WidePathsAreReadAsUtf8)
{
    std::string path = folder.Write("表.bmp", SceneBmp(4, 4, 24));
    std::u16string units(folder.Path().begin(), folder.Path().end());
    units += u"/表.bmp\r\n";
    ByteWriter file;
    AddRecord(file, "1\r\n");
    AddWideRecord(file, units, Prefix::WideWord);
    ASSERT_TRUE(Load(file.Take()));
    ASSERT_EQ(document.GetEntryCount(), 1);
    EXPECT_EQ(document.GetEntries()[0].path, path);
    EXPECT_EQ(document.GetEntries()[0].name, "表.bmp");
}

TEST_F(KirFileTest, TheCountIsReadLikeAtoi)
{
    std::string path = Picture("c");
    ASSERT_TRUE(Load(Collection("12abc\r\n", std::vector<std::string>(12, path))));
    EXPECT_EQ(document.GetEntryCount(), 12);
    ASSERT_TRUE(Load(Collection(" 3\r\n", std::vector<std::string>(3, path))));
    EXPECT_EQ(document.GetEntryCount(), 3);
    // Not a number, or below one: an empty collection, whatever follows.
    for (const char* count : {"x\r\n", "-4\r\n", "\r\n"}) {
        ASSERT_TRUE(Load(Collection(count, {path, path}))) << count;
        EXPECT_EQ(document.GetEntryCount(), 0) << count;
    }
    EXPECT_EQ(ParseEntryCount("+7"), 7);
    EXPECT_EQ(ParseEntryCount("99999999999"), INT32_MAX);
    EXPECT_EQ(ParseEntryCount("-99999999999"), INT32_MIN);
}

TEST_F(KirFileTest, EachRecordLosesItsLastTwoCharacters)
{
    std::string path = Picture("r");
    ByteWriter file;
    AddRecord(file, "3\r\n");
    AddRecord(file, path + "zz");  // written by another tool without CR LF
    AddRecord(file, path);         // the name loses "mp" and no longer decodes
    AddRecord(file, "x");          // shorter than two characters
    ASSERT_TRUE(Load(file.Take()));
    EXPECT_EQ(Paths(), std::vector<std::string> {path});
}

TEST_F(KirFileTest, PicturesThatNoLongerDecodeAreDroppedInOrder)
{
    std::vector<std::string> paths = {Picture("first"), Picture("second"), Picture("third")};
    for (const std::string& path : paths)
        ASSERT_TRUE(document.AddEntry(path));
    std::vector<uint8_t> bytes = Saved();
    std::filesystem::remove(paths[1]);
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(Paths(), (std::vector<std::string> {paths[0], paths[2]}));
    EXPECT_EQ(document.GetEntries()[1].name, "third.bmp");
    EXPECT_FALSE(document.IsModified());
}

TEST_F(KirFileTest, TruncatedAndHostileFilesFailAndLeaveNothing)
{
    std::string path = Picture("h");
    std::vector<uint8_t> whole = Collection("2\r\n", {path, path});
    std::vector<std::vector<uint8_t>> hostile = {
        {},                                                   // no count record
        {whole.begin(), whole.end() - 3},                     // ends inside the last record
        Collection("3\r\n", {path, path}),                    // promises more records than it holds
        Collection("2147483647\r\n", {path}),                 // promises two billion
        {0x03, '1', 0x0D, 0x0A, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // a 4 GiB record
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},       // an 8 GiB wide count
    };
    for (size_t i = 0; i < hostile.size(); ++i) {
        LinkLog frame;
        document.SetMainFrame(&frame);
        EXPECT_FALSE(Load(hostile[i])) << "case " << i;
        EXPECT_EQ(document.GetLastErrorText(), "予期しないﾌｧｲﾙ形式です。") << "case " << i;
        EXPECT_EQ(document.GetEntryCount(), 0) << "case " << i;
        ASSERT_NE(document.GetCurrentPicture(), nullptr);
        EXPECT_TRUE(document.GetCurrentPicture()->IsBlank());
        // The progress display is closed whatever failed.
        ASSERT_FALSE(frame.calls.empty());
        EXPECT_EQ(frame.calls.front(), "begin");
        EXPECT_EQ(frame.calls.back(), "end");
    }
    // A count the file cannot hold is refused before any entry is tried.
    LinkLog frame;
    document.SetMainFrame(&frame);
    EXPECT_FALSE(Load(hostile[3]));
    EXPECT_EQ(frame.calls, (std::vector<std::string> {"begin", "end"}));
    document.SetMainFrame(nullptr);
    ASSERT_TRUE(Load(whole));
    EXPECT_EQ(document.GetEntryCount(), 2);
}

TEST_F(KirFileTest, LoadingShowsProgressOnTheFrame)
{
    std::string path = Picture("p");
    LinkLog frame;
    document.SetMainFrame(&frame);
    ASSERT_TRUE(Load(Collection("2\r\n", {path, folder.Path() + "/missing.bmp"})));
    EXPECT_EQ(frame.calls, (std::vector<std::string> {"begin", "total 2", "step", "step", "end"}));
    frame.calls.clear();
    ASSERT_TRUE(Load(Collection("x\r\n", {})));
    EXPECT_EQ(frame.calls, (std::vector<std::string> {"begin", "total 0", "end"}));
}
