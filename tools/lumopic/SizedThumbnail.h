#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "picture/bitmap/DibBitmap.h"
#include "picture/decoding/PictureDecoder.h"

// The sizes a sized thumbnail may be asked for.
constexpr int kSmallestThumbnailSize = 1;
constexpr int kLargestThumbnailSize = 2048;

// The size of the thumbnail of a picture of `picture` whose longer side is
// `size`: the aspect kept, each side at least 1, and never larger than the picture.
PictureSize SizedThumbnailSize(PictureSize picture, int size);

// The thumbnail of the picture at `path` whose longer side is `size` pixels,
// at 32 bits with the picture's alpha. Pictures are decoded at 32 bits (and
// JPEG files reduced while decoding) and then shrunk by box averaging.
// Throws the decoder's CTextException when the file does not decode.
std::unique_ptr<CDibBitmap> MakeSizedThumbnail(CPictureDecoder& decoder, const std::string& path, int size);
