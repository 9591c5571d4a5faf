#pragma once

#include <cstdint>

// A 32-bit pixel and palette entry: bytes blue, green, red, alpha in memory,
// so 0xAARRGGBB when read as a little-endian word.
struct BgraPixel {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t alpha = 0;
    friend bool operator==(const BgraPixel&, const BgraPixel&) = default;
};
static_assert(sizeof(BgraPixel) == 4);

constexpr BgraPixel OpaqueBgra(uint8_t red, uint8_t green, uint8_t blue)
{
    return {blue, green, red, 255};
}
