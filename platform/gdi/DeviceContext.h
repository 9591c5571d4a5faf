#pragma once

#include <cstdint>

#include "platform/gdi/Colors.h"
#include "platform/gdi/DibPixels.h"
#include "platform/gdi/Palette.h"
#include "platform/gdi/Rect.h"
#include "platform/gdi/StretchBits.h"

namespace gdi {

enum StretchMode { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };

// Raster operation of a plain copy; the only one the program uses.
constexpr uint32_t SRCCOPY = 0x00CC0020;

// Something a bitmap can be drawn into: a memory context over DIB memory here,
// a painter over a widget in the views.
class CDeviceContext {
public:
    virtual ~CDeviceContext() = default;

    // Draws the `src` rectangle (top-down picture pixels) of `source` into `dst`
    // (logical units of this context); a `src` given the other way round along
    // an axis is drawn mirrored along it. False when nothing could be drawn.
    virtual bool StretchDib(const DibPixels& source, const Rect& dst, const Rect& src, StretchQuality quality,
                            uint32_t rop) = 0;
    virtual void FillRect(const Rect& rect, ColorRef color) = 0;

    int SetStretchMode(int mode);
    int GetStretchMode() const { return stretchMode_; }

    // Returns the palette selected before. Palettes only matter on palette screens.
    const CPalette* SelectPalette(const CPalette* palette, bool background);
    const CPalette* GetPalette() const { return palette_; }
    // Number of system palette entries that changed: always 0 on true-colour targets.
    virtual int RealizePalette() { return 0; }

private:
    int stretchMode_ = BLACKONWHITE;
    const CPalette* palette_ = nullptr;
};

// GDI's drawing calls, all reaching StretchDib. StretchDIBits and StretchBlt
// average shrunk 32-bit pictures in HALFTONE mode; DrawDibDraw always does.
bool StretchDIBits(CDeviceContext& dc, const Rect& dst, const Rect& src, const DibPixels& source, uint32_t rop);
bool SetDIBitsToDevice(CDeviceContext& dc, int x, int y, const Rect& src, const DibPixels& source);
bool DrawDibDraw(CDeviceContext& dc, const Rect& dst, const DibPixels& source, const Rect& src);

}  // namespace gdi
