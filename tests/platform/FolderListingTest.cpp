#include <gtest/gtest.h>

#include <filesystem>

#include "platform/os/FolderListing.h"
#include "tests/support/TempFolder.h"

using namespace os;

TEST(FolderListing, ListsInNameOrderWithoutCaseThenByBytes)
{
    TempFolder folder;
    for (const char* name : {"b.bmp", "B.bmp", "a.txt", "C", ".hidden", "_x", "Ab"})
        folder.Write(name, "x");
    std::filesystem::create_directory(folder.Path() + "/sub");
    std::filesystem::create_directory_symlink(folder.Path() + "/sub", folder.Path() + "/link");
    std::filesystem::create_symlink(folder.Path() + "/gone", folder.Path() + "/dangling");

    auto entries = ListFolder(folder.Path());
    ASSERT_TRUE(entries);
    std::vector<std::string> names;
    for (const FolderEntry& entry : *entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string> {".hidden", "_x", "a.txt", "Ab", "B.bmp", "b.bmp", "C", "dangling",
                                                "link", "sub"}));
    // A link to a folder is the same folder; a dangling link is a file.
    const FolderEntry& link = (*entries)[8];
    const FolderEntry& sub = (*entries)[9];
    EXPECT_TRUE(link.isFolder);
    EXPECT_TRUE(sub.isFolder);
    EXPECT_EQ(link.id, sub.id);
    EXPECT_FALSE((*entries)[7].isFolder);
    EXPECT_EQ(IdentifyFolder(folder.Path() + "/sub"), sub.id);
}

TEST(FolderListing, NamesBeyondAsciiComeAfterAsciiOnes)
{
    TempFolder folder;
    for (const char* name : {"日本語.bmp", "é.bmp", "1.bmp", "Z.bmp", "É.bmp"})
        folder.Write(name, "x");
    auto entries = ListFolder(folder.Path());
    ASSERT_TRUE(entries);
    std::vector<std::string> names;
    for (const FolderEntry& entry : *entries)
        names.push_back(entry.name);
    // UTF-8 bytes compare unsigned: "É" (C3 89) < "é" (C3 A9) < "日" (E6 97 A5).
    EXPECT_EQ(names, (std::vector<std::string> {"1.bmp", "Z.bmp", "É.bmp", "é.bmp", "日本語.bmp"}));
}

TEST(FolderListing, WhatCannotBeListedGivesNothing)
{
    TempFolder folder;
    std::string file = folder.Write("file.bmp", "x");
    EXPECT_FALSE(ListFolder(file));
    EXPECT_FALSE(ListFolder(folder.Path() + "/missing"));
    EXPECT_FALSE(IdentifyFolder(file));
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
}
