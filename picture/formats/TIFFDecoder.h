#pragma once

#include "picture/decoding/PictureDecoder.h"

typedef struct tiff TIFF;

// TIFF files, and the TIFF preview of EPS files (the source then stands at
// the preview's first byte, which is where the TIFF's offsets count from).
// libtiff reads the format, BigTIFF too. Simple pictures (one sample of up to
// 8 bits, in strips) keep their palette: 1 bit gives a 1-bit bitmap, 2 to 8
// bits an 8-bit one. Everything else, and any picture wanted at 32 bits, goes
// through libtiff's RGBA reader into 32 bits, with alpha when the file has
// it; samples that reader refuses (12-bit, signed, floating-point) are scaled
// to 8 bits by the decoder itself (TiffSamples.h). Only the first picture of a
// file is decoded.
class CTIFFDecoder : public CPictureDecoder {
public:
    CTIFFDecoder();

protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;

    // Chooses the palette path or the RGBA path for the open TIFF.
    virtual void DecodeTiff(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth, CByteSource& source,
                            TIFF* tiff);

private:
    void DoLoColor(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth, PaletteBuffer& paletteOut);
    void DecodeRgba(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth);
};
