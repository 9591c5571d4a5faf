#pragma once

#include "picture/decoding/PictureDecoder.h"

// Windows bitmap files: 1, 4 and 8 bits per pixel uncompressed, 4 and 8 bits
// run-length encoded, 16, 24 and 32 bits true colour (with bit fields), stored
// bottom-up or top-down. Up to 8 bits give 8-bit bitmaps with the file's
// colour table; deeper pictures give 32 bits without alpha.
class CBMPDecoder : public CPictureDecoder {
protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;
};
