#pragma once

#include <memory>
#include <string>

#include "picture/decoding/PictureDecoder.h"
#include "platform/gdi/DibSection.h"

class CDisplayBitmap;

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
// The same for a picture decoded reduced from one of `fullSize`: it is drawn
// into the very rectangle the whole picture would fill.
std::unique_ptr<gdi::CDibSection> MakeThumbnail(CDisplayBitmap& picture, PictureSize fullSize);

// The size below which a thumbnail's picture is not reduced while decoding:
// twice the thumbnail's in both directions, so the box averaging of the
// drawing still has detail to work on.
constexpr PictureSize kThumbnailSourceSize {2 * kThumbnailWidth, 2 * kThumbnailHeight};

// The thumbnail of the picture in the file at `path`, decoded with `decoder`
// no larger than kThumbnailSourceSize needs. Throws the decoder's
// CTextException when the file does not decode; null when the thumbnail's
// memory is not there.
std::unique_ptr<gdi::CDibSection> DecodeThumbnail(CPictureDecoder& decoder, const std::string& path);
// The same, null whatever fails.
std::unique_ptr<gdi::CDibSection> MakeFileThumbnail(CPictureDecoder& decoder, const std::string& path);
