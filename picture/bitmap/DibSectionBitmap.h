#pragma once

#include <memory>

#include "picture/bitmap/DibBitmap.h"
#include "platform/gdi/DibSection.h"
#include "platform/gdi/MemoryDC.h"

// A DIB bitmap whose pixels live in a DIB section, owned apart from the block
// that holds the header and the colour table, so the bitmap can be selected
// into a memory device context.
class CDibSectionBitmap : public CDibBitmap {
public:
    CDibSectionBitmap();
    ~CDibSectionBitmap() override;

    bool Draw(gdi::CDeviceContext& dc, int x, int y, uint32_t rasterOp) override;
    bool DrawPart(gdi::CDeviceContext& dc, int x, int y, const gdi::Rect& sourceRect) override;
    os::PackedDib CopyToGlobalMemory() const override;

    gdi::CDibSection* GetBitmapHandle() const { return section_.get(); }

protected:
    void AllocateStorage(int width, int height, int bitsPerPixel, bool alphaFlag) override;
    void ReleaseStorage() override;
    void InitPointers() override;

    // Selects the section into `dc` with the current palette loaded into it.
    void SelectInto(gdi::CMemoryDC& dc) const;

private:
    std::unique_ptr<gdi::CDibSection> section_;
};
