#pragma once

#include <cstdint>

namespace metafile {

// A ternary raster operation (the index in bits 16 to 23 of its code)
// applied bit by bit to a pattern, a source and a destination colour: bit k
// of the index is the result where (pattern, source, destination) = k's bits.
inline uint32_t ApplyRop3(uint8_t index, uint32_t pattern, uint32_t source, uint32_t destination)
{
    uint32_t result = 0;
    for (int k = 0; k < 8; ++k)
        if ((index >> k) & 1)
            result |= ((k & 4) ? pattern : ~pattern) & ((k & 2) ? source : ~source) &
                      ((k & 1) ? destination : ~destination);
    return result;
}

inline bool RopUsesPattern(uint8_t index)
{
    return (index >> 4) != (index & 0x0F);
}

inline bool RopUsesSource(uint8_t index)
{
    return ((index >> 2) & 0x33) != (index & 0x33);
}

inline bool RopUsesDestination(uint8_t index)
{
    return ((index >> 1) & 0x55) != (index & 0x55);
}

}  // namespace metafile
