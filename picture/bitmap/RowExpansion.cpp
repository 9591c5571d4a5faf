#include "picture/bitmap/RowExpansion.h"

namespace {

template <int Bits>
void ExpandPacked(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors)
{
    constexpr int perByte = 8 / Bits;
    constexpr int mask = (1 << Bits) - 1;
    for (int i = 0; i < count; ++i) {
        int shift = 8 - Bits * (i % perByte + 1);
        destination[i] = colors[(source[i / perByte] >> shift) & mask];
    }
}

}  // namespace

void ExpandIndexRow1(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors)
{
    ExpandPacked<1>(destination, source, count, colors);
}

void ExpandIndexRow2(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors)
{
    ExpandPacked<2>(destination, source, count, colors);
}

void ExpandIndexRow4(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors)
{
    ExpandPacked<4>(destination, source, count, colors);
}

void ExpandIndexRow8(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors)
{
    ExpandPacked<8>(destination, source, count, colors);
}
