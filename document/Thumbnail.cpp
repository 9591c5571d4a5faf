#include "document/Thumbnail.h"

#include <algorithm>

#include "picture/bitmap/DisplayBitmap.h"
#include "picture/decoding/PictureDecoder.h"
#include "picture/decoding/TextException.h"
#include "platform/gdi/Colors.h"
#include "platform/gdi/MemoryDC.h"

namespace {

// The reciprocals of the thumbnail's width and height.
constexpr double kPerWidth = 0.01;
constexpr double kPerHeight = 0.013333333333333334;

}  // namespace

ThumbnailPlacement PlaceThumbnail(int pictureWidth, int pictureHeight)
{
    ThumbnailPlacement place;
    if (pictureWidth > kThumbnailWidth || pictureHeight > kThumbnailHeight)
        place.scale = 1.0 / std::max(pictureWidth * kPerWidth, pictureHeight * kPerHeight);
    place.width = static_cast<int>(pictureWidth * place.scale);
    place.height = static_cast<int>(pictureHeight * place.scale);
    place.x = (kThumbnailWidth - place.width) / 2;
    place.y = (kThumbnailHeight - place.height) / 2;
    return place;
}

std::unique_ptr<gdi::CDibSection> MakeThumbnail(CDisplayBitmap& picture)
{
    return MakeThumbnail(picture, {picture.GetWidth(), picture.GetHeight()});
}

std::unique_ptr<gdi::CDibSection> MakeThumbnail(CDisplayBitmap& picture, PictureSize fullSize)
{
    gdi::BitmapInfoHeader header = *picture.GetBitmapInfo();
    header.width = kThumbnailWidth;
    header.height = kThumbnailHeight;
    std::unique_ptr<gdi::CDibSection> thumbnail =
        gdi::CDibSection::Create(header, reinterpret_cast<const gdi::RgbQuad*>(picture.GetPalette()));
    if (!thumbnail)
        return nullptr;
    gdi::CMemoryDC dc;
    dc.SelectBitmap(thumbnail.get());
    dc.FillRect({0, 0, kThumbnailWidth, kThumbnailHeight}, gdi::GetSysColor(gdi::COLOR_BTNFACE));
    ThumbnailPlacement place = PlaceThumbnail(fullSize.width, fullSize.height);
    picture.StretchDraw(dc, place.x, place.y, place.width, place.height, gdi::SRCCOPY);
    dc.SelectBitmap(nullptr);
    return thumbnail;
}

std::unique_ptr<gdi::CDibSection> DecodeThumbnail(CPictureDecoder& decoder, const std::string& path)
{
    CDisplayBitmap picture;
    PictureSize fullSize = decoder.DecodeFileReduced(path.c_str(), picture, 0, kThumbnailSourceSize);
    picture.SetBlank(false);
    return MakeThumbnail(picture, fullSize);
}

std::unique_ptr<gdi::CDibSection> MakeFileThumbnail(CPictureDecoder& decoder, const std::string& path)
{
    try {
        return DecodeThumbnail(decoder, path);
    } catch (const CTextException&) {
        return nullptr;
    }
}
