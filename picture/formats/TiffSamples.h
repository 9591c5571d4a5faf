#pragma once

// Samples that libtiff's RGBA reader refuses, converted by the TIFF decoder
// itself: integers of up to 32 bits (12-bit grey, say, or signed ones) and
// IEEE floating-point samples of 32 and 64 bits, for grey, RGB and CMYK
// pictures in strips, interleaved or in planes, scaled to 8 bits into a
// 32-bit bitmap. Extra samples (alpha) are left out.

#include <string>

typedef struct tiff TIFF;
class CPictureBitmap;

// Decodes the open TIFF into `bitmap`. What cannot be converted here either
// is refused as the RGBA reader refused it: with `refusal`, its reason, or
// libtiff's last error when that is empty.
void DecodeTiffSamples(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth, const std::string& refusal);
