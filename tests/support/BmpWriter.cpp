#include "tests/support/BmpWriter.h"

#include "tests/support/ByteWriter.h"
#include "tests/support/TestPictures.h"

std::vector<uint8_t> WriteBmp(const BmpImage& image)
{
    // A table shorter than the depth allows is announced by the colours-used field.
    uint32_t colorsUsed = image.colorsUsed;
    if (colorsUsed == 0 && image.bitsPerPixel <= 8 && image.colors.size() < (size_t {1} << image.bitsPerPixel))
        colorsUsed = static_cast<uint32_t>(image.colors.size());
    bool core = image.headerSize == 12;
    ByteWriter header;
    if (core) {
        header.U32LE(12).U16LE(static_cast<uint32_t>(image.width)).U16LE(static_cast<uint32_t>(image.height)).U16LE(1);
        header.U16LE(image.bitsPerPixel);
    } else {
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
    }
    bool masksInside = image.headerSize > 40;
    if (masksInside)
        for (uint32_t mask : image.masks)
            header.U32LE(mask);
    while (header.Size() < image.headerSize)
        header.U8(0);
    // Shorter (OS/2 2.x) headers end where their size says.
    std::vector<uint8_t> headerBytes(header.Data().begin(), header.Data().begin() + image.headerSize);

    ByteWriter table;
    if (!masksInside)
        for (uint32_t mask : image.masks)
            table.U32LE(mask);
    for (const auto& color : image.colors) {
        table.U8(color[2]).U8(color[1]).U8(color[0]);
        if (!core)
            table.U8(0);
    }

    uint32_t offset = image.pixelOffset.value_or(static_cast<uint32_t>(14 + headerBytes.size() + table.Size()));
    ByteWriter file;
    file.Text("BM").U32LE(0).U16LE(0).U16LE(0).U32LE(offset).Bytes(headerBytes).Bytes(table.Data());
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

namespace {

// Encodes one row; `perByte` indices fit in a byte (1 for RLE8, 2 for RLE4).
void EncodeRleRow(ByteWriter& out, const std::vector<uint8_t>& row, int perByte)
{
    size_t n = row.size();
    size_t x = 0;
    while (x < n) {
        size_t run = 1;
        while (x + run < n && run < 255 && row[x + run] == row[x])
            ++run;
        size_t literal = 0;
        while (x + literal < n && literal < 255 && !(x + literal + 1 < n && row[x + literal] == row[x + literal + 1]))
            ++literal;
        if (run >= 2 || literal < 3) {
            uint8_t value = perByte == 1 ? row[x] : static_cast<uint8_t>((row[x] << 4) | (row[x] & 0x0F));
            out.U8(static_cast<uint32_t>(run)).U8(value);
            x += run;
            continue;
        }
        ByteWriter bytes;
        for (size_t i = 0; i < literal; i += static_cast<size_t>(perByte)) {
            uint8_t low = perByte == 2 && i + 1 < literal ? row[x + i + 1] & 0x0F : 0;
            bytes.U8(perByte == 1 ? row[x + i] : static_cast<uint32_t>((row[x + i] << 4) | low));
        }
        out.U8(0).U8(static_cast<uint32_t>(literal)).Bytes(bytes.Data());
        if (bytes.Size() % 2 != 0)
            out.U8(0);
        x += literal;
    }
    out.U8(0).U8(0);
}

std::vector<uint8_t> EncodeRle(const std::vector<std::vector<uint8_t>>& topDownRows, int perByte)
{
    ByteWriter out;
    for (auto row = topDownRows.rbegin(); row != topDownRows.rend(); ++row)
        EncodeRleRow(out, *row, perByte);
    out.U8(0).U8(1);
    return out.Take();
}

}  // namespace

std::vector<uint8_t> EncodeRle8(const std::vector<std::vector<uint8_t>>& topDownRows)
{
    return EncodeRle(topDownRows, 1);
}

std::vector<uint8_t> EncodeRle4(const std::vector<std::vector<uint8_t>>& topDownRows)
{
    return EncodeRle(topDownRows, 2);
}

std::vector<uint8_t> SceneBmp(int width, int height, int bitsPerPixel)
{
    BmpImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = static_cast<uint16_t>(bitsPerPixel);
    if (bitsPerPixel == 8) {
        image.colors = CubePalette();
        image.pixels = BmpRows(Widen(SceneIndices(width, height)), 8);
    } else {
        image.pixels = BmpRows(SceneRows(width, height), bitsPerPixel);
    }
    return WriteBmp(image);
}
