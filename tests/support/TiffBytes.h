#pragma once

#include <tiffio.h>

#include <cstdint>
#include <vector>

// libtiff over bytes in a vector, for the tests' writer and reference reader.
// The vector must outlive the TIFF; TIFFClose frees the rest. Null when
// libtiff refuses.

// Reads `bytes`, handed to libtiff as a mapped file as the decoder does.
TIFF* OpenTiffBytes(const std::vector<uint8_t>& bytes);

// Writes into `bytes`, which grows as libtiff writes; BigTIFF when `bigTiff`.
TIFF* CreateTiffBytes(std::vector<uint8_t>& bytes, bool bigEndian, bool bigTiff = false);
