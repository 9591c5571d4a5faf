#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/os/ByteOrder.h"

// What every reader of device-independent bitmaps shares: the header, the
// bit-field masks and the run-length codes. Callers keep their own answers
// to what these do not settle (colour tables, which depths they take).
namespace gdi {

constexpr uint32_t kDibCoreHeaderSize = 12;
constexpr uint32_t kDibInfoHeaderSize = 40;
constexpr uint32_t kDibShortestOs2HeaderSize = 16;

// The fixed fields of a DIB header: a core header (OS/2 1.x: 12 bytes, 16-bit
// sizes), or an info header of 40 bytes or more (V2 to V5 only add fields),
// or an OS/2 2.x header of 16 bytes or more, laid out as an info header as
// far as it goes.
struct DibHeader {
    uint32_t size = 0;
    int64_t width = 0;
    int64_t height = 0;  // negative: rows stored top-down
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;

    bool Core() const { return size == kDibCoreHeaderSize; }
    bool TopDown() const { return height < 0; }
    int64_t Rows() const { return height < 0 ? -height : height; }
};

// How many leading bytes the fixed fields of a header of `size` bytes take
// (the size field alone where the size is no header's).
constexpr uint64_t DibHeaderFieldBytes(uint32_t size)
{
    if (size == kDibCoreHeaderSize)
        return kDibCoreHeaderSize;
    if (size < kDibShortestOs2HeaderSize)
        return 4;
    return size < 36 ? size : 36;
}

// The header at the start of `bytes`; none when its size is no header's, or
// its fields are not all there. Fields beyond the end of a short OS/2 2.x
// header are 0.
std::optional<DibHeader> ReadDibHeader(const os::CByteReader& bytes);

// Bit-field masks: red, green, blue and alpha.
struct DibMasks {
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
    uint32_t alpha = 0;
};

// Where `count` masks of a header of `headerSize` bytes lie: inside a header
// long enough to hold them all, else right behind the header.
constexpr uint64_t DibMasksOffset(uint32_t headerSize, int count)
{
    return headerSize >= kDibInfoHeaderSize + 4u * count ? kDibInfoHeaderSize : headerSize;
}

// The first `count` masks at `offset`, the others 0; none when they are not
// all there.
std::optional<DibMasks> ReadDibMasks(const os::CByteReader& bytes, uint64_t offset, int count);

// One colour channel of a bit-field pixel, widened or narrowed to 8 bits by
// shifting.
class CMaskChannel {
public:
    explicit CMaskChannel(uint32_t mask) : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0)
    {
        int bits = std::popcount(mask);
        left_ = bits < 8 ? 8 - bits : 0;
        right_ = bits > 8 ? bits - 8 : 0;
    }
    uint8_t Of(uint32_t value) const
    {
        return static_cast<uint8_t>((((value & mask_) >> shift_) << left_) >> right_);
    }
    bool Present() const { return mask_ != 0; }

private:
    uint32_t mask_;
    int shift_;
    int left_ = 0;
    int right_ = 0;
};

struct DibChannels {
    explicit DibChannels(const DibMasks& masks)
        : red(masks.red), green(masks.green), blue(masks.blue), alpha(masks.alpha)
    {
    }
    CMaskChannel red;
    CMaskChannel green;
    CMaskChannel blue;
    CMaskChannel alpha;
};

// What a run-length walk does with a delta escape (which moves the position
// right and up and leaves the pixels between out).
enum class DeltaEscapes { Refuse, Follow };

enum class RunLengthEnd {
    AllRows,       // the last row was ended
    EndOfBitmap,   // the end-of-bitmap escape
    DataEnded,     // the codes ran out first
    DeltaRefused,  // a delta escape, under DeltaEscapes::Refuse
};

// Run-length codes held in memory, handed out until they run out; an
// absolute run's padding may be missing.
class CRunLengthCodes {
public:
    explicit CRunLengthCodes(std::span<const uint8_t> codes) : codes_(codes) {}

    const uint8_t* Take(uint64_t count)
    {
        if (count > codes_.size() - at_)
            return nullptr;
        const uint8_t* bytes = codes_.data() + at_;
        at_ += count;
        return bytes;
    }
    const uint8_t* TakeRun(uint64_t count)
    {
        const uint8_t* bytes = Take(count);
        if (bytes != nullptr && count % 2 != 0 && at_ < codes_.size())
            ++at_;
        return bytes;
    }

private:
    std::span<const uint8_t> codes_;
    uint64_t at_ = 0;
};

// Walks RLE8 codes (RLE4 when `nibbles`): runs, absolute runs and escapes,
// row by row in the file's order. `input` hands out the codes:
// `Take(count)` the next `count` bytes and `TakeRun(count)` the bytes of an
// absolute run with its padding to a whole word, each null where the data
// end (or throwing, for inputs that answer a short read so). Pixels that
// land on the picture (x < width, row < rows) go to `put(x, row, index)`;
// the others are dropped.
template <typename Input, typename Put>
RunLengthEnd WalkRunLength(Input& input, bool nibbles, int64_t width, int64_t rows, DeltaEscapes deltas, Put&& put)
{
    int64_t x = 0;
    int64_t row = 0;
    auto emit = [&](int index) {
        if (x < width)
            put(x, row, static_cast<uint8_t>(index));
        ++x;
    };
    auto nibble = [](uint8_t byte, int i) { return (i & 1) ? byte & 0x0F : byte >> 4; };
    while (row < rows) {
        const uint8_t* code = input.Take(2);
        if (code == nullptr)
            return RunLengthEnd::DataEnded;
        uint8_t count = code[0];
        uint8_t value = code[1];
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                emit(nibbles ? nibble(value, i) : value);
        } else if (value == 0) {
            ++row;
            x = 0;
        } else if (value == 1) {
            return RunLengthEnd::EndOfBitmap;
        } else if (value == 2) {
            if (deltas == DeltaEscapes::Refuse)
                return RunLengthEnd::DeltaRefused;
            const uint8_t* delta = input.Take(2);
            if (delta == nullptr)
                return RunLengthEnd::DataEnded;
            x += delta[0];
            row += delta[1];
        } else {
            const uint8_t* data = input.TakeRun(nibbles ? (value + 1u) / 2 : value);
            if (data == nullptr)
                return RunLengthEnd::DataEnded;
            for (int i = 0; i < value; ++i)
                emit(nibbles ? nibble(data[i / 2], i) : data[i]);
        }
    }
    return RunLengthEnd::AllRows;
}

}  // namespace gdi
