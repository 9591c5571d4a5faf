#pragma once

#include "picture/decoding/PictureDecoder.h"

// Macintosh PICT files, versions 1 and 2: walks the QuickDraw opcodes,
// stepping over the drawing ones, and decodes the first raster image: a
// one-bit bitmap, a pixmap of 1 to 8 bits with its colour table, direct
// pixels of 16 or 32 bits, or embedded JPEG data, which goes to the JPEG
// decoder given at construction. A picture of drawing alone is refused.
class CPICTDecoder : public CPictureDecoder {
public:
    // `jpegDecoder` may be null: embedded JPEG data are then refused.
    explicit CPICTDecoder(CPictureDecoder* jpegDecoder) : jpegDecoder_(jpegDecoder) {}

protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;

private:
    CPictureDecoder* jpegDecoder_;
};
