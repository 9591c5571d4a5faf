#pragma once

#include <cstdint>

#include "platform/gdi/Colors.h"

namespace gdi {

// A borrowed view of DIB memory: rows stored bottom-up, each `stride` bytes,
// at 1, 8 or 32 bits per pixel, with a colour table for 1 and 8 bits.
struct DibPixels {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int stride = 0;
    uint8_t* bits = nullptr;  // first byte of the bottom row
    const RgbQuad* colors = nullptr;
    int colorCount = 0;

    // Row y counted from the top.
    uint8_t* Row(int y) const { return bits + static_cast<int64_t>(height - 1 - y) * stride; }
};

}  // namespace gdi
