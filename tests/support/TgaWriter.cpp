#include "tests/support/TgaWriter.h"

#include <algorithm>
#include <cstring>

#include "tests/support/ByteWriter.h"

std::vector<uint8_t> WriteTga(const TgaImage& image)
{
    ByteWriter file;
    file.U8(static_cast<uint32_t>(image.id.size()))
        .U8(image.colorMapType)
        .U8(image.imageType)
        .U16LE(image.firstEntry)
        .U16LE(image.mapLength)
        .U8(image.entrySize)
        .U16LE(0)
        .U16LE(0)
        .U16LE(image.width)
        .U16LE(image.height)
        .U8(image.pixelDepth)
        .U8(image.descriptor)
        .Bytes(image.id)
        .Bytes(image.colorMap)
        .Bytes(image.pixels);
    return file.Take();
}

std::vector<uint8_t> TgaRows(const std::vector<std::vector<uint32_t>>& topDownRows, int pixelDepth,
                             bool storeTopDown)
{
    ByteWriter out;
    size_t count = topDownRows.size();
    for (size_t i = 0; i < count; ++i) {
        for (uint32_t value : topDownRows[storeTopDown ? i : count - 1 - i]) {
            if (pixelDepth == 8)
                out.U8(value);
            else if (pixelDepth <= 16)
                out.U16LE(value);
            else if (pixelDepth == 24)
                out.U8(value).U8(value >> 8).U8(value >> 16);
            else
                out.U32LE(value);
        }
    }
    return out.Take();
}

namespace {

bool SamePixel(const uint8_t* a, const uint8_t* b, int pixelBytes)
{
    return std::memcmp(a, b, static_cast<size_t>(pixelBytes)) == 0;
}

}  // namespace

std::vector<uint8_t> EncodeTgaRle(const std::vector<uint8_t>& storedRows, int pixelBytes, int width,
                                  bool stopAtRowEnds)
{
    ByteWriter out;
    size_t bytes = static_cast<size_t>(pixelBytes);
    size_t pixels = storedRows.size() / bytes;
    const uint8_t* data = storedRows.data();
    size_t i = 0;
    while (i < pixels) {
        size_t limit = std::min<size_t>(128, pixels - i);
        if (stopAtRowEnds)
            limit = std::min(limit, static_cast<size_t>(width) - i % static_cast<size_t>(width));
        size_t run = 1;
        while (run < limit && SamePixel(data + (i + run) * bytes, data + i * bytes, pixelBytes))
            ++run;
        if (run >= 2) {
            out.U8(0x80 | static_cast<uint32_t>(run - 1));
            out.Bytes(std::vector<uint8_t>(data + i * bytes, data + (i + 1) * bytes));
            i += run;
            continue;
        }
        size_t literal = 1;
        while (literal < limit &&
               !(literal + 1 < limit && SamePixel(data + (i + literal) * bytes, data + (i + literal + 1) * bytes,
                                                  pixelBytes)))
            ++literal;
        out.U8(static_cast<uint32_t>(literal - 1));
        out.Bytes(std::vector<uint8_t>(data + i * bytes, data + (i + literal) * bytes));
        i += literal;
    }
    return out.Take();
}
