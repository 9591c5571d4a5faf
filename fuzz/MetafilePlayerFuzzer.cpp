// Plays arbitrary bytes as a metafile. The first byte chooses the kind (odd:
// enhanced, even: Windows, after a placeable header if there is one), the
// next two the size drawn (1 to 128 pixels a side), the rest is the metafile.

#include <cstddef>
#include <cstdint>

#include "platform/metafile/Metafile.h"

namespace {

constexpr size_t kPrefix = 3;
constexpr size_t kPlaceableHeaderSize = 22;

bool HasPlaceableHeader(const uint8_t* data, size_t size)
{
    return size >= kPlaceableHeaderSize && data[0] == 0xD7 && data[1] == 0xCD && data[2] == 0xC6 && data[3] == 0x9A;
}

int16_t I16At(const uint8_t* p)
{
    return static_cast<int16_t>(p[0] | (p[1] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kPrefix)
        return 0;
    bool enhanced = data[0] & 1;
    int width = 1 + data[1] % 128;
    int height = 1 + data[2] % 128;
    const uint8_t* bytes = data + kPrefix;
    size_t count = size - kPrefix;
    std::unique_ptr<metafile::CMetafile> metafile;
    if (enhanced) {
        metafile = metafile::CMetafile::LoadEnhanced(bytes, count);
    } else if (HasPlaceableHeader(bytes, count)) {
        metafile::MetaRect bounds {I16At(bytes + 6), I16At(bytes + 8), I16At(bytes + 10), I16At(bytes + 12)};
        metafile = metafile::CMetafile::LoadWindows(bytes + kPlaceableHeaderSize, count - kPlaceableHeaderSize, &bounds);
    } else {
        metafile = metafile::CMetafile::LoadWindows(bytes, count);
    }
    if (!metafile)
        return 0;
    uint64_t checksum = metafile->GetPaletteEntries().size();
    metafile->Render(width, height, [&](int, const uint32_t* row) { checksum += row[0]; });
    return checksum == 0xFFFFFFFFFFFFFFFF;  // keeps the rows from being optimised away
}
