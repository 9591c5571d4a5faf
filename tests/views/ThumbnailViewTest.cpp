#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>

#include "document/KiroDoc.h"
#include "picture/decoding/AutoDecoder.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/TempFolder.h"
#include "views/ThumbnailView.h"

namespace {

// A 100 x 75 picture, so that its thumbnail is the picture itself: the top
// half of one value (an index, or 0xRRGGBB at 24 bits), the bottom of another.
BmpImage HalvesPicture(int bitsPerPixel, uint32_t top, uint32_t bottom,
                       std::vector<std::array<uint8_t, 3>> colors = {})
{
    BmpImage image;
    image.width = 100;
    image.height = 75;
    image.bitsPerPixel = static_cast<uint16_t>(bitsPerPixel);
    image.colors = std::move(colors);
    std::vector<std::vector<uint32_t>> rows(75, std::vector<uint32_t>(100, top));
    for (int y = 38; y < 75; ++y)
        rows[static_cast<size_t>(y)].assign(100, bottom);
    image.pixels = BmpRows(rows, bitsPerPixel);
    return image;
}

// A strip over a collection of its own, shown offscreen.
class ThumbnailViewTest : public ::testing::Test {
protected:
    ThumbnailViewTest() : document(decoder), strip(document)
    {
        document.OnNewDocument();
        strip.resize(700, strip.sizeHint().height());
        strip.show();
        strip.OnInitialUpdate();
    }

    void Add(const std::string& name, const BmpImage& image = HalvesPicture(24, 0xFF0000, 0xFF0000))
    {
        ASSERT_TRUE(document.AddEntry(folder.Write(name, WriteBmp(image)))) << name;
    }
    void AddAndShow(const std::vector<std::string>& names)
    {
        for (const std::string& name : names)
            Add(name);
        strip.OnUpdate(nullptr, 0);
    }
    QRect ItemRect(int row) { return strip.visualItemRect(strip.item(row)); }
    // The strip as it shows once laid out.
    QImage Shot()
    {
        QCoreApplication::processEvents();
        return strip.viewport()->grab().toImage();
    }

    TempFolder folder;
    CAutoDecoder decoder;
    CKiroDoc document;
    CThumbnailView strip;
};

}  // namespace

TEST_F(ThumbnailViewTest, PaintsEachEntrysThumbnailRightWayUpWithItsColours)
{
    struct Case {
        const char* name;
        BmpImage picture;
        int thumbnailBits;
        QColor top, bottom;
    };
    const Case cases[] = {
        {"deep.bmp", HalvesPicture(24, 0xFF0000, 0x0000FF), 32, QColor(255, 0, 0), QColor(0, 0, 255)},
        {"indexed.bmp", HalvesPicture(8, 1, 2, {{0, 0, 0}, {255, 128, 0}, {0, 128, 255}}), 8, QColor(255, 128, 0),
         QColor(0, 128, 255)},
    };
    for (const Case& c : cases)
        Add(c.name, c.picture);
    strip.OnUpdate(nullptr, 0);
    QImage shot = Shot();
    for (int row = 0; row < 2; ++row) {
        const Case& c = cases[row];
        SCOPED_TRACE(c.name);
        ASSERT_EQ(document.GetEntries()[static_cast<size_t>(row)].thumbnail->BitsPerPixel(), c.thumbnailBits);
        QRect item = ItemRect(row);
        EXPECT_EQ(shot.pixelColor(item.center().x(), item.top() + 10), c.top);
        EXPECT_EQ(shot.pixelColor(item.center().x(), item.top() + 60), c.bottom);
    }

    // Entries gone before the strip hears of it paint no thumbnail.
    QRect first = ItemRect(0);
    document.RemoveAll();
    shot = Shot();
    EXPECT_NE(shot.pixelColor(first.center().x(), first.top() + 10), QColor(255, 0, 0));
}

TEST_F(ThumbnailViewTest, AppendedEntriesFollowInOrderAndKeepTheHighlight)
{
    AddAndShow({"a.bmp", "b.bmp"});
    strip.SelectItem(1);
    Add("c.bmp");
    Add("d.bmp");
    strip.EntriesAppended(2, 2);
    ASSERT_EQ(strip.count(), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(strip.item(row)->text().toStdString(), std::string(1, static_cast<char>('a' + row)) + ".bmp");
    EXPECT_TRUE(strip.item(1)->isSelected());

    // A refresh shows the collection afresh, with nothing highlighted.
    strip.OnUpdate(nullptr, 0);
    EXPECT_EQ(strip.count(), 4);
    EXPECT_FALSE(strip.item(1)->isSelected());
}

TEST_F(ThumbnailViewTest, TheHighlightMovesToTheEntryAndScrollsItIntoView)
{
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i)
        names.push_back("p" + std::to_string(i) + ".bmp");
    AddAndShow(names);
    for (int row : {19, 3}) {
        strip.SelectItem(row);
        EXPECT_EQ(strip.selectionModel()->selectedIndexes().size(), 1);
        EXPECT_TRUE(strip.item(row)->isSelected());
        EXPECT_TRUE(strip.viewport()->rect().contains(ItemRect(row))) << row;
    }
}

TEST_F(ThumbnailViewTest, LongNamesAreElidedRatherThanWideningTheirItems)
{
    AddAndShow({"a.bmp", "a name far longer than the thumbnail above it is wide.bmp"});
    EXPECT_EQ(ItemRect(1).size(), ItemRect(0).size());
}
