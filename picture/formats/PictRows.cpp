#include "picture/formats/PictRows.h"

#include <algorithm>
#include <new>
#include <cstring>
#include <span>
#include <vector>

#include "picture/bitmap/RowExpansion.h"
#include "picture/decoding/MemoryByteSource.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "platform/os/ByteOrder.h"

namespace {

constexpr int kPackedFrom = 8;
constexpr int kWideCountFrom = 251;

// PackBits: a flag byte f below 0x80 is followed by f + 1 literal units,
// 0x80 does nothing, any other f is followed by one unit repeated 257 - f
// times. A unit is one byte, or two for 16-bit pixels. Output beyond `out` is
// dropped; a unit cut off by the end of the data ends the row. Returns the
// bytes written.
size_t UnpackBits(std::span<const uint8_t> in, std::span<uint8_t> out, size_t unitBytes)
{
    size_t i = 0;
    size_t o = 0;
    while (i < in.size() && o < out.size()) {
        uint8_t flag = in[i++];
        if (flag < 0x80) {
            size_t available = std::min((flag + size_t {1}) * unitBytes, in.size() - i);
            size_t copied = std::min(available, out.size() - o);
            std::memcpy(out.data() + o, in.data() + i, copied);
            i += available;
            o += copied;
        } else if (flag > 0x80) {
            if (in.size() - i < unitBytes)
                break;
            const uint8_t* unit = in.data() + i;
            i += unitBytes;
            size_t bytes = std::min((257 - flag) * unitBytes, out.size() - o);
            if (unitBytes == 1) {
                std::memset(out.data() + o, unit[0], bytes);
            } else {
                for (size_t k = 0; k < bytes; ++k)
                    out[o + k] = unit[k % unitBytes];
            }
            o += bytes;
        }
    }
    return o;
}

void ExpandIndices(BgraPixel* line, const uint8_t* row, int width, int bits, const BgraPixel* colors)
{
    switch (bits) {
    case 1: ExpandIndexRow1(line, row, width, colors); break;
    case 2: ExpandIndexRow2(line, row, width, colors); break;
    case 4: ExpandIndexRow4(line, row, width, colors); break;
    default: ExpandIndexRow8(line, row, width, colors); break;
    }
}

void Expand16(BgraPixel* line, const uint8_t* row, int width)
{
    for (int x = 0; x < width; ++x, row += 2)
        line[x] = Rgb555ToBgra(os::LoadBigEndian<uint16_t>(row), 255);
}

// One plane of width bytes per component: red, green, blue, or alpha first.
void ExpandPlanes(BgraPixel* line, const uint8_t* row, int width, int components)
{
    const uint8_t* red = row + (components - 3) * static_cast<size_t>(width);
    const uint8_t* green = red + width;
    const uint8_t* blue = green + width;
    if (components == 4) {
        for (int x = 0; x < width; ++x)
            line[x] = {blue[x], green[x], red[x], row[x]};
    } else {
        for (int x = 0; x < width; ++x)
            line[x] = OpaqueBgra(red[x], green[x], blue[x]);
    }
}

// The byte count in front of a packed row. Some writers size the count of
// 32-bit rows by the bytes of their planes rather than by width x 4. Where the
// two disagree (planes below 251 bytes, width x 4 not), a two-byte count
// starts with 0, since such a packed row cannot reach 256 bytes; any other
// first byte is a one-byte count.
size_t ReadRowCount(CByteSource& source, const PictRowLayout& layout)
{
    if (layout.CountBytes() == 1)
        return source.ReadU8();
    bool planesTakeOneByte = layout.pixelSize == 32 && int64_t {layout.width} * layout.components < kWideCountFrom;
    if (planesTakeOneByte && source.GetRemaining() > 0 && *source.Peek(1) != 0)
        return source.ReadU8();
    return source.ReadU16BE();
}

class RowReader {
public:
    RowReader(CByteSource& source, const PictRowLayout& layout)
        : source_(source), layout_(layout), buffer_(BufferBytes())
    {
    }

    // The next row, unpacked into a buffer of at least the width's bytes.
    const uint8_t* Next()
    {
        size_t written = 0;
        if (layout_.IsPacked()) {
            size_t count = ReadRowCount(source_, layout_);
            std::span<const uint8_t> data(source_.Read(count), count);
            written = UnpackBits(data, buffer_, layout_.pixelSize == 16 ? 2 : 1);
        } else {
            size_t stored = static_cast<size_t>(layout_.StoredRowBytes());
            written = std::min(stored, buffer_.size());
            std::memcpy(buffer_.data(), source_.Read(stored), written);
        }
        std::fill(buffer_.begin() + static_cast<long>(written), buffer_.end(), 0);
        return buffer_.data();
    }

private:
    size_t BufferBytes() const
    {
        size_t width = static_cast<size_t>(layout_.width);
        if (layout_.pixelSize == 32)
            return width * static_cast<size_t>(layout_.components);
        size_t widthBytes = (width * static_cast<size_t>(layout_.pixelSize) + 7) / 8;
        return std::max(widthBytes, static_cast<size_t>(layout_.StoredRowBytes()));
    }

    CByteSource& source_;
    const PictRowLayout& layout_;
    std::vector<uint8_t> buffer_;
};

}  // namespace

int PictRowLayout::StoredRowBytes() const
{
    if (rowBytes != 0)
        return rowBytes;
    return pixelSize == 32 ? 4 * width : pixelSize == 16 ? 2 * width : width;
}

bool PictRowLayout::IsPacked() const
{
    // 32-bit pixels come only packed, by component planes.
    return pixelSize == 32 || (packable && StoredRowBytes() >= kPackedFrom);
}

int PictRowLayout::CountBytes() const
{
    return StoredRowBytes() < kWideCountFrom ? 1 : 2;
}

void ReadPictRows(CByteSource& source, const PictRowLayout& layout, const BgraPixel* colors, CPictureBitmap& bitmap)
{
    RowReader rows(source, layout);
    bool indices = bitmap.GetBitsPerPixel() == 8;
    for (int y = 0; y < layout.height; ++y) {
        const uint8_t* row = rows.Next();
        uint8_t* line = bitmap.GetLines()[y];
        auto* pixels = reinterpret_cast<BgraPixel*>(line);
        if (indices)
            UnpackIndexRow(line, row, layout.width, layout.pixelSize);
        else if (layout.pixelSize == 32)
            ExpandPlanes(pixels, row, layout.width, layout.components);
        else if (layout.pixelSize == 16)
            Expand16(pixels, row, layout.width);
        else
            ExpandIndices(pixels, row, layout.width, layout.pixelSize, colors);
    }
}

void SkipPictRows(CByteSource& source, const PictRowLayout& layout)
{
    for (int y = 0; y < layout.height; ++y) {
        if (!layout.IsPacked())
            source.Skip(static_cast<size_t>(layout.StoredRowBytes()));
        else
            source.Skip(ReadRowCount(source, layout));
    }
}

void CheckPictRowsPresent(CByteSource& source, const PictRowLayout& layout)
{
    CMemoryByteSource rest;
    rest.OpenMemory(source.GetReadPointer(), static_cast<size_t>(source.GetRemaining()));
    SkipPictRows(rest, layout);
}

PaletteBuffer ReadPictColorTable(CByteSource& source, bool traced)
{
    constexpr int kPaletteSize = 256;
    if (traced)
        WriteTrace(3, "Getting color table info.\n");
    source.Skip(4);  // seed
    bool indexOrder = (source.ReadU16BE() & 0x8000) != 0;
    int entries = (source.ReadU16BE() + 1) & 0xFFFF;
    if (traced) {
        WriteTraceFormat(2, "Palette Size:  %d\n", entries);
        WriteTrace(3, "Reading Palette.\n");
    }
    PaletteBuffer table(new (std::nothrow) BgraPixel[kPaletteSize]);
    if (table == nullptr)
        ThrowDecodeError(PE_ALLOC_FAILED, "Out of memory allocationg color table.");
    std::fill_n(table.get(), kPaletteSize, OpaqueBgra(0, 0, 0));
    const uint8_t* data = source.Read(static_cast<size_t>(entries) * 8);
    for (int i = 0; i < entries; ++i, data += 8) {
        int index = indexOrder ? i : os::LoadBigEndian<uint16_t>(data);
        if (index >= entries)
            ThrowDecodeError(PE_FORMAT_ERROR, "pixel value greater than colour table size.");
        // Each 16-bit component keeps its high byte.
        if (index < kPaletteSize)
            table[index] = OpaqueBgra(data[2], data[4], data[6]);
    }
    return table;
}
