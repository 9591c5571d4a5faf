#include "tools/lumopic/SizedThumbnail.h"

#include <algorithm>

#include "platform/gdi/StretchBits.h"

namespace {

// Box averaging weighs every pixel alike. With the colours weighted by their
// alpha first, transparent pixels lend the average none of their colour.
void PremultiplyAlpha(CPictureBitmap& bitmap)
{
    CWriteAccess access(bitmap);
    for (int y = 0; y < bitmap.GetHeight(); ++y) {
        auto* row = reinterpret_cast<BgraPixel*>(bitmap.GetLines()[y]);
        for (int x = 0; x < bitmap.GetWidth(); ++x) {
            BgraPixel& p = row[x];
            for (uint8_t* channel : {&p.blue, &p.green, &p.red})
                *channel = static_cast<uint8_t>((*channel * p.alpha + 127) / 255);
        }
    }
}

void UnpremultiplyAlpha(CPictureBitmap& bitmap)
{
    CWriteAccess access(bitmap);
    for (int y = 0; y < bitmap.GetHeight(); ++y) {
        auto* row = reinterpret_cast<BgraPixel*>(bitmap.GetLines()[y]);
        for (int x = 0; x < bitmap.GetWidth(); ++x) {
            BgraPixel& p = row[x];
            if (p.alpha == 0)
                continue;
            for (uint8_t* channel : {&p.blue, &p.green, &p.red})
                *channel = static_cast<uint8_t>(std::min(255, (*channel * 255 + p.alpha / 2) / p.alpha));
        }
    }
}

// The shorter side scaled as the longer one is, rounded.
int ScaledSide(int side, int longerSide, int size)
{
    return std::max(1, static_cast<int>((static_cast<int64_t>(side) * size + longerSide / 2) / longerSide));
}

}  // namespace

PictureSize SizedThumbnailSize(PictureSize picture, int size)
{
    int longerSide = std::max(picture.width, picture.height);
    if (longerSide <= size)
        return picture;
    if (picture.width >= picture.height)
        return {size, ScaledSide(picture.height, longerSide, size)};
    return {ScaledSide(picture.width, longerSide, size), size};
}

std::unique_ptr<CDibBitmap> MakeSizedThumbnail(CPictureDecoder& decoder, const std::string& path, int size)
{
    CDibBitmap picture;
    PictureSize fullSize = decoder.DecodeFileReduced(path.c_str(), picture, 32, {size, size});
    bool alpha = picture.GetAlphaFlag();
    if (alpha)
        PremultiplyAlpha(picture);
    PictureSize thumbnailSize = SizedThumbnailSize(fullSize, size);
    auto thumbnail = std::make_unique<CDibBitmap>();
    thumbnail->Create(thumbnailSize.width, thumbnailSize.height, 32, alpha);
    gdi::StretchBits(thumbnail->GetDibPixels(), {0, 0, thumbnailSize.width, thumbnailSize.height},
                     picture.GetDibPixels(), {0, 0, picture.GetWidth(), picture.GetHeight()},
                     gdi::StretchQuality::Average);
    if (alpha)
        UnpremultiplyAlpha(*thumbnail);
    return thumbnail;
}
