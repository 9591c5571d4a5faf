// Shapes, pens, fill rules, mapping and state of the metafile player, on
// pictures recorded with libEMF and drawn at one pixel per device pixel.

#include <gtest/gtest.h>

#include "tests/support/LibEmfRecorder.h"
#include "tests/support/RenderedMetafile.h"

namespace {

constexpr int kSize = 100;

RenderedMetafile Draw(const std::function<void(HDC)>& draw)
{
    return RenderEnhanced(RecordWithLibEmf(kSize, kSize, draw), kSize, kSize);
}

void UseBrush(HDC dc, COLORREF color)
{
    SelectObject(dc, CreateSolidBrush(color));
}

}  // namespace

TEST(MetafileShapes, RectangleCoversTheBoxWithoutItsFarEdges)
{
    RenderedMetafile picture = Draw([](HDC dc) {
        UseBrush(dc, RGB(255, 0, 0));
        Rectangle(dc, 10, 10, 30, 20);
        SelectObject(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, 40, 10, 60, 20);
    });
    ASSERT_TRUE(picture.loaded);
    // Outlined: the pen on the first and last pixel inside the box.
    EXPECT_EQ(picture.At(10, 10), kBlack);
    EXPECT_EQ(picture.At(29, 19), kBlack);
    EXPECT_EQ(picture.At(20, 15), kRed);
    EXPECT_EQ(picture.At(30, 15), kWhite);
    EXPECT_EQ(picture.At(20, 20), kWhite);
    EXPECT_EQ(picture.At(9, 9), kWhite);
    // Without a pen GDI fills one pixel less on the far sides.
    EXPECT_EQ(picture.At(40, 10), kRed);
    EXPECT_EQ(picture.At(58, 18), kRed);
    EXPECT_EQ(picture.At(59, 15), kWhite);
    EXPECT_EQ(picture.At(50, 19), kWhite);
    EXPECT_EQ(picture.Count(kRed, 40, 10, 60, 20), 19 * 9);
}

TEST(MetafileShapes, PolygonsFillByTheFillMode)
{
    // Two squares, one inside the other, both drawn clockwise.
    POINT squares[] = {{10, 10}, {90, 10}, {90, 90}, {10, 90}, {30, 30}, {70, 30}, {70, 70}, {30, 70}};
    INT counts[] = {4, 4};
    auto draw = [&](int mode) {
        return Draw([&](HDC dc) {
            SelectObject(dc, GetStockObject(NULL_PEN));
            UseBrush(dc, RGB(0, 0, 255));
            SetPolyFillMode(dc, mode);
            PolyPolygon(dc, squares, counts, 2);
        });
    };
    RenderedMetafile alternate = draw(ALTERNATE);
    EXPECT_EQ(alternate.At(20, 20), kBlue);
    EXPECT_EQ(alternate.At(50, 50), kWhite);
    RenderedMetafile winding = draw(WINDING);
    EXPECT_EQ(winding.At(20, 20), kBlue);
    EXPECT_EQ(winding.At(50, 50), kBlue);
}

TEST(MetafileShapes, EllipseStaysInsideItsBox)
{
    RenderedMetafile picture = Draw([](HDC dc) {
        UseBrush(dc, RGB(0, 255, 0));
        Ellipse(dc, 20, 30, 80, 70);
    });
    EXPECT_EQ(picture.At(50, 50), kGreen);
    EXPECT_EQ(picture.At(21, 31), kWhite);  // a corner of the box stays empty
    EXPECT_EQ(picture.Count(kBlack, 0, 0, 20, kSize), 0);
    EXPECT_EQ(picture.Count(kBlack, 80, 0, kSize, kSize), 0);
    EXPECT_GT(picture.Count(kBlack, 20, 30, 21, 70), 0);  // the outline touches the left edge
}

TEST(MetafilePens, ThinPensStayOnePixelWideWhateverTheScale)
{
    // Four device pixels to the logical unit.
    RenderedMetafile picture = Draw([](HDC dc) {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 25, 25, nullptr);
        SetViewportExtEx(dc, 100, 100, nullptr);
        SelectObject(dc, CreatePen(PS_SOLID, 0, RGB(255, 0, 0)));
        MoveToEx(dc, 2, 5, nullptr);
        LineTo(dc, 22, 5);
        SelectObject(dc, CreatePen(PS_SOLID, 3, RGB(0, 0, 255)));
        MoveToEx(dc, 5, 15, nullptr);
        LineTo(dc, 20, 15);
    });
    // The thin line: one row, from x 8 up to, not including, 88.
    EXPECT_EQ(picture.Count(kRed, 0, 0, kSize, kSize), 80);
    EXPECT_EQ(picture.Count(kRed, 8, 20, 88, 21), 80);
    // The wide one: three units are twelve pixels across.
    EXPECT_EQ(picture.Count(kBlue, 40, 0, 41, kSize), 12);
}

TEST(MetafilePens, DashedPensLeaveGaps)
{
    RenderedMetafile picture = Draw([](HDC dc) {
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, CreatePen(PS_DASH, 0, RGB(0, 0, 0)));
        MoveToEx(dc, 0, 50, nullptr);
        LineTo(dc, 96, 50);
    });
    // 18 pixels drawn, 6 left, four times over.
    EXPECT_EQ(picture.Count(kBlack, 0, 50, 96, 51), 72);
    EXPECT_EQ(picture.At(17, 50), kBlack);
    EXPECT_EQ(picture.At(18, 50), kWhite);
    EXPECT_EQ(picture.At(24, 50), kBlack);
}

TEST(MetafileMapping, FixedMapModesCountUpwards)
{
    // 0.1 mm units with y growing upwards, on libEMF's 320 mm wide device:
    // 1024 / 3200 pixels to the unit.
    RenderedMetafile picture = Draw([](HDC dc) {
        SetMapMode(dc, MM_LOMETRIC);
        SelectObject(dc, GetStockObject(NULL_PEN));
        UseBrush(dc, RGB(255, 0, 0));
        Rectangle(dc, 0, 0, 100, -100);
    });
    EXPECT_EQ(picture.At(1, 1), kRed);
    EXPECT_EQ(picture.At(30, 30), kRed);
    EXPECT_EQ(picture.At(33, 33), kWhite);
    EXPECT_EQ(picture.At(1, 60), kWhite);
}

TEST(MetafileMapping, WorldTransformTurnsTheDrawing)
{
    RenderedMetafile picture = Draw([](HDC dc) {
        SelectObject(dc, GetStockObject(NULL_PEN));
        UseBrush(dc, RGB(0, 0, 255));
        XFORM quarterTurn = {0, 1, -1, 0, 100, 0};  // (x, y) -> (100 - y, x)
        SetWorldTransform(dc, &quarterTurn);
        Rectangle(dc, 10, 10, 90, 30);  // a wide bar becomes a tall one
    });
    EXPECT_EQ(picture.At(80, 50), kBlue);
    EXPECT_EQ(picture.At(50, 20), kWhite);
    EXPECT_EQ(picture.At(50, 80), kWhite);
}

TEST(MetafileState, RestoreBringsBackObjectsMappingAndPosition)
{
    RenderedMetafile picture = Draw([](HDC dc) {
        SelectObject(dc, GetStockObject(NULL_PEN));
        UseBrush(dc, RGB(0, 255, 0));
        SaveDC(dc);
        UseBrush(dc, RGB(255, 0, 0));
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 1, 1, nullptr);
        SetViewportExtEx(dc, 10, 10, nullptr);
        SaveDC(dc);
        UseBrush(dc, RGB(0, 0, 255));
        RestoreDC(dc, -2);  // both levels at once
        Rectangle(dc, 10, 10, 30, 30);
    });
    EXPECT_EQ(picture.At(20, 20), kGreen);
    EXPECT_EQ(picture.At(40, 40), kWhite);
}

TEST(MetafilePaths, FilledAndStrokedPaths)
{
    RenderedMetafile picture = Draw([](HDC dc) {
        SelectObject(dc, GetStockObject(NULL_PEN));
        UseBrush(dc, RGB(255, 0, 0));
        BeginPath(dc);
        MoveToEx(dc, 10, 10, nullptr);
        LineTo(dc, 50, 10);
        LineTo(dc, 10, 50);
        CloseFigure(dc);
        EndPath(dc);
        FillPath(dc);
        SelectObject(dc, CreatePen(PS_SOLID, 0, RGB(0, 0, 255)));
        BeginPath(dc);
        MoveToEx(dc, 60, 60, nullptr);
        LineTo(dc, 90, 60);
        EndPath(dc);
        StrokePath(dc);
    });
    EXPECT_EQ(picture.At(15, 15), kRed);
    EXPECT_EQ(picture.At(45, 45), kWhite);  // beyond the diagonal
    EXPECT_EQ(picture.Count(kBlue), 30);
    // Nothing was drawn while the figures were recorded.
    EXPECT_EQ(picture.Count(kBlack), 0);
}

TEST(MetafileArcs, ArcsRunCounterClockwiseFromStartToEnd)
{
    RenderedMetafile picture = Draw([](HDC dc) {
        SelectObject(dc, GetStockObject(NULL_PEN));
        UseBrush(dc, RGB(255, 0, 0));
        // From three o'clock to twelve o'clock: the upper right quarter.
        BeginPath(dc);
        MoveToEx(dc, 50, 50, nullptr);
        ArcTo(dc, 10, 10, 90, 90, 90, 50, 50, 10);
        LineTo(dc, 50, 50);
        CloseFigure(dc);
        EndPath(dc);
        FillPath(dc);
    });
    EXPECT_EQ(picture.At(65, 35), kRed);
    EXPECT_EQ(picture.At(35, 35), kWhite);
    EXPECT_EQ(picture.At(65, 65), kWhite);
    EXPECT_EQ(picture.At(35, 65), kWhite);
}
