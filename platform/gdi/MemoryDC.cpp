#include "platform/gdi/MemoryDC.h"


namespace gdi {

CDibSection* CMemoryDC::SelectBitmap(CDibSection* bitmap)
{
    CDibSection* old = bitmap_;
    bitmap_ = bitmap;
    return old;
}

bool CMemoryDC::StretchDib(const DibPixels& source, const Rect& dst, const Rect& src, StretchQuality quality,
                           uint32_t rop)
{
    if (bitmap_ == nullptr || rop != SRCCOPY)
        return false;
    return StretchBits(bitmap_->Pixels(), dst, source, src, quality);
}

void CMemoryDC::FillRect(const Rect& rect, ColorRef color)
{
    if (bitmap_ == nullptr)
        return;
    DibPixels pixels = bitmap_->Pixels();
    Rect visible = rect.Intersected({0, 0, pixels.width, pixels.height});
    if (visible.IsEmpty())
        return;
    // A one-pixel source of the colour, stretched over the rectangle, takes
    // the same colour mapping as every other drawing.
    uint8_t bgra[4] = {BlueOf(color), GreenOf(color), RedOf(color), 255};
    DibPixels swatch {1, 1, 32, 4, bgra, nullptr, 0};
    StretchBits(pixels, visible, swatch, {0, 0, 1, 1}, StretchQuality::Nearest);
}

bool BitBlt(CDeviceContext& target, int x, int y, int width, int height, const CMemoryDC& source, int sourceX,
            int sourceY, uint32_t rop)
{
    if (source.GetBitmap() == nullptr)
        return false;
    return target.StretchDib(source.GetBitmap()->Pixels(), {x, y, x + width, y + height},
                             {sourceX, sourceY, sourceX + width, sourceY + height}, StretchQuality::Nearest, rop);
}

bool StretchBlt(CDeviceContext& target, const Rect& dst, const CMemoryDC& source, const Rect& src, uint32_t rop)
{
    if (source.GetBitmap() == nullptr)
        return false;
    StretchQuality quality = target.GetStretchMode() == HALFTONE ? StretchQuality::Average : StretchQuality::Nearest;
    return target.StretchDib(source.GetBitmap()->Pixels(), dst, src, quality, rop);
}

}  // namespace gdi
