#pragma once

#include <string>

#include "picture/bitmap/PictureBitmap.h"

// Writes a bitmap as PNG: 1 and 8 bits as a palette PNG with the bitmap's
// colour table, 32 bits as RGBA when the alpha flag is set, else RGB.
// Returns an empty string, or what went wrong.
std::string WritePngFile(const CPictureBitmap& bitmap, const std::string& path);
