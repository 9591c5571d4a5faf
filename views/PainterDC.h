#pragma once

#include <QPainter>

#include "platform/gdi/DeviceContext.h"

// A device context over a QPainter: DIB memory is drawn through a QImage that
// wraps its bytes (no per-paint copy), turned right way up by the painter's
// transform. The painter's own transform maps logical units. 32-bit pixels
// are opaque unless the context is told to blend them by their alpha.
class CPainterDC : public gdi::CDeviceContext {
public:
    explicit CPainterDC(QPainter& painter) : painter_(painter) {}

    // 32-bit pixels drawn from now on are blended over what is there by their alpha byte.
    void SetBlendAlpha(bool blend) { blendAlpha_ = blend; }

    bool StretchDib(const gdi::DibPixels& source, const gdi::Rect& dst, const gdi::Rect& src,
                    gdi::StretchQuality quality, uint32_t rop) override;
    void FillRect(const gdi::Rect& rect, gdi::ColorRef color) override;

private:
    bool StretchThroughDib(const gdi::DibPixels& source, const gdi::Rect& dst, const gdi::Rect& src);

    QPainter& painter_;
    bool blendAlpha_ = false;
};

// The DIB's bytes as a QImage, rows in storage order (bottom row first); with
// `alpha`, 32-bit pixels keep their alpha byte.
QImage WrapDib(const gdi::DibPixels& source, bool alpha = false);
