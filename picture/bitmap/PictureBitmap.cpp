#include "picture/bitmap/PictureBitmap.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "picture/bitmap/PlainBitmap.h"
#include "picture/decoding/TextException.h"
#include "platform/gdi/BitmapInfo.h"

namespace {

std::atomic<int64_t> pixelLimit {0};

bool ExceedsPixelLimit(int64_t width, int64_t height)
{
    // Divided rather than multiplied, so that no size overflows.
    int64_t limit = pixelLimit.load(std::memory_order_relaxed);
    return limit > 0 && width > limit / std::max<int64_t>(height, 1);
}

// Brackets reading of one bitmap and writing of another.
class AccessScope {
public:
    AccessScope(CPictureBitmap& source, CPictureBitmap& target) : source_(source), target_(target)
    {
        source_.BeginAccess(true, false);
        target_.BeginAccess(false, true);
    }
    ~AccessScope()
    {
        target_.EndAccess();
        source_.EndAccess();
    }
    AccessScope(const AccessScope&) = delete;
    AccessScope& operator=(const AccessScope&) = delete;

private:
    CPictureBitmap& source_;
    CPictureBitmap& target_;
};

bool IsDark(const BgraPixel& color)
{
    return color.red < 128 && color.green < 128 && color.blue < 128;
}

bool BitAt(const uint8_t* row, int x)
{
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// Index of a colour in the 6 x 6 x 6 colour cube used for reductions to 8 bits.
uint8_t CubeIndex(const BgraPixel& color)
{
    auto level = [](uint8_t component) { return (component * 5 + 127) / 255; };
    return static_cast<uint8_t>(level(color.red) * 36 + level(color.green) * 6 + level(color.blue));
}

void CheckCreateArguments(int width, int height, int bitsPerPixel)
{
    if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 32)
        throw CTextException(PE_FORMAT_ERROR, "Bitmaps have 1, 8 or 32 bits per pixel.");
    CheckBitmapSize(width, height, bitsPerPixel);
}

}  // namespace

void SetBitmapPixelLimit(int64_t pixels)
{
    pixelLimit.store(pixels, std::memory_order_relaxed);
}

void CheckBitmapSize(int64_t width, int64_t height, int bitsPerPixel)
{
    if (width < 1 || height < 1 || !FitsBitmapLimits(width, height, bitsPerPixel))
        throw CTextException(PE_ALLOC_FAILED, ExceedsPixelLimit(width, height)
                                                  ? "The picture has more pixels than this program takes."
                                                  : "Out of memory creating bitmap.");
}

bool FitsBitmapLimits(int64_t width, int64_t height, int bitsPerPixel)
{
    return width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           gdi::DibStride(width, bitsPerPixel) * height <= kMaxBitmapBytes && !ExceedsPixelLimit(width, height);
}

void FillGreyRamp(BgraPixel* palette, int count)
{
    int step = count > 1 ? 255 / (count - 1) : 0;
    for (int i = 0; i < count; ++i) {
        auto grey = static_cast<uint8_t>(step * i);
        palette[i] = {grey, grey, grey, 255};
    }
}

void CPictureBitmap::Create(int width, int height, int bitsPerPixel, bool alphaFlag)
{
    CheckCreateArguments(width, height, bitsPerPixel);
    ReleaseStorage();
    try {
        AllocateStorage(width, height, bitsPerPixel, alphaFlag);
    } catch (...) {
        // Fall back to the default picture, so the bitmap never lacks storage.
        ReleaseStorage();
        try {
            AllocateStorage(16, 16, 8, false);
        } catch (...) {
            ClearFields();
        }
        throw;
    }
}

void CPictureBitmap::BeginAccess(bool /*readable*/, bool /*writable*/)
{
    ++accessCount_;
}

void CPictureBitmap::EndAccess()
{
    --accessCount_;
}

void CPictureBitmap::FinishCreate(int width, int height, int bitsPerPixel, bool alphaFlag)
{
    width_ = width;
    height_ = height;
    bitsPerPixel_ = static_cast<uint16_t>(bitsPerPixel);
    alphaFlag_ = alphaFlag;
    BuildLineTable();
    if (bitsPerPixel <= 15)
        FillGreyRamp(palette_, 1 << bitsPerPixel);
}

void CPictureBitmap::ClearFields()
{
    width_ = 0;
    height_ = 0;
    bitsPerPixel_ = 0;
    palette_ = nullptr;
    alphaFlag_ = false;
    lines_.clear();
}

void CPictureBitmap::SetPaletteEntries(const BgraPixel* entries)
{
    if (palette_ != nullptr)
        std::copy_n(entries, 1 << bitsPerPixel_, palette_);
}

void CPictureBitmap::CopyFrom(CPictureBitmap& source, int bitsPerPixel)
{
    int sourceDepth = source.GetBitsPerPixel();
    if (bitsPerPixel == 0 || bitsPerPixel == sourceDepth) {
        if (&source != this)
            CopyPixels(source);
        return;
    }
    if (&source == this) {
        // Converting in place: work from a copy, since Create replaces the pixels.
        CPlainBitmap original;
        static_cast<CPictureBitmap&>(original).CopyPixels(*this);
        CopyFrom(original, bitsPerPixel);
        return;
    }
    Create(source.GetWidth(), source.GetHeight(), bitsPerPixel, source.GetAlphaFlag() && bitsPerPixel == 32);
    AccessScope scope(source, *this);
    if (bitsPerPixel == 32)
        ConvertTo32(source);
    else if (bitsPerPixel == 1)
        ConvertTo1(source);
    else if (sourceDepth == 1)
        Convert1To8(source);
    else
        Convert32To8(source);
}

void CPictureBitmap::CopyPixels(CPictureBitmap& source)
{
    Create(source.GetWidth(), source.GetHeight(), source.GetBitsPerPixel(), source.GetAlphaFlag());
    AccessScope scope(source, *this);
    size_t rowBytes = (static_cast<size_t>(width_) * bitsPerPixel_ + 7) / 8;
    for (int y = 0; y < height_; ++y)
        std::memcpy(lines_[static_cast<size_t>(y)], source.GetLines()[y], rowBytes);
    if (bitsPerPixel_ <= 8)
        SetPaletteEntries(source.GetPalette());
}

void CPictureBitmap::ConvertTo32(CPictureBitmap& source)
{
    const BgraPixel* colors = source.GetPalette();
    int depth = source.GetBitsPerPixel();
    for (int y = 0; y < height_; ++y) {
        const uint8_t* in = source.GetLines()[y];
        auto* out = reinterpret_cast<BgraPixel*>(lines_[static_cast<size_t>(y)]);
        for (int x = 0; x < width_; ++x)
            out[x] = colors[depth == 8 ? in[x] : BitAt(in, x)];
    }
}

void CPictureBitmap::ConvertTo1(CPictureBitmap& source)
{
    palette_[0] = {255, 255, 255, 255};
    palette_[1] = {0, 0, 0, 255};
    const BgraPixel* colors = source.GetPalette();
    int depth = source.GetBitsPerPixel();
    size_t rowBytes = (static_cast<size_t>(width_) + 7) / 8;
    for (int y = 0; y < height_; ++y) {
        const uint8_t* in = source.GetLines()[y];
        uint8_t* out = lines_[static_cast<size_t>(y)];
        std::memset(out, 0, rowBytes);
        for (int x = 0; x < width_; ++x) {
            const BgraPixel& color = depth == 8 ? colors[in[x]] : reinterpret_cast<const BgraPixel*>(in)[x];
            if (IsDark(color))
                out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    }
}

void CPictureBitmap::Convert1To8(CPictureBitmap& source)
{
    for (int i = 0; i < 2; ++i) {
        const BgraPixel& color = source.GetPalette()[i];
        palette_[i] = {color.blue, color.green, color.red, 255};
    }
    for (int y = 0; y < height_; ++y) {
        const uint8_t* in = source.GetLines()[y];
        uint8_t* out = lines_[static_cast<size_t>(y)];
        for (int x = 0; x < width_; ++x)
            out[x] = BitAt(in, x) ? 1 : 0;
    }
}

void CPictureBitmap::Convert32To8(CPictureBitmap& source)
{
    for (int i = 0; i < 256; ++i) {
        auto level = [](int step) { return static_cast<uint8_t>(step * 51); };
        palette_[i] = i < 216 ? BgraPixel {level(i % 6), level(i / 6 % 6), level(i / 36), 255} : BgraPixel {0, 0, 0, 255};
    }
    for (int y = 0; y < height_; ++y) {
        const auto* in = reinterpret_cast<const BgraPixel*>(source.GetLines()[y]);
        uint8_t* out = lines_[static_cast<size_t>(y)];
        for (int x = 0; x < width_; ++x)
            out[x] = CubeIndex(in[x]);
    }
}
