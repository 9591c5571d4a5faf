#include <QApplication>
#include <QProcess>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "app/StyledStatusBar.h"
#include "resources/CommandIds.h"
#include "tests/app/ViewerFixture.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/PngWriter.h"
#include "views/KiroView.h"
#include "views/ThumbnailView.h"

namespace {

// One notch of the wheel (or several), turned away from the user when positive.
void TurnWheel(QWidget* viewport, QPoint at, int turn, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, turn), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(viewport, &event);
}

// Red holds the column and green the row of each pixel, blue a mix of both,
// so that every pixel of a picture up to 256 x 256 differs from its neighbours.
uint32_t Ramp(int x, int y)
{
    return uint32_t(x << 16 | y << 8 | ((x * 7 + y * 13) & 0xFF));
}

// Counts the pixels of `area` in `shot` whose colour is none of `allowed`.
int CountOtherColours(const QImage& shot, const QRect& area, std::initializer_list<QRgb> allowed)
{
    int others = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            others += std::find(allowed.begin(), allowed.end(), shot.pixel(x, y) & 0xFFFFFF) == allowed.end();
    return others;
}

}  // namespace

TEST_F(ViewerTest, CtrlWheelZoomsKeepingThePointUnderThePointer)
{
    AddPictures({WritePicture("big", 2000, 1500, [](int x, int y) { return Ramp(x % 256, y % 256); })});
    Frame().resize(700, 600);
    Document().SelectPicture(0);
    CKiroView* view = Frame().PictureView();
    QTest::qWait(10);
    view->CenterOnLogicalPoint({1000, 750});
    QPoint pointer(150, 120);
    QPoint pixel = view->ClientToLogical(pointer);
    double zoom = 1.0;
    for (int notches : {1, 1, -1, -1, -1, 2}) {
        SCOPED_TRACE(notches);
        TurnWheel(view->viewport(), pointer, 120 * notches, Qt::ControlModifier);
        for (int i = 0; i < std::abs(notches); ++i)
            zoom = notches > 0 ? zoom * 1.25 : zoom / 1.25;
        EXPECT_DOUBLE_EQ(view->GetZoom(), zoom);
        EXPECT_EQ(view->ClientToLogical(pointer), pixel);
    }
}

TEST_F(ViewerTest, ShiftWheelScrollsSidewaysAndThePlainWheelDown)
{
    AddPictures({WritePicture("big", 2000, 1500, 0x808080)});
    Frame().resize(700, 600);
    Document().SelectPicture(0);
    CKiroView* view = Frame().PictureView();
    QTest::qWait(10);
    QPoint middle = view->viewport()->rect().center();
    int lines = QApplication::wheelScrollLines();
    TurnWheel(view->viewport(), middle, -120, Qt::NoModifier);
    EXPECT_EQ(view->GetScrollPosition(), QPoint(0, lines * view->GetLineStep().height()));
    TurnWheel(view->viewport(), middle, -120, Qt::ShiftModifier);
    EXPECT_EQ(view->GetScrollPosition(), QPoint(lines * view->GetLineStep().width(), lines * view->GetLineStep().height()));
    EXPECT_DOUBLE_EQ(view->GetZoom(), 1.0);
}

TEST_F(ViewerTest, ZoomKeysActFromEitherViewAndNotDuringASlideShow)
{
    AddPictures({WritePicture("big", 2000, 1500, 0x808080), WritePicture("small", 20, 15, 0x808080)});
    Frame().resize(700, 600);
    Document().SelectPicture(0);
    CKiroView* view = Frame().PictureView();
    for (QWidget* focus : {static_cast<QWidget*>(Frame().ThumbnailView()), static_cast<QWidget*>(view)}) {
        SCOPED_TRACE(focus == view ? "picture view" : "strip");
        view->ShowActualSize();
        view->CenterOnLogicalPoint({1000, 750});
        focus->setFocus();
        QTest::qWait(10);
        QPoint centre = view->GetClientCenter();
        struct Step {
            Qt::Key key;
            double zoom;
        };
        for (Step step : {Step {Qt::Key_Plus, 1.25}, Step {Qt::Key_Minus, 1.0}, Step {Qt::Key_Minus, 0.8},
                          Step {Qt::Key_0, 1.0}}) {
            QTest::keyClick(focus, step.key);
            EXPECT_DOUBLE_EQ(view->GetZoom(), step.zoom) << step.key;
            EXPECT_LE((view->GetClientCenter() - centre).manhattanLength(), 2) << step.key;
        }
        QTest::keyClick(focus, Qt::Key_Asterisk);
        QSize fitted = view->GetTotalDeviceSize();
        QSize window = view->FullClientSize();
        EXPECT_TRUE(window.expandedTo(fitted) == window && (fitted.width() == window.width() ||
                                                            fitted.height() == window.height()))
            << fitted.width() << " x " << fitted.height();
    }

    view->ShowActualSize();
    Run(ID_SLIDESHOW_START);
    Document().SelectPicture(0);
    for (Qt::Key key : {Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Asterisk})
        QTest::keyClick(view, key);
    EXPECT_DOUBLE_EQ(view->GetZoom(), 1.0);
    EXPECT_EQ(view->GetTotalDeviceSize(), QSize(2000, 1500));
}

TEST_F(ViewerTest, FitOnOpenFitsPicturesLargerThanTheWindowOnly)
{
    AddPictures({WritePicture("wide", 3000, 500, 0x808080), WritePicture("small", 200, 150, 0x808080)});
    Frame().resize(700, 600);
    QTest::qWait(10);
    CKiroView* view = Frame().PictureView();
    struct Case {
        bool on;
        int entry;
        QSize shown;
    };
    QSize window = view->FullClientSize();
    QSize wideFitted(window.width(), 500 * window.width() / 3000);
    for (Case c : {Case {false, 0, {3000, 500}}, Case {true, 0, wideFitted}, Case {true, 1, {200, 150}}}) {
        SCOPED_TRACE(c.entry);
        if (Frame().Options().fitOnOpen != c.on)
            Run(ID_VIEW_FIT_ON_OPEN);
        EXPECT_EQ(Frame().Router().Action(ID_VIEW_FIT_ON_OPEN)->isChecked(), c.on);
        Document().SelectPicture(1 - c.entry);
        Document().SelectPicture(c.entry);
        EXPECT_EQ(view->GetTotalDeviceSize(), c.shown);
    }
}

TEST_F(ViewerTest, SmoothReductionAveragesPicturesDrawnSmallerThanOneToOne)
{
    // Columns of one pixel, black and white in turn, in each depth the view draws.
    auto stripes = [](int x, int) { return uint32_t(x % 2); };
    std::vector<std::vector<uint32_t>> rows(150, std::vector<uint32_t>(200));
    for (auto& row : rows)
        for (int x = 0; x < 200; ++x)
            row[static_cast<size_t>(x)] = stripes(x, 0);
    std::vector<std::string> paths = {WritePicture("deep", 200, 150, [&](int x, int y) {
        return stripes(x, y) * 0xFFFFFF;
    })};
    for (uint16_t bits : {uint16_t {8}, uint16_t {1}}) {
        BmpImage image;
        image.width = 200;
        image.height = 150;
        image.bitsPerPixel = bits;
        image.colors = {{0, 0, 0}, {255, 255, 255}};
        image.pixels = BmpRows(rows, bits);
        paths.push_back(folder.Write("indexed" + std::to_string(bits) + ".bmp", WriteBmp(image)));
    }
    AddPictures(paths);
    Frame().resize(700, 600);
    CKiroView* view = Frame().PictureView();
    constexpr QRgb kBlack = 0x000000;
    constexpr QRgb kWhite = 0xFFFFFF;
    constexpr QRgb kMeanGrey = 0x808080;
    struct Case {
        bool smooth;
        double zoom;
        std::initializer_list<QRgb> colours;
    };
    for (int entry = 0; entry < 3; ++entry) {
        SCOPED_TRACE(paths[static_cast<size_t>(entry)]);
        Document().SelectPicture(entry);
        for (Case c : {Case {false, 0.5, {kBlack, kWhite}}, Case {true, 0.5, {kMeanGrey}},
                       Case {true, 2.0, {kBlack, kWhite}}, Case {true, 1.0, {kBlack, kWhite}}}) {
            SCOPED_TRACE(c.zoom);
            if (Frame().Options().smoothReduction != c.smooth)
                Run(ID_VIEW_SMOOTH_REDUCTION);
            view->ZoomToActualSize();
            view->ZoomTo(nullptr, c.zoom);
            view->viewport()->repaint();
            if (c.smooth && c.zoom < 1) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return view->IsReducedPictureReady(); }));
            }
            QImage shot = view->viewport()->grab().toImage();
            QRect picture = QRect(view->LogicalToClient({0, 0}), view->GetTotalDeviceSize()).intersected(shot.rect());
            ASSERT_FALSE(picture.isEmpty());
            EXPECT_EQ(CountOtherColours(shot, picture, c.colours), 0);
        }
    }
}

TEST_F(ViewerTest, PicturesWithAlphaShowACheckerboardOnlyWhenAsked)
{
    // Transparent black, and the same colour opaque.
    PngImage png;
    png.width = 64;
    png.height = 64;
    png.colorType = 6;
    png.rows.assign(64, std::vector<uint16_t>(64 * 4, 0));
    AddPictures({folder.Write("clear.png", WritePng(png)), WritePicture("opaque", 64, 64, 0x000000)});
    Frame().resize(700, 600);
    CKiroView* view = Frame().PictureView();
    struct Case {
        bool checkerboard;
        int entry;
        QRgb light, dark;  // at two neighbouring squares
    };
    for (Case c : {Case {false, 0, 0x000000, 0x000000}, Case {true, 0, 0xFFFFFF, 0xCCCCCC},
                   Case {true, 1, 0x000000, 0x000000}}) {
        SCOPED_TRACE(c.entry);
        if (Frame().Options().alphaCheckerboard != c.checkerboard)
            Run(ID_VIEW_ALPHA_CHECKERBOARD);
        Document().SelectPicture(c.entry);
        QImage shot = view->viewport()->grab().toImage();
        QPoint corner = view->LogicalToClient({0, 0});
        EXPECT_EQ(shot.pixel(corner + QPoint(2, 2)) & 0xFFFFFF, c.light);
        EXPECT_EQ(shot.pixel(corner + QPoint(10, 2)) & 0xFFFFFF, c.dark);
        EXPECT_EQ(shot.pixel(corner + QPoint(10, 10)) & 0xFFFFFF, c.light);
    }
}

// Qt reads the scale factor once, as the application starts: the test runs
// itself again in a process whose screens have two device pixels a unit.
TEST_F(ViewerTest, OneToOneShowsOnePicturePixelPerDevicePixelOnHiDpiScreens)
{
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=ViewerTest.OneToOneShowsOnePicturePixelPerDevicePixelOnHiDpiScreens")});
        ASSERT_TRUE(child.waitForFinished(120000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        return;
    }
    ASSERT_EQ(Frame().devicePixelRatio(), 2);
    // One-pixel squares in the thumbnail, which is the picture itself at 100 x 75.
    ASSERT_TRUE(ShowFirstPictureFocused(
        {WritePicture("ramp", 200, 150, Ramp),
         WritePicture("checks", 100, 75, [](int x, int y) { return (x + y) % 2 * 0xFFFFFFu; })}));
    CKiroView* view = Frame().PictureView();

    QImage shot = view->viewport()->grab().toImage();
    QPoint corner = view->ViewportOrigin();  // in device pixels
    int wrong = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            wrong += (shot.pixel(corner + QPoint(x, y)) & 0xFFFFFF) != Ramp(x, y);
    EXPECT_EQ(wrong, 0);
    // The pointer lands between window units too, on any device pixel.
    CStyledStatusBar* bar = Frame().StatusBar();
    for (QPoint device : {QPoint(0, 0), QPoint(35, 9), QPoint(120, 139)}) {
        QPointF pointer = QPointF(corner + device) / 2;
        QMouseEvent move(QEvent::MouseMove, pointer, view->viewport()->mapToGlobal(pointer), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
        Frame().Router().UpdateAll();
        EXPECT_EQ(bar->GetPaneText(1), QStringLiteral("1.00:1"));
        EXPECT_EQ(bar->GetPaneText(2).trimmed(), QString::number(device.x()));
        EXPECT_EQ(bar->GetPaneText(3).trimmed(), QString::number(device.y()));
    }

    // Each thumbnail pixel fills two by two device pixels, unblended.
    CThumbnailView* strip = Frame().ThumbnailView();
    QImage strip2x = strip->viewport()->grab().toImage();
    QRect item = strip->visualItemRect(strip->item(1));
    // The first black pixel is the thumbnail's top-left one.
    QRect thumbnail;
    for (int y = item.top() * 2; y < item.bottom() * 2 && thumbnail.isNull(); ++y)
        for (int x = item.left() * 2; x < item.right() * 2 && thumbnail.isNull(); ++x)
            if ((strip2x.pixel(x, y) & 0xFFFFFF) == 0)
                thumbnail = QRect(x, y, 200, 150);
    ASSERT_FALSE(thumbnail.isNull());
    wrong = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            wrong += (strip2x.pixel(thumbnail.topLeft() + QPoint(x, y)) & 0xFFFFFF) != (x / 2 + y / 2) % 2 * 0xFFFFFFu;
    EXPECT_EQ(wrong, 0);
}
