#include "platform/metafile/DibImage.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "platform/metafile/GdiConstants.h"
#include "platform/metafile/Limits.h"

namespace metafile {

namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

struct DibHeader {
    uint32_t size = 0;
    int64_t width = 0;
    int64_t height = 0;  // negative: rows stored top-down
    uint16_t bitCount = 0;
    uint32_t compression = gdi::BI_RGB;
    uint32_t colorsUsed = 0;
    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    uint64_t tableOffset = 0;
    uint64_t tableEntries = 0;
    uint64_t tableEntrySize = 4;

    bool Core() const { return size == kCoreHeaderSize; }
    int64_t Rows() const { return height < 0 ? -height : height; }
    bool TopDown() const { return height < 0; }
    uint64_t End() const { return tableOffset + tableEntries * tableEntrySize; }
};

std::optional<DibHeader> ReadHeader(CByteView info, uint32_t usage)
{
    DibHeader header;
    header.size = info.U32(0);
    if (header.Core()) {
        header.width = info.U16(4);
        header.height = info.U16(6);
        header.bitCount = info.U16(10);
        header.tableEntrySize = 3;
    } else if (header.size >= kInfoHeaderSize) {
        header.width = info.I32(4);
        header.height = info.I32(8);
        header.bitCount = info.U16(14);
        header.compression = info.U32(16);
        header.colorsUsed = info.U32(32);
    } else {
        return std::nullopt;
    }
    header.tableOffset = header.size;
    bool masked = header.compression == gdi::BI_BITFIELDS || header.compression == gdi::BI_ALPHABITFIELDS;
    if (masked) {
        // Masks sit inside longer headers and behind the short one.
        uint32_t maskCount = header.compression == gdi::BI_ALPHABITFIELDS ? 4 : 3;
        uint64_t at = header.size >= kInfoHeaderSize + 4 * maskCount ? kInfoHeaderSize : header.size;
        for (uint32_t i = 0; i < maskCount; ++i)
            header.masks[i] = info.U32(at + 4 * i);
        if (header.size == kInfoHeaderSize)
            header.tableOffset += 4 * maskCount;
    }
    if (header.bitCount <= 8 && header.bitCount > 0) {
        uint64_t full = uint64_t {1} << header.bitCount;
        header.tableEntries = header.colorsUsed != 0 && header.colorsUsed < full ? header.colorsUsed : full;
    } else if (!masked && header.colorsUsed <= (1u << 16)) {
        header.tableEntries = header.colorsUsed;  // an optimisation table, not used
    }
    if (usage == gdi::DIB_PAL_COLORS)
        header.tableEntrySize = 2;
    else if (usage == gdi::DIB_PAL_INDICES)
        header.tableEntries = 0;
    if (header.width <= 0 || header.Rows() == 0 ||
        static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.Rows()) > kMaxBitmapPixels)
        return std::nullopt;
    return header;
}

std::vector<QRgb> ReadColorTable(const DibHeader& header, CByteView info, uint32_t usage, const LogPalette& palette)
{
    // Indices beyond a short table show black.
    std::vector<QRgb> table(256, qRgb(0, 0, 0));
    for (uint64_t i = 0; i < std::min<uint64_t>(header.tableEntries, 256); ++i) {
        uint64_t at = header.tableOffset + i * header.tableEntrySize;
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

// One bit-field channel widened to 8 bits by shifting.
class Channel {
public:
    explicit Channel(uint32_t mask) : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0)
    {
        int bits = std::popcount(mask);
        left_ = bits < 8 ? 8 - bits : 0;
        right_ = bits > 8 ? bits - 8 : 0;
    }
    int Of(uint32_t value) const { return static_cast<int>((((value & mask_) >> shift_) << left_) >> right_) & 0xFF; }
    bool Present() const { return mask_ != 0; }

private:
    uint32_t mask_;
    int shift_;
    int left_ = 0;
    int right_ = 0;
};

struct Masks {
    Channel red;
    Channel green;
    Channel blue;
    Channel alpha;
};

Masks MasksOf(const DibHeader& header)
{
    bool masked = header.compression == gdi::BI_BITFIELDS || header.compression == gdi::BI_ALPHABITFIELDS;
    if (masked && (header.masks[0] | header.masks[1] | header.masks[2]) != 0)
        return {Channel(header.masks[0]), Channel(header.masks[1]), Channel(header.masks[2]),
                Channel(header.masks[3])};
    if (header.bitCount == 16)
        return {Channel(0x7C00), Channel(0x03E0), Channel(0x001F), Channel(0)};
    return {Channel(0xFF0000), Channel(0x00FF00), Channel(0x0000FF), Channel(0xFF000000)};
}

uint32_t LittleEndianAt(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

void DecodeRow(const DibHeader& header, const uint8_t* data, const std::vector<QRgb>& table, const Masks& masks,
               QRgb* out)
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
        uint32_t value = LittleEndianAt(data + x * bytes, bytes);
        int alpha = depth == 32 && masks.alpha.Present() ? masks.alpha.Of(value) : 255;
        out[x] = qRgba(masks.red.Of(value), masks.green.Of(value), masks.blue.Of(value), alpha);
    }
}

std::optional<DibImage> DecodeUncompressed(const DibHeader& header, CByteView bits, const std::vector<QRgb>& table,
                                           uint64_t rows)
{
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
    Masks masks = MasksOf(header);
    for (uint64_t row = 0; row < rows; ++row) {
        uint64_t line = header.TopDown() ? row : rows - 1 - row;
        DecodeRow(header, bits.Data() + row * stride, table, masks,
                  reinterpret_cast<QRgb*>(dib.image.scanLine(static_cast<int>(line))));
    }
    return dib;
}

// Run-length encoded rows, bottom-up; pixels a delta skips stay out (alpha 0).
std::optional<DibImage> DecodeRunLength(const DibHeader& header, CByteView bits, const std::vector<QRgb>& table)
{
    DibImage dib;
    int width = static_cast<int>(header.width);
    int height = static_cast<int>(header.Rows());
    dib.image = QImage(width, height, QImage::Format_ARGB32);
    if (dib.image.isNull())
        return std::nullopt;
    dib.image.fill(Qt::transparent);
    bool nibbles = header.compression == gdi::BI_RLE4;
    int64_t x = 0;
    int64_t y = 0;  // rows from the bottom
    auto put = [&](int index) {
        if (x < width && y < height)
            reinterpret_cast<QRgb*>(dib.image.scanLine(height - 1 - static_cast<int>(y)))[x] = table[index & 0xFF];
        ++x;
    };
    uint64_t at = 0;
    while (at + 2 <= bits.Size() && y < height) {
        uint8_t count = bits.U8(at);
        uint8_t value = bits.U8(at + 1);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(nibbles ? ((i & 1) ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (at + 2 > bits.Size())
                break;
            x += bits.U8(at);
            y += bits.U8(at + 1);
            at += 2;
        } else {
            uint64_t bytes = nibbles ? (value + 1u) / 2 : value;
            if (at + bytes > bits.Size())
                break;
            for (int i = 0; i < value; ++i)
                put(nibbles ? ((i & 1) ? bits.U8(at + i / 2) & 0x0F : bits.U8(at + i / 2) >> 4) : bits.U8(at + i));
            at += (bytes + 1) & ~uint64_t {1};
        }
    }
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

std::optional<DibImage> DecodePixels(const DibHeader& header, CByteView info, CByteView bits, uint32_t usage,
                                     const LogPalette& palette, std::optional<uint32_t> rows)
{
    switch (header.compression) {
    case gdi::BI_JPEG: return DecodeEmbedded(bits, "JPEG");
    case gdi::BI_PNG: return DecodeEmbedded(bits, "PNG");
    case gdi::BI_RLE8:
    case gdi::BI_RLE4:
        if (header.bitCount != (header.compression == gdi::BI_RLE8 ? 8 : 4))
            return std::nullopt;
        return DecodeRunLength(header, bits, ReadColorTable(header, info, usage, palette));
    case gdi::BI_RGB:
    case gdi::BI_BITFIELDS:
    case gdi::BI_ALPHABITFIELDS: break;
    default: return std::nullopt;
    }
    static constexpr uint16_t kDepths[] = {1, 2, 4, 8, 16, 24, 32};
    if (std::find(std::begin(kDepths), std::end(kDepths), header.bitCount) == std::end(kDepths))
        return std::nullopt;
    uint64_t rowCount = std::min<uint64_t>(rows.value_or(static_cast<uint32_t>(header.Rows())), header.Rows());
    return DecodeUncompressed(header, bits, ReadColorTable(header, info, usage, palette), rowCount);
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
    std::optional<DibHeader> header = ReadHeader(info, usage);
    if (!header)
        return std::nullopt;
    std::optional<DibImage> dib = DecodePixels(*header, info, bits, usage, palette, rows);
    if (dib) {
        dib->bottomUp = !header->TopDown();
        if (header->tableEntries > 0)
            dib->firstColor = ReadColorTable(*header, info, usage, palette)[0];
    }
    return dib;
}

std::optional<DibImage> DecodePackedDib(CByteView packed, uint32_t usage, const LogPalette& palette,
                                        std::optional<uint32_t> rows)
{
    std::optional<DibHeader> header = ReadHeader(packed, usage);
    if (!header)
        return std::nullopt;
    return DecodeDib(packed, packed.From(header->End()), usage, palette, rows);
}

}  // namespace metafile
