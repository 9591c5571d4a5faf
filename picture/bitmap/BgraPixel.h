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

// A 16-bit pixel of 1 unused bit and 5 bits each of red, green and blue,
// each widened by shifting left by 3.
constexpr BgraPixel Rgb555ToBgra(uint16_t value, uint8_t alpha)
{
    return {static_cast<uint8_t>((value << 3) & 0xF8), static_cast<uint8_t>((value >> 2) & 0xF8),
            static_cast<uint8_t>((value >> 7) & 0xF8), alpha};
}
