#include "tests/support/RenderedMetafile.h"

#include <memory>

#include "platform/metafile/Metafile.h"

namespace {

RenderedMetafile Render(const metafile::CMetafile* loaded, int width, int height)
{
    RenderedMetafile picture;
    if (loaded == nullptr)
        return picture;
    picture.loaded = true;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    loaded->Render(width, height, [&](int y, const uint32_t* row) {
        std::copy_n(row, width, picture.pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    });
    return picture;
}

}  // namespace

int RenderedMetafile::Count(uint32_t rgb, int left, int top, int right, int bottom) const
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += At(x, y) == rgb;
    return count;
}

RenderedMetafile RenderEnhanced(const std::vector<uint8_t>& bytes, int width, int height)
{
    return Render(metafile::CMetafile::LoadEnhanced(bytes.data(), bytes.size()).get(), width, height);
}

RenderedMetafile RenderWindows(const std::vector<uint8_t>& bytes, int width, int height)
{
    return Render(metafile::CMetafile::LoadWindows(bytes.data(), bytes.size()).get(), width, height);
}
