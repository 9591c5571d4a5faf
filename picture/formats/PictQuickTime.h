#pragma once

#include <cstdint>
#include <optional>

#include "picture/decoding/PictureDecoder.h"
#include "picture/formats/PictBands.h"

// The decoders of the images QuickTime data in a picture may hold; a null
// one refuses its images.
struct PictEmbeddedDecoders {
    CPictureDecoder* jpeg = nullptr;
    CPictureDecoder* png = nullptr;
    CPictureDecoder* tiff = nullptr;
};

// Where a QuickTime image is decoded to: the bitmap, the depth chosen for it
// (updated as decoders do) and the depth the caller of the PICT decoder asked
// for, which embedded decoders start from.
struct PictQuickTimeTarget {
    CPictureBitmap& bitmap;
    int& wantedDepth;
    int callerDepth;
};

// The image of a compressed QuickTime opcode whose `length` bytes of data
// follow at the source's position. PNG, TIFF, uncompressed ('raw ') and
// Windows bitmap ('WRLE') images are read as their image description says;
// anything else is searched for the start of a JPEG stream, which goes to the
// JPEG decoder. The source is left somewhere inside the data.
void DecodePictQuickTime(CByteSource& source, uint64_t length, const PictEmbeddedDecoders& decoders,
                         const PictQuickTimeTarget& target);

// The top-left corner the image goes to when the description's matrix only
// moves it by whole pixels (in `left` and `top`); none otherwise.
std::optional<PictRect> PictQuickTimeTranslation(CByteSource& source, uint64_t length);
