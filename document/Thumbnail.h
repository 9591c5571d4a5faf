#pragma once

#include <memory>
#include <string>

#include "platform/gdi/DibSection.h"

class CDisplayBitmap;
class CPictureDecoder;

constexpr int kThumbnailWidth = 100;
constexpr int kThumbnailHeight = 75;
// Raised whenever thumbnails come out differently for the same file, so
// thumbnails kept from before are made again.
constexpr int kThumbnailFormatVersion = 2;

// Where a picture lands in its thumbnail: shrunk (never enlarged) by `scale`
// to fit 100 x 75, centred, at (x, y), `width` x `height` pixels.
struct ThumbnailPlacement {
    double scale = 1.0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

ThumbnailPlacement PlaceThumbnail(int pictureWidth, int pictureHeight);

// The thumbnail of a decoded picture: a 100 x 75 DIB section of the picture's
// depth and colour table, filled with the button-face colour, the picture
// drawn into it through DrawDib. Null when the memory is not there.
std::unique_ptr<gdi::CDibSection> MakeThumbnail(CDisplayBitmap& picture);

// The thumbnail of the picture in the file at `path`, decoded with `decoder`;
// null when the file does not decode or the memory is not there.
std::unique_ptr<gdi::CDibSection> MakeFileThumbnail(CPictureDecoder& decoder, const std::string& path);
