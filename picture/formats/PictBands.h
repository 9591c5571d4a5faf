#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "picture/bitmap/PictureBitmap.h"
#include "picture/bitmap/PlainBitmap.h"

// A QuickDraw rectangle: top, left, bottom, right.
struct PictRect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;

    int Width() const { return static_cast<int16_t>(right - left); }
    int Height() const { return static_cast<int16_t>(bottom - top); }
    bool operator==(const PictRect&) const = default;
};

// Where a raster opcode puts its image: its bounds, the part of them it
// copies and the rectangle of the picture it copies them to.
struct PictPlacement {
    PictRect bounds;
    PictRect sourceRect;
    PictRect destinationRect;
    uint16_t mode = 0;  // the transfer mode

    // Copied whole and unscaled, so the image can be placed as it is.
    bool IsPlainCopy() const;
};

// One more raster image of a picture that old programs wrote in strips.
struct PictBand {
    std::unique_ptr<CPlainBitmap> pixels;
    PictRect destination;
    bool placeable = false;  // unscaled, and of the first image's depth and palette
};

// Whether `band` can join a picture whose first image is `first`: the same
// depth and alpha flag, and for 8 bits the same palette.
bool BandMatches(const CPictureBitmap& first, const CPictureBitmap& band);

// Replaces `bitmap`, the first image placed at `firstDestination`, by the
// rectangle that holds it and every band, each at its place; what no image
// covers is white (index 0 of an 8-bit picture). A band only fills what the
// images before it left empty: writers put a stand-in for readers without
// QuickTime after a JPEG image, over the same rectangle. Leaves `bitmap` as it
// is when that rectangle is beyond the bitmap limits.
void ComposePictBands(CPictureBitmap& bitmap, const PictRect& firstDestination, const std::vector<PictBand>& bands);
