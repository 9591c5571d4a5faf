#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/FileBuffer.h"
#include "tests/support/TempFolder.h"

using os::CFileBuffer;
using os::OpenError;

TEST(FileBuffer, ReadsTheWholeFile)
{
    TempFolder folder;
    std::string path = folder.Write("a.bin", std::vector<uint8_t> {1, 2, 3, 4, 5});
    CFileBuffer file;
    ASSERT_EQ(file.Open(path.c_str()), OpenError::None);
    ASSERT_EQ(file.Size(), 5u);
    ASSERT_TRUE(file.Load(file.Size()));
    EXPECT_EQ(file.Data()[0], 1);
    EXPECT_EQ(file.Data()[4], 5);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
}

TEST(FileBuffer, ReadsNoFurtherThanWantedAndReportsBytesTheFileLost)
{
    TempFolder folder;
    std::vector<uint8_t> bytes(4 << 20);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    std::string path = folder.Write("big.bin", bytes);
    CFileBuffer file;
    ASSERT_EQ(file.Open(path.c_str()), OpenError::None);
    EXPECT_EQ(file.Loaded(), 0u);
    ASSERT_TRUE(file.Load(10));
    EXPECT_GE(file.Loaded(), 10u);
    EXPECT_LT(file.Loaded(), file.Size());

    // Cut short by someone else: what was read stays, the rest is missing.
    size_t loaded = file.Loaded();
    ASSERT_EQ(truncate(path.c_str(), 1000), 0);
    EXPECT_TRUE(file.Load(loaded));
    EXPECT_FALSE(file.Load(file.Size()));
    EXPECT_EQ(file.Size(), bytes.size());
    EXPECT_EQ(file.Data()[loaded - 1], bytes[loaded - 1]);
}

TEST(FileBuffer, TellsAMissingFolderFromAMissingFile)
{
    TempFolder folder;
    std::string file = folder.Write("plain.txt", std::string("x"));
    CFileBuffer buffer;
    EXPECT_EQ(buffer.Open((folder.Path() + "/missing.bmp").c_str()), OpenError::OpenFailed);
    EXPECT_EQ(buffer.Open((folder.Path() + "/nofolder/missing.bmp").c_str()), OpenError::PathNotFound);
    // A file where a folder should be.
    EXPECT_EQ(buffer.Open((file + "/inside.bmp").c_str()), OpenError::PathNotFound);
}

TEST(FileBuffer, RefusesWhatHoldsNoBytes)
{
    TempFolder folder;
    std::string empty = folder.Write("empty.bmp", std::vector<uint8_t> {});
    CFileBuffer buffer;
    EXPECT_EQ(buffer.Open(empty.c_str()), OpenError::AccessDenied);
    EXPECT_EQ(buffer.Open(folder.Path().c_str()), OpenError::AccessDenied);

    std::string fifo = folder.Path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(buffer.Open(fifo.c_str()), OpenError::AccessDenied);  // and does not block
}

TEST(FileBuffer, ReportsAccessDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempFolder folder;
    std::string path = folder.Write("secret.bmp", std::string("BM"));
    chmod(path.c_str(), 0);
    CFileBuffer buffer;
    EXPECT_EQ(buffer.Open(path.c_str()), OpenError::AccessDenied);
}
