#include "tests/support/ByteWriter.h"

ByteWriter& ByteWriter::U8(uint32_t value)
{
    bytes_.push_back(static_cast<uint8_t>(value));
    return *this;
}

ByteWriter& ByteWriter::U16LE(uint32_t value)
{
    return U8(value).U8(value >> 8);
}

ByteWriter& ByteWriter::U32LE(uint32_t value)
{
    return U16LE(value).U16LE(value >> 16);
}

ByteWriter& ByteWriter::U16BE(uint32_t value)
{
    return U8(value >> 8).U8(value);
}

ByteWriter& ByteWriter::U32BE(uint32_t value)
{
    return U16BE(value >> 16).U16BE(value);
}

ByteWriter& ByteWriter::Bytes(std::initializer_list<uint8_t> bytes)
{
    bytes_.insert(bytes_.end(), bytes);
    return *this;
}

ByteWriter& ByteWriter::Bytes(const std::vector<uint8_t>& bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteWriter& ByteWriter::Text(const std::string& text)
{
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
}

ByteWriter& ByteWriter::Fill(size_t count, uint8_t value)
{
    bytes_.insert(bytes_.end(), count, value);
    return *this;
}

ByteWriter& ByteWriter::PadTo(size_t alignment)
{
    while (bytes_.size() % alignment != 0)
        bytes_.push_back(0);
    return *this;
}

ByteWriter& ByteWriter::PatchU32LE(size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes_.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
    return *this;
}
