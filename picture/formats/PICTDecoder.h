#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/decoding/PictureDecoder.h"
#include "picture/formats/PictQuickTime.h"

// Macintosh PICT files, versions 1 and 2, with or without the 512-byte
// preamble. A picture that draws (lines, shapes, text) is played whole by the
// QuickDraw player, its raster images decoded here and drawn in their turn.
// Any other picture gives its first raster image: a one-bit bitmap, a pixmap
// of 1 to 8 bits with its colour table, direct pixels of 16 or 32 bits, or
// QuickTime data (JPEG, PNG and TIFF through their decoders, uncompressed
// pixels and Windows bitmaps here). A picture that draws nothing is refused.
class CPICTDecoder : public CPictureDecoder {
public:
    explicit CPICTDecoder(const PictEmbeddedDecoders& embedded) : embedded_(embedded) {}
    explicit CPICTDecoder(CPictureDecoder* jpegDecoder) : embedded_ {jpegDecoder} {}

protected:
    void DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                     CByteSource& source) override;

private:
    PictEmbeddedDecoders embedded_;
};

// Whether a picture header (size word, frame, version opcode) begins at
// `offset`: the version 2 opcode words, or the version 1 opcode bytes followed
// by what QuickDraw begins a picture with (a clip region, or a comment).
bool IsPictHeaderAt(std::span<const uint8_t> bytes, size_t offset);
// A picture header at the file's start, without the 512-byte preamble, whose
// frame is not empty.
bool IsBarePictHeader(std::span<const uint8_t> bytes);
