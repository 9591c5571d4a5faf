#pragma once

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DibSection.h"

namespace gdi {

// A memory device context: draws into the DIB section selected into it,
// in pixel coordinates of that bitmap.
class CMemoryDC : public CDeviceContext {
public:
    // Returns the bitmap selected before (null for none).
    CDibSection* SelectBitmap(CDibSection* bitmap);
    CDibSection* GetBitmap() const { return bitmap_; }

    bool StretchDib(const DibPixels& source, const Rect& dst, const Rect& src, StretchQuality quality,
                    uint32_t rop) override;
    // Fills with the colour, or on an indexed bitmap with its nearest colour-table entry.
    void FillRect(const Rect& rect, ColorRef color) override;

private:
    CDibSection* bitmap_ = nullptr;
};

// Copies a w x h block of the bitmap selected into `source` to (x, y) of `target`.
bool BitBlt(CDeviceContext& target, int x, int y, int width, int height, const CMemoryDC& source, int sourceX,
            int sourceY, uint32_t rop);
// Stretches `src` of the bitmap selected into `source` onto `dst` of `target`,
// averaging when the target's stretch mode is HALFTONE.
bool StretchBlt(CDeviceContext& target, const Rect& dst, const CMemoryDC& source, const Rect& src, uint32_t rop);

}  // namespace gdi
