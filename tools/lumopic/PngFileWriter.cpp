#include "tools/lumopic/PngFileWriter.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <png.h>

namespace {

struct PngRows {
    int colorType = PNG_COLOR_TYPE_PALETTE;
    int bitDepth = 8;
    std::vector<png_color> palette;
    std::vector<std::vector<png_byte>> rows;
};

PngRows PrepareRows(const CPictureBitmap& bitmap)
{
    PngRows png;
    int width = bitmap.GetWidth();
    int depth = bitmap.GetBitsPerPixel();
    if (depth <= 8) {
        png.bitDepth = depth;
        for (int i = 0; i < (1 << depth); ++i) {
            const BgraPixel& entry = bitmap.GetPalette()[i];
            png.palette.push_back({entry.red, entry.green, entry.blue});
        }
    } else {
        png.colorType = bitmap.GetAlphaFlag() ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
    }
    size_t channels = png.colorType == PNG_COLOR_TYPE_RGBA ? 4 : 3;
    for (int y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* line = bitmap.GetLines()[y];
        if (depth <= 8) {
            png.rows.emplace_back(line, line + (static_cast<size_t>(width) * depth + 7) / 8);
            continue;
        }
        std::vector<png_byte> row(static_cast<size_t>(width) * channels);
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = line + 4 * x;
            png_byte* out = &row[static_cast<size_t>(x) * channels];
            out[0] = pixel[2];
            out[1] = pixel[1];
            out[2] = pixel[0];
            if (channels == 4)
                out[3] = pixel[3];
        }
        png.rows.push_back(std::move(row));
    }
    return png;
}

// Holds libpng's longjmp; nothing with a destructor lives in this frame.
bool WriteRows(png_structp png, png_infop info, FILE* file, int width, PngRows& rows,
               std::vector<png_bytep>& pointers)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(pointers.size()),
                 rows.bitDepth, rows.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!rows.palette.empty())
        png_set_PLTE(png, info, rows.palette.data(), static_cast<int>(rows.palette.size()));
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    return true;
}

}  // namespace

std::string WritePngFile(const CPictureBitmap& bitmap, const std::string& path)
{
    PngRows rows = PrepareRows(bitmap);
    std::vector<png_bytep> pointers;
    for (auto& row : rows.rows)
        pointers.push_back(row.data());

    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return "cannot create " + path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = info != nullptr && WriteRows(png, info, file, bitmap.GetWidth(), rows, pointers);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        return "cannot write " + path;
    return "";
}
