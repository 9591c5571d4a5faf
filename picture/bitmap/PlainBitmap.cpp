#include "picture/bitmap/PlainBitmap.h"

#include <new>

#include "picture/decoding/TextException.h"

namespace {

int PlainLineSize(int width, int bitsPerPixel)
{
    int size = static_cast<int>(static_cast<int64_t>(bitsPerPixel) * width / 8);
    if (bitsPerPixel == 1 && width % 8 != 0)
        ++size;
    return size;
}

}  // namespace

CPlainBitmap::CPlainBitmap()
{
    Create(16, 16, 8, false);
}

CPlainBitmap::~CPlainBitmap()
{
    CPlainBitmap::ReleaseStorage();
}

int64_t CPlainBitmap::GetMemorySize() const
{
    int64_t size = static_cast<int64_t>(GetHeight()) * GetLineSize() + 88;
    if (GetBitsPerPixel() <= 15)
        size += 4 * (int64_t {1} << GetBitsPerPixel());
    return size;
}

int CPlainBitmap::GetLineSize() const
{
    return PlainLineSize(GetWidth(), GetBitsPerPixel());
}

void CPlainBitmap::AllocateStorage(int width, int height, int bitsPerPixel, bool alphaFlag)
{
    pixels_ = os::CMemoryBlock::Allocate(static_cast<size_t>(PlainLineSize(width, bitsPerPixel)) * static_cast<size_t>(height));
    if (bitsPerPixel <= 8)
        palette_.reset(new (std::nothrow) BgraPixel[size_t {1} << bitsPerPixel]);
    if (!pixels_ || (bitsPerPixel <= 8 && !palette_))
        throw CTextException(PE_ALLOC_FAILED, "Out of memory creating bitmap.");
    SetPalettePointer(palette_.get());
    FinishCreate(width, height, bitsPerPixel, alphaFlag);
}

void CPlainBitmap::ReleaseStorage()
{
    pixels_.Reset();
    palette_.reset();
    SetPalettePointer(nullptr);
    LineTable().clear();
}

void CPlainBitmap::BuildLineTable()
{
    size_t lineSize = static_cast<size_t>(GetLineSize());
    std::vector<uint8_t*>& lines = LineTable();
    lines.resize(static_cast<size_t>(GetHeight()));
    for (size_t y = 0; y < lines.size(); ++y)
        lines[y] = pixels_.Data() + y * lineSize;
}
