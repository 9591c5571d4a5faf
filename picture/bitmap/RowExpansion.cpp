#include "picture/bitmap/RowExpansion.h"

#include <cstddef>
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

// Samples of 3, 5, 6 or 7 bits cross byte boundaries.
void UnpackOddSamples(uint8_t* destination, const uint8_t* source, int count, int bits)
{
    const unsigned mask = (1u << bits) - 1;
    uint64_t bit = 0;
    for (int i = 0; i < count; ++i, bit += static_cast<unsigned>(bits)) {
        // A sample of up to 8 bits spans at most two bytes; the second is read only when it does.
        size_t byte = static_cast<size_t>(bit >> 3);
        unsigned shift = static_cast<unsigned>(bit & 7);
        unsigned pair = (static_cast<unsigned>(source[byte]) << 8) |
                        (shift + static_cast<unsigned>(bits) > 8 ? source[byte + 1] : 0u);
        destination[i] = static_cast<uint8_t>((pair >> (16 - shift - static_cast<unsigned>(bits))) & mask);
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

void UnpackIndexRow(uint8_t* destination, const uint8_t* source, int count, int bits)
{
    switch (bits) {
    case 1: UnpackPacked<1>(destination, source, count); return;
    case 2: UnpackPacked<2>(destination, source, count); return;
    case 4: UnpackPacked<4>(destination, source, count); return;
    case 8: std::memcpy(destination, source, static_cast<size_t>(count)); return;
    default: UnpackOddSamples(destination, source, count, bits); return;
    }
}
