#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/os/ByteOrder.h"

namespace metafile {

// Thrown when a record's fields reach outside the record or make no sense;
// the player skips that record.
struct MalformedRecord {};

// The value of a checked read; MalformedRecord when the read fell outside.
template <typename T>
T Checked(std::optional<T> value)
{
    if (!value)
        throw MalformedRecord {};
    return *value;
}

// A bounds-checked little-endian view of bytes: every read outside the view
// throws MalformedRecord. Offsets and counts are checked in 64 bits.
class CByteView {
public:
    CByteView() = default;
    CByteView(const uint8_t* data, size_t size) : bytes_(data, size) {}

    const uint8_t* Data() const { return bytes_.Data(); }
    size_t Size() const { return bytes_.Size(); }
    bool Has(uint64_t offset, uint64_t count) const { return bytes_.Has(offset, count); }

    uint8_t U8(uint64_t offset) const { return Checked(bytes_.U8(offset)); }
    uint16_t U16(uint64_t offset) const { return Checked(bytes_.U16LE(offset)); }
    int16_t I16(uint64_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(uint64_t offset) const { return Checked(bytes_.U32LE(offset)); }
    int32_t I32(uint64_t offset) const { return static_cast<int32_t>(U32(offset)); }
    float F32(uint64_t offset) const { return std::bit_cast<float>(U32(offset)); }

    // The `count` bytes at `offset`, themselves a checked view.
    CByteView Sub(uint64_t offset, uint64_t count) const
    {
        std::span<const uint8_t> bytes = Checked(bytes_.Bytes(offset, count));
        return {bytes.data(), bytes.size()};
    }
    // Everything from `offset` on.
    CByteView From(uint64_t offset) const { return Sub(offset, offset <= Size() ? Size() - offset : 0); }

private:
    os::CByteReader bytes_;
};

}  // namespace metafile
