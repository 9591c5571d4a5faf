#include <gtest/gtest.h>

#include <filesystem>

#include "document/KiroDoc.h"
#include "picture/decoding/AutoDecoder.h"
#include "tests/document/DocumentTestSupport.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TempFolder.h"

namespace {

class KiroDocTest : public testing::Test {
protected:
    KiroDocTest()
    {
        document.SetThumbnailView(&links);
        document.SetPictureView(&links);
        document.OnNewDocument();
    }

    std::string Picture(const std::string& name, int width = 8, int height = 6)
    {
        return folder.Write(name, SceneBmp(width, height, 24));
    }

    TempFolder folder;
    CAutoDecoder decoder;
    CKiroDoc document {decoder};
    LinkLog links;
};

}  // namespace

TEST(KiroDoc, HasNoPictureBeforeTheFirstNewOrOpen)
{
    CAutoDecoder decoder;
    CKiroDoc document(decoder);
    EXPECT_EQ(document.GetCurrentPicture(), nullptr);
    EXPECT_EQ(document.GetCurrentIndex(), -1);
    EXPECT_EQ(document.GetImageInfoText(), "");
    document.SelectPicture(0);  // nothing to select, no view to move
    EXPECT_TRUE(document.OnNewDocument());
    ASSERT_NE(document.GetCurrentPicture(), nullptr);
    EXPECT_TRUE(document.GetCurrentPicture()->IsBlank());
    EXPECT_EQ(document.GetImageInfoText(), " 16 x 16; 8 bpp; 1 kb");
}

TEST_F(KiroDocTest, AddEntryKeepsDecodablePicturesOnly)
{
    std::string path = Picture("sub/one.bmp");
    ASSERT_TRUE(document.AddEntry(path));
    ASSERT_TRUE(document.AddEntry(path));  // no duplicate check
    ASSERT_EQ(document.GetEntryCount(), 2);
    for (const ImageEntry& entry : document.GetEntries()) {
        EXPECT_EQ(entry.path, path);
        EXPECT_EQ(entry.name, "one.bmp");
        ASSERT_NE(entry.thumbnail, nullptr);
        EXPECT_EQ(entry.thumbnail->Width(), 100);
        EXPECT_EQ(entry.thumbnail->Height(), 75);
    }
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.GetCurrentIndex(), -1);  // adding selects nothing

    document.OnNewDocument();
    for (const std::string& refused : {folder.Write("notes.txt", "not a picture"), folder.Path() + "/sub",
                                       folder.Path() + "/missing.bmp", std::string()}) {
        EXPECT_FALSE(document.AddEntry(refused)) << refused;
        EXPECT_EQ(document.GetEntryCount(), 0);
        EXPECT_FALSE(document.IsModified()) << refused;
    }
}

TEST_F(KiroDocTest, SelectPictureDecodesTheEntryAndMovesTheViews)
{
    ASSERT_TRUE(document.AddEntry(Picture("small.bmp")));
    ASSERT_TRUE(document.AddEntry(Picture("big.bmp", 640, 480)));
    document.SelectPicture(1);
    EXPECT_EQ(links.calls, (std::vector<std::string> {"select 1", "actual size"}));
    EXPECT_EQ(document.GetCurrentIndex(), 1);
    CDisplayBitmap* picture = document.GetCurrentPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->IsBlank());
    EXPECT_EQ(document.GetImageInfoText(), " 640 x 480; 32 bpp; 1200 kb");

    // The current entry is not decoded again: even a deleted file keeps its picture.
    std::filesystem::remove(document.GetEntries()[1].path);
    document.SelectPicture(1);
    EXPECT_EQ(document.GetCurrentPicture(), picture);
    EXPECT_EQ(links.calls.size(), 2u);

    for (int outside : {-1, 2, 100})
        document.SelectPicture(outside);
    EXPECT_EQ(document.GetCurrentIndex(), 1);
    EXPECT_EQ(links.calls.size(), 2u);
}

TEST_F(KiroDocTest, AnEntryThatNoLongerDecodesBecomesABlankCurrentPicture)
{
    ASSERT_TRUE(document.AddEntry(Picture("a.bmp")));
    ASSERT_TRUE(document.AddEntry(Picture("b.bmp")));
    document.SelectPicture(1);
    std::filesystem::remove(document.GetEntries()[0].path);
    document.SelectPicture(0);
    EXPECT_EQ(document.GetCurrentIndex(), 0);
    EXPECT_TRUE(document.GetCurrentPicture()->IsBlank());
    EXPECT_EQ(links.calls.back(), "actual size");
    EXPECT_EQ(links.calls[2], "select 0");
}

TEST_F(KiroDocTest, RemoveAllEmptiesWithoutTouchingTheModifiedFlag)
{
    ASSERT_TRUE(document.AddEntry(Picture("a.bmp")));
    std::string saved = folder.Path() + "/c.kir";
    ASSERT_TRUE(document.OnSaveDocument(saved));
    ASSERT_TRUE(document.OnOpenDocument(saved));
    document.SelectPicture(0);
    document.RemoveAll();
    EXPECT_EQ(document.GetEntryCount(), 0);
    EXPECT_EQ(document.GetCurrentIndex(), -1);
    ASSERT_NE(document.GetCurrentPicture(), nullptr);
    EXPECT_TRUE(document.GetCurrentPicture()->IsBlank());
    EXPECT_FALSE(document.IsModified());

    ASSERT_TRUE(document.AddEntry(Picture("b.bmp")));
    document.RemoveAll();
    EXPECT_TRUE(document.IsModified());
}

TEST_F(KiroDocTest, NewAndOpenStartWithNothingSelected)
{
    ASSERT_TRUE(document.AddEntry(Picture("a.bmp")));
    std::string saved = folder.Path() + "/c.kir";
    ASSERT_TRUE(document.OnSaveDocument(saved));
    document.SelectPicture(0);
    ASSERT_TRUE(document.OnOpenDocument(saved));
    EXPECT_EQ(document.GetEntryCount(), 1);
    EXPECT_EQ(document.GetCurrentIndex(), -1);
    EXPECT_TRUE(document.GetCurrentPicture()->IsBlank());

    // A file that cannot be opened leaves the collection as it was, its
    // current entry still shown.
    document.SelectPicture(0);
    CDisplayBitmap* before = document.GetCurrentPicture();
    EXPECT_FALSE(document.OnOpenDocument(folder.Path() + "/missing.kir"));
    EXPECT_EQ(document.GetEntryCount(), 1);
    EXPECT_EQ(document.GetCurrentIndex(), 0);
    EXPECT_EQ(document.GetCurrentPicture(), before);
    EXPECT_FALSE(document.GetCurrentPicture()->IsBlank());

    EXPECT_TRUE(document.OnNewDocument());
    EXPECT_EQ(document.GetEntryCount(), 0);
    EXPECT_EQ(document.GetCurrentIndex(), -1);
    EXPECT_EQ(document.GetTitle(), "無題");
}
