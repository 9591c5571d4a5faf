#include "picture/bitmap/DibSectionBitmap.h"

#include "picture/decoding/TextException.h"

CDibSectionBitmap::CDibSectionBitmap() : CDibBitmap(NoStorage {})
{
    Create(16, 16, 8, false);
}

CDibSectionBitmap::~CDibSectionBitmap()
{
    CDibSectionBitmap::ReleaseStorage();
}

void CDibSectionBitmap::AllocateStorage(int width, int height, int bitsPerPixel, bool alphaFlag)
{
    AllocateHeaderBlock(width, height, bitsPerPixel, 0);
    InitPointers();
    section_ = gdi::CDibSection::Create(*GetBitmapInfo(), reinterpret_cast<const gdi::RgbQuad*>(GetPalette()));
    if (!section_)
        throw CTextException(PE_ALLOC_FAILED, "Out of memory creating bitmap.");
    SetBits(section_->Bits());
    FinishCreate(width, height, bitsPerPixel, alphaFlag);
}

void CDibSectionBitmap::ReleaseStorage()
{
    CDibBitmap::ReleaseStorage();
    section_.reset();
}

void CDibSectionBitmap::InitPointers()
{
    const gdi::BitmapInfoHeader* header = GetBitmapInfo();
    SetPalettePointer(header->bitCount <= 15 ? reinterpret_cast<BgraPixel*>(reinterpret_cast<uint8_t*>(GetBitmapInfo()) + 40)
                                             : nullptr);
    SetBits(section_ ? section_->Bits() : nullptr);
}

void CDibSectionBitmap::SelectInto(gdi::CMemoryDC& dc) const
{
    // The section keeps the colour table it was made with; bring it up to date.
    if (GetPalette() != nullptr)
        section_->SetColorTable(0, 256, reinterpret_cast<const gdi::RgbQuad*>(GetPalette()));
    dc.SelectBitmap(section_.get());
}

bool CDibSectionBitmap::Draw(gdi::CDeviceContext& dc, int x, int y, uint32_t rasterOp)
{
    gdi::CMemoryDC memory;
    SelectInto(memory);
    return gdi::BitBlt(dc, x, y, GetWidth(), GetHeight(), memory, 0, 0, rasterOp);
}

bool CDibSectionBitmap::DrawPart(gdi::CDeviceContext& dc, int x, int y, const gdi::Rect& sourceRect)
{
    gdi::CMemoryDC memory;
    SelectInto(memory);
    return gdi::BitBlt(dc, x, y, sourceRect.Width(), sourceRect.Height(), memory, sourceRect.left, sourceRect.top,
                       gdi::SRCCOPY);
}

os::PackedDib CDibSectionBitmap::CopyToGlobalMemory() const
{
    return PackDib("Out of memory creating bitmap.");
}
