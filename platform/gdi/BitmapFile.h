#pragma once

#include <cstdint>
#include <vector>

namespace gdi {

// A .bmp file: the 14-byte file header ("BM", file size, pixel offset) in
// front of a packed DIB. Empty when the DIB is shorter than its header.
std::vector<uint8_t> MakeBitmapFile(const std::vector<uint8_t>& packedDib);

}  // namespace gdi
