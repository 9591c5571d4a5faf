#include <QTest>

#include "app/StyledStatusBar.h"
#include "resources/CommandIds.h"
#include "tests/app/ViewerFixture.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/CountingDecoder.h"
#include "tests/support/KirWriter.h"
#include "views/ThumbnailView.h"

namespace {

ThumbnailLoaderOptions CountedLoads(DecoderTally& tally)
{
    return {[&tally] { return std::make_unique<CCountingDecoder>(tally); }, nullptr, 2};
}

}  // namespace

TEST(KiroApp, ShowsTheWindowBeforeTheFirstDecodeOfACollection)
{
    TempFolder folder;
    ByteWriter kir;
    AddRecord(kir, "2\r\n");
    for (const char* name : {"a.bmp", "b.bmp"})
        AddRecord(kir, folder.Write(name, SceneBmp(8, 6, 24)) + "\r\n");
    ScriptedUi ui;
    DecoderTally tally;
    CKiroApp app(&ui);
    app.Document().SetLoaderOptions(CountedLoads(tally));
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(folder.Write("two.kir", kir.Take()))}));
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_TRUE(app.Document().IsLoading());
    EXPECT_EQ(tally.decodes, 0);

    app.Document().FinishLoading();
    EXPECT_EQ(tally.decodes, 2);
    EXPECT_EQ(app.Document().GetEntryCount(), 2);
    EXPECT_EQ(app.MainFrame()->ThumbnailView()->count(), 2);
    EXPECT_FALSE(app.Document().IsModified());
}

TEST_F(ViewerTest, CommandsThatChangeOrSaveTheCollectionWaitForALoad)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000)});
    WritePicture("more/b", 4, 3, 0x00FF00);
    Document().StartAdding({folder.Path() + "/more"});
    ASSERT_TRUE(Document().IsLoading());
    for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_ADD_IMAGE, ID_ADD_FOLDER, ID_REMOVE_IMAGE, ID_REMOVE_ALL})
        EXPECT_FALSE(IsEnabled(id)) << id;
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_APP_EXIT})
        EXPECT_TRUE(IsEnabled(id)) << id;
    // A picture already there can be viewed and copied.
    Document().SelectPicture(0);
    EXPECT_TRUE(IsEnabled(ID_COPY));
    QTest::keyClick(&Frame(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Document().GetEntryCount(), 1);

    Document().FinishLoading();
    EXPECT_EQ(Document().GetEntryCount(), 2);
    for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_ADD_IMAGE, ID_ADD_FOLDER, ID_REMOVE_IMAGE, ID_REMOVE_ALL})
        EXPECT_TRUE(IsEnabled(id)) << id;
}

TEST_F(ViewerTest, EscOrClosingTheWindowStopsAnAddKeepingWhatWasAdded)
{
    DecoderTally tally;
    Document().SetLoaderOptions(CountedLoads(tally));
    AddPictures({WritePicture("a", 4, 3, 0xFF0000)});
    WritePicture("more/b", 4, 3, 0x00FF00);
    Document().StartAdding({folder.Path() + "/more"});
    QTest::keyClick(&Frame(), Qt::Key_Escape);
    EXPECT_FALSE(Document().IsLoading());
    EXPECT_EQ(tally.alive, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Document().GetEntryCount(), 1);

    // Closing asks about the collection as it stands, after the add has stopped.
    Document().StartAdding({folder.Path() + "/more"});
    QCoreApplication::processEvents();  // the add starts
    ASSERT_TRUE(Document().IsAdding());
    int made = Document().GetEntryCount();
    ui.answers.push_back(PromptAnswer::Cancel);
    EXPECT_FALSE(Frame().close());
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_FALSE(Document().IsLoading());
    EXPECT_EQ(tally.alive, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Document().GetEntryCount(), made);
}

TEST_F(ViewerTest, AnAddThatFailsTakesDownItsProgressBar)
{
    Document().SetLoaderOptions({[]() -> std::unique_ptr<CPictureDecoder> { throw std::runtime_error("no decoder"); }});
    Document().StartAdding({WritePicture("a", 4, 3, 0xFF0000)});
    ASSERT_NE(Frame().StatusBar()->GetPaneInfo(0).Control(), nullptr);
    EXPECT_THROW(Document().FinishLoading(), std::runtime_error);
    EXPECT_EQ(Frame().StatusBar()->GetPaneInfo(0).Control(), nullptr);
    EXPECT_FALSE(Document().IsLoading());
}
