#include "platform/gdi/DeviceContext.h"

namespace gdi {

int CDeviceContext::SetStretchMode(int mode)
{
    int old = stretchMode_;
    stretchMode_ = mode;
    return old;
}

const CPalette* CDeviceContext::SelectPalette(const CPalette* palette, bool /*background*/)
{
    const CPalette* old = palette_;
    palette_ = palette;
    return old;
}

bool StretchDIBits(CDeviceContext& dc, const Rect& dst, const Rect& src, const DibPixels& source, uint32_t rop)
{
    StretchQuality quality = dc.GetStretchMode() == HALFTONE ? StretchQuality::Average : StretchQuality::Nearest;
    return dc.StretchDib(source, dst, src, quality, rop);
}

bool SetDIBitsToDevice(CDeviceContext& dc, int x, int y, const Rect& src, const DibPixels& source)
{
    Rect dst {x, y, x + src.Width(), y + src.Height()};
    return dc.StretchDib(source, dst, src, StretchQuality::Nearest, SRCCOPY);
}

bool DrawDibDraw(CDeviceContext& dc, const Rect& dst, const DibPixels& source, const Rect& src)
{
    return dc.StretchDib(source, dst, src, StretchQuality::Average, SRCCOPY);
}

}  // namespace gdi
