#include "tests/support/PcxWriter.h"

#include "tests/support/ByteWriter.h"

std::vector<uint8_t> WritePcx(const PcxImage& image)
{
    ByteWriter file;
    file.U8(image.manufacturer)
        .U8(image.version)
        .U8(image.encoding)
        .U8(image.bitsPerPixel)
        .U16LE(image.xMin)
        .U16LE(image.yMin)
        .U16LE(image.xMin + image.width - 1u)
        .U16LE(image.yMin + image.height - 1u)
        .U16LE(72)
        .U16LE(72);
    for (size_t i = 0; i < 16; ++i) {
        std::array<uint8_t, 3> color = i < image.headerColors.size() ? image.headerColors[i] : std::array<uint8_t, 3> {};
        file.U8(color[0]).U8(color[1]).U8(color[2]);
    }
    file.U8(0).U8(image.planes).U16LE(image.bytesPerLine).U16LE(1).Fill(58).Bytes(image.data);
    if (!image.palette.empty()) {
        file.Fill(image.paddingBeforePalette).U8(image.paletteMarker);
        for (size_t i = 0; i < 256; ++i) {
            std::array<uint8_t, 3> color = i < image.palette.size() ? image.palette[i] : std::array<uint8_t, 3> {};
            file.U8(color[0]).U8(color[1]).U8(color[2]);
        }
    }
    return file.Take();
}

uint16_t PcxBytesPerLine(int width, int bitsPerPixel)
{
    int bytes = (width * bitsPerPixel + 7) / 8;
    return static_cast<uint16_t>(bytes + bytes % 2);
}

std::vector<uint8_t> PcxPlanes(const std::vector<std::vector<uint32_t>>& rows, int bitsPerPixel, int planes,
                               int bytesPerLine)
{
    std::vector<uint8_t> out;
    for (const auto& row : rows) {
        for (int plane = 0; plane < planes; ++plane) {
            std::vector<uint8_t> line(static_cast<size_t>(bytesPerLine));
            for (size_t x = 0; x < row.size(); ++x) {
                if (bitsPerPixel == 8) {
                    line[x] = static_cast<uint8_t>(planes == 3 ? row[x] >> (16 - 8 * plane) : row[x]);
                    continue;
                }
                uint32_t value = planes > 1 ? (row[x] >> plane) & 1 : row[x];
                size_t bit = x * static_cast<size_t>(bitsPerPixel);
                line[bit / 8] |= static_cast<uint8_t>(value << (8 - bitsPerPixel - bit % 8));
            }
            out.insert(out.end(), line.begin(), line.end());
        }
    }
    return out;
}

std::vector<uint8_t> EncodePcxRle(const std::vector<uint8_t>& raw)
{
    ByteWriter out;
    size_t i = 0;
    while (i < raw.size()) {
        size_t run = 1;
        while (i + run < raw.size() && run < 63 && raw[i + run] == raw[i])
            ++run;
        if (run > 1 || (raw[i] & 0xC0) == 0xC0)
            out.U8(0xC0 | static_cast<uint32_t>(run)).U8(raw[i]);
        else
            out.U8(raw[i]);
        i += run;
    }
    return out.Take();
}

PcxImage EncodedPcx(const std::vector<std::vector<uint32_t>>& rows, uint8_t bitsPerPixel, uint8_t planes)
{
    PcxImage image;
    image.width = static_cast<uint16_t>(rows[0].size());
    image.height = static_cast<uint16_t>(rows.size());
    image.bitsPerPixel = bitsPerPixel;
    image.planes = planes;
    image.bytesPerLine = PcxBytesPerLine(image.width, bitsPerPixel);
    image.data = EncodePcxRle(PcxPlanes(rows, bitsPerPixel, planes, image.bytesPerLine));
    return image;
}
