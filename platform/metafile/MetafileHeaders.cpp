#include "platform/metafile/MetafileHeaders.h"

#include <algorithm>
#include <cmath>

#include "platform/metafile/Limits.h"

namespace metafile {

namespace {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint16_t kMetaEof = 0x0000;
constexpr uint16_t kMetaSetWindowOrg = 0x020B;
constexpr uint16_t kMetaSetWindowExt = 0x020C;
constexpr uint16_t kMetaCreatePalette = 0x00F7;

MetaRect ReadRect(CByteView bytes, uint64_t at)
{
    return {bytes.I32(at), bytes.I32(at + 4), bytes.I32(at + 8), bytes.I32(at + 12)};
}

// Pixels of the reference screen to 0.01 mm, rounded up so that the size
// rule gives the pixels back.
int32_t HundredthsOfMillimeter(int64_t pixels, int32_t devicePixels, int32_t deviceMillimeters)
{
    return static_cast<int32_t>((pixels * deviceMillimeters * 100 + devicePixels - 1) / devicePixels);
}

// The entries of a palette-creating record that are not yet in `palette`.
void AddPaletteColors(CByteView record, std::vector<PaletteColor>& palette)
{
    uint16_t count = record.U16(8);
    for (uint16_t i = 0; i < count && palette.size() < kMaxPaletteEntries; ++i) {
        uint64_t entry = 10 + 4 * uint64_t {i};
        PaletteColor color {record.U8(entry), record.U8(entry + 1), record.U8(entry + 2), record.U8(entry + 3)};
        if (std::find(palette.begin(), palette.end(), color) == palette.end())
            palette.push_back(color);
    }
}

}  // namespace

std::optional<EnhancedHeader> ReadEnhancedHeader(CByteView bytes, uint32_t& headerSize)
{
    if (!bytes.Has(0, kEmfHeaderMinimum) || bytes.U32(0) != kEmrHeader || bytes.U32(40) != kEnhancedSignature)
        return std::nullopt;
    headerSize = bytes.U32(4);
    if (headerSize < kEmfHeaderMinimum || headerSize > bytes.Size())
        return std::nullopt;
    EnhancedHeader header;
    header.bounds = ReadRect(bytes, 8);
    header.frame = ReadRect(bytes, 24);
    header.version = bytes.U32(44);
    header.bytes = bytes.U32(48);
    header.records = bytes.U32(52);
    header.handles = bytes.U16(56);
    header.paletteEntries = bytes.U32(68);
    header.device = {bytes.I32(72), bytes.I32(76)};
    header.millimeters = {bytes.I32(80), bytes.I32(84)};
    return header;
}

std::vector<PaletteColor> ReadEnhancedPalette(CByteView bytes, const EnhancedHeader& header)
{
    std::vector<PaletteColor> palette;
    uint64_t at = 0;
    for (uint32_t record = 0; record < kMaxRecords && bytes.Has(at, 8); ++record) {
        uint32_t type = bytes.U32(at);
        uint32_t size = bytes.U32(at + 4);
        if (size < 8 || !bytes.Has(at, size))
            break;
        if (type == kEmrEof) {
            try {
                CByteView eof = bytes.Sub(at, size);
                uint32_t count = std::min({header.paletteEntries, eof.U32(8), kMaxPaletteEntries});
                uint32_t offset = eof.U32(12);
                if (!eof.Has(offset, 4 * uint64_t {count}))
                    break;
                for (uint32_t i = 0; i < count; ++i) {
                    uint64_t entry = offset + 4 * uint64_t {i};
                    palette.push_back({eof.U8(entry), eof.U8(entry + 1), eof.U8(entry + 2), eof.U8(entry + 3)});
                }
            } catch (const MalformedRecord&) {
            }
            break;
        }
        at += size;
    }
    return palette;
}

std::optional<WindowsHeader> ReadWindowsHeader(CByteView bytes)
{
    if (!bytes.Has(0, kWmfHeaderSize))
        return std::nullopt;
    uint16_t type = bytes.U16(0);
    uint16_t headerWords = bytes.U16(2);
    uint16_t version = bytes.U16(4);
    if ((type != 1 && type != 2) || headerWords != kWmfHeaderSize / 2 || (version != 0x0100 && version != 0x0300))
        return std::nullopt;
    return WindowsHeader {bytes.U16(10)};
}

WindowsScan ScanWindowsRecords(CByteView bytes)
{
    WindowsScan scan;
    std::optional<std::pair<int, int>> origin;
    std::optional<std::pair<int, int>> extent;
    uint64_t at = kWmfHeaderSize;
    while (scan.records < kMaxRecords && bytes.Has(at, 6)) {
        uint64_t size = 2 * uint64_t {bytes.U32(at)};
        uint16_t function = bytes.U16(at + 4);
        if (size < 6 || !bytes.Has(at, size))
            break;
        ++scan.records;
        if (function == kMetaEof)
            break;
        try {
            // Both records hold y before x.
            if (function == kMetaSetWindowOrg && !origin)
                origin = std::pair(bytes.I16(at + 8), bytes.I16(at + 6));
            if (function == kMetaSetWindowExt && !extent)
                extent = std::pair(bytes.I16(at + 8), bytes.I16(at + 6));
            if (function == kMetaCreatePalette)
                AddPaletteColors(bytes.Sub(at, size), scan.palette);
        } catch (const MalformedRecord&) {
        }
        at += size;
    }
    if (extent) {
        auto [x, y] = origin.value_or(std::pair(0, 0));
        scan.window = MetaRect {x, y, x + extent->first, y + extent->second};
    }
    return scan;
}

EnhancedHeader ConvertedHeader(const std::optional<MetaRect>& window, uint32_t bytes, const WindowsScan& scan,
                               uint16_t objects)
{
    EnhancedHeader header;
    header.device = kReferencePixels;
    header.millimeters = kReferenceMillimeters;
    int64_t width = kReferencePixels.cx;
    int64_t height = kReferencePixels.cy;
    if (window) {
        double windowWidth = std::abs(static_cast<double>(window->right) - window->left);
        double windowHeight = std::abs(static_cast<double>(window->bottom) - window->top);
        if (windowWidth > 0 && windowHeight > 0) {
            double scale = std::min(kReferencePixels.cx / windowWidth, kReferencePixels.cy / windowHeight);
            width = std::max<int64_t>(1, std::llround(windowWidth * scale));
            height = std::max<int64_t>(1, std::llround(windowHeight * scale));
        }
    }
    header.bounds = {0, 0, static_cast<int32_t>(width - 1), static_cast<int32_t>(height - 1)};
    header.frame = {0, 0, HundredthsOfMillimeter(width, kReferencePixels.cx, kReferenceMillimeters.cx),
                    HundredthsOfMillimeter(height, kReferencePixels.cy, kReferenceMillimeters.cy)};
    header.version = 0x10000;
    header.bytes = bytes;
    header.records = scan.records;
    header.handles = static_cast<uint16_t>(std::min<uint32_t>(objects + 1u, 0xFFFF));
    header.paletteEntries = static_cast<uint32_t>(scan.palette.size());
    return header;
}

}  // namespace metafile
