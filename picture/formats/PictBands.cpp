#include "picture/formats/PictBands.h"

#include <algorithm>
#include <cstring>

#include "picture/decoding/PictureDecoder.h"

namespace {

constexpr int kPaletteSize = 256;

PictRect UnionOf(PictRect area, const PictRect& rect)
{
    area.top = std::min(area.top, rect.top);
    area.left = std::min(area.left, rect.left);
    area.bottom = std::max(area.bottom, rect.bottom);
    area.right = std::max(area.right, rect.right);
    return area;
}

int BytesPerPixel(const CPictureBitmap& bitmap) { return bitmap.GetBitsPerPixel() / 8; }

// Copies `image` into `canvas` with its top-left corner at (x, y) of the canvas.
void Place(const CPictureBitmap& image, int x, int y, CPictureBitmap& canvas)
{
    size_t pixelBytes = static_cast<size_t>(BytesPerPixel(canvas));
    size_t rowBytes = static_cast<size_t>(image.GetWidth()) * pixelBytes;
    for (int row = 0; row < image.GetHeight(); ++row)
        std::memcpy(canvas.GetLines()[y + row] + static_cast<size_t>(x) * pixelBytes, image.GetLines()[row], rowBytes);
}

void FillWhite(CPictureBitmap& canvas)
{
    size_t rowBytes = static_cast<size_t>(canvas.GetWidth()) * static_cast<size_t>(BytesPerPixel(canvas));
    // Index 0 is white in QuickDraw colour tables and in one-bit bitmaps.
    uint8_t fill = canvas.GetBitsPerPixel() == 32 ? 0xFF : 0;
    for (int row = 0; row < canvas.GetHeight(); ++row)
        std::memset(canvas.GetLines()[row], fill, rowBytes);
}

}  // namespace

bool PictPlacement::IsPlainCopy() const
{
    // Without the 16-bit wrap of Width and Height, so a band never reaches
    // beyond the rectangle it claims.
    return bounds.Width() > 0 && bounds.Height() > 0 && sourceRect == bounds &&
           destinationRect.right - destinationRect.left == bounds.Width() &&
           destinationRect.bottom - destinationRect.top == bounds.Height();
}

bool BandMatches(const CPictureBitmap& first, const CPictureBitmap& band)
{
    if (band.GetBitsPerPixel() != first.GetBitsPerPixel() || band.GetAlphaFlag() != first.GetAlphaFlag())
        return false;
    return first.GetBitsPerPixel() != 8 ||
           std::equal(first.GetPalette(), first.GetPalette() + kPaletteSize, band.GetPalette(),
                      [](const BgraPixel& a, const BgraPixel& b) { return std::memcmp(&a, &b, sizeof a) == 0; });
}

void ComposePictBands(CPictureBitmap& bitmap, const PictRect& firstDestination, const std::vector<PictBand>& bands)
{
    if (bands.empty())
        return;
    PictRect area = firstDestination;
    for (const PictBand& band : bands)
        area = UnionOf(area, band.destination);
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    int depth = bitmap.GetBitsPerPixel();
    if (!FitsBitmapLimits(width, height, depth))
        return;
    CPlainBitmap first;
    first.CopyFrom(bitmap, 0);
    bitmap.Create(width, height, depth, first.GetAlphaFlag());
    if (depth == 8)
        bitmap.SetPaletteEntries(first.GetPalette());
    CWriteAccess access(bitmap);
    FillWhite(bitmap);
    // Last to first, so that where images overlap the earlier one is what stays.
    for (auto band = bands.rbegin(); band != bands.rend(); ++band)
        Place(*band->pixels, band->destination.left - area.left, band->destination.top - area.top, bitmap);
    Place(first, firstDestination.left - area.left, firstDestination.top - area.top, bitmap);
}
