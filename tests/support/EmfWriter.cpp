#include "tests/support/EmfWriter.h"

namespace {

constexpr uint32_t kHeaderSize = 108;
constexpr uint32_t kEndRecord = 14;

}  // namespace

EmfWriter::EmfWriter(Rect frame, Device device)
{
    // Bounds in device pixels, inclusive (a device of no size keeps the frame's numbers).
    auto toPixels = [](int64_t hundredths, int64_t pixels, int64_t millimeters) {
        return static_cast<int32_t>(millimeters > 0 ? hundredths * pixels / (millimeters * 100) : hundredths);
    };
    int32_t right = toPixels(frame.right, device.pixelsX, device.millimetersX);
    int32_t bottom = toPixels(frame.bottom, device.pixelsY, device.millimetersY);
    bytes_.U32LE(1).U32LE(kHeaderSize);
    bytes_.U32LE(0).U32LE(0).U32LE(static_cast<uint32_t>(right - 1)).U32LE(static_cast<uint32_t>(bottom - 1));
    bytes_.U32LE(static_cast<uint32_t>(frame.left)).U32LE(static_cast<uint32_t>(frame.top));
    bytes_.U32LE(static_cast<uint32_t>(frame.right)).U32LE(static_cast<uint32_t>(frame.bottom));
    bytes_.U32LE(0x464D4520).U32LE(0x10000);
    bytes_.U32LE(0).U32LE(0).U16LE(0).U16LE(0);  // bytes, records, handles: filled in later
    bytes_.U32LE(0).U32LE(0).U32LE(0);           // description, palette entries
    bytes_.U32LE(static_cast<uint32_t>(device.pixelsX)).U32LE(static_cast<uint32_t>(device.pixelsY));
    bytes_.U32LE(static_cast<uint32_t>(device.millimetersX)).U32LE(static_cast<uint32_t>(device.millimetersY));
    bytes_.U32LE(0).U32LE(0).U32LE(0);  // no pixel format, no OpenGL
    bytes_.U32LE(static_cast<uint32_t>(device.millimetersX * 1000))
        .U32LE(static_cast<uint32_t>(device.millimetersY * 1000));
}

EmfWriter& EmfWriter::Record(uint32_t type, std::initializer_list<uint32_t> params)
{
    ByteWriter words;
    for (uint32_t param : params)
        words.U32LE(param);
    return Record(type, words.Take());
}

EmfWriter& EmfWriter::Record(uint32_t type, const std::vector<uint8_t>& params)
{
    size_t padded = (params.size() + 3) & ~size_t {3};
    bytes_.U32LE(type).U32LE(static_cast<uint32_t>(8 + padded)).Bytes(params).Fill(padded - params.size());
    ++records_;
    return *this;
}

EmfWriter& EmfWriter::Raw(const std::vector<uint8_t>& bytes)
{
    bytes_.Bytes(bytes);
    ++records_;
    return *this;
}

EmfWriter& EmfWriter::Handles(uint16_t handles)
{
    handles_ = handles;
    return *this;
}

std::vector<uint8_t> EmfWriter::Finish(const std::vector<std::array<uint8_t, 4>>& palette)
{
    uint32_t size = 20 + 4 * static_cast<uint32_t>(palette.size());
    bytes_.U32LE(kEndRecord).U32LE(size).U32LE(static_cast<uint32_t>(palette.size())).U32LE(16);
    for (const auto& entry : palette)
        bytes_.Bytes({entry[0], entry[1], entry[2], entry[3]});
    bytes_.U32LE(size);
    ++records_;
    std::vector<uint8_t> bytes = bytes_.Take();
    ByteWriter patch;
    patch.Bytes(bytes);
    patch.PatchU32LE(48, static_cast<uint32_t>(bytes.size()));
    patch.PatchU32LE(52, records_);
    patch.PatchU32LE(56, handles_);
    patch.PatchU32LE(68, static_cast<uint32_t>(palette.size()));
    return patch.Take();
}
