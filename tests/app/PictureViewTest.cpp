#include <QTest>

#include "app/StyledStatusBar.h"
#include "resources/CommandIds.h"
#include "tests/app/ViewerFixture.h"
#include "views/KiroView.h"

namespace {

// Two clicks in quick succession, as the window system delivers them: the
// second press arrives as a double click. The pointer moves to `to` before
// the second release.
void ClickTwice(QWidget* widget, Qt::MouseButton button, QPoint from, QPoint to)
{
    QTest::mouseClick(widget, button, Qt::NoModifier, from);
    QTest::mouseDClick(widget, button, Qt::NoModifier, from);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, button, Qt::NoModifier, to);
}

}  // namespace

TEST_F(ViewerTest, EndingZoomModeDuringADragTakesTheRubberBandAway)
{
    constexpr uint32_t kGrey = 0x808080;
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Case& ending : {Case {"Ctrl+M", Qt::Key_M, Qt::ControlModifier},
                               Case {"Delete", Qt::Key_Delete, Qt::NoModifier}}) {
        SCOPED_TRACE(ending.name);
        Run(ID_REMOVE_ALL);
        AddPictures({WritePicture("a", 200, 150, kGrey), WritePicture("b", 200, 150, kGrey)});
        Document().SelectPicture(0);
        CKiroView* view = Frame().PictureView();
        view->setFocus();
        Run(ID_ZOOM);
        ASSERT_EQ(view->GetZoomMode(), 1);

        QPoint from = view->LogicalToClient({20, 20});
        QPoint to = view->LogicalToClient({120, 90});
        QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(view->viewport(), to);
        QTest::keyClick(&Frame(), ending.key, ending.modifiers);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, to);
        EXPECT_EQ(view->GetZoomMode(), 0);
        Document().SelectPicture(0);

        // The band's top edge would show on the uniform picture.
        QImage shot = view->viewport()->grab().toImage();
        int marked = 0;
        for (int x = from.x(); x < to.x(); ++x)
            marked += (shot.pixel(x, from.y()) & 0xFFFFFF) != kGrey;
        EXPECT_EQ(marked, 0);
    }
}

TEST_F(ViewerTest, EveryClickOfADoubleClickCounts)
{
    ASSERT_TRUE(ShowFirstPictureFocused({WritePicture("big", 2000, 1500, 0x808080)}, {500, 500}));
    CKiroView* view = Frame().PictureView();
    struct Case {
        const char* name;
        bool zoomMode;
        Qt::MouseButton button;
        QPoint movement;
        double zoom;
    };
    for (const Case& clicks : {Case {"zoom in", true, Qt::LeftButton, {}, 1.5625},
                               Case {"zoom out", true, Qt::RightButton, {}, 0.64},
                               Case {"pan", false, Qt::LeftButton, {-40, -30}, 1.0}}) {
        SCOPED_TRACE(clicks.name);
        view->ShowActualSize();
        if (clicks.zoomMode)
            Run(ID_ZOOM);
        QPoint scroll = view->GetScrollPosition();
        QPoint from = view->viewport()->rect().center();
        ClickTwice(view->viewport(), clicks.button, from, from + clicks.movement);
        EXPECT_DOUBLE_EQ(view->GetZoom(), clicks.zoom);
        if (!clicks.movement.isNull()) {
            EXPECT_EQ(view->GetScrollPosition(), scroll - clicks.movement);
        }
    }
}

TEST_F(ViewerTest, PositionPanesNameThePixelDrawnUnderThePointer)
{
    // Red holds the column and green the row of each pixel.
    auto ramp = [](int x, int y) { return uint32_t(x << 16 | y << 8); };
    ASSERT_TRUE(ShowFirstPictureFocused({WritePicture("ramp", 200, 150, ramp)}));
    CKiroView* view = Frame().PictureView();
    CStyledStatusBar* bar = Frame().StatusBar();
    for (double factor : {1.25, 1.5625, 0.8, 0.5}) {
        SCOPED_TRACE(factor);
        view->ShowActualSize();
        view->ZoomIn(nullptr, factor);
        QImage shot = view->viewport()->grab().toImage();
        QRect picture(view->LogicalToClient({0, 0}), view->GetTotalDeviceSize());
        ASSERT_TRUE(shot.rect().contains(picture));
        // Along the diagonal, so that columns and rows meet every fraction of a pixel.
        int wrong = 0;
        for (int k = 0; k < std::min(picture.width(), picture.height()) && wrong < 3; ++k) {
            QPoint point = picture.topLeft() + QPoint(k, k);
            QTest::mouseMove(view->viewport(), point);
            Frame().Router().UpdateAll();
            QColor drawn = shot.pixelColor(point);
            QString x = bar->GetPaneText(2).trimmed();
            QString y = bar->GetPaneText(3).trimmed();
            if (x == QString::number(drawn.red()) && y == QString::number(drawn.green()))
                continue;
            ADD_FAILURE() << "at " << k << " the panes read " << x.toStdString() << ", " << y.toStdString()
                          << " over pixel " << drawn.red() << ", " << drawn.green();
            ++wrong;
        }
    }
}
