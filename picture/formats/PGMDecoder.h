#pragma once

#include "picture/decoding/PictureDecoder.h"

// Portable grey maps, ASCII ("P2") and binary ("P5"), with any maximum grey
// value up to 65535 (binary samples of two bytes, most significant first,
// above 255). Samples are scaled to 0-255 into an 8-bit grey bitmap, or a
// 32-bit one when 32 bits are wanted.
class CPGMDecoder : public CPictureDecoder {
protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;
};
