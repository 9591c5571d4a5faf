#include "tests/support/WmfWriter.h"

#include <algorithm>

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint16_t kHeaderWords = 9;

}  // namespace

WmfWriter::WmfWriter(std::optional<Placeable> placeable, uint16_t objects)
    : placeable_(placeable), objects_(objects)
{
}

WmfWriter& WmfWriter::Record(uint16_t function, std::initializer_list<int32_t> words)
{
    ByteWriter params;
    for (int32_t word : words)
        params.U16LE(static_cast<uint32_t>(word));
    return Record(function, params.Take());
}

WmfWriter& WmfWriter::Record(uint16_t function, const std::vector<uint8_t>& params)
{
    size_t padded = (params.size() + 1) & ~size_t {1};
    uint32_t words = static_cast<uint32_t>(3 + padded / 2);
    records_.U32LE(words).U16LE(function).Bytes(params).Fill(padded - params.size());
    largestRecord_ = std::max(largestRecord_, words);
    return *this;
}

WmfWriter& WmfWriter::Raw(const std::vector<uint8_t>& bytes)
{
    records_.Bytes(bytes);
    return *this;
}

std::vector<uint8_t> WmfWriter::Finish()
{
    records_.U32LE(3).U16LE(0);  // the end record
    std::vector<uint8_t> records = records_.Take();
    ByteWriter file;
    if (placeable_) {
        ByteWriter header;
        header.U32LE(kPlaceableKey).U16LE(0);
        header.U16LE(static_cast<uint16_t>(placeable_->left)).U16LE(static_cast<uint16_t>(placeable_->top));
        header.U16LE(static_cast<uint16_t>(placeable_->right)).U16LE(static_cast<uint16_t>(placeable_->bottom));
        header.U16LE(placeable_->unitsPerInch).U32LE(0);
        uint16_t checksum = 0;
        for (size_t i = 0; i < header.Size(); i += 2)
            checksum ^= static_cast<uint16_t>(header.Data()[i] | (header.Data()[i + 1] << 8));
        file.Bytes(header.Data()).U16LE(checksum);
    }
    uint32_t totalWords = kHeaderWords + static_cast<uint32_t>(records.size() / 2);
    file.U16LE(1).U16LE(kHeaderWords).U16LE(0x0300).U32LE(totalWords).U16LE(objects_).U32LE(largestRecord_).U16LE(0);
    file.Bytes(records);
    return file.Take();
}
