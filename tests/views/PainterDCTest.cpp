#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "picture/bitmap/DibBitmap.h"
#include "views/PainterDC.h"

// A source rectangle given the other way round is drawn mirrored on the
// screen as in memory: through the stretch routine, and through the painter
// at 1:1 and enlarged by its transform.
TEST(PainterDC, DrawsAReversedSourceRectangleMirrored)
{
    // Blue holds the column and green the row of each pixel.
    CDibBitmap bitmap;
    bitmap.Create(4, 3, 32, false);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<BgraPixel*>(bitmap.GetLines()[y])[x] = {uint8_t(x), uint8_t(y), 0, 255};
    struct Case {
        gdi::StretchQuality quality;
        int scale;
    };
    for (Case drawing : {Case {gdi::StretchQuality::Average, 1}, Case {gdi::StretchQuality::Nearest, 1},
                         Case {gdi::StretchQuality::Nearest, 2}}) {
        for (gdi::Rect source : {gdi::Rect {1, 0, 3, 2}, gdi::Rect {3, 2, 1, 0}}) {
            QImage screen(2 * drawing.scale, 2 * drawing.scale, QImage::Format_RGB32);
            screen.fill(Qt::white);
            QPainter painter(&screen);
            painter.scale(drawing.scale, drawing.scale);
            CPainterDC dc(painter);
            EXPECT_TRUE(dc.StretchDib(bitmap.GetDibPixels(), {0, 0, 2, 2}, source, drawing.quality, gdi::SRCCOPY));
            painter.end();
            for (int y = 0; y < screen.height(); ++y) {
                for (int x = 0; x < screen.width(); ++x) {
                    int step = source.Width() > 0 ? 1 : -1;
                    int fromX = source.left + step * (x / drawing.scale) + (step < 0 ? -1 : 0);
                    int fromY = source.top + step * (y / drawing.scale) + (step < 0 ? -1 : 0);
                    EXPECT_EQ(screen.pixel(x, y), qRgb(0, fromY, fromX))
                        << "scale " << drawing.scale << ", source from " << source.left << " at " << x << "," << y;
                }
            }
        }
    }
}
