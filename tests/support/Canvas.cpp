#include "tests/support/Canvas.h"

#include <cstring>

Canvas::Canvas(int width, int height, int depth, const std::vector<gdi::RgbQuad>& colors)
{
    gdi::BitmapInfoHeader header;
    header.width = width;
    header.height = height;
    header.bitCount = static_cast<uint16_t>(depth);
    section = gdi::CDibSection::Create(header, colors.empty() ? nullptr : colors.data());
    dc.SelectBitmap(section.get());
}

BgraPixel Canvas::At(int x, int y) const
{
    BgraPixel pixel;
    std::memcpy(&pixel, section->Pixels().Row(y) + 4 * x, 4);
    return pixel;
}

int Canvas::IndexAt(int x, int y) const
{
    return section->Pixels().Row(y)[x];
}
