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

// top/  .hidden.bmp  a.bmp  B.bmp  bridge -> sub  c.txt  empty/  loop -> top
//       sub/ (d.bmp e.txt)  Z.bmp
class AddFolderTest : public testing::Test {
protected:
    AddFolderTest() : top(folder.Path() + "/top")
    {
        for (const char* name : {".hidden.bmp", "a.bmp", "B.bmp", "Z.bmp", "sub/d.bmp"})
            folder.Write(std::string("top/") + name, SceneBmp(6, 4, 24));
        folder.Write("top/c.txt", "text");
        folder.Write("top/sub/e.txt", "text");
        fs::create_directory(top + "/empty");
        fs::create_directory_symlink(top, top + "/loop");
        fs::create_directory_symlink(top + "/sub", top + "/bridge");
        document.OnNewDocument();
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const ImageEntry& entry : document.GetEntries())
            names.push_back(entry.path.substr(top.size() + 1));
        return names;
    }

    TempFolder folder;
    std::string top;
    CAutoDecoder decoder;
    CKiroDoc document {decoder};
};

int CountAsCaller(const std::string& folder)
{
    CAutoDecoder decoder;
    CKiroDoc document(decoder);
    return document.CountFolderFiles(folder, true);
}

}  // namespace

TEST_F(AddFolderTest, EveryFileIsTriedInNameOrderWithSubfoldersInPlace)
{
    // sub is walked where the link bridge comes up, and only there; the loop back to top is not followed.
    EXPECT_EQ(document.CountFolderFiles(top, true), 7);
    LinkLog frame;
    EXPECT_TRUE(document.AddFolder(&frame, top, true));
    EXPECT_EQ(Names(), (std::vector<std::string> {".hidden.bmp", "a.bmp", "B.bmp", "bridge/d.bmp", "Z.bmp"}));
    EXPECT_EQ(frame.calls, std::vector<std::string>(7, "step"));
    EXPECT_EQ(document.GetEntries().back().name, "Z.bmp");
    EXPECT_TRUE(document.IsModified());

    // Adding a folder twice adds every picture twice.
    EXPECT_TRUE(document.AddFolder(nullptr, top + "/", true));
    EXPECT_EQ(document.GetEntryCount(), 10);
}

TEST_F(AddFolderTest, WithoutRecursionOnlyTheFolderItselfIsTried)
{
    EXPECT_EQ(document.CountFolderFiles(top, false), 5);
    document.AddFolder(nullptr, top, false);
    EXPECT_EQ(Names(), (std::vector<std::string> {".hidden.bmp", "a.bmp", "B.bmp", "Z.bmp"}));
}

TEST_F(AddFolderTest, FoldersWithoutFilesOrThatCannotBeListedGiveNothing)
{
    EXPECT_EQ(document.CountFolderFiles(top + "/empty", true), 0);
    EXPECT_EQ(document.CountFolderFiles(top + "/missing", true), 0);
    EXPECT_EQ(document.CountFolderFiles(top + "/a.bmp", true), 0);
    LinkLog frame;
    document.AddFolder(&frame, top + "/empty", true);
    EXPECT_TRUE(frame.calls.empty());
    EXPECT_FALSE(document.IsModified());
}

TEST_F(AddFolderTest, AFolderTheUserCannotReadContributesNothing)
{
    chmod(folder.Path().c_str(), 0755);
    fs::permissions(top + "/sub", fs::perms::none);
    int count = geteuid() == 0 ? RunWithoutRoot(CountAsCaller, top) : CountAsCaller(top);
    if (count < 0)
        GTEST_SKIP() << "cannot give up root's rights here";
    EXPECT_EQ(count, 5);  // d.bmp and e.txt are out of reach, through sub and bridge alike
}

TEST(AddFolder, APipeInTheTreeIsTriedWithoutWaiting)
{
    TempFolder folder;
    folder.Write("picture.bmp", SceneBmp(4, 4, 24));
    ASSERT_EQ(mkfifo((folder.Path() + "/pipe").c_str(), 0644), 0);
    CAutoDecoder decoder;
    CKiroDoc document(decoder);
    document.OnNewDocument();
    LinkLog frame;
    EXPECT_TRUE(document.AddFolder(&frame, folder.Path(), true));
    EXPECT_EQ(frame.calls.size(), 2u);
    ASSERT_EQ(document.GetEntryCount(), 1);
    EXPECT_EQ(document.GetEntries()[0].name, "picture.bmp");
}
