#pragma once

#include <memory>
#include <vector>

#include "picture/bitmap/BgraPixel.h"
#include "platform/gdi/DibSection.h"
#include "platform/gdi/MemoryDC.h"

// A memory device context over a fresh DIB section, for drawing tests:
// 32 bits, or 1 or 8 bits with the given colour table.
struct Canvas {
    Canvas(int width, int height, int depth = 32, const std::vector<gdi::RgbQuad>& colors = {});

    // The pixel of a 32-bit canvas at (x, y), counted from the top.
    BgraPixel At(int x, int y) const;
    // The index at (x, y) of an 8-bit canvas.
    int IndexAt(int x, int y) const;

    std::unique_ptr<gdi::CDibSection> section;
    gdi::CMemoryDC dc;
};
