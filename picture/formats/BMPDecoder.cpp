#include "picture/formats/BMPDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kAlphaBitFields = 6;

struct BmpHeader {
    uint32_t pixelOffset = 0;
    uint32_t headerSize = 0;
    int32_t width = 0;
    int32_t storedHeight = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue

    bool TopDown() const { return storedHeight < 0; }
    int64_t Rows() const { return storedHeight < 0 ? -static_cast<int64_t>(storedHeight) : storedHeight; }
    bool HasMasks() const { return bitsPerPixel >= 16 && bitsPerPixel != 24 && compression != 0; }
};

uint16_t U16At(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t U32At(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel of a bit-field pixel, scaled to 8 bits by shifting.
class Channel {
public:
    explicit Channel(uint32_t mask) : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0)
    {
        int bits = std::popcount(mask);
        left_ = bits < 8 ? 8 - bits : 0;
        right_ = bits > 8 ? bits - 8 : 0;
    }
    uint8_t Of(uint32_t value) const
    {
        return static_cast<uint8_t>((((value & mask_) >> shift_) << left_) >> right_);
    }

private:
    uint32_t mask_;
    int shift_;
    int left_ = 0;
    int right_ = 0;
};

struct BitFields {
    Channel red;
    Channel green;
    Channel blue;
    BgraPixel Of(uint32_t value) const { return {blue.Of(value), green.Of(value), red.Of(value), 255}; }
};

class BmpReader {
public:
    BmpReader(CPictureBitmap& bitmap, PaletteBuffer& palette, int& wantedDepth, CByteSource& source)
        : bitmap_(bitmap), palette_(palette), wantedDepth_(wantedDepth), source_(source)
    {
    }

    void Decode()
    {
        ReadFileHeader();
        ReadInfoHeader();
        CheckHeader();
        ReadColorTableAndMasks();
        SkipToPixels();
        CheckUncompressedDataPresent();
        CreateBitmap();
        CWriteAccess access(bitmap_);
        DecodeRows();
        WriteTrace(3, "Decoding finished.\n");
    }

private:
    void ReadFileHeader()
    {
        const uint8_t* bytes = source_.Read(kFileHeaderSize);
        if (bytes[0] != 'B' || bytes[1] != 'M')
            ThrowDecodeError(PE_WRONG_SIGNATURE, "Bitmap decoder: This isn't a bitmap.");
        header_.pixelOffset = U32At(bytes + 10);
        WriteTrace(2, "Bitmap file signature found\n");
    }

    void ReadInfoHeader()
    {
        const uint8_t* bytes = source_.Read(kInfoHeaderSize);
        header_.headerSize = U32At(bytes);
        header_.width = static_cast<int32_t>(U32At(bytes + 4));
        header_.storedHeight = static_cast<int32_t>(U32At(bytes + 8));
        header_.bitsPerPixel = U16At(bytes + 14);
        header_.compression = U32At(bytes + 16);
        header_.colorsUsed = U32At(bytes + 32);
        if (header_.headerSize < kInfoHeaderSize)
            ThrowDecodeError(PE_FORMAT_ERROR, "Bitmap decoder: BITMAPINFOHEADER has wrong size.");
        WriteTrace(2, "Bitmap header is ok.\n");
        consumed_ = kFileHeaderSize + kInfoHeaderSize;

        // Longer headers (V2 to V5) carry the bit-field masks inside; the colour
        // table follows the whole header.
        if (header_.headerSize > kInfoHeaderSize) {
            uint32_t rest = header_.headerSize - kInfoHeaderSize;
            const uint8_t* extra = source_.Read(rest);
            if (rest >= 12)
                ReadMasks(extra);
            consumed_ += rest;
            masksRead_ = rest >= 12;
        }
    }

    void ReadMasks(const uint8_t* bytes)
    {
        for (int i = 0; i < 3; ++i)
            header_.masks[i] = U32At(bytes + 4 * i);
    }

    void CheckHeader() const
    {
        static constexpr uint16_t kDepths[] = {1, 4, 8, 16, 24, 32};
        if (std::find(std::begin(kDepths), std::end(kDepths), header_.bitsPerPixel) == std::end(kDepths))
            ThrowDecodeError(PE_FORMAT_ERROR, "Decoding bmp: Illegal bpp value.");
        int64_t rows = header_.Rows();
        if (header_.width <= 0 || rows == 0)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Bitmap decoder: the picture size %d x %d is not positive.",
                                                         header_.width, header_.storedHeight));
        int destinationDepth = header_.bitsPerPixel <= 8 && wantedDepth_ != 32 ? 8 : 32;
        if (header_.width > kMaxBitmapSide || rows > kMaxBitmapSide ||
            static_cast<int64_t>(header_.width) * rows * destinationDepth / 8 > kMaxBitmapBytes)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Bitmap decoder: the picture size %d x %lld is too large.",
                                                         header_.width, static_cast<long long>(rows)));
    }

    void ReadColorTableAndMasks()
    {
        if (header_.bitsPerPixel <= 8) {
            WriteTrace(3, "Reading palette.\n");
            uint64_t entries = header_.colorsUsed != 0 ? header_.colorsUsed : uint64_t {1} << header_.bitsPerPixel;
            const uint8_t* table = source_.Read(static_cast<size_t>(entries * 4));
            palette_ = std::make_unique<BgraPixel[]>(256);
            std::fill_n(palette_.get(), 256, BgraPixel {0, 0, 0, 255});
            for (size_t i = 0; i < std::min<uint64_t>(entries, 256); ++i)
                palette_[i] = {table[4 * i], table[4 * i + 1], table[4 * i + 2], 255};
            consumed_ += entries * 4;
        } else if (header_.HasMasks() && !masksRead_) {
            ReadMasks(source_.Read(12));
            consumed_ += 12;
            if (header_.compression == kAlphaBitFields) {
                source_.Read(4);
                consumed_ += 4;
            }
        }
    }

    void SkipToPixels()
    {
        if (header_.pixelOffset < consumed_)
            ThrowDecodeError(PE_FORMAT_ERROR, "Bitmap decoder: the pixel data offset points inside the headers.");
        source_.Read(header_.pixelOffset - consumed_);
    }

    bool IsRunLength() const
    {
        return (header_.bitsPerPixel == 4 || header_.bitsPerPixel == 8) && header_.compression != 0;
    }

    int64_t RowDataBytes() const { return (static_cast<int64_t>(header_.width) * header_.bitsPerPixel + 7) / 8; }
    int64_t RowStride() const { return (RowDataBytes() + 3) & ~int64_t {3}; }

    // A file whose rows are cut short is refused before the picture is allocated.
    // The last row's padding is not required.
    void CheckUncompressedDataPresent() const
    {
        if (IsRunLength())
            return;
        if (RowStride() * (header_.Rows() - 1) + RowDataBytes() > source_.GetRemaining())
            ThrowEndOfFile();
    }

    void CreateBitmap()
    {
        ChooseDestinationDepth(header_.bitsPerPixel, wantedDepth_);
        bitmap_.Create(header_.width, static_cast<int>(header_.Rows()), wantedDepth_, false);
        if (wantedDepth_ == 8)
            bitmap_.SetPaletteEntries(palette_.get());
    }

    uint8_t* LineOfFileRow(int64_t fileRow) const
    {
        int64_t line = header_.TopDown() ? fileRow : header_.Rows() - 1 - fileRow;
        return bitmap_.GetLines()[line];
    }

    void DecodeRows()
    {
        if (IsRunLength()) {
            WriteTrace(2, header_.bitsPerPixel == 8 ? "Decoding RLE8-compressed bitmap.\n"
                                                    : "Decoding RLE4-compressed bitmap.\n");
            DecodeRunLength();
            return;
        }
        switch (header_.bitsPerPixel) {
        case 1: WriteTrace(2, "Decoding 1 bit per pixel bitmap.\n"); break;
        case 4: WriteTrace(2, "Decoding uncompressed 4 bit per pixel bitmap.\n"); break;
        case 8: WriteTrace(2, "Decoding uncompressed 8 bit per pixel bitmap.\n"); break;
        default: WriteTrace(2, "Decoding true-color bitmap.\n"); break;
        }
        int64_t stride = RowStride();
        int64_t rows = header_.Rows();
        for (int64_t row = 0; row < rows; ++row) {
            // The check above guarantees the data; the last row may lack its padding.
            const uint8_t* data = source_.Read(static_cast<size_t>(row + 1 < rows ? stride : RowDataBytes()));
            DecodeRow(data, LineOfFileRow(row));
        }
    }

    void DecodeRow(const uint8_t* data, uint8_t* line) const
    {
        int width = header_.width;
        auto* pixels = reinterpret_cast<BgraPixel*>(line);
        switch (header_.bitsPerPixel) {
        case 1:
            for (int x = 0; x < width; ++x)
                PutIndex(line, x, (data[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (int x = 0; x < width; ++x)
                PutIndex(line, x, (x & 1) ? data[x >> 1] & 0x0F : data[x >> 1] >> 4);
            break;
        case 8:
            if (wantedDepth_ == 8)
                std::memcpy(line, data, static_cast<size_t>(width));
            else
                for (int x = 0; x < width; ++x)
                    pixels[x] = palette_[data[x]];
            break;
        case 16: DecodeRow16(data, pixels); break;
        case 24:
            for (int x = 0; x < width; ++x, data += 3)
                pixels[x] = {data[0], data[1], data[2], 255};
            break;
        case 32: DecodeRow32(data, pixels); break;
        }
    }

    void DecodeRow16(const uint8_t* data, BgraPixel* pixels) const
    {
        BitFields fields = SixteenBitFields();
        for (int x = 0; x < header_.width; ++x)
            pixels[x] = fields.Of(U16At(data + 2 * x));
    }

    // Without compression 5-5-5; bit fields without masks are 5-6-5.
    BitFields SixteenBitFields() const
    {
        if (header_.compression == 0)
            return {Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
        uint32_t red = header_.masks[0];
        uint32_t green = header_.masks[1];
        uint32_t blue = header_.masks[2];
        if (red == 0 && green == 0 && blue == 0) {
            red = 0xF800;
            green = 0x07E0;
            blue = 0x001F;
        }
        // 5-6-5 keeps the upper five of its six green bits, so its colours are
        // those of 5-5-5 (white is 248, 248, 248); other masks keep all their bits.
        if (green == 0x07E0)
            green = 0x07C0;
        return {Channel(red), Channel(green), Channel(blue)};
    }

    void DecodeRow32(const uint8_t* data, BgraPixel* pixels) const
    {
        const uint32_t* masks = header_.masks;
        bool standard = !header_.HasMasks() || (masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0xFF) ||
                        (masks[0] == 0 && masks[1] == 0 && masks[2] == 0);
        if (standard) {
            // The four bytes as they stand; the fourth lands in the alpha byte.
            std::memcpy(pixels, data, 4 * static_cast<size_t>(header_.width));
            return;
        }
        BitFields fields {Channel(masks[0]), Channel(masks[1]), Channel(masks[2])};
        for (int x = 0; x < header_.width; ++x)
            pixels[x] = fields.Of(U32At(data + 4 * x));
    }

    void PutIndex(uint8_t* line, int x, int index) const
    {
        if (wantedDepth_ == 8)
            line[x] = static_cast<uint8_t>(index);
        else
            reinterpret_cast<BgraPixel*>(line)[x] = palette_[index];
    }

    // Runs, absolute runs and escapes, line by line; whatever reaches past
    // the line is dropped. Lines never reached keep their zero bytes.
    void DecodeRunLength()
    {
        bool nibbles = header_.bitsPerPixel == 4;
        int64_t rows = header_.Rows();
        int64_t row = 0;
        int x = 0;
        while (row < rows) {
            uint8_t count = source_.ReadU8();
            uint8_t value = source_.ReadU8();
            uint8_t* line = LineOfFileRow(row);
            if (count > 0) {
                for (int i = 0; i < count; ++i)
                    PutClipped(line, x, nibbles ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            } else if (value == 0) {
                ++row;
                x = 0;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                ThrowDecodeError(PE_UNSUPPORTED, "Encountered delta escape.");
            } else {
                size_t bytes = nibbles ? (value + 1u) / 2 : value;
                const uint8_t* data = source_.Read((bytes + 1) & ~size_t {1});
                for (int i = 0; i < value; ++i)
                    PutClipped(line, x, nibbles ? ((i & 1) ? data[i / 2] & 0x0F : data[i / 2] >> 4) : data[i]);
            }
        }
    }

    // Writes at x and moves on, unless x has reached the end of the line.
    void PutClipped(uint8_t* line, int& x, int index) const
    {
        if (x < header_.width)
            PutIndex(line, x++, index);
    }

    CPictureBitmap& bitmap_;
    PaletteBuffer& palette_;
    int& wantedDepth_;
    CByteSource& source_;
    BmpHeader header_;
    uint64_t consumed_ = 0;
    bool masksRead_ = false;
};

}  // namespace

void CBMPDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                              CByteSource& source)
{
    BmpReader(bitmap, paletteOut, wantedDepth, source).Decode();
}
