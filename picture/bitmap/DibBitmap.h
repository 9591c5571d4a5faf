#pragma once

#include <cstddef>

#include "picture/bitmap/PictureBitmap.h"
#include "platform/gdi/BitmapInfo.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/os/Clipboard.h"
#include "platform/os/MemoryBlock.h"

// A bitmap kept as a packed device-independent bitmap: one block holding the
// 40-byte header, the colour table (which is the palette) and the rows,
// bottom row first, each padded to 4 bytes. It draws into device contexts and
// copies itself to the clipboard without conversion.
class CDibBitmap : public CPictureBitmap {
public:
    CDibBitmap();
    ~CDibBitmap() override;

    int64_t GetMemorySize() const override;
    int GetLineSize() const override;

    // Each returns whether the drawing call succeeded.
    virtual bool Draw(gdi::CDeviceContext& dc, int x, int y, uint32_t rasterOp);
    virtual bool StretchDraw(gdi::CDeviceContext& dc, int x, int y, int width, int height, uint32_t rasterOp);
    virtual bool StretchDrawByFactor(gdi::CDeviceContext& dc, int x, int y, double factor, uint32_t rasterOp);
    // sourceRect: left, top, right, bottom in picture pixels, counted from the top.
    virtual bool DrawPart(gdi::CDeviceContext& dc, int x, int y, const gdi::Rect& sourceRect);
    // Makes this bitmap a copy of a packed DIB of 1, 8 or 32 bits.
    virtual void CreateFromPackedDib(const uint8_t* packedDib, size_t size);
    // An owned packed DIB of GetMemorySize() bytes, as the clipboard takes it.
    virtual os::PackedDib CopyToGlobalMemory() const;
    // Puts CopyToGlobalMemory() on the clipboard; false when it cannot be opened.
    bool CopyToClipboard() const;

    gdi::BitmapInfoHeader* GetBitmapInfo() const { return reinterpret_cast<gdi::BitmapInfoHeader*>(block_.Data()); }
    uint8_t* GetBits() const { return bits_; }
    // The pixels as the drawing routines read them.
    gdi::DibPixels GetDibPixels() const;

protected:
    struct NoStorage {};
    explicit CDibBitmap(NoStorage) {}

    void AllocateStorage(int width, int height, int bitsPerPixel, bool alphaFlag) override;
    void ReleaseStorage() override;
    void BuildLineTable() override;
    virtual void InitPointers();

    // Allocates the block for header, colour table and `pixelBytes`; fills the header.
    void AllocateHeaderBlock(int width, int height, int bitsPerPixel, size_t pixelBytes);
    void SetBits(uint8_t* bits) { bits_ = bits; }
    size_t ColorTableBytes() const;
    os::PackedDib PackDib(const char* failureText) const;

private:
    os::CMemoryBlock block_;
    uint8_t* bits_ = nullptr;
};
