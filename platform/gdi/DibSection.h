#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/BitmapInfo.h"
#include "platform/gdi/Colors.h"
#include "platform/gdi/DibPixels.h"
#include "platform/os/MemoryBlock.h"

namespace gdi {

// A bitmap object whose pixels are DIB memory that the program can write
// directly and a memory device context can draw into. It keeps its own copy of
// the colour table it was created with; SetColorTable replaces entries.
class CDibSection {
public:
    // Null when the header is not a bottom-up 1, 8 or 32-bit DIB or the pixels
    // cannot be allocated. `colors` holds the header's colour table (may be null).
    static std::unique_ptr<CDibSection> Create(const BitmapInfoHeader& header, const RgbQuad* colors);
    CDibSection(const CDibSection&) = delete;
    CDibSection& operator=(const CDibSection&) = delete;

    const BitmapInfoHeader& Header() const { return header_; }
    int Width() const { return header_.width; }
    int Height() const { return header_.height; }
    int BitsPerPixel() const { return header_.bitCount; }
    int Stride() const { return static_cast<int>(DibStride(header_.width, header_.bitCount)); }
    uint8_t* Bits() const { return bits_.Data(); }
    const std::vector<RgbQuad>& ColorTable() const { return colors_; }

    // Replaces `count` entries from `first`, as far as the table reaches; returns how many changed.
    int SetColorTable(int first, int count, const RgbQuad* colors);

    DibPixels Pixels() const;

private:
    CDibSection(const BitmapInfoHeader& header, os::CMemoryBlock bits);

    BitmapInfoHeader header_;
    os::CMemoryBlock bits_;
    std::vector<RgbQuad> colors_;
};

}  // namespace gdi
