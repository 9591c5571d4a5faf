#include "views/PainterDC.h"

#include <QList>

QImage WrapDib(const gdi::DibPixels& source, bool alpha)
{
    QImage::Format format = source.bitsPerPixel == 32  ? (alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32)
                            : source.bitsPerPixel == 8 ? QImage::Format_Indexed8
                                                       : QImage::Format_Mono;
    QImage image(static_cast<const uchar*>(source.bits), source.width, source.height, source.stride, format);
    if (source.bitsPerPixel <= 8) {
        QList<QRgb> table;
        table.reserve(source.colorCount);
        for (int i = 0; i < source.colorCount; ++i)
            table.push_back(qRgb(source.colors[i].red, source.colors[i].green, source.colors[i].blue));
        image.setColorTable(table);
    }
    return image;
}

bool CPainterDC::StretchDib(const gdi::DibPixels& source, const gdi::Rect& dst, const gdi::Rect& src,
                            gdi::StretchQuality quality, uint32_t rop)
{
    gdi::Rect from = src.Normalized();
    if (rop != gdi::SRCCOPY || dst.IsEmpty() || from.IsEmpty())
        return false;
    if (quality == gdi::StretchQuality::Average && painter_.transform().type() <= QTransform::TxTranslate)
        return StretchThroughDib(source, dst, src);
    QImage image = WrapDib(source, blendAlpha_);
    // The image is upside down: picture row y is image row height - 1 - y.
    QRect imageSource(from.left, source.height - from.bottom, from.Width(), from.Height());
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, quality == gdi::StretchQuality::Average);
    // The image is turned over unless the source rectangle, given bottom to
    // top, asks for its rows mirrored; given right to left, it mirrors the columns.
    if (src.Height() > 0) {
        painter_.translate(0, dst.top + dst.bottom);
        painter_.scale(1, -1);
    }
    if (src.Width() < 0) {
        painter_.translate(dst.left + dst.right, 0);
        painter_.scale(-1, 1);
    }
    painter_.drawImage(QRectF(dst.left, dst.top, dst.Width(), dst.Height()), image, imageSource);
    painter_.restore();
    return true;
}

// Averaged pictures go through the drawing layer's stretch routine into a
// picture of the target's size, which is then drawn as it is.
bool CPainterDC::StretchThroughDib(const gdi::DibPixels& source, const gdi::Rect& dst, const gdi::Rect& src)
{
    QImage target(dst.Width(), dst.Height(), blendAlpha_ ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    target.fill(Qt::black);
    // A top-down QImage seen as a bottom-up DIB of negative stride: row y is scanLine(y).
    gdi::DibPixels pixels {target.width(), target.height(), 32, -static_cast<int>(target.bytesPerLine()),
                           target.scanLine(target.height() - 1), nullptr, 0};
    if (!gdi::StretchBits(pixels, {0, 0, dst.Width(), dst.Height()}, source, src, gdi::StretchQuality::Average))
        return false;
    painter_.drawImage(QPoint(dst.left, dst.top), target);
    return true;
}

void CPainterDC::FillRect(const gdi::Rect& rect, gdi::ColorRef color)
{
    painter_.fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                      QColor(gdi::RedOf(color), gdi::GreenOf(color), gdi::BlueOf(color)));
}
