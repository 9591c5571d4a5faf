#include "tests/support/PictWriter.h"

#include <algorithm>
#include <string>

namespace {

constexpr uint16_t kPixMapFlag = 0x8000;

void WriteRectAt(ByteWriter& out, int left, int top, int width, int height)
{
    out.U16BE(static_cast<uint32_t>(top))
        .U16BE(static_cast<uint32_t>(left))
        .U16BE(static_cast<uint32_t>(top + height))
        .U16BE(static_cast<uint32_t>(left + width));
}

void WriteRect(ByteWriter& out, int width, int height)
{
    WriteRectAt(out, 0, 0, width, height);
}

bool SameUnit(const std::vector<uint8_t>& row, size_t a, size_t b, size_t unit)
{
    return std::equal(row.begin() + static_cast<long>(a), row.begin() + static_cast<long>(a + unit),
                      row.begin() + static_cast<long>(b));
}

int RowBytesOf(int width, int pixelSize)
{
    int bytes = (width * pixelSize + 7) / 8;
    return bytes + bytes % 2;
}

}  // namespace

PictWriter::PictWriter(int version, int width, int height, int dpi) : version_(version)
{
    file_.Fill(512).U16BE(0);
    WriteRect(file_, width, height);
    if (version == 1) {
        file_.U8(0x11).U8(0x01);
        Op(0x01);
        WritePictShapeRegion(file_, 0, 0, width, height);
        return;
    }
    file_.U16BE(0x0011).U16BE(0x02FF);
    uint32_t resolution = static_cast<uint32_t>(dpi) << 16;
    Op(0x0C00).Data().U16BE(0xFFFE).U16BE(0).U32BE(resolution).U32BE(resolution);
    WriteRect(file_, width * dpi / 72, height * dpi / 72);
    file_.U32BE(0);
}

PictWriter& PictWriter::Op(uint16_t opcode)
{
    if (version_ == 1) {
        file_.U8(opcode);
        return *this;
    }
    file_.PadTo(2);
    file_.U16BE(opcode);
    return *this;
}

std::vector<uint8_t> PictWriter::Finish()
{
    Op(version_ == 1 ? 0xFF : 0x00FF);
    return file_.Take();
}

void WritePictPixMap(ByteWriter& out, const PictPixMap& pixMap)
{
    WriteRectAt(out, pixMap.left, pixMap.top, pixMap.width, pixMap.height);
    out.U16BE(0)
        .U16BE(pixMap.packType)
        .U32BE(0)
        .U32BE(0x00480000)
        .U32BE(0x00480000)
        .U16BE(pixMap.pixelSize > 8 ? 16 : 0)
        .U16BE(pixMap.pixelSize)
        .U16BE(pixMap.cmpCount)
        .U16BE(pixMap.cmpSize)
        .U32BE(0)
        .U32BE(0)
        .U32BE(0);
}

void WritePictColorTable(ByteWriter& out, const std::vector<std::array<uint8_t, 3>>& colors,
                         const std::vector<uint16_t>& values)
{
    out.U32BE(0).U16BE(values.empty() ? 0x8000 : 0).U16BE(static_cast<uint32_t>(colors.size() - 1));
    for (size_t i = 0; i < colors.size(); ++i) {
        out.U16BE(values.empty() ? 0 : values[i]);
        for (uint8_t component : colors[i])
            out.U16BE(component * 0x101u);
    }
}

void WritePictRects(ByteWriter& out, int width, int height)
{
    WriteRect(out, width, height);
    WriteRect(out, width, height);
    out.U16BE(0);  // srcCopy
}

void WritePictPlacement(ByteWriter& out, const PictPixMap& pixMap, int left, int top, int width, int height)
{
    WriteRectAt(out, pixMap.left, pixMap.top, pixMap.width, pixMap.height);
    WriteRectAt(out, left, top, width, height);
    out.U16BE(0);  // srcCopy
}

void WritePictRegion(ByteWriter& out, uint16_t size)
{
    out.U16BE(size).Fill(size - 2u, 0x01);
}

void WritePictRect(ByteWriter& out, int left, int top, int right, int bottom)
{
    WriteRectAt(out, left, top, right - left, bottom - top);
}

void WritePictShapeRegion(ByteWriter& out, int left, int top, int right, int bottom,
                          const std::vector<std::pair<int, std::vector<int>>>& rows)
{
    ByteWriter data;
    for (const auto& [y, flips] : rows) {
        data.U16BE(static_cast<uint32_t>(y));
        for (int x : flips)
            data.U16BE(static_cast<uint32_t>(x));
        data.U16BE(0x7FFF);
    }
    if (!rows.empty())
        data.U16BE(0x7FFF);
    out.U16BE(static_cast<uint32_t>(10 + data.Size()));
    WritePictRect(out, left, top, right, bottom);
    out.Bytes(data.Take());
}

void AppendPictQuickTime(PictWriter& pict, const std::string& codec, int width, int height, int depth,
                         const std::vector<uint8_t>& data, const std::vector<std::array<uint8_t, 3>>& colors)
{
    ByteWriter table;
    if (!colors.empty())
        WritePictColorTable(table, colors);
    ByteWriter payload;
    payload.U16BE(0);  // version
    for (uint32_t value : {1u << 16, 0u, 0u, 0u, 1u << 16, 0u, 0u, 0u, 1u << 30})
        payload.U32BE(value);
    payload.U32BE(0).Fill(8).U16BE(0).Fill(8).U32BE(0).U32BE(0);  // matte, mode, source, accuracy, mask
    payload.U32BE(static_cast<uint32_t>(86 + table.Size())).Text(codec).Fill(6).U16BE(0).U16BE(0).U16BE(0).Text("appl").U32BE(0).U32BE(0);
    payload.U16BE(static_cast<uint32_t>(width)).U16BE(static_cast<uint32_t>(height));
    payload.U32BE(0x00480000).U32BE(0x00480000).U32BE(static_cast<uint32_t>(data.size())).U16BE(1).Fill(32);
    payload.U16BE(static_cast<uint32_t>(depth)).U16BE(colors.empty() ? 0xFFFF : 0);
    payload.Bytes(table.Take()).Bytes(data);
    std::vector<uint8_t> bytes = payload.Take();
    pict.Op(0x8200).Data().U32BE(static_cast<uint32_t>(bytes.size())).Bytes(bytes);
}

std::vector<uint8_t> PackBits(const std::vector<uint8_t>& row, int unitBytes)
{
    ByteWriter out;
    size_t unit = static_cast<size_t>(unitBytes);
    size_t units = row.size() / unit;
    size_t i = 0;
    while (i < units) {
        size_t run = 1;
        while (i + run < units && run < 128 && SameUnit(row, (i + run) * unit, i * unit, unit))
            ++run;
        if (run >= 2) {
            out.U8(static_cast<uint32_t>(257 - run));
            out.Bytes(std::vector<uint8_t>(row.begin() + static_cast<long>(i * unit),
                                           row.begin() + static_cast<long>((i + 1) * unit)));
            i += run;
            continue;
        }
        size_t literal = 1;
        while (i + literal < units && literal < 128 &&
               !(i + literal + 1 < units && SameUnit(row, (i + literal) * unit, (i + literal + 1) * unit, unit)))
            ++literal;
        out.U8(static_cast<uint32_t>(literal - 1));
        out.Bytes(std::vector<uint8_t>(row.begin() + static_cast<long>(i * unit),
                                       row.begin() + static_cast<long>((i + literal) * unit)));
        i += literal;
    }
    return out.Take();
}

void WritePictRows(ByteWriter& out, const std::vector<std::vector<uint8_t>>& rows, int rowBytes, int unitBytes)
{
    for (const auto& row : rows) {
        if (rowBytes < 8) {
            out.Bytes(row);
            continue;
        }
        std::vector<uint8_t> packed = PackBits(row, unitBytes);
        if (rowBytes < 251)
            out.U8(static_cast<uint32_t>(packed.size()));
        else
            out.U16BE(static_cast<uint32_t>(packed.size()));
        out.Bytes(packed);
    }
}

std::vector<std::vector<uint8_t>> PictIndexRows(const std::vector<std::vector<uint8_t>>& rows, int pixelSize)
{
    std::vector<std::vector<uint8_t>> stored;
    for (const auto& row : rows) {
        std::vector<uint8_t> bytes(static_cast<size_t>(RowBytesOf(static_cast<int>(row.size()), pixelSize)));
        for (size_t x = 0; x < row.size(); ++x) {
            size_t bit = x * static_cast<size_t>(pixelSize);
            bytes[bit / 8] |= static_cast<uint8_t>(row[x] << (8 - pixelSize - bit % 8));
        }
        stored.push_back(std::move(bytes));
    }
    return stored;
}

void AppendPictIndexedStrip(PictWriter& pict, const std::vector<std::vector<uint8_t>>& rows,
                            const std::vector<std::array<uint8_t, 3>>& colors, int top, int left)
{
    int width = static_cast<int>(rows[0].size());
    int height = static_cast<int>(rows.size());
    int rowBytes = RowBytesOf(width, 8);
    ByteWriter& data = pict.Op(0x98).Data();
    data.U16BE(kPixMapFlag | static_cast<uint32_t>(rowBytes));
    PictPixMap pixMap {width, height, 0, 8, 1, 8, left, top};
    WritePictPixMap(data, pixMap);
    WritePictColorTable(data, colors);
    WritePictPlacement(data, pixMap, left, top, width, height);
    WritePictRows(data, PictIndexRows(rows, 8), rowBytes);
}

std::vector<uint8_t> PictIndexed(const std::vector<std::vector<uint8_t>>& rows, int pixelSize,
                                 const std::vector<std::array<uint8_t, 3>>& colors)
{
    int width = static_cast<int>(rows[0].size());
    int height = static_cast<int>(rows.size());
    int rowBytes = RowBytesOf(width, pixelSize);
    PictWriter pict(2, width, height);
    ByteWriter& data = pict.Op(0x98).Data();
    data.U16BE(kPixMapFlag | static_cast<uint32_t>(rowBytes));
    WritePictPixMap(data, {width, height, 0, static_cast<uint16_t>(pixelSize), 1, static_cast<uint16_t>(pixelSize)});
    WritePictColorTable(data, colors);
    WritePictRects(data, width, height);
    WritePictRows(data, PictIndexRows(rows, pixelSize), rowBytes);
    return pict.Finish();
}

void AppendPictDirect(PictWriter& pict, const std::vector<std::vector<uint32_t>>& rows, int pixelSize, int cmpCount)
{
    int width = static_cast<int>(rows[0].size());
    int height = static_cast<int>(rows.size());
    int rowBytes = width * pixelSize / 8;
    ByteWriter& data = pict.Op(0x9A).Data();
    data.U32BE(0xFF).U16BE(kPixMapFlag | static_cast<uint32_t>(rowBytes));
    uint16_t packType = pixelSize == 32 ? 4 : 3;
    WritePictPixMap(data, {width, height, packType, static_cast<uint16_t>(pixelSize), static_cast<uint16_t>(cmpCount),
                           static_cast<uint16_t>(pixelSize == 32 ? 8 : 5)});
    WritePictRects(data, width, height);
    std::vector<std::vector<uint8_t>> stored;
    for (const auto& row : rows) {
        ByteWriter bytes;
        if (pixelSize == 16) {
            for (uint32_t pixel : row)
                bytes.U16BE(pixel);
        } else {
            // One plane per component: alpha (when there are four), red, green, blue.
            for (int shift = cmpCount == 4 ? 24 : 16; shift >= 0; shift -= 8)
                for (uint32_t pixel : row)
                    bytes.U8(pixel >> shift);
        }
        stored.push_back(bytes.Take());
    }
    // 32-bit rows are packed whatever their length.
    WritePictRows(data, stored, pixelSize == 32 ? std::max(rowBytes, 8) : rowBytes, pixelSize == 16 ? 2 : 1);
}

std::vector<uint8_t> PictDirect(const std::vector<std::vector<uint32_t>>& rows, int pixelSize, int cmpCount)
{
    PictWriter pict(2, static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    AppendPictDirect(pict, rows, pixelSize, cmpCount);
    return pict.Finish();
}

std::vector<uint8_t> PictBitmap(const std::vector<std::vector<uint8_t>>& bits, int version)
{
    int width = static_cast<int>(bits[0].size());
    int height = static_cast<int>(bits.size());
    int rowBytes = RowBytesOf(width, 1);
    PictWriter pict(version, width, height);
    // QuickDraw packs rows of 8 bytes and more; shorter ones go unpacked in a BitsRect.
    ByteWriter& data = pict.Op(rowBytes < 8 ? 0x90 : 0x98).Data();
    data.U16BE(static_cast<uint32_t>(rowBytes));
    WriteRect(data, width, height);
    WritePictRects(data, width, height);
    WritePictRows(data, PictIndexRows(bits, 1), rowBytes);
    return pict.Finish();
}
