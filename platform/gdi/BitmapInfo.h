#pragma once

#include <bit>
#include <cstdint>

namespace gdi {

static_assert(std::endian::native == std::endian::little, "DIB headers are stored in native little-endian order");

constexpr uint32_t BI_RGB = 0;

// The 40-byte header of a device-independent bitmap, laid out as GDI's
// BITMAPINFOHEADER. A colour table and the pixel rows (bottom-up when the
// height is positive, each padded to 4 bytes) follow it in a packed DIB.
struct BitmapInfoHeader {
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// Bytes per stored row of a DIB: whole 32-bit words.
constexpr int64_t DibStride(int64_t width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

// Entries of the colour table of a DIB of that depth (none above 8 bits).
constexpr int DibColorCount(int bitsPerPixel)
{
    return bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
}

}  // namespace gdi
