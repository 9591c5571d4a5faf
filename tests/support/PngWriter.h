#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A PNG file to write with libpng's own writer: the header fields, the
// samples of each row as the file holds them, and the palette and tRNS chunks.
struct PngImage {
    int width = 1;
    int height = 1;
    int colorType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey with alpha, 6 RGB with alpha
    int bitDepth = 8;
    bool interlaced = false;  // Adam7
    // Rows top first, width x channels samples each (palette indices for type 3),
    // packed by the writer to the bit depth.
    std::vector<std::vector<uint16_t>> rows;
    std::vector<std::array<uint8_t, 3>> palette;  // red, green, blue
    std::vector<uint8_t> paletteAlpha;            // tRNS of a palette image
    std::vector<uint16_t> transparentColour;      // tRNS of a grey (1 value) or RGB (3 values) image
    int compressionLevel = 6;
};

// Samples per pixel of a colour type.
int PngChannels(int colorType);

std::vector<uint8_t> WritePng(const PngImage& image);

// One chunk (length, type, data, CRC), to build damaged files.
std::vector<uint8_t> PngChunk(const std::string& type, const std::vector<uint8_t>& data);
// Where the first chunk after IHDR begins in a file from WritePng.
constexpr size_t kPngAfterHeader = 8 + 25;
