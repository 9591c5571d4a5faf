#pragma once

#include <cstddef>
#include <cstdint>

#include <tiffio.h>

// libtiff reading a TIFF from a block of memory instead of a file: offsets in
// it count from data[0]. The block is the caller's, is never written and must
// outlive the TIFF; TIFFClose frees everything else. Null when libtiff
// refuses (its reason went to the error handler).
TIFF* OpenTiffMemory(const uint8_t* data, size_t size);
