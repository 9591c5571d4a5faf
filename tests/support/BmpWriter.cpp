#include "tests/support/BmpWriter.h"

#include "tests/support/ByteWriter.h"

std::vector<uint8_t> WriteBmp(const BmpImage& image)
{
    // A table shorter than the depth allows is announced by the colours-used field.
    uint32_t colorsUsed = image.colorsUsed;
    if (colorsUsed == 0 && image.bitsPerPixel <= 8 && image.colors.size() < (size_t {1} << image.bitsPerPixel))
        colorsUsed = static_cast<uint32_t>(image.colors.size());
    ByteWriter header;
    header.U32LE(image.headerSize)
        .U32LE(static_cast<uint32_t>(image.width))
        .U32LE(static_cast<uint32_t>(image.height))
        .U16LE(1)
        .U16LE(image.bitsPerPixel)
        .U32LE(image.compression)
        .U32LE(static_cast<uint32_t>(image.pixels.size()))
        .U32LE(2835)
        .U32LE(2835)
        .U32LE(colorsUsed)
        .U32LE(0);
    bool masksInside = image.headerSize > 40;
    if (masksInside)
        for (uint32_t mask : image.masks)
            header.U32LE(mask);
    while (header.Size() < image.headerSize)
        header.U8(0);

    ByteWriter table;
    if (!masksInside)
        for (uint32_t mask : image.masks)
            table.U32LE(mask);
    for (const auto& color : image.colors)
        table.U8(color[2]).U8(color[1]).U8(color[0]).U8(0);

    uint32_t offset = image.pixelOffset.value_or(static_cast<uint32_t>(14 + header.Size() + table.Size()));
    ByteWriter file;
    file.Text("BM").U32LE(0).U16LE(0).U16LE(0).U32LE(offset).Bytes(header.Data()).Bytes(table.Data());
    while (file.Size() < offset)
        file.U8(0);
    file.Bytes(image.pixels);
    file.PatchU32LE(2, static_cast<uint32_t>(file.Size()));
    return file.Take();
}

std::vector<uint8_t> BmpRows(const std::vector<std::vector<uint32_t>>& topDownRows, int bitsPerPixel,
                             bool storeTopDown)
{
    ByteWriter out;
    size_t count = topDownRows.size();
    for (size_t i = 0; i < count; ++i) {
        const std::vector<uint32_t>& row = topDownRows[storeTopDown ? i : count - 1 - i];
        size_t start = out.Size();
        if (bitsPerPixel < 8) {
            int perByte = 8 / bitsPerPixel;
            for (size_t x = 0; x < row.size(); x += static_cast<size_t>(perByte)) {
                uint32_t byte = 0;
                for (int k = 0; k < perByte; ++k) {
                    uint32_t value = x + static_cast<size_t>(k) < row.size() ? row[x + static_cast<size_t>(k)] : 0;
                    byte |= value << (8 - bitsPerPixel * (k + 1));
                }
                out.U8(byte);
            }
        } else {
            for (uint32_t value : row) {
                if (bitsPerPixel == 8)
                    out.U8(value);
                else if (bitsPerPixel == 16)
                    out.U16LE(value);
                else if (bitsPerPixel == 24)
                    out.U8(value).U8(value >> 8).U8(value >> 16);
                else
                    out.U32LE(value);
            }
        }
        while ((out.Size() - start) % 4 != 0)
            out.U8(0);
    }
    return out.Take();
}
