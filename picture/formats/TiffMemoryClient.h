#pragma once

#include <cstddef>
#include <cstdint>

#include <tiffio.h>

// libtiff over a block of memory instead of a file. The block is the
// caller's and must outlive the TIFF; TIFFClose frees everything else. A
// block opened for reading is never written.
// Both return null when libtiff refuses (its reason went to the error handler).

// Reads the TIFF in `data`; offsets in it count from data[0].
TIFF* OpenTiffMemory(const uint8_t* data, size_t size);

// Writes a TIFF into `block`, at most `capacity` bytes; `*sizeOut` starts at 0
// and follows the end of what was written.
TIFF* OpenTiffMemory(uint8_t* block, size_t capacity, size_t* sizeOut);
