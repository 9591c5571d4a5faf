#pragma once

#include <cstdint>

#include "picture/bitmap/BgraPixel.h"

// Expand `count` packed palette indices, most significant bits first, into
// colours of `colors`. The colour table must cover every index the depth allows.
void ExpandIndexRow1(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors);
void ExpandIndexRow2(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors);
void ExpandIndexRow4(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors);
void ExpandIndexRow8(BgraPixel* destination, const uint8_t* source, int count, const BgraPixel* colors);

// Unpack `count` samples of `bits` bits (1 to 8), most significant bits
// first, into one palette index per byte.
void UnpackIndexRow(uint8_t* destination, const uint8_t* source, int count, int bits);
