#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ByteWriter.h"

// A Macintosh PICT file written opcode by opcode: the 512-byte preamble, the
// picture size and frame, the version opcode (version 1: then a clip region
// of the frame, as QuickDraw writes; version 2: the extended header opcode,
// whose source rectangle covers the frame at `dpi` dots per inch), then
// whatever the caller appends.
class PictWriter {
public:
    PictWriter(int version, int width, int height, int dpi = 72);

    // A byte in version 1; a word at an even offset in version 2.
    PictWriter& Op(uint16_t opcode);
    ByteWriter& Data() { return file_; }
    // Appends the end-of-picture opcode and hands out the file.
    std::vector<uint8_t> Finish();
    // Hands out the file as it stands.
    std::vector<uint8_t> Take() { return file_.Take(); }

private:
    int version_;
    ByteWriter file_;
};

struct PictPixMap {
    int width = 1;
    int height = 1;
    uint16_t packType = 0;
    uint16_t pixelSize = 8;
    uint16_t cmpCount = 1;
    uint16_t cmpSize = 8;
    int left = 0;  // the bounds' top-left corner
    int top = 0;
};

// The bounds and the pixmap record behind them.
void WritePictPixMap(ByteWriter& out, const PictPixMap& pixMap);
// A colour table in index order (flag set), or with `values` as each entry's value.
void WritePictColorTable(ByteWriter& out, const std::vector<std::array<uint8_t, 3>>& colors,
                         const std::vector<uint16_t>& values = {});
// Source and destination rectangles and the transfer mode.
void WritePictRects(ByteWriter& out, int width, int height);
// The bounds of `pixMap` as source rectangle, a destination rectangle of
// `width` x `height` at (left, top), and the transfer mode.
void WritePictPlacement(ByteWriter& out, const PictPixMap& pixMap, int left, int top, int width, int height);
// A region or polygon of `size` bytes, its size word included.
void WritePictRegion(ByteWriter& out, uint16_t size);
// A QuickDraw rectangle, stored top, left, bottom, right.
void WritePictRect(ByteWriter& out, int left, int top, int right, int bottom);
// A rectangular region, or one of the rows given: each a row number and the
// columns where insideness flips from the row above.
void WritePictShapeRegion(ByteWriter& out, int left, int top, int right, int bottom,
                          const std::vector<std::pair<int, std::vector<int>>>& rows = {});

// QuickTime data (opcode 0x8200) of `codec` ("png ", "tiff", "raw ", "cvid"):
// no move, no matte or mask, the image description (with `colors` as its
// colour table when given), then `data`.
void AppendPictQuickTime(PictWriter& pict, const std::string& codec, int width, int height, int depth,
                         const std::vector<uint8_t>& data, const std::vector<std::array<uint8_t, 3>>& colors = {});

// PackBits of one row in units of `unitBytes` (2 for 16-bit pixels).
std::vector<uint8_t> PackBits(const std::vector<uint8_t>& row, int unitBytes = 1);
// Each row behind its byte count (a byte below 251 row bytes, else a word),
// packed; or, below 8 row bytes, each row as it stands.
void WritePictRows(ByteWriter& out, const std::vector<std::vector<uint8_t>>& rows, int rowBytes, int unitBytes = 1);

// Rows of palette indices stored at `pixelSize` bits (1, 2, 4 or 8), padded to even row bytes.
std::vector<std::vector<uint8_t>> PictIndexRows(const std::vector<std::vector<uint8_t>>& rows, int pixelSize);

// An 8-bit PackBitsRect pixmap of palette indices whose bounds and destination
// begin at (left, top): one strip of a picture stored in strips.
void AppendPictIndexedStrip(PictWriter& pict, const std::vector<std::vector<uint8_t>>& rows,
                            const std::vector<std::array<uint8_t, 3>>& colors, int top, int left = 0);

// A DirectBitsRect of 16-bit (0x0RGB in 5-5-5) or 32-bit (0xAARRGGBB, 3 or 4
// component planes) pixels, its bounds and destination at the origin.
void AppendPictDirect(PictWriter& pict, const std::vector<std::vector<uint32_t>>& rows, int pixelSize,
                      int cmpCount = 3);

// Whole pictures of one image each.
// A PackBitsRect pixmap of palette indices with its colour table (version 2).
std::vector<uint8_t> PictIndexed(const std::vector<std::vector<uint8_t>>& rows, int pixelSize,
                                 const std::vector<std::array<uint8_t, 3>>& colors);
// Direct pixels as AppendPictDirect writes them.
std::vector<uint8_t> PictDirect(const std::vector<std::vector<uint32_t>>& rows, int pixelSize, int cmpCount = 3);
// A one-bit bitmap, set bits black, as version 1 or 2 writes it.
std::vector<uint8_t> PictBitmap(const std::vector<std::vector<uint8_t>>& bits, int version);
