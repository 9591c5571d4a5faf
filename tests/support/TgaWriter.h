#pragma once

#include <cstdint>
#include <vector>

// A Targa file to write: every header field, the colour map and the pixel
// data exactly as stored.
struct TgaImage {
    std::vector<uint8_t> id;
    uint8_t colorMapType = 0;
    uint8_t imageType = 2;
    uint16_t firstEntry = 0;
    uint16_t mapLength = 0;
    uint8_t entrySize = 0;
    std::vector<uint8_t> colorMap;  // entries as stored
    uint16_t width = 1;
    uint16_t height = 1;
    uint8_t pixelDepth = 24;
    uint8_t descriptor = 0;       // 0x20: rows stored top-down
    std::vector<uint8_t> pixels;  // rows or packets as stored
};

std::vector<uint8_t> WriteTga(const TgaImage& image);

// Stores pixels given top-down in file order: one byte for 8 bits, a 16-bit
// value for 15 and 16 bits, 0xRRGGBB for 24 and 0xAARRGGBB for 32 bits.
std::vector<uint8_t> TgaRows(const std::vector<std::vector<uint32_t>>& topDownRows, int pixelDepth,
                             bool storeTopDown = false);

// Run-length packets over stored rows of `width` pixels of `pixelBytes`
// bytes: runs of 2 or more repeated pixels, literal packets for the rest, at
// most 128 pixels each. Packets cross row ends unless `stopAtRowEnds`.
std::vector<uint8_t> EncodeTgaRle(const std::vector<uint8_t>& storedRows, int pixelBytes, int width,
                                  bool stopAtRowEnds = false);
