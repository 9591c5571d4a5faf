#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <functional>

#include "views/ZoomView.h"

namespace {

// A zoom view over a plain white picture, with a viewport of exactly the given size.
class TestZoomView : public CZoomView {
public:
    TestZoomView(QSize client, QSize picture)
    {
        setFrameShape(QFrame::NoFrame);
        resize(client);
        SetZoomSizes(picture, {0, 0}, {0, 0});
        show();
        zooms = 0;
    }
    int zooms = 0;

protected:
    void NotifyZoom() override { ++zooms; }
    void OnDraw(QPainter& painter, const QRect& exposed) override { painter.fillRect(exposed, Qt::red); }
};

}  // namespace

TEST(ZoomView, CentresContentSmallerThanTheWindow)
{
    TestZoomView view({500, 400}, {300, 200});
    EXPECT_EQ(view.LogicalToClient({0, 0}), QPoint(100, 100));
    EXPECT_EQ(view.ClientToLogical({100, 100}), QPoint(0, 0));
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    QImage shot = view.viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(100, 100), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(99, 99), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(399, 299), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(400, 300), QColor(Qt::red));
}

TEST(ZoomView, PageAndLineStepsFollowTheZoomedSize)
{
    TestZoomView view({300, 300}, {1000, 800});
    EXPECT_EQ(view.GetPageStep(), QSize(100, 80));
    EXPECT_EQ(view.GetLineStep(), QSize(10, 8));
    view.ZoomIn(nullptr, 2.0);
    EXPECT_EQ(view.GetTotalDeviceSize(), QSize(2000, 1600));
    EXPECT_EQ(view.GetPageStep(), QSize(200, 160));
    EXPECT_EQ(view.GetLineStep(), QSize(20, 16));
    EXPECT_EQ(view.verticalScrollBar()->pageStep(), 160);
}

TEST(ZoomView, ZoomingToARectangleFillsTheWindowWithIt)
{
    TestZoomView view({400, 300}, {200, 150});
    view.ZoomToRect({10, 20}, {110, 70});  // 100 x 50
    EXPECT_DOUBLE_EQ(view.GetZoom(), 4.01);
    EXPECT_EQ(view.GetTotalDeviceSize(), QSize(802, 601));
    // The rectangle's middle (60, 45) now sits at the window's centre.
    QCoreApplication::processEvents();  // the scroll bars are shown
    QPoint middle = view.LogicalToClient({60, 45});
    EXPECT_NEAR(middle.x(), view.viewport()->width() / 2, 4);
    EXPECT_NEAR(middle.y(), view.viewport()->height() / 2, 4);
    EXPECT_EQ(view.zooms, 1);
}

TEST(ZoomView, ATinyRectangleZoomsInAroundItsMiddle)
{
    TestZoomView view({400, 300}, {200, 150});
    view.ZoomToRect({50, 50}, {53, 52});
    EXPECT_DOUBLE_EQ(view.GetZoom(), 1.25);
    EXPECT_EQ(view.GetTotalDeviceSize(), QSize(250, 187));
}

TEST(ZoomView, FitsThePictureToTheWindowKeepingItsShape)
{
    TestZoomView view({400, 400}, {200, 100});
    view.ZoomToFit();
    EXPECT_EQ(view.GetTotalDeviceSize(), QSize(400, 200));
    EXPECT_DOUBLE_EQ(view.GetZoom(), 2.0);
}

TEST(ZoomView, ZoomOutAndInKeepThePointAtTheCentre)
{
    TestZoomView view({200, 200}, {1000, 1000});
    QPoint point(700, 300);
    view.ZoomIn(&point, 2.0);
    QPoint at = view.LogicalToClient(point);
    EXPECT_NEAR(at.x(), view.viewport()->width() / 2, 2);
    EXPECT_NEAR(at.y(), view.viewport()->height() / 2, 2);
    view.ZoomOut(&point, 1.25);
    EXPECT_DOUBLE_EQ(view.GetZoom(), 1.6);
    EXPECT_EQ(view.GetTotalDeviceSize(), QSize(1600, 1600));
}

TEST(ZoomView, RefusesZoomStepsBeyondTheLimits)
{
    TestZoomView view({200, 200}, {4000, 3000});
    for (int i = 0; i < 200; ++i)
        view.ZoomIn(nullptr, 1.25);
    EXPECT_LE(view.GetTotalDeviceSize().width(), CZoomView::kMaxDeviceSide);
    EXPECT_GT(view.GetZoom(), 1000.0);
    for (int i = 0; i < 400; ++i)
        view.ZoomOut(nullptr, 1.25);
    EXPECT_GE(view.GetTotalDeviceSize().height(), 1);
    EXPECT_GE(view.GetTotalDeviceSize().width(), 1);
}

TEST(ZoomView, RubberBandZoomsToTheDraggedRectangle)
{
    TestZoomView view({400, 300}, {200, 150});
    view.SetZoomMode(1);
    QWidget* viewport = view.viewport();
    // The picture sits at (100, 75); drag from logical (10, 20) to (110, 70).
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, {110, 95});
    QTest::mouseMove(viewport, {160, 120});
    QTest::mouseMove(viewport, {210, 145});
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, {210, 145});
    EXPECT_DOUBLE_EQ(view.GetZoom(), 4.01);

    // A click without a drag zooms in by 1.25.
    view.SetZoomSizes({200, 150}, {0, 0}, {0, 0});
    view.SetZoom(1.0);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, {150, 100});
    EXPECT_DOUBLE_EQ(view.GetZoom(), 1.25);
}

TEST(ZoomView, ZoomModeShowsTheMagnifier)
{
    TestZoomView view({200, 200}, {100, 100});
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::ArrowCursor);
    view.SetZoomMode(1);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(view.viewport()->cursor().hotSpot(), QPoint(9, 8));
    view.SetZoomMode(0);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST(ZoomView, AStepThatBringsScrollBarsKeepsThePointAtTheCentre)
{
    QPoint point(100, 180);
    struct Case {
        const char* name;
        std::function<void(CZoomView&)> zoom;
    };
    for (const Case& step : {Case {"zoom in", [&](CZoomView& view) { view.ZoomIn(&point, 2.0); }},
                             Case {"zoom to a rectangle", [](CZoomView& view) { view.ZoomToRect({60, 150}, {140, 210}); }}}) {
        SCOPED_TRACE(step.name);
        TestZoomView view({300, 300}, {280, 280});
        ASSERT_EQ(view.horizontalScrollBar()->maximum(), 0);
        step.zoom(view);
        QCoreApplication::processEvents();  // the scroll bars are shown
        ASSERT_LT(view.viewport()->width(), 300);
        QPoint at = view.LogicalToClient(point);
        EXPECT_NEAR(at.x(), view.viewport()->width() / 2, 1);
        EXPECT_NEAR(at.y(), view.viewport()->height() / 2, 1);
    }
}
