#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// A metafile drawn by the player at a given size, for pixel checks.
struct RenderedMetafile {
    bool loaded = false;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    // 0xRRGGBB at (x, y), counted from the top left.
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    // How many pixels of the rectangle (right and bottom excluded) have the colour.
    int Count(uint32_t rgb, int left, int top, int right, int bottom) const;
    int Count(uint32_t rgb) const { return Count(rgb, 0, 0, width, height); }
};

RenderedMetafile RenderEnhanced(const std::vector<uint8_t>& bytes, int width, int height);
// A Windows metafile without a placeable header.
RenderedMetafile RenderWindows(const std::vector<uint8_t>& bytes, int width, int height);

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
