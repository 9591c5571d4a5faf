#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Builds test files byte by byte, with the byte order visible at each call.
class ByteWriter {
public:
    ByteWriter& U8(uint32_t value);
    ByteWriter& U16LE(uint32_t value);
    ByteWriter& U32LE(uint32_t value);
    ByteWriter& U16BE(uint32_t value);
    ByteWriter& U32BE(uint32_t value);
    ByteWriter& Bytes(std::initializer_list<uint8_t> bytes);
    ByteWriter& Bytes(const std::vector<uint8_t>& bytes);
    ByteWriter& Text(const std::string& text);
    ByteWriter& Fill(size_t count, uint8_t value = 0);
    // Pads with zeros up to a multiple of `alignment` bytes.
    ByteWriter& PadTo(size_t alignment);
    // Overwrites four bytes at `offset` with a little-endian value.
    ByteWriter& PatchU32LE(size_t offset, uint32_t value);

    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Data() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};
