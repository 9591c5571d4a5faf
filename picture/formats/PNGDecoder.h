#pragma once

#include "picture/decoding/PictureDecoder.h"

// PNG pictures through libpng. Grey and palette images give 8-bit bitmaps of
// indices (grey with a ramp for its bit depth, palette with the file's PLTE),
// or 32 bits when asked; RGB gives 32 bits without alpha; grey with alpha and
// RGB with alpha give 32 bits with the alpha flag. 16-bit samples are cut to
// 8 bits; Adam7 images are de-interlaced. Library errors are PE_FORMAT_ERROR
// with libpng's text; a cut file ends with PE_END_OF_FILE.
class CPNGDecoder : public CPictureDecoder {
protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;
};
