#pragma once

#include "picture/decoding/PictureDecoder.h"

// ZSoft PCX files, run-length encoded: 1, 2, 4 and 8-bit packed pixels in one
// plane, 1-bit pixels in up to four planes (EGA), and 24-bit colour as three
// 8-bit planes. Every picture becomes a 32-bit bitmap.
class CPCXDecoder : public CPictureDecoder {
protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;
};
