#include "picture/bitmap/DisplayBitmap.h"

#include <cstdlib>
#include <new>
#include <vector>

CDisplayBitmap::~CDisplayBitmap() = default;

const gdi::CPalette* CDisplayBitmap::GetDisplayPalette()
{
    if (!palette_)
        palette_ = CreateDisplayPalette();
    return palette_.get();
}

const gdi::CPalette* CDisplayBitmap::RebuildDisplayPalette()
{
    palette_.reset();
    return GetDisplayPalette();
}

std::unique_ptr<gdi::CPalette> CDisplayBitmap::CreateDisplayPalette() const
{
    try {
        if (GetPalette() == nullptr)
            return std::make_unique<gdi::CPalette>(gdi::CreateHalftonePalette());
        int count = 1 << GetBitsPerPixel();
        std::vector<gdi::PaletteEntry> entries(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const BgraPixel& color = GetPalette()[i];
            entries[static_cast<size_t>(i)] = {color.red, color.green, color.blue, 0};
        }
        return std::make_unique<gdi::CPalette>(std::move(entries));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CDisplayBitmap::DrawToRect(gdi::CDeviceContext& dc, const gdi::Rect* dst, const gdi::Rect* src,
                                const gdi::CPalette* palette, bool foreground, int stretchMode, uint32_t rasterOp)
{
    if (palette == nullptr)
        palette = GetDisplayPalette();
    const gdi::CPalette* previous = nullptr;
    if (palette != nullptr) {
        previous = dc.SelectPalette(palette, !foreground);
        dc.RealizePalette();
    }
    gdi::Rect source = src != nullptr ? *src : gdi::Rect {0, 0, GetWidth(), GetHeight()};
    gdi::Rect target = dst != nullptr ? *dst : source;

    bool drawn = stretchMode < 0 ? DrawThroughDrawDib(dc, target, source)
                                 : Blit(dc, target, source, stretchMode, rasterOp);
    if (previous != nullptr)
        dc.SelectPalette(previous, true);
    return drawn;
}

bool CDisplayBitmap::DrawThroughDrawDib(gdi::CDeviceContext& dc, const gdi::Rect& dst, const gdi::Rect& src)
{
    // DrawDib reads the header, colour table and bits as they are now.
    return gdi::DrawDibDraw(dc, dst, GetDibPixels(), src);
}

bool CDisplayBitmap::Blit(gdi::CDeviceContext& dc, const gdi::Rect& dst, const gdi::Rect& src, int stretchMode,
                          uint32_t rasterOp)
{
    int oldMode = stretchMode > 0 ? dc.SetStretchMode(stretchMode) : 0;
    gdi::CMemoryDC memory;
    SelectInto(memory);
    bool drawn = gdi::StretchBlt(dc, dst, memory, src, rasterOp);
    memory.SelectBitmap(nullptr);
    if (stretchMode > 0)
        dc.SetStretchMode(oldMode);
    return drawn;
}

bool CDisplayBitmap::Draw(gdi::CDeviceContext& dc, int x, int y, uint32_t /*rasterOp*/)
{
    gdi::Rect dst {x, y, x + GetWidth(), y + GetHeight()};
    return DrawToRect(dc, &dst, nullptr, nullptr, true, kDrawDibMode, gdi::SRCCOPY);
}

bool CDisplayBitmap::StretchDraw(gdi::CDeviceContext& dc, int x, int y, int width, int height, uint32_t /*rasterOp*/)
{
    gdi::Rect dst {x, y, x + width, y + height};
    return DrawToRect(dc, &dst, nullptr, nullptr, true, kDrawDibMode, gdi::SRCCOPY);
}

bool CDisplayBitmap::StretchDrawByFactor(gdi::CDeviceContext& dc, int x, int y, double factor, uint32_t /*rasterOp*/)
{
    gdi::Rect dst {x, y, x + static_cast<int>(GetWidth() * factor), y + static_cast<int>(GetHeight() * factor)};
    return DrawToRect(dc, &dst, nullptr, nullptr, true, kDrawDibMode, gdi::SRCCOPY);
}

bool CDisplayBitmap::DrawPart(gdi::CDeviceContext& dc, int x, int y, const gdi::Rect& sourceRect)
{
    gdi::Rect dst {x, y, x + std::abs(sourceRect.Width()), y + std::abs(sourceRect.Height())};
    return DrawToRect(dc, &dst, &sourceRect, nullptr, true, kDrawDibMode, gdi::SRCCOPY);
}
