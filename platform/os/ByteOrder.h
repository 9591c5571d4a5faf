#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace os {

// The unsigned number stored in the `count` bytes at `bytes` (all of T's by
// default), least significant byte first. The caller has made sure the bytes
// are there, as a checked read does.
template <std::unsigned_integral T>
constexpr T LoadLittleEndian(const uint8_t* bytes, size_t count = sizeof(T))
{
    T value = 0;
    for (size_t i = count; i-- > 0;)
        value = static_cast<T>((static_cast<uint64_t>(value) << 8) | bytes[i]);
    return value;
}

// The same, most significant byte first.
template <std::unsigned_integral T>
constexpr T LoadBigEndian(const uint8_t* bytes, size_t count = sizeof(T))
{
    T value = 0;
    for (size_t i = 0; i < count; ++i)
        value = static_cast<T>((static_cast<uint64_t>(value) << 8) | bytes[i]);
    return value;
}

// Bytes read as numbers of either byte order at given offsets. Every read is
// checked against the data's end (in 64 bits) and gives nothing where it
// does not fit, so each caller answers a short read in its own way.
class CByteReader {
public:
    CByteReader() = default;
    CByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit CByteReader(std::span<const uint8_t> bytes) : data_(bytes.data()), size_(bytes.size()) {}

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    bool Has(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }

    std::optional<uint8_t> U8(uint64_t offset) const { return Read<uint8_t, LoadLittleEndian<uint8_t>>(offset); }
    std::optional<uint16_t> U16LE(uint64_t offset) const
    {
        return Read<uint16_t, LoadLittleEndian<uint16_t>>(offset);
    }
    std::optional<uint32_t> U32LE(uint64_t offset) const
    {
        return Read<uint32_t, LoadLittleEndian<uint32_t>>(offset);
    }
    std::optional<uint16_t> U16BE(uint64_t offset) const { return Read<uint16_t, LoadBigEndian<uint16_t>>(offset); }
    std::optional<uint32_t> U32BE(uint64_t offset) const { return Read<uint32_t, LoadBigEndian<uint32_t>>(offset); }

    // The `count` bytes at `offset`.
    std::optional<std::span<const uint8_t>> Bytes(uint64_t offset, uint64_t count) const
    {
        if (!Has(offset, count))
            return std::nullopt;
        return std::span<const uint8_t>(data_ + offset, static_cast<size_t>(count));
    }

private:
    template <typename T, T (*Load)(const uint8_t*, size_t)>
    std::optional<T> Read(uint64_t offset) const
    {
        if (!Has(offset, sizeof(T)))
            return std::nullopt;
        return Load(data_ + offset, sizeof(T));
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace os
