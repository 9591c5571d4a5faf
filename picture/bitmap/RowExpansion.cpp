#include "picture/bitmap/RowExpansion.h"

#include <cstring>

namespace {

// Index i of a row packed most significant bits first.
template <int Bits>
int PackedIndex(const uint8_t* source, int i)
{
    constexpr int perByte = 8 / Bits;
    int shift = 8 - Bits * (i % perByte + 1);
    return (source[i / perByte] >> shift) & ((1 << Bits) - 1);
}

template <int Bits>
void ExpandPacked(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors)
{
    for (int i = 0; i < count; ++i)
        destination[i] = colors[PackedIndex<Bits>(source, i)];
}

template <int Bits>
void UnpackPacked(uint8_t* destination, const uint8_t* source, int count)
{
    for (int i = 0; i < count; ++i)
        destination[i] = static_cast<uint8_t>(PackedIndex<Bits>(source, i));
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

void UnpackIndexRow(uint8_t* destination, const uint8_t* source, int count, int bitsPerIndex)
{
    switch (bitsPerIndex) {
    case 1: UnpackPacked<1>(destination, source, count); break;
    case 2: UnpackPacked<2>(destination, source, count); break;
    case 4: UnpackPacked<4>(destination, source, count); break;
    default: std::memcpy(destination, source, static_cast<size_t>(count)); break;
    }
}
