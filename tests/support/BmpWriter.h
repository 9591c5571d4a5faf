#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// A Windows bitmap file to write: every header field the decoder reads, the
// colour table, the masks and the pixel data exactly as stored.
struct BmpImage {
    int32_t width = 1;
    int32_t height = 1;  // negative: rows stored top-down
    uint16_t bitsPerPixel = 8;
    uint32_t compression = 0;
    uint32_t headerSize = 40;  // 108 for V4, 124 for V5; 12 for an OS/2 core header (16-bit
                               // sizes, 3-byte colours), 16 to 64 for OS/2 2.x (cut where it ends)
    uint32_t colorsUsed = 0;  // 0: the number of colours when shorter than a full table
    std::vector<std::array<uint8_t, 3>> colors;  // red, green, blue per entry
    std::vector<uint32_t> masks;                 // after a 40-byte header, inside a longer one
    std::vector<uint8_t> pixels;                 // rows or run-length data as stored
    std::optional<uint32_t> pixelOffset;         // default: right behind table and masks
};

std::vector<uint8_t> WriteBmp(const BmpImage& image);

// Stores rows given top-down, one value per pixel (an index, a 16-bit value,
// or 0xRRGGBB for 24 and 32 bits), in file order and padded to 4 bytes.
std::vector<uint8_t> BmpRows(const std::vector<std::vector<uint32_t>>& topDownRows, int bitsPerPixel,
                             bool storeTopDown = false);

// Run-length encodes rows given top-down (one index per pixel) the way common
// writers do: runs of repeated indices, absolute runs for the rest, an end of
// line after each row (bottom row first) and an end of bitmap.
std::vector<uint8_t> EncodeRle8(const std::vector<std::vector<uint8_t>>& topDownRows);
std::vector<uint8_t> EncodeRle4(const std::vector<std::vector<uint8_t>>& topDownRows);

// A BMP of the synthetic scene: 24 bits as colours, 8 bits as indices into
// the colour cube.
std::vector<uint8_t> SceneBmp(int width, int height, int bitsPerPixel);
