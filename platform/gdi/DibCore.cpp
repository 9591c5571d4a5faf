#include "platform/gdi/DibCore.h"

namespace gdi {

std::optional<DibHeader> ReadDibHeader(const os::CByteReader& bytes)
{
    DibHeader header;
    header.size = bytes.U32LE(0).value_or(0);
    if ((!header.Core() && header.size < kDibShortestOs2HeaderSize) || !bytes.Has(0, DibHeaderFieldBytes(header.size)))
        return std::nullopt;
    // The fields are all there: each read below succeeds.
    if (header.Core()) {
        header.width = *bytes.U16LE(4);
        header.height = *bytes.U16LE(6);
        header.bitCount = *bytes.U16LE(10);
        return header;
    }
    // A short OS/2 2.x header ends after its bit count at the earliest.
    auto field = [&](uint64_t offset) { return offset + 4 <= header.size ? *bytes.U32LE(offset) : 0u; };
    header.width = static_cast<int32_t>(*bytes.U32LE(4));
    header.height = static_cast<int32_t>(*bytes.U32LE(8));
    header.bitCount = *bytes.U16LE(14);
    header.compression = field(16);
    header.colorsUsed = field(32);
    return header;
}

std::optional<DibMasks> ReadDibMasks(const os::CByteReader& bytes, uint64_t offset, int count)
{
    if (!bytes.Has(offset, 4u * count))
        return std::nullopt;
    uint32_t values[4] = {0, 0, 0, 0};
    for (int i = 0; i < count && i < 4; ++i)
        values[i] = *bytes.U32LE(offset + 4u * i);
    return DibMasks {values[0], values[1], values[2], values[3]};
}

}  // namespace gdi
