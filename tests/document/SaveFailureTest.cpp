#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "document/KiroDoc.h"
#include "picture/decoding/AutoDecoder.h"
#include "tests/document/DocumentTestSupport.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kOldCollection = std::string("\x03" "0\r\n", 4);

class SaveFailureTest : public testing::Test {
protected:
    SaveFailureTest() : target(folder.Path() + "/disk/c.kir")
    {
        fs::create_directory(folder.Path() + "/disk");
        document.OnNewDocument();
        EXPECT_TRUE(document.AddEntry(folder.Write("a.bmp", SceneBmp(4, 4, 24))));
    }

    // Saving fails with `text`, and nothing changed on disk or in memory.
    void ExpectFailedSave(const std::string& text)
    {
        EXPECT_FALSE(document.OnSaveDocument(target));
        EXPECT_EQ(document.GetLastErrorText(), text);
        EXPECT_TRUE(document.IsModified());
        EXPECT_EQ(document.GetEntryCount(), 1);
        std::vector<uint8_t> old = ReadFileBytes(target);
        EXPECT_EQ(std::string(old.begin(), old.end()), kOldCollection);
        for (const auto& entry : fs::directory_iterator(fs::path(target).parent_path()))
            EXPECT_TRUE(entry.path() == target || entry.path().filename() == "filler") << entry.path();
    }

    TempFolder folder;
    std::string target;
    CAutoDecoder decoder;
    CKiroDoc document {decoder};
};

}  // namespace

TEST_F(SaveFailureTest, AReadOnlyFolderKeepsTheOldFile)
{
    if (geteuid() != 0) {
        folder.Write("disk/c.kir", kOldCollection);
        chmod((folder.Path() + "/disk").c_str(), 0555);
        ExpectFailedSave(target + " へのｱｸｾｽは拒否されました。");
        return;
    }
    // Root writes into any folder; a read-only file system stops it.
    ScratchMount disk(folder.Path() + "/disk", 64 << 10);
    if (!disk.IsMounted())
        GTEST_SKIP() << "cannot mount a file system here";
    folder.Write("disk/c.kir", kOldCollection);
    ASSERT_TRUE(disk.RemountReadOnly());
    ExpectFailedSave(target + " へのｱｸｾｽは拒否されました。");
}

TEST_F(SaveFailureTest, AFullDiskKeepsTheOldFile)
{
    ScratchMount disk(folder.Path() + "/disk", 64 << 10);
    if (!disk.IsMounted())
        GTEST_SKIP() << "cannot mount a file system here";
    folder.Write("disk/c.kir", kOldCollection);
    disk.FillUp();
    ExpectFailedSave(target + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");

    // Once there is room again the same collection saves.
    fs::remove(folder.Path() + "/disk/filler");
    EXPECT_TRUE(document.OnSaveDocument(target));
    EXPECT_FALSE(document.IsModified());
}
