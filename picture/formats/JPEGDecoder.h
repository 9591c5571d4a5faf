#pragma once

#include <memory>
#include <optional>

#include "picture/decoding/PictureDecoder.h"

class CJpegSession;

// JPEG (JFIF, EXIF, Adobe) pictures through libjpeg, from the source's current
// position, so that JPEG data inside other files decode too. Greyscale gives
// 8 bits with the grey ramp (or 32 when asked); colour, CMYK and YCCK give
// 32 bits without alpha, ink converted as the TIFF decoder converts it (Adobe
// files store it inverted). A cut file decodes as far as its data go. Library
// errors are PE_UNSUPPORTED with the library's message and "\n". A reduced
// decode takes the smallest of the transform's reductions (1/2, 1/4, 1/8) that
// still gives the size asked for.
//
// The decoder keeps one decompression object for its whole life, so it serves
// one decode at a time.
class CJPEGDecoder : public CPictureDecoder {
public:
    CJPEGDecoder();
    ~CJPEGDecoder() override;

    PictureSize DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                              PictureSize enough) override;

protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;

private:
    // A whole picture when `enough` is empty.
    PictureSize Read(CByteSource& source, CPictureBitmap& bitmap, int& wantedDepth,
                     std::optional<PictureSize> enough);

    std::unique_ptr<CJpegSession> session_;
};
