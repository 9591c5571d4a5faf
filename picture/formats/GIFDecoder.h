#pragma once

#include "picture/decoding/PictureDecoder.h"

// GIF files (87a and 89a), read by giflib. The picture is the logical screen
// with every image of the file drawn into it in file order, clipped to the
// screen (an image is read only as far as its rows can reach the screen),
// over the screen's background index: 8 bits with the colour map of
// the last image when it has one, else the global map (a file without any
// keeps the grey ramp), or 32 bits when asked for. Transparency, disposal and
// timing are not used. A file without any image is refused. giflib's
// complaints about damaged data do not stop a decode; the end of the data does.
class CGIFDecoder : public CPictureDecoder {
protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;
};
