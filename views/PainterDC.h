#pragma once

#include <QPainter>

#include "platform/gdi/DeviceContext.h"

// A device context over a QPainter: DIB memory is drawn through a QImage that
// wraps its bytes (no per-paint copy), turned right way up by the painter's
// transform. The painter's own transform maps logical units.
class CPainterDC : public gdi::CDeviceContext {
public:
    explicit CPainterDC(QPainter& painter) : painter_(painter) {}

    bool StretchDib(const gdi::DibPixels& source, const gdi::Rect& dst, const gdi::Rect& src,
                    gdi::StretchQuality quality, uint32_t rop) override;
    void FillRect(const gdi::Rect& rect, gdi::ColorRef color) override;

private:
    bool StretchThroughDib(const gdi::DibPixels& source, const gdi::Rect& dst, const gdi::Rect& src);

    QPainter& painter_;
};

// The DIB's bytes as a QImage, rows in storage order (bottom row first).
QImage WrapDib(const gdi::DibPixels& source);
