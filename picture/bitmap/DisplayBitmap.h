#pragma once

#include <memory>

#include "picture/bitmap/DibSectionBitmap.h"
#include "platform/gdi/Palette.h"

// The bitmap the application decodes pictures into and draws: a DIB-section
// bitmap with a screen palette made on demand from its colour table and a
// blank flag that stays set until a picture has been decoded into it.
// A new one is the default 16 x 16, 8-bit grey picture, blank.
class CDisplayBitmap : public CDibSectionBitmap {
public:
    CDisplayBitmap() = default;
    ~CDisplayBitmap() override;

    bool IsBlank() const { return blank_; }
    void SetBlank(bool blank) { blank_ = blank; }

    // The screen palette, made on the first call and kept; null when it cannot be made.
    const gdi::CPalette* GetDisplayPalette();
    // Makes the palette anew, after new pixels and colours were decoded into this bitmap.
    const gdi::CPalette* RebuildDisplayPalette();
    // A palette of the colour table (2 or 256 entries), or the halftone palette
    // for 32-bit pictures; null when memory runs out.
    std::unique_ptr<gdi::CPalette> CreateDisplayPalette() const;

    // Draws the `src` rectangle (picture pixels; null: the whole picture) onto
    // `dst` (null: the same rectangle as src) with `palette` (null: the bitmap's
    // own) selected as a foreground or background palette. A negative
    // stretchMode draws through DrawDib; otherwise the bitmap is blitted from a
    // memory context, with the stretch mode set first when it is positive.
    // Returns the drawing call's result; never throws.
    bool DrawToRect(gdi::CDeviceContext& dc, const gdi::Rect* dst, const gdi::Rect* src, const gdi::CPalette* palette,
                    bool foreground, int stretchMode, uint32_t rasterOp);

    // All four draw through DrawDib with the own palette as foreground palette;
    // the raster operation is accepted and not used.
    bool Draw(gdi::CDeviceContext& dc, int x, int y, uint32_t rasterOp) override;
    bool StretchDraw(gdi::CDeviceContext& dc, int x, int y, int width, int height, uint32_t rasterOp) override;
    bool StretchDrawByFactor(gdi::CDeviceContext& dc, int x, int y, double factor, uint32_t rasterOp) override;
    bool DrawPart(gdi::CDeviceContext& dc, int x, int y, const gdi::Rect& sourceRect) override;

    // The stretch mode that makes DrawToRect draw through DrawDib.
    static constexpr int kDrawDibMode = -1;

private:
    bool DrawThroughDrawDib(gdi::CDeviceContext& dc, const gdi::Rect& dst, const gdi::Rect& src);
    bool Blit(gdi::CDeviceContext& dc, const gdi::Rect& dst, const gdi::Rect& src, int stretchMode,
              uint32_t rasterOp);

    std::unique_ptr<gdi::CPalette> palette_;
    bool blank_ = true;
};
