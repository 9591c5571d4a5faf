#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/MappedFile.h"
#include "tests/support/TempFolder.h"

using os::CMappedFile;
using os::OpenError;

TEST(MappedFile, MapsTheWholeFile)
{
    TempFolder folder;
    std::string path = folder.Write("a.bin", std::vector<uint8_t> {1, 2, 3, 4, 5});
    CMappedFile file;
    ASSERT_EQ(file.Open(path.c_str()), OpenError::None);
    ASSERT_EQ(file.Size(), 5u);
    EXPECT_EQ(file.Data()[0], 1);
    EXPECT_EQ(file.Data()[4], 5);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
}

TEST(MappedFile, TellsAMissingFolderFromAMissingFile)
{
    TempFolder folder;
    std::string file = folder.Write("plain.txt", std::string("x"));
    CMappedFile mapped;
    EXPECT_EQ(mapped.Open((folder.Path() + "/missing.bmp").c_str()), OpenError::OpenFailed);
    EXPECT_EQ(mapped.Open((folder.Path() + "/nofolder/missing.bmp").c_str()), OpenError::PathNotFound);
    // A file where a folder should be.
    EXPECT_EQ(mapped.Open((file + "/inside.bmp").c_str()), OpenError::PathNotFound);
}

TEST(MappedFile, RefusesWhatCannotBeMapped)
{
    TempFolder folder;
    std::string empty = folder.Write("empty.bmp", std::vector<uint8_t> {});
    CMappedFile mapped;
    EXPECT_EQ(mapped.Open(empty.c_str()), OpenError::AccessDenied);
    EXPECT_EQ(mapped.Open(folder.Path().c_str()), OpenError::AccessDenied);

    std::string fifo = folder.Path() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(mapped.Open(fifo.c_str()), OpenError::AccessDenied);  // and does not block
}

TEST(MappedFile, ReportsAccessDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempFolder folder;
    std::string path = folder.Write("secret.bmp", std::string("BM"));
    chmod(path.c_str(), 0);
    CMappedFile mapped;
    EXPECT_EQ(mapped.Open(path.c_str()), OpenError::AccessDenied);
}
