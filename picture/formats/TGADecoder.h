#pragma once

#include "picture/decoding/PictureDecoder.h"

// Truevision Targa files: colour-mapped, true-colour and greyscale images,
// uncompressed or run-length encoded, of 8, 15, 16, 24 or 32 bits per pixel,
// stored bottom-up or top-down. 8-bit images give 8-bit bitmaps; deeper ones
// give 32 bits, with alpha for 16 bits per pixel when the descriptor declares
// it, and for 32 bits unless every pixel's fourth byte is 0.
class CTGADecoder : public CPictureDecoder {
protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;
};
