#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture/bitmap/BgraPixel.h"

// libtiff's own RGBA reader on its own, as the reference the decoder's
// results are compared with: TIFFReadRGBAImageOriented, top row first, not
// stopping at errors; bytes in memory are mapped as the decoder maps them. Values are packed as libtiff packs them (red in the
// lowest byte). Empty when libtiff refuses.
struct TiffRgba {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;

    BgraPixel ColorAt(int x, int y) const;
};

TiffRgba ReadTiffRgba(const std::vector<uint8_t>& bytes);
// The same into `result`, whose pixel storage is reused; false when libtiff refuses.
bool ReadTiffRgbaInto(const std::vector<uint8_t>& bytes, TiffRgba& result);
TiffRgba ReadTiffRgbaFile(const std::string& path);
