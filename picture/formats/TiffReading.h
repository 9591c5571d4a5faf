#pragma once

// What the TIFF decoder's readers share: tag values, the size check,
// libtiff's error text, buffers, and rows read as damaged files allow.

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "picture/decoding/PictureError.h"
#include "picture/decoding/TextException.h"

// The value of a tag, or `fallback` when the file does not have it.
template <typename T>
T FieldOr(TIFF* tiff, uint32_t tag, T fallback)
{
    T value = fallback;
    TIFFGetField(tiff, tag, &value);
    return value;
}

template <typename T>
std::unique_ptr<T[]> AllocateOrThrow(uint64_t count, const char* message)
{
    std::unique_ptr<T[]> block(new (std::nothrow) T[count]());
    if (!block)
        ThrowDecodeError(PE_ALLOC_FAILED, message);
    return block;
}

inline constexpr const char* kTiffCannotRead = "TIFF decoder: libtiff cannot read the picture.";

// Refuses an empty picture, or one the bitmap limits would refuse, before
// anything is allocated for it.
void CheckTiffPictureSize(uint32_t width, uint32_t height, int depth);

// libtiff's most recent error, or `fallback` when it reported none.
std::string TiffLibraryError(const std::string& fallback);

// Rows stored bottom-up or right to left are flipped as libtiff's RGBA
// reader flips them, so a picture looks the same on every path. Pictures
// stored turned by a quarter keep their rows as stored.
struct TiffRowOrder {
    bool flipped = false;   // the last row stored is the top one
    bool mirrored = false;  // each row is stored right to left
};
TiffRowOrder RowOrderOf(TIFF* tiff);

// Reads row `row` of `plane` into `scanline`. A row that cannot be read in
// the first third of the picture ends the decode; a later one gives false,
// and the caller repeats the row before it, so damaged files still show.
bool ReadTiffRow(TIFF* tiff, uint8_t* scanline, uint32_t row, uint16_t plane, uint32_t height);
