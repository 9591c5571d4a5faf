#include "platform/metafile/DibImage.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/DibCore.h"
#include "platform/metafile/GdiConstants.h"
#include "platform/metafile/Limits.h"

namespace metafile {

namespace {

// A bitmap's header as the player reads it: the header's fields, its masks
// and where its colour table lies.
struct DibLayout {
    ::gdi::DibHeader header;
    bool masked = false;
    ::gdi::DibMasks masks;
    uint64_t tableOffset = 0;
    uint64_t tableEntries = 0;
    uint64_t tableEntrySize = 4;

    uint64_t End() const { return tableOffset + tableEntries * tableEntrySize; }
};

// Fields that are not there make the record malformed.
template <typename T>
T Present(std::optional<T> value)
{
    if (!value)
        throw MalformedRecord {};
    return *value;
}

os::CByteReader ReaderOf(CByteView view)
{
    return {view.Data(), view.Size()};
}

std::optional<DibLayout> ReadLayout(CByteView info, uint32_t usage)
{
    if (!info.Has(0, ::gdi::DibHeaderFieldBytes(info.U32(0))))
        throw MalformedRecord {};
    std::optional<::gdi::DibHeader> header = ::gdi::ReadDibHeader(ReaderOf(info));
    if (!header)
        return std::nullopt;
    DibLayout layout;
    layout.header = *header;
    layout.tableOffset = header->size;
    if (header->Core())
        layout.tableEntrySize = 3;
    layout.masked = header->compression == gdi::BI_BITFIELDS || header->compression == gdi::BI_ALPHABITFIELDS;
    if (layout.masked) {
        int maskCount = header->compression == gdi::BI_ALPHABITFIELDS ? 4 : 3;
        layout.masks = Present(
            ::gdi::ReadDibMasks(ReaderOf(info), ::gdi::DibMasksOffset(header->size, maskCount), maskCount));
        if (header->size == ::gdi::kDibInfoHeaderSize)
            layout.tableOffset += 4 * maskCount;
    }
    if (header->bitCount <= 8 && header->bitCount > 0) {
        uint64_t full = uint64_t {1} << header->bitCount;
        layout.tableEntries = header->colorsUsed != 0 && header->colorsUsed < full ? header->colorsUsed : full;
    } else if (!layout.masked && header->colorsUsed <= (1u << 16)) {
        layout.tableEntries = header->colorsUsed;  // an optimisation table, not used
    }
    if (usage == gdi::DIB_PAL_COLORS)
        layout.tableEntrySize = 2;
    else if (usage == gdi::DIB_PAL_INDICES)
        layout.tableEntries = 0;
    if (header->width <= 0 || header->Rows() == 0 ||
        static_cast<uint64_t>(header->width) * static_cast<uint64_t>(header->Rows()) > kMaxBitmapPixels)
        return std::nullopt;
    return layout;
}

std::vector<QRgb> ReadColorTable(const DibLayout& layout, CByteView info, uint32_t usage, const LogPalette& palette)
{
    // Indices beyond a short table show black.
    std::vector<QRgb> table(256, qRgb(0, 0, 0));
    for (uint64_t i = 0; i < std::min<uint64_t>(layout.tableEntries, 256); ++i) {
        uint64_t at = layout.tableOffset + i * layout.tableEntrySize;
        if (usage == gdi::DIB_PAL_COLORS) {
            const std::vector<PaletteColor>& entries = palette.entries;
            if (entries.empty())
                continue;
            const PaletteColor& entry = entries[std::min<size_t>(info.U16(at), entries.size() - 1)];
            table[i] = qRgb(entry.red, entry.green, entry.blue);
        } else {
            table[i] = qRgb(info.U8(at + 2), info.U8(at + 1), info.U8(at));
        }
    }
    return table;
}

::gdi::DibChannels ChannelsOf(const DibLayout& layout)
{
    const ::gdi::DibMasks& masks = layout.masks;
    if (layout.masked && (masks.red | masks.green | masks.blue) != 0)
        return ::gdi::DibChannels(masks);
    if (layout.header.bitCount == 16)
        return ::gdi::DibChannels({0x7C00, 0x03E0, 0x001F, 0});
    return ::gdi::DibChannels({0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000});
}

void DecodeRow(const ::gdi::DibHeader& header, const uint8_t* data, const std::vector<QRgb>& table,
               const ::gdi::DibChannels& masks, QRgb* out)
{
    int64_t width = header.width;
    int depth = header.bitCount;
    if (depth <= 8) {
        int perByte = 8 / depth;
        int mask = (1 << depth) - 1;
        for (int64_t x = 0; x < width; ++x) {
            int shift = (perByte - 1 - static_cast<int>(x % perByte)) * depth;
            out[x] = table[(data[x / perByte] >> shift) & mask];
        }
        return;
    }
    int bytes = depth / 8;
    for (int64_t x = 0; x < width; ++x) {
        uint32_t value = os::LoadLittleEndian<uint32_t>(data + x * bytes, static_cast<size_t>(bytes));
        int alpha = depth == 32 && masks.alpha.Present() ? masks.alpha.Of(value) : 255;
        out[x] = qRgba(masks.red.Of(value), masks.green.Of(value), masks.blue.Of(value), alpha);
    }
}

std::optional<DibImage> DecodeUncompressed(const DibLayout& layout, CByteView bits, const std::vector<QRgb>& table,
                                           uint64_t rows)
{
    const ::gdi::DibHeader& header = layout.header;
    uint64_t rowBytes = (static_cast<uint64_t>(header.width) * header.bitCount + 7) / 8;
    uint64_t stride = (rowBytes + 3) & ~uint64_t {3};
    // The last row's padding may be missing.
    if (rows == 0 || stride * (rows - 1) + rowBytes > bits.Size())
        return std::nullopt;
    DibImage dib;
    dib.image = QImage(static_cast<int>(header.width), static_cast<int>(rows), QImage::Format_ARGB32);
    if (dib.image.isNull())
        return std::nullopt;
    dib.alphaChannel = header.bitCount == 32;
    ::gdi::DibChannels masks = ChannelsOf(layout);
    for (uint64_t row = 0; row < rows; ++row) {
        uint64_t line = header.TopDown() ? row : rows - 1 - row;
        DecodeRow(header, bits.Data() + row * stride, table, masks,
                  reinterpret_cast<QRgb*>(dib.image.scanLine(static_cast<int>(line))));
    }
    return dib;
}

// Run-length encoded rows, bottom-up; pixels a delta skips stay out (alpha 0),
// and so do the rows the codes never reach.
std::optional<DibImage> DecodeRunLength(const ::gdi::DibHeader& header, CByteView bits, const std::vector<QRgb>& table)
{
    DibImage dib;
    int width = static_cast<int>(header.width);
    int height = static_cast<int>(header.Rows());
    dib.image = QImage(width, height, QImage::Format_ARGB32);
    if (dib.image.isNull())
        return std::nullopt;
    dib.image.fill(Qt::transparent);
    ::gdi::CRunLengthCodes input({bits.Data(), bits.Size()});
    ::gdi::WalkRunLength(input, header.compression == gdi::BI_RLE4, width, height, ::gdi::DeltaEscapes::Follow,
                         [&](int64_t x, int64_t row, uint8_t index) {
                             reinterpret_cast<QRgb*>(dib.image.scanLine(height - 1 - static_cast<int>(row)))[x] =
                                 table[index];
                         });
    dib.holes = true;
    return dib;
}

std::optional<DibImage> DecodeEmbedded(CByteView bits, const char* format)
{
    DibImage dib;
    QImage image;
    if (!image.loadFromData(bits.Data(), static_cast<int>(std::min<size_t>(bits.Size(), INT32_MAX)), format))
        return std::nullopt;
    if (static_cast<uint64_t>(image.width()) * static_cast<uint64_t>(image.height()) > kMaxBitmapPixels)
        return std::nullopt;
    dib.image = image.convertToFormat(QImage::Format_ARGB32);
    dib.alphaChannel = image.hasAlphaChannel();
    return dib;
}

std::optional<DibImage> DecodePixels(const DibLayout& layout, CByteView info, CByteView bits, uint32_t usage,
                                     const LogPalette& palette, std::optional<uint32_t> rows)
{
    const ::gdi::DibHeader& header = layout.header;
    switch (header.compression) {
    case gdi::BI_JPEG: return DecodeEmbedded(bits, "JPEG");
    case gdi::BI_PNG: return DecodeEmbedded(bits, "PNG");
    case gdi::BI_RLE8:
    case gdi::BI_RLE4:
        if (header.bitCount != (header.compression == gdi::BI_RLE8 ? 8 : 4))
            return std::nullopt;
        return DecodeRunLength(header, bits, ReadColorTable(layout, info, usage, palette));
    case gdi::BI_RGB:
    case gdi::BI_BITFIELDS:
    case gdi::BI_ALPHABITFIELDS: break;
    default: return std::nullopt;
    }
    static constexpr uint16_t kDepths[] = {1, 2, 4, 8, 16, 24, 32};
    if (std::find(std::begin(kDepths), std::end(kDepths), header.bitCount) == std::end(kDepths))
        return std::nullopt;
    uint64_t rowCount = std::min<uint64_t>(rows.value_or(static_cast<uint32_t>(header.Rows())), header.Rows());
    return DecodeUncompressed(layout, bits, ReadColorTable(layout, info, usage, palette), rowCount);
}

}  // namespace

std::optional<DibImage> DecodeBitmap16(CByteView bitmap, uint64_t bitsAt)
{
    int width = bitmap.I16(2);
    int height = bitmap.I16(4);
    uint64_t rowBytes = bitmap.U16(6);
    int planes = bitmap.U8(8);
    int depth = bitmap.U8(9);
    if (width <= 0 || height <= 0 || planes != 1 || (depth != 1 && depth != 24) ||
        rowBytes < (static_cast<uint64_t>(width) * depth + 7) / 8 || !bitmap.Has(bitsAt, rowBytes * height))
        return std::nullopt;
    DibImage dib;
    dib.bottomUp = false;
    dib.image = QImage(width, height, QImage::Format_ARGB32);
    if (dib.image.isNull())
        return std::nullopt;
    for (int y = 0; y < height; ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(dib.image.scanLine(y));
        uint64_t row = bitsAt + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            if (depth == 1)
                out[x] = (bitmap.U8(row + x / 8) >> (7 - x % 8)) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            else
                out[x] = qRgb(bitmap.U8(row + 3 * x + 2), bitmap.U8(row + 3 * x + 1), bitmap.U8(row + 3 * x));
        }
    }
    return dib;
}

QImage TwoToneMask(const DibImage& dib)
{
    QImage mask(dib.image.size(), QImage::Format_ARGB32);
    for (int y = 0; y < mask.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(dib.image.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < mask.width(); ++x)
            out[x] = (in[x] & 0x00FFFFFF) == (dib.firstColor & 0x00FFFFFF) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
    return mask;
}

std::optional<DibImage> DecodeDib(CByteView info, CByteView bits, uint32_t usage, const LogPalette& palette,
                                  std::optional<uint32_t> rows)
{
    std::optional<DibLayout> layout = ReadLayout(info, usage);
    if (!layout)
        return std::nullopt;
    std::optional<DibImage> dib = DecodePixels(*layout, info, bits, usage, palette, rows);
    if (dib) {
        dib->bottomUp = !layout->header.TopDown();
        if (layout->tableEntries > 0)
            dib->firstColor = ReadColorTable(*layout, info, usage, palette)[0];
    }
    return dib;
}

std::optional<DibImage> DecodePackedDib(CByteView packed, uint32_t usage, const LogPalette& palette,
                                        std::optional<uint32_t> rows)
{
    std::optional<DibLayout> layout = ReadLayout(packed, usage);
    if (!layout)
        return std::nullopt;
    return DecodeDib(packed, packed.From(layout->End()), usage, palette, rows);
}

}  // namespace metafile
