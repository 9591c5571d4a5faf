#pragma once

#include "picture/decoding/PictureDecoder.h"

// Windows metafiles (with or without the placeable header) and enhanced
// metafiles, played by the platform's metafile player onto a white picture
// of the metafile's size and read back: 8 bits with the metafile's palette
// when it has one of 1 to 255 colours, 32 bits otherwise. Sources whose
// name holds ".EMF" are enhanced metafiles; all others, memory blocks
// included, are Windows metafiles. The bitmap is filled through Create and
// its line table, so any bitmap works, the DIB bitmaps the program uses too.
class CMetafileDecoder : public CPictureDecoder {
protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;
};
