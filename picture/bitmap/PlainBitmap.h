#pragma once

#include <memory>

#include "picture/bitmap/PictureBitmap.h"
#include "platform/os/MemoryBlock.h"

// A bitmap in plain heap blocks, rows top-down and unpadded; used for
// temporary pictures. A new one is 16 x 16, 8 bits, grey palette.
class CPlainBitmap : public CPictureBitmap {
public:
    CPlainBitmap();
    ~CPlainBitmap() override;

    int64_t GetMemorySize() const override;
    int GetLineSize() const override;

protected:
    void AllocateStorage(int width, int height, int bitsPerPixel, bool alphaFlag) override;
    void ReleaseStorage() override;
    void BuildLineTable() override;

private:
    os::CMemoryBlock pixels_;
    std::unique_ptr<BgraPixel[]> palette_;
};
