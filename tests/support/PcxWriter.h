#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// A PCX file to write: every header field the decoder reads, the encoded
// data and the 256-colour palette behind them.
struct PcxImage {
    uint8_t manufacturer = 10;
    uint8_t version = 5;
    uint8_t encoding = 1;
    uint8_t bitsPerPixel = 8;
    uint8_t planes = 1;
    uint16_t xMin = 0;
    uint16_t yMin = 0;
    uint16_t width = 1;
    uint16_t height = 1;
    uint16_t bytesPerLine = 1;
    std::vector<std::array<uint8_t, 3>> headerColors;  // up to 16, red, green, blue
    std::vector<uint8_t> data;                         // run-length encoded, as stored
    std::vector<std::array<uint8_t, 3>> palette;       // behind the marker when not empty
    uint8_t paletteMarker = 12;
    size_t paddingBeforePalette = 0;
};

std::vector<uint8_t> WritePcx(const PcxImage& image);

// The bytes per plane line of `width` pixels of `bitsPerPixel`, rounded up to even.
uint16_t PcxBytesPerLine(int width, int bitsPerPixel);

// Rows given top-down as stored: each plane's line in turn. Pixels are
// indices (one plane: packed most significant bits first; several 1-bit
// planes: plane i holds bit i) or, for three 8-bit planes, 0xRRGGBB.
std::vector<uint8_t> PcxPlanes(const std::vector<std::vector<uint32_t>>& rows, int bitsPerPixel, int planes,
                               int bytesPerLine);

// A picture of `rows` (as PcxPlanes takes them) at the given layout, with
// even bytes per line, encoded by EncodePcxRle.
PcxImage EncodedPcx(const std::vector<std::vector<uint32_t>>& rows, uint8_t bitsPerPixel, uint8_t planes);

// Runs of up to 63 repeated bytes; single bytes stand for themselves unless
// their two top bits are set. Runs cross row ends as the data run on.
std::vector<uint8_t> EncodePcxRle(const std::vector<uint8_t>& raw);
