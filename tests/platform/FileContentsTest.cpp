#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include <sys/stat.h>

#include "platform/os/FileContents.h"
#include "tests/support/TempFolder.h"

using namespace os;

namespace {

std::vector<uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

int FileCount(const std::string& folder)
{
    int count = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

}  // namespace

TEST(FileContents, ReadsWholeFilesAndSaysWhyNot)
{
    TempFolder folder;
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadFileContents(folder.Write("a.kir", "abc"), 100, bytes), 0);
    EXPECT_EQ(bytes, Bytes("abc"));
    EXPECT_EQ(ReadFileContents(folder.Write("empty.kir", ""), 100, bytes), 0);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadFileContents(folder.Path() + "/missing.kir", 100, bytes), ENOENT);
    EXPECT_EQ(ReadFileContents(folder.Path(), 100, bytes), EISDIR);
    EXPECT_EQ(ReadFileContents("/dev/null", 100, bytes), EACCES);
    EXPECT_EQ(ReadFileContents(folder.Write("big.kir", std::string(101, 'x')), 100, bytes), EFBIG);
    EXPECT_TRUE(bytes.empty());
}

TEST(FileContents, ReplacesFilesWholeAndKeepsTheirPermissions)
{
    TempFolder folder;
    std::string path = folder.Write("a.kir", "old contents");
    chmod(path.c_str(), 0640);
    EXPECT_EQ(ReplaceFileContents(path, Bytes("new")), 0);
    EXPECT_EQ(ReadFileBytes(path), Bytes("new"));
    struct stat info {};
    stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(FileCount(folder.Path()), 1);  // no temporary left behind

    std::string fresh = folder.Path() + "/fresh.kir";
    EXPECT_EQ(ReplaceFileContents(fresh, Bytes("x")), 0);
    EXPECT_EQ(ReadFileBytes(fresh), Bytes("x"));
}

TEST(FileContents, WritesThroughALinkToTheFileItNames)
{
    TempFolder folder;
    std::string target = folder.Write("real.kir", "old");
    std::string link = folder.Path() + "/link.kir";
    std::filesystem::create_symlink(target, link);
    EXPECT_EQ(ReplaceFileContents(link, Bytes("new")), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target), Bytes("new"));
}

TEST(FileContents, AFailedReplacementLeavesNothingBehind)
{
    TempFolder folder;
    std::string inMissingFolder = folder.Path() + "/no/such/folder/a.kir";
    EXPECT_EQ(ReplaceFileContents(inMissingFolder, Bytes("x")), ENOENT);
    // Renaming a file over a folder fails after the bytes were written.
    std::filesystem::create_directory(folder.Path() + "/taken");
    EXPECT_NE(ReplaceFileContents(folder.Path() + "/taken", Bytes("x")), 0);
    EXPECT_EQ(FileCount(folder.Path()), 1);
}
