#include "platform/gdi/DibSection.h"

#include <algorithm>
#include <new>

namespace gdi {

std::unique_ptr<CDibSection> CDibSection::Create(const BitmapInfoHeader& header, const RgbQuad* colors)
{
    int depth = header.bitCount;
    if (header.width <= 0 || header.height <= 0 || (depth != 1 && depth != 8 && depth != 32))
        return nullptr;
    int64_t bytes = DibStride(header.width, depth) * header.height;
    os::CMemoryBlock bits = os::CMemoryBlock::Allocate(static_cast<size_t>(bytes));
    if (!bits)
        return nullptr;
    std::unique_ptr<CDibSection> section(new (std::nothrow) CDibSection(header, std::move(bits)));
    if (!section)
        return nullptr;
    section->colors_.resize(static_cast<size_t>(DibColorCount(depth)));
    if (colors != nullptr)
        std::copy_n(colors, section->colors_.size(), section->colors_.begin());
    return section;
}

CDibSection::CDibSection(const BitmapInfoHeader& header, os::CMemoryBlock bits)
    : header_(header), bits_(std::move(bits))
{
    header_.size = sizeof(BitmapInfoHeader);
    header_.planes = 1;
    header_.compression = BI_RGB;
}

int CDibSection::SetColorTable(int first, int count, const RgbQuad* colors)
{
    int size = static_cast<int>(colors_.size());
    if (first < 0 || first >= size || count <= 0)
        return 0;
    int changed = std::min(count, size - first);
    std::copy_n(colors, changed, colors_.begin() + first);
    return changed;
}

DibPixels CDibSection::Pixels() const
{
    return {Width(), Height(), BitsPerPixel(), Stride(), bits_.Data(), colors_.data(), static_cast<int>(colors_.size())};
}

}  // namespace gdi
