#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace metafile {

// Thrown when a record's fields reach outside the record or make no sense;
// the player skips that record.
struct MalformedRecord {};

// A bounds-checked little-endian view of bytes: every read outside the view
// throws MalformedRecord. Offsets and counts are checked in 64 bits.
class CByteView {
public:
    CByteView() = default;
    CByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    bool Has(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }

    uint8_t U8(uint64_t offset) const { return *At(offset, 1); }
    uint16_t U16(uint64_t offset) const
    {
        const uint8_t* p = At(offset, 2);
        return static_cast<uint16_t>(p[0] | (p[1] << 8));
    }
    int16_t I16(uint64_t offset) const { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(uint64_t offset) const
    {
        const uint8_t* p = At(offset, 4);
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }
    int32_t I32(uint64_t offset) const { return static_cast<int32_t>(U32(offset)); }
    float F32(uint64_t offset) const
    {
        uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // The `count` bytes at `offset`, themselves a checked view.
    CByteView Sub(uint64_t offset, uint64_t count) const { return {At(offset, count), static_cast<size_t>(count)}; }
    // Everything from `offset` on.
    CByteView From(uint64_t offset) const
    {
        if (offset > size_)
            throw MalformedRecord {};
        return {data_ + offset, static_cast<size_t>(size_ - offset)};
    }

private:
    const uint8_t* At(uint64_t offset, uint64_t count) const
    {
        if (!Has(offset, count))
            throw MalformedRecord {};
        return data_ + offset;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace metafile
