#include <QAbstractEventDispatcher>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QShortcut>
#include <QTest>
#include <QToolBar>
#include <filesystem>

#include "app/ActionTable.h"
#include "app/StyledStatusBar.h"
#include "resources/CommandIds.h"
#include "resources/Strings.h"
#include "tests/app/ViewerFixture.h"
#include "views/KiroView.h"
#include "views/ThumbnailView.h"

namespace {

QStringList ActionTexts(const QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        if (action->isVisible() || action->isSeparator())
            texts.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// The actions of `menu` and of the menus inside it.
QList<QAction*> MenuActions(const QMenu* menu)
{
    QList<QAction*> actions;
    for (QAction* action : menu->actions())
        actions += action->menu() != nullptr ? MenuActions(action->menu()) : QList<QAction*> {action};
    return actions;
}

}  // namespace

TEST_F(ViewerTest, StartsWithAnEmptyUntitledCollection)
{
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("無題 - Lumo?"));
    EXPECT_EQ(Document().GetEntryCount(), 0);
    EXPECT_EQ(Frame().ThumbnailView()->count(), 0);
    EXPECT_EQ(Frame().StatusBar()->GetPaneText(0), QStringLiteral("ﾚﾃﾞｨ"));
}

TEST_F(ViewerTest, MenusCarryTheirTextsInOrder)
{
    QList<QAction*> menus = Frame().menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("ﾌｧｲﾙ(&F)"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("画像(&I)"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("表示(&V)"));
    EXPECT_EQ(menus[3]->text(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    EXPECT_EQ(ActionTexts(menus[1]->menu()),
              (QStringList {QStringLiteral("追加(&A)...\tCtrl+A"), QStringLiteral("ﾌｫﾙﾀﾞから追加(&F)\tCtrl+L"),
                            QStringLiteral("削除(&R)\tDEL"), QStringLiteral("全て削除(&M)\tCtrl+DEL"),
                            QStringLiteral("-"), QStringLiteral("ｽﾞｰﾑ(&Z)\tCtrl+M"), QStringLiteral("-"),
                            QStringLiteral("ｺﾋﾟｰ(&C)\tCtrl+C"), QStringLiteral("-"),
                            QStringLiteral("ｽﾗｲﾄﾞｼｮｳ開始(&S)\tF5"), QStringLiteral("ｽﾗｲﾄﾞｼｮｳ中止(&T)\tCtrl+T"),
                            QStringLiteral("ｽﾗｲﾄﾞｼｮｳの間隔(&I)"), QStringLiteral("-"),
                            QStringLiteral("次の画像(&N)\tSpace"), QStringLiteral("前の画像(&P)\tBackspace")}));
    QStringList file = ActionTexts(menus[0]->menu());
    EXPECT_EQ(file.first(), QStringLiteral("新規作成(&N)\tCtrl+N"));
    EXPECT_EQ(file.last(), QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"));
    EXPECT_TRUE(file.contains(QStringLiteral("最近使ったﾌｧｲﾙ")));
}

TEST_F(ViewerTest, EveryCommandReachesItsTextsKeyMenuAndToolbar)
{
    QList<QAction*> inMenus;
    for (QAction* menu : Frame().menuBar()->actions())
        inMenus += MenuActions(menu->menu());
    QList<QKeySequence> keys;
    for (QShortcut* shortcut : Frame().findChildren<QShortcut*>())
        keys.push_back(shortcut->key());
    for (const ActionRow& row : ActionTable()) {
        for (int id = row.id; id < row.id + row.count; ++id) {
            QAction* action = Frame().Router().Action(id);
            ASSERT_NE(action, nullptr) << id;
            EXPECT_EQ(action->text(), MenuText(id)) << id;
            EXPECT_EQ(action->statusTip(), PromptStatusText(id)) << id;
            EXPECT_EQ(action->isCheckable(), row.checkable) << id;
            EXPECT_EQ(inMenus.contains(action), row.menu != Menu::kNone) << id;
            EXPECT_EQ(Frame().ToolBar()->actions().contains(action), row.toolbarGroup != 0) << id;
        }
        if (row.shortcut.isEmpty())
            continue;
        EXPECT_TRUE(keys.contains(row.shortcut)) << row.id;
        // The key a menu item names is the key that runs it.
        if (row.menu != Menu::kNone) {
            EXPECT_EQ(MenuText(row.id).section(QLatin1Char('\t'), 1).toUpper(),
                      row.shortcut.toString(QKeySequence::PortableText).toUpper())
                << row.id;
        }
    }
}

TEST_F(ViewerTest, EveryToolbarButtonShowsAPictureOfItsOwn)
{
    QList<QImage> pictures;
    for (QAction* action : Frame().ToolBar()->actions()) {
        if (action->isSeparator())
            continue;
        QImage picture = action->icon().pixmap(QSize(16, 15)).toImage();
        ASSERT_FALSE(picture.isNull()) << action->text().toStdString();
        EXPECT_FALSE(pictures.contains(picture)) << action->text().toStdString();
        pictures.push_back(picture);
    }
}

TEST_F(ViewerTest, ToolbarHasFifteenItemsWithSaveAsThird)
{
    QList<QAction*> items = Frame().ToolBar()->actions();
    ASSERT_EQ(items.size(), 15);
    CCommandRouter& router = Frame().Router();
    EXPECT_EQ(items[0], router.Action(ID_FILE_NEW));
    EXPECT_EQ(items[2], router.Action(ID_FILE_SAVE_AS));
    EXPECT_TRUE(items[3]->isSeparator());
    EXPECT_EQ(items[9], router.Action(ID_ZOOM));
    EXPECT_EQ(items[14], router.Action(ID_SLIDESHOW_STOP));
    EXPECT_EQ(Frame().ToolBar()->iconSize(), QSize(16, 15));
    EXPECT_EQ(items[4]->toolTip(), QStringLiteral("画像追加(Ctrl+A)"));
    EXPECT_EQ(items[4]->statusTip(), QStringLiteral("画像を追加"));
    EXPECT_EQ(items[13]->toolTip().toStdString(), "ｽﾗｲﾄﾞｼｮｳ開始(F5)");
}

TEST_F(ViewerTest, EnableRulesFollowTheCollectionAndTheSlideShow)
{
    EXPECT_FALSE(IsEnabled(ID_REMOVE_ALL));
    EXPECT_FALSE(IsEnabled(ID_COPY));
    AddPictures({WritePicture("one", 4, 3, 0xFF0000)});
    EXPECT_TRUE(IsEnabled(ID_REMOVE_ALL));
    EXPECT_FALSE(IsEnabled(ID_SLIDESHOW_START));
    EXPECT_FALSE(IsEnabled(ID_COPY));  // nothing selected yet
    AddPictures({WritePicture("two", 4, 3, 0x00FF00)});
    EXPECT_TRUE(IsEnabled(ID_SLIDESHOW_START));
    EXPECT_FALSE(IsEnabled(ID_SLIDESHOW_STOP));

    Run(ID_SLIDESHOW_START);
    ASSERT_TRUE(Frame().SlideShow().IsRunning());
    for (int id : {ID_ADD_IMAGE, ID_ADD_FOLDER, ID_REMOVE_IMAGE, ID_REMOVE_ALL, ID_COPY, ID_FILE_NEW, ID_FILE_OPEN,
                   ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_APP_ABOUT, ID_SLIDESHOW_START})
        EXPECT_FALSE(IsEnabled(id)) << id;
    EXPECT_TRUE(IsEnabled(ID_SLIDESHOW_STOP));

    // A disabled command never runs, whatever delivers it.
    Run(ID_REMOVE_ALL);
    QTest::keyClick(&Frame(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Document().GetEntryCount(), 2);
    Run(ID_SLIDESHOW_STOP);
    EXPECT_TRUE(IsEnabled(ID_REMOVE_ALL));
    QTest::keyClick(&Frame(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Document().GetEntryCount(), 0);  // the same key works once the show has stopped
    AddPictures({WritePicture("three", 4, 3, 0xFF), WritePicture("four", 4, 3, 0xFF)});
    Run(ID_SLIDESHOW_START);

    Run(ID_SLIDESHOW_STOP);
    EXPECT_FALSE(Frame().SlideShow().IsRunning());
    EXPECT_TRUE(IsEnabled(ID_REMOVE_ALL));
}

TEST_F(ViewerTest, SlideShowStepsThroughEveryPictureAndWraps)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000), WritePicture("b", 4, 3, 0x00FF00), WritePicture("c", 4, 3, 0xFF)});
    CSlideShow& show = Frame().SlideShow();
    Run(ID_SLIDESHOW_START);
    std::vector<int> shown {Document().GetCurrentIndex()};
    for (int i = 0; i < 4; ++i) {
        show.Step();
        shown.push_back(Document().GetCurrentIndex());
    }
    EXPECT_EQ(shown, (std::vector<int> {0, 1, 2, 0, 1}));
    EXPECT_EQ(show.GetInterval(), 1000);

    // Picking a picture meanwhile does not change the show's own order.
    Document().SelectPicture(2);
    show.Step();
    EXPECT_EQ(Document().GetCurrentIndex(), 2);
    show.Step();
    EXPECT_EQ(Document().GetCurrentIndex(), 0);

    // Starting again begins with the first picture.
    Run(ID_SLIDESHOW_STOP);
    Document().SelectPicture(1);
    Run(ID_SLIDESHOW_START);
    EXPECT_EQ(Document().GetCurrentIndex(), 0);
    // Closing the window stops the show.
    Frame().close();
    EXPECT_FALSE(show.IsRunning());
}

TEST_F(ViewerTest, CtrlSSavesAndDoesNotStartTheSlideShow)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000), WritePicture("b", 4, 3, 0x00FF00)});
    std::string target = folder.Path() + "/saved.kir";
    ui.paths.push_back(target);
    QTest::keyClick(&Frame(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(Frame().SlideShow().IsRunning());
    EXPECT_FALSE(ReadFileBytes(target).empty());
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("saved.kir - Lumo?"));
    // F5 starts it.
    QTest::keyClick(&Frame(), Qt::Key_F5);
    EXPECT_TRUE(Frame().SlideShow().IsRunning());
}

TEST_F(ViewerTest, ClickingAThumbnailShowsThatPicture)
{
    AddPictures({WritePicture("red", 30, 20, 0xFF0000), WritePicture("blue", 30, 20, 0x0000FF)});
    Frame().resize(500, 400);
    CThumbnailView* strip = Frame().ThumbnailView();
    ASSERT_EQ(strip->count(), 2);
    EXPECT_EQ(strip->item(1)->text(), QStringLiteral("blue.bmp"));
    QRect second = strip->visualItemRect(strip->item(1));
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(Document().GetCurrentIndex(), 1);
    EXPECT_TRUE(strip->item(1)->isSelected());

    // The picture, smaller than the view, sits in its middle.
    CKiroView* view = Frame().PictureView();
    QImage shot = view->viewport()->grab().toImage();
    QPoint middle(shot.width() / 2, shot.height() / 2);
    EXPECT_EQ(shot.pixelColor(middle), QColor(0, 0, 255));
    EXPECT_NE(shot.pixelColor(2, 2), QColor(0, 0, 255));

    // Keyboard moves in the strip do not change the picture.
    strip->setFocus();
    QTest::keyClick(strip, Qt::Key_Left);
    EXPECT_EQ(Document().GetCurrentIndex(), 1);
}

TEST_F(ViewerTest, CopyPutsTheExactPixelsOnTheClipboard)
{
    AddPictures({WritePicture("green", 3, 2, 0x10C020)});
    Document().SelectPicture(0);
    ASSERT_TRUE(IsEnabled(ID_COPY));
    Run(ID_COPY);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    QImage image = qvariant_cast<QImage>(data->imageData());
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixelColor(2, 1), QColor(0x10, 0xC0, 0x20));
    QByteArray bmp = data->data(QStringLiteral("image/bmp"));
    ASSERT_GT(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
}

TEST_F(ViewerTest, ADisabledCommandsKeyDoesNothing)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000), WritePicture("b", 4, 3, 0x00FF00)});
    CThumbnailView* strip = Frame().ThumbnailView();
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, Qt::NoModifier, strip->visualItemRect(strip->item(1)).center());
    strip->setFocus();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("kept"));

    // Copy is off while a slide show runs, and for a picture whose file has vanished.
    Run(ID_SLIDESHOW_START);
    ASSERT_FALSE(IsEnabled(ID_COPY));
    QTest::keyClick(strip, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text().toStdString(), "kept");
    Run(ID_SLIDESHOW_STOP);
    std::filesystem::remove(Document().GetEntries()[1].path);
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, Qt::NoModifier, strip->visualItemRect(strip->item(1)).center());
    ASSERT_FALSE(IsEnabled(ID_COPY));
    QTest::keyClick(strip, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text().toStdString(), "kept");
}

TEST_F(ViewerTest, RecentlyUsedPathsShowTheirAmpersands)
{
    std::string path = "/work/R&D.kir";
    app->RecentFiles().Add(path);
    QMenu* file = Frame().menuBar()->actions()[0]->menu();
    emit file->aboutToShow();
    QAction* entry = Frame().Router().Action(ID_FILE_MRU_FIRST);
    ASSERT_TRUE(entry->isVisible());
    // The label as the menu draws it: mnemonic marks taken out.
    EXPECT_EQ(entry->iconText().toStdString(), "1 " + path);
}

TEST_F(ViewerTest, RemoveTakesOutTheCurrentPicture)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000), WritePicture("b", 4, 3, 0x00FF00), WritePicture("c", 4, 3, 0xFF)});
    Document().SetModifiedFlag(false);
    Run(ID_REMOVE_IMAGE);  // nothing current: nothing happens
    EXPECT_EQ(Document().GetEntryCount(), 3);
    EXPECT_FALSE(Document().IsModified());

    Document().SelectPicture(1);
    Run(ID_REMOVE_IMAGE);
    EXPECT_EQ(Document().GetEntryCount(), 2);
    EXPECT_EQ(Document().GetEntries()[1].name, "c.bmp");
    EXPECT_EQ(Document().GetCurrentIndex(), -1);
    EXPECT_TRUE(Document().GetCurrentPicture()->IsBlank());
    EXPECT_TRUE(Document().IsModified());
    EXPECT_EQ(Frame().ThumbnailView()->count(), 2);
}

TEST_F(ViewerTest, RemoveAllOfAnOpenedCollectionLeavesItUnmodified)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000)});
    std::string path = folder.Path() + "/one.kir";
    ui.paths.push_back(path);
    Run(ID_FILE_SAVE_AS);
    ui.paths.push_back(path);
    Run(ID_FILE_OPEN);
    Document().FinishLoading();
    ASSERT_EQ(Document().GetEntryCount(), 1);
    Run(ID_REMOVE_ALL);
    EXPECT_EQ(Document().GetEntryCount(), 0);
    EXPECT_FALSE(Document().IsModified());
    EXPECT_EQ(Frame().ThumbnailView()->count(), 0);
    // The recently used list starts with the file.
    ASSERT_FALSE(app->RecentFiles().GetEntries().empty());
    EXPECT_EQ(app->RecentFiles().GetEntries().front(), path);
}

TEST_F(ViewerTest, StatusPanesShowZoomAndPosition)
{
    ASSERT_TRUE(ShowFirstPictureFocused({WritePicture("big", 800, 600, 0x808080)}, {400, 400}));
    CKiroView* view = Frame().PictureView();
    Frame().Router().UpdateAll();
    CStyledStatusBar* bar = Frame().StatusBar();
    EXPECT_EQ(bar->GetPaneText(1), QStringLiteral("1.00:1"));
    EXPECT_EQ(bar->GetPaneText(2), QStringLiteral("    0"));  // before the mouse first moves

    QPoint origin = view->LogicalToClient({0, 0});
    QTest::mouseMove(view->viewport(), origin + QPoint(12, 7));
    Frame().Router().UpdateAll();
    EXPECT_EQ(bar->GetPaneText(2), QStringLiteral("   12"));
    EXPECT_EQ(bar->GetPaneText(3), QStringLiteral("    7"));

    Run(ID_ZOOM);
    EXPECT_TRUE(view->IsZoomCommandOn());
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, {50, 50});
    Frame().Router().UpdateAll();
    EXPECT_EQ(bar->GetPaneText(1), QStringLiteral("1:1.25"));
    EXPECT_TRUE(Frame().Router().Action(ID_ZOOM)->isChecked());

    // With the thumbnail strip active the panes still describe the picture.
    Frame().ThumbnailView()->setFocus();
    QTest::qWait(10);
    Frame().Router().UpdateAll();
    EXPECT_EQ(bar->GetPaneText(1), QStringLiteral("1:1.25"));
    EXPECT_EQ(bar->GetPaneText(2), QStringLiteral("   12"));
    EXPECT_EQ(bar->GetPaneText(4), QStringLiteral(" 800 x 600; 32 bpp; 1875 kb"));
}

TEST_F(ViewerTest, PanningFollowsThePointerAndKeysScroll)
{
    AddPictures({WritePicture("big", 2000, 1500, 0x808080)});
    Frame().resize(500, 500);
    Document().SelectPicture(0);
    CKiroView* view = Frame().PictureView();
    QWidget* viewport = view->viewport();
    EXPECT_EQ(viewport->cursor().shape(), Qt::OpenHandCursor);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, {200, 200});
    QTest::mouseMove(viewport, {150, 170});
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, {150, 170});
    EXPECT_EQ(view->GetScrollPosition(), QPoint(50, 30));

    view->setFocus();
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->GetScrollPosition().x(), view->horizontalScrollBar()->maximum());
    EXPECT_EQ(view->GetScrollPosition().y(), 30);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->GetScrollPosition().y(), view->verticalScrollBar()->maximum());
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(view->GetScrollPosition().x(), 0);

    // A right click outside zoom mode returns to 1:1.
    view->ZoomIn(nullptr, 2.0);
    QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, {10, 10});
    EXPECT_DOUBLE_EQ(view->GetZoom(), 1.0);
    EXPECT_EQ(view->GetZoomMode(), 0);
}

TEST_F(ViewerTest, ProgressTurnsTheMessagePaneIntoABar)
{
    CStyledStatusBar* bar = Frame().StatusBar();
    Frame().BeginProgress();
    ASSERT_NE(bar->GetPaneInfo(0).Control(), nullptr);
    EXPECT_FALSE(bar->GetPaneStyle(0) & SBPS_NOBORDERS);
    Frame().SetProgressTotal(3);
    Frame().StepProgress();
    EXPECT_EQ(bar->GetPaneInfo(0).Control()->value(), 33);
    Frame().StepProgress();
    EXPECT_EQ(bar->GetPaneInfo(0).Control()->value(), 66);
    Frame().EndProgress();
    EXPECT_EQ(bar->GetPaneInfo(0).Control(), nullptr);
    EXPECT_TRUE(bar->GetPaneStyle(0) & SBPS_NOBORDERS);
}

TEST_F(ViewerTest, KeepsTwoFifthsOfTheLargestSizeAsItsSmallest)
{
    EXPECT_EQ(CMainFrame::MinimumTrackingSize({1034, 778}), QSize(413, 311));
    Frame().show();
    EXPECT_GT(Frame().minimumSize().width(), 0);
}

TEST_F(ViewerTest, ZoomCommandActsOnThePictureWhicheverViewHasFocus)
{
    AddPictures({WritePicture("a", 40, 30, 0xFF0000), WritePicture("b", 40, 30, 0x00FF00)});
    Document().SelectPicture(0);
    CKiroView* view = Frame().PictureView();
    QAction* zoom = Frame().Router().Action(ID_ZOOM);
    QWidget* zoomButton = Frame().ToolBar()->widgetForAction(zoom);
    for (QWidget* focused : {static_cast<QWidget*>(Frame().ThumbnailView()), static_cast<QWidget*>(view)}) {
        focused->setFocus();
        QTest::qWait(10);
        ASSERT_EQ(Frame().ActiveView(), focused);

        QTest::keyClick(&Frame(), Qt::Key_M, Qt::ControlModifier);
        Frame().Router().UpdateAll();
        EXPECT_EQ(view->GetZoomMode(), 1) << focused->metaObject()->className();
        EXPECT_TRUE(zoom->isChecked());

        QTest::mouseClick(zoomButton, Qt::LeftButton);
        Frame().Router().UpdateAll();
        EXPECT_EQ(view->GetZoomMode(), 0);
        EXPECT_FALSE(zoom->isChecked());

        Run(ID_SLIDESHOW_START);
        EXPECT_FALSE(IsEnabled(ID_ZOOM));
        Run(ID_SLIDESHOW_STOP);
        Frame().Router().UpdateAll();
    }
}

TEST_F(ViewerTest, SpaceAndBackspaceStepThroughThePicturesAndWrap)
{
    std::vector<std::string> pictures {WritePicture("a", 4, 3, 0xFF0000), WritePicture("b", 4, 3, 0x00FF00),
                                       WritePicture("c", 4, 3, 0xFF)};
    QWidget* strip = Frame().ThumbnailView();
    QWidget* view = Frame().PictureView();
    struct Case {
        Qt::Key key;
        std::vector<int> shown;
    };
    // From no current picture, Space shows the first one and Backspace the last.
    for (const Case& test : {Case {Qt::Key_Space, {0, 1, 2, 0}}, Case {Qt::Key_Backspace, {2, 1, 0, 2}}}) {
        Run(ID_FILE_NEW);
        AddPictures(pictures);
        std::vector<int> shown;
        for (QWidget* focused : {strip, view, strip, view}) {
            focused->setFocus();
            QTest::keyClick(focused, test.key);
            shown.push_back(Document().GetCurrentIndex());
        }
        EXPECT_EQ(shown, test.shown) << QKeySequence(test.key).toString().toStdString();
    }

    Run(ID_SLIDESHOW_START);
    EXPECT_FALSE(IsEnabled(ID_NEXT_PICTURE));
    QTest::keyClick(strip, Qt::Key_Space);
    EXPECT_EQ(Document().GetCurrentIndex(), 0);
}

TEST_F(ViewerTest, EnterInTheStripShowsTheFocusedPicture)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000), WritePicture("b", 4, 3, 0x00FF00), WritePicture("c", 4, 3, 0xFF)});
    CThumbnailView* strip = Frame().ThumbnailView();
    strip->setFocus();
    for (auto [key, row] : {std::pair {Qt::Key_Return, 2}, std::pair {Qt::Key_Enter, 1}}) {
        strip->setCurrentIndex(strip->model()->index(row, 0));
        EXPECT_NE(Document().GetCurrentIndex(), row);
        QTest::keyClick(strip, key);
        EXPECT_EQ(Document().GetCurrentIndex(), row);
    }
}

TEST_F(ViewerTest, FullScreenShowsThePictureAloneUntilF11OrEsc)
{
    AddPictures({WritePicture("a", 40, 30, 0xFF0000), WritePicture("b", 40, 30, 0x00FF00)});
    Document().SelectPicture(0);
    Run(ID_VIEW_STATUS_BAR);  // hidden by the user: it stays hidden afterwards
    CKiroView* view = Frame().PictureView();
    std::vector<QWidget*> hidden {Frame().menuBar(), Frame().ToolBar(), Frame().StatusBar(), Frame().ThumbnailView()};
    auto corner = [view] { return view->viewport()->grab().toImage().pixelColor(1, 1); };

    QRect windowed = Frame().geometry();
    QTest::keyClick(&Frame(), Qt::Key_F11);
    EXPECT_TRUE(Frame().isFullScreen());
    EXPECT_EQ(Frame().WindowedGeometry(), windowed);  // what the options file keeps
    for (QWidget* widget : hidden)
        EXPECT_FALSE(widget->isVisible()) << widget->metaObject()->className();
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(corner(), QColor(Qt::black));
    Frame().Router().UpdateAll();
    EXPECT_TRUE(Frame().Router().Action(ID_FULL_SCREEN)->isChecked());

    QTest::keyClick(&Frame(), Qt::Key_F11);
    EXPECT_FALSE(Frame().isFullScreen());
    EXPECT_EQ(Frame().geometry(), windowed);
    EXPECT_TRUE(Frame().menuBar()->isVisible());
    EXPECT_TRUE(Frame().ToolBar()->isVisible());
    EXPECT_TRUE(Frame().ThumbnailView()->isVisible());
    EXPECT_FALSE(Frame().StatusBar()->isVisible());
    EXPECT_NE(corner(), QColor(Qt::black));

    // The show runs full screen; Esc ends both.
    Run(ID_SLIDESHOW_START);
    QTest::keyClick(&Frame(), Qt::Key_F11);
    EXPECT_TRUE(Frame().isFullScreen());
    EXPECT_TRUE(Frame().SlideShow().IsRunning());
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(Frame().isFullScreen());
    EXPECT_FALSE(Frame().SlideShow().IsRunning());
    EXPECT_TRUE(Frame().ThumbnailView()->isVisible());
}

TEST_F(ViewerTest, TheIntervalMenuSetsTheSlideShowsTimer)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000), WritePicture("b", 4, 3, 0x00FF00)});
    CSlideShow& show = Frame().SlideShow();
    auto timerInterval = [this, &show] {
        for (const QAbstractEventDispatcher::TimerInfo& timer :
             QAbstractEventDispatcher::instance()->registeredTimers(&Frame()))
            if (show.IsOwnTimer(timer.timerId))
                return timer.interval;
        return 0;
    };
    QMenu* image = Frame().menuBar()->actions()[1]->menu();
    QMenu* intervals = image->actions()[11]->menu();
    ASSERT_NE(intervals, nullptr);
    EXPECT_EQ(ActionTexts(intervals), (QStringList {QStringLiteral("1秒(&1)"), QStringLiteral("2秒(&2)"),
                                                    QStringLiteral("3秒(&3)"), QStringLiteral("5秒(&5)"),
                                                    QStringLiteral("10秒(&0)")}));
    EXPECT_EQ(show.GetInterval(), 1000);
    const std::pair<int, int> choices[] = {{ID_INTERVAL_1, 1}, {ID_INTERVAL_2, 2}, {ID_INTERVAL_3, 3},
                                           {ID_INTERVAL_5, 5}, {ID_INTERVAL_10, 10}};
    for (auto [id, seconds] : choices) {
        Run(id);
        Run(ID_SLIDESHOW_START);
        EXPECT_EQ(timerInterval(), seconds * 1000);
        EXPECT_EQ(Frame().Options().slideShowSeconds, seconds);
        Frame().Router().UpdateAll();
        for (auto [other, otherSeconds] : choices)
            EXPECT_EQ(Frame().Router().Action(other)->isChecked(), other == id) << otherSeconds;
        Run(ID_SLIDESHOW_STOP);
    }
}
