#pragma once

#include <cstdint>

#include "picture/bitmap/BgraPixel.h"
#include "picture/bitmap/PictureBitmap.h"
#include "picture/decoding/ByteSource.h"
#include "picture/decoding/PictureDecoder.h"

// The pixel rows of a QuickDraw bitmap, pixmap or direct-pixel opcode.
struct PictRowLayout {
    int width = 0;
    int height = 0;
    int pixelSize = 1;   // 1, 2, 4, 8, 16 or 32
    int components = 3;  // of 32-bit pixels: 3 (red, green, blue) or 4 (alpha first)
    int rowBytes = 0;    // without the pixmap flag; 0 means the width in bytes
    bool packable = true;  // false for the copybits opcodes, whose rows of up to 16-bit pixels are never packed

    // rowBytes, with 0 replaced by the bytes of the width.
    int StoredRowBytes() const;
    // Rows are PackBits-encoded behind a byte count, or stored as rowBytes bytes.
    bool IsPacked() const;
    // The size of each row's byte count: 1 below 251 row bytes, else 2.
    int CountBytes() const;
};

// Reads the rows into a bitmap of the layout's size, row 0 at the top. An
// 8-bit bitmap receives the indices of pixels up to 8 bits; a 32-bit bitmap
// receives colours: indices looked up in `colors` (256 entries), 16-bit pixels
// as 5-5-5, 32-bit pixels from their component planes. Rows whose data end
// early are completed with zero bytes, and what a row expands to beyond its
// size is dropped.
void ReadPictRows(CByteSource& source, const PictRowLayout& layout, const BgraPixel* colors, CPictureBitmap& bitmap);

// Steps over the rows without decoding them.
void SkipPictRows(CByteSource& source, const PictRowLayout& layout);

// Walks the rows' byte counts without consuming anything; throws
// PE_END_OF_FILE, before any bitmap is allocated, when the rows reach past
// the end of the data.
void CheckPictRowsPresent(CByteSource& source, const PictRowLayout& layout);

// A colour table as 256 opaque entries; entries the table does not name are
// black, and entries beyond 255 are read and dropped. A size word of 0xFFFF
// is an empty table. Traced when `traced`.
PaletteBuffer ReadPictColorTable(CByteSource& source, bool traced);
