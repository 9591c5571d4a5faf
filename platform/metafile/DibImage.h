#pragma once

#include <QImage>

#include <optional>

#include "platform/metafile/ByteView.h"
#include "platform/metafile/GdiObjects.h"

namespace metafile {

// A device-independent bitmap of a record, decoded: 1, 2, 4, 8, 16, 24 and
// 32 bits, uncompressed, run-length encoded (RLE4, RLE8) or with bit-field
// masks, core or info headers, bottom-up or top-down, colour tables of RGB
// values or of indices into the selected palette, and embedded JPEG or PNG.
struct DibImage {
    QImage image;               // ARGB32, top row first
    bool alphaChannel = false;  // 32-bit pixels whose fourth byte may be alpha
    bool holes = false;         // run-length deltas left pixels out (alpha 0)
    bool bottomUp = true;       // stored bottom row first, as most are
    QRgb firstColor = 0;        // colour-table entry 0 of indexed bitmaps
};

// `info` holds the header and colour table, `bits` the pixels. `usage` says
// what the colour table holds (gdi::DibUsage); `palette` is the selected
// palette for DIB_PAL_COLORS. `rows`, when given, is the number of rows the
// bits hold (SetDIBitsToDevice sends part of a bitmap). None when the
// bitmap is malformed, too large or its pixels are missing.
std::optional<DibImage> DecodeDib(CByteView info, CByteView bits, uint32_t usage, const LogPalette& palette,
                                  std::optional<uint32_t> rows = std::nullopt);
// A packed bitmap: header, colour table and pixels in one block.
std::optional<DibImage> DecodePackedDib(CByteView packed, uint32_t usage, const LogPalette& palette,
                                        std::optional<uint32_t> rows = std::nullopt);

// An old device-dependent bitmap of a Windows metafile (type, width,
// height, bytes per row, planes, bits per pixel, then the rows from the top
// at `bitsAt`). Only monochrome (black zeros, white ones) and 24-bit ones
// mean the same on every device; none for the others.
std::optional<DibImage> DecodeBitmap16(CByteView bitmap, uint64_t bitsAt);

// The number of pixels of a decoded bitmap, 0 for none.
inline int64_t PixelsOf(const std::optional<DibImage>& dib)
{
    return dib ? int64_t {dib->image.width()} * dib->image.height() : 0;
}

// A monochrome bitmap as a two-tone pattern: black where the pixel is the
// colour of index 0, white elsewhere.
QImage TwoToneMask(const DibImage& dib);

}  // namespace metafile
