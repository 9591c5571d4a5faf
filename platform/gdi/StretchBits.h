#pragma once

#include "platform/gdi/DibPixels.h"
#include "platform/gdi/Rect.h"

namespace gdi {

enum class StretchQuality {
    Nearest,  // every target pixel takes the source pixel under its centre
    Average,  // as Nearest, but a 32-bit source shrunk along an axis is box-averaged along it
    // as Average, and an indexed source drawn into a 32-bit target is
    // box-averaged too, by the colours of its indices
    AverageColors,
};

// The one stretch routine behind every blit, StretchDIBits and DrawDib call:
// copies the `src` rectangle of `source` onto the `dst` rectangle of `target`
// (both top-down pixel coordinates), scaling as needed. Target pixels outside
// the target are clipped; those whose source lies outside the source are left.
// Indices are copied when source and target share the same colour table;
// otherwise colours are looked up and, for an indexed target, mapped to the
// nearest entry of its colour table. A source rectangle given right to left
// or bottom to top is drawn mirrored along that axis, as GDI's stretching
// calls draw it. Returns false for an empty rectangle.
bool StretchBits(const DibPixels& target, const Rect& dst, const DibPixels& source, const Rect& src,
                 StretchQuality quality);

// Index of the colour-table entry nearest to (red, green, blue).
int NearestColorIndex(const RgbQuad* colors, int count, uint8_t red, uint8_t green, uint8_t blue);

}  // namespace gdi
