#include "picture/bitmap/DibBitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "picture/decoding/TextException.h"

CDibBitmap::CDibBitmap()
{
    Create(16, 16, 8, false);
}

CDibBitmap::~CDibBitmap()
{
    CDibBitmap::ReleaseStorage();
}

int CDibBitmap::GetLineSize() const
{
    return static_cast<int>(gdi::DibStride(GetWidth(), GetBitsPerPixel()));
}

int64_t CDibBitmap::GetMemorySize() const
{
    return static_cast<int64_t>(GetLineSize()) * GetHeight() + 40 + static_cast<int64_t>(ColorTableBytes()) + 48;
}

size_t CDibBitmap::ColorTableBytes() const
{
    return GetBitsPerPixel() <= 15 ? 4 * (size_t {1} << GetBitsPerPixel()) : 0;
}

void CDibBitmap::AllocateHeaderBlock(int width, int height, int bitsPerPixel, size_t pixelBytes)
{
    size_t tableBytes = bitsPerPixel <= 15 ? 4 * (size_t {1} << bitsPerPixel) : 0;
    block_ = os::CMemoryBlock::Allocate(sizeof(gdi::BitmapInfoHeader) + tableBytes + pixelBytes);
    if (!block_)
        throw CTextException(PE_ALLOC_FAILED, "Out of memory creating bitmap.");
    gdi::BitmapInfoHeader header;
    header.width = width;
    header.height = height;
    header.bitCount = static_cast<uint16_t>(bitsPerPixel);
    std::memcpy(block_.Data(), &header, sizeof header);
}

void CDibBitmap::AllocateStorage(int width, int height, int bitsPerPixel, bool alphaFlag)
{
    size_t pixelBytes = static_cast<size_t>(gdi::DibStride(width, bitsPerPixel)) * static_cast<size_t>(height);
    AllocateHeaderBlock(width, height, bitsPerPixel, pixelBytes);
    InitPointers();
    FinishCreate(width, height, bitsPerPixel, alphaFlag);
}

void CDibBitmap::ReleaseStorage()
{
    block_.Reset();
    bits_ = nullptr;
    SetPalettePointer(nullptr);
    LineTable().clear();
}

void CDibBitmap::InitPointers()
{
    const gdi::BitmapInfoHeader* header = GetBitmapInfo();
    size_t tableBytes = header->bitCount <= 15 ? 4 * (size_t {1} << header->bitCount) : 0;
    SetPalettePointer(tableBytes > 0 ? reinterpret_cast<BgraPixel*>(block_.Data() + 40) : nullptr);
    bits_ = block_.Data() + 40 + tableBytes;
}

void CDibBitmap::BuildLineTable()
{
    size_t lineSize = static_cast<size_t>(GetLineSize());
    size_t height = static_cast<size_t>(GetHeight());
    std::vector<uint8_t*>& lines = LineTable();
    lines.resize(height);
    for (size_t y = 0; y < height; ++y)
        lines[y] = bits_ + (height - 1 - y) * lineSize;
}

gdi::DibPixels CDibBitmap::GetDibPixels() const
{
    int colorCount = GetBitsPerPixel() <= 8 ? 1 << GetBitsPerPixel() : 0;
    return {GetWidth(),
            GetHeight(),
            GetBitsPerPixel(),
            GetLineSize(),
            bits_,
            reinterpret_cast<const gdi::RgbQuad*>(GetPalette()),
            colorCount};
}

bool CDibBitmap::Draw(gdi::CDeviceContext& dc, int x, int y, uint32_t rasterOp)
{
    gdi::Rect whole {0, 0, GetWidth(), GetHeight()};
    return gdi::StretchDIBits(dc, {x, y, x + GetWidth(), y + GetHeight()}, whole, GetDibPixels(), rasterOp);
}

bool CDibBitmap::StretchDraw(gdi::CDeviceContext& dc, int x, int y, int width, int height, uint32_t rasterOp)
{
    gdi::Rect whole {0, 0, GetWidth(), GetHeight()};
    return gdi::StretchDIBits(dc, {x, y, x + width, y + height}, whole, GetDibPixels(), rasterOp);
}

bool CDibBitmap::StretchDrawByFactor(gdi::CDeviceContext& dc, int x, int y, double factor, uint32_t rasterOp)
{
    return StretchDraw(dc, x, y, static_cast<int>(GetWidth() * factor), static_cast<int>(GetHeight() * factor),
                       rasterOp);
}

bool CDibBitmap::DrawPart(gdi::CDeviceContext& dc, int x, int y, const gdi::Rect& sourceRect)
{
    return gdi::SetDIBitsToDevice(dc, x, y, sourceRect, GetDibPixels());
}

void CDibBitmap::CreateFromPackedDib(const uint8_t* packedDib, size_t size)
{
    gdi::BitmapInfoHeader header;
    if (packedDib == nullptr || size < sizeof header)
        throw CTextException(PE_FORMAT_ERROR, "Packed DIB is shorter than its header.");
    std::memcpy(&header, packedDib, sizeof header);
    int depth = header.bitCount;
    bool topDown = header.height < 0;
    int64_t height = topDown ? -static_cast<int64_t>(header.height) : header.height;
    if (header.size < sizeof header || header.compression != gdi::BI_RGB || (depth != 1 && depth != 8 && depth != 32) ||
        header.width <= 0 || height <= 0 || height > kMaxBitmapSide)
        throw CTextException(PE_FORMAT_ERROR, "Packed DIB is not an uncompressed 1, 8 or 32-bit bitmap.");

    int tableEntries = depth <= 8 ? 1 << depth : 0;
    if (depth <= 8 && header.clrUsed != 0)
        tableEntries = static_cast<int>(std::min<uint32_t>(header.clrUsed, static_cast<uint32_t>(tableEntries)));
    uint64_t stride = static_cast<uint64_t>(gdi::DibStride(header.width, depth));
    uint64_t pixelsAt = header.size + 4ull * static_cast<uint64_t>(tableEntries);
    if (pixelsAt + stride * static_cast<uint64_t>(height) > size)
        throw CTextException(PE_FORMAT_ERROR, "Packed DIB is shorter than its pixels.");

    Create(header.width, static_cast<int>(height), depth, false);
    if (tableEntries > 0)
        std::memcpy(GetPalette(), packedDib + header.size, 4 * static_cast<size_t>(tableEntries));
    for (int y = 0; y < GetHeight(); ++y) {
        int64_t stored = topDown ? y : height - 1 - y;
        std::memcpy(GetLines()[y], packedDib + pixelsAt + static_cast<uint64_t>(stored) * stride,
                    static_cast<size_t>(stride));
    }
}

os::PackedDib CDibBitmap::PackDib(const char* failureText) const
{
    os::PackedDib dib;
    try {
        dib.resize(static_cast<size_t>(GetMemorySize()));
    } catch (const std::bad_alloc&) {
        throw CTextException(PE_ALLOC_FAILED, failureText);
    }
    size_t headerAndTable = sizeof(gdi::BitmapInfoHeader) + ColorTableBytes();
    std::memcpy(dib.data(), block_.Data(), headerAndTable);
    std::memcpy(dib.data() + headerAndTable, bits_, static_cast<size_t>(GetLineSize()) * GetHeight());
    return dib;
}

os::PackedDib CDibBitmap::CopyToGlobalMemory() const
{
    return PackDib("Can't allocate global memory block.");
}

bool CDibBitmap::CopyToClipboard() const
{
    os::IClipboardBackend* clipboard = os::GetClipboardBackend();
    if (clipboard == nullptr || !clipboard->Open())
        return false;
    try {
        clipboard->Empty();
        clipboard->SetDib(CopyToGlobalMemory());
    } catch (...) {
        clipboard->Close();
        throw;
    }
    return clipboard->Close();
}
