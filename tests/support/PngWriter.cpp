#include "tests/support/PngWriter.h"

#include <png.h>
#include <zlib.h>

#include <stdexcept>

#include "tests/support/ByteWriter.h"

namespace {

// The rows as the file stores them: samples packed most significant bits
// first below 8 bits, big-endian at 16.
std::vector<std::vector<png_byte>> PackRows(const PngImage& image)
{
    std::vector<std::vector<png_byte>> packed;
    size_t samples = static_cast<size_t>(image.width) * PngChannels(image.colorType);
    for (const std::vector<uint16_t>& row : image.rows) {
        if (row.size() != samples)
            throw std::invalid_argument("WritePng: a row does not hold width x channels samples");
        std::vector<png_byte> bytes((samples * image.bitDepth + 7) / 8);
        for (size_t i = 0; i < samples; ++i) {
            if (image.bitDepth == 16) {
                bytes[2 * i] = static_cast<png_byte>(row[i] >> 8);
                bytes[2 * i + 1] = static_cast<png_byte>(row[i]);
            } else {
                size_t bit = i * image.bitDepth;
                int shift = 8 - image.bitDepth - static_cast<int>(bit % 8);
                bytes[bit / 8] |= static_cast<png_byte>(row[i] << shift);
            }
        }
        packed.push_back(std::move(bytes));
    }
    return packed;
}

void Append(png_structp png, png_bytep data, size_t count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void Flush(png_structp /*png*/) {}

// Holds libpng's longjmp; nothing with a destructor lives in this frame.
bool WriteWithLibpng(png_structp png, png_infop info, const PngImage& image, std::vector<png_bytep>& rows,
                     std::vector<png_color>& palette, png_color_16& transparent, std::vector<uint8_t>& out)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &out, Append, Flush);
    png_set_compression_level(png, image.compressionLevel);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 image.bitDepth, image.colorType, image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (!image.paletteAlpha.empty())
        png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()), nullptr);
    else if (!image.transparentColour.empty())
        png_set_tRNS(png, info, nullptr, 0, &transparent);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    return true;
}

}  // namespace

int PngChannels(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

std::vector<uint8_t> WritePng(const PngImage& image)
{
    std::vector<std::vector<png_byte>> packed = PackRows(image);
    std::vector<png_bytep> rows;
    for (auto& row : packed)
        rows.push_back(row.data());
    std::vector<png_color> palette;
    for (const auto& entry : image.palette)
        palette.push_back({entry[0], entry[1], entry[2]});
    png_color_16 transparent {};
    if (image.transparentColour.size() == 1)
        transparent.gray = image.transparentColour[0];
    if (image.transparentColour.size() == 3) {
        transparent.red = image.transparentColour[0];
        transparent.green = image.transparentColour[1];
        transparent.blue = image.transparentColour[2];
    }

    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool written = info != nullptr && WriteWithLibpng(png, info, image, rows, palette, transparent, out);
    png_destroy_write_struct(&png, &info);
    if (!written)
        throw std::runtime_error("WritePng: libpng refused the picture");
    return out;
}

std::vector<uint8_t> PngChunk(const std::string& type, const std::vector<uint8_t>& data)
{
    ByteWriter chunk;
    chunk.U32BE(static_cast<uint32_t>(data.size())).Text(type).Bytes(data);
    const std::vector<uint8_t>& bytes = chunk.Data();
    uLong crc = crc32(0L, bytes.data() + 4, static_cast<uInt>(bytes.size() - 4));
    return chunk.U32BE(static_cast<uint32_t>(crc)).Take();
}
