#include "picture/formats/BMPDecoder.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "platform/gdi/DibCore.h"
#include "platform/os/ByteOrder.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kAlphaBitFields = 6;

struct BmpHeader {
    uint32_t pixelOffset = 0;
    gdi::DibHeader dib;
    gdi::DibMasks masks;

    int32_t Width() const { return static_cast<int32_t>(dib.width); }
    int32_t StoredHeight() const { return static_cast<int32_t>(dib.height); }
    uint16_t BitsPerPixel() const { return dib.bitCount; }
    bool HasMasks() const { return dib.bitCount >= 16 && dib.bitCount != 24 && dib.compression != 0; }
};

// A bit-field pixel's colour; its alpha byte is opaque.
BgraPixel ColorOf(const gdi::DibChannels& channels, uint32_t value)
{
    return {channels.blue.Of(value), channels.green.Of(value), channels.red.Of(value), 255};
}

// Reads the pixel codes of a run-length bitmap from the source, which ends
// the decode at the data's end.
class CRunLengthInput {
public:
    explicit CRunLengthInput(CByteSource& source) : source_(source) {}
    const uint8_t* Take(size_t count) { return source_.Read(count); }
    const uint8_t* TakeRun(size_t count) { return source_.Read((count + 1) & ~size_t {1}); }

private:
    CByteSource& source_;
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
        header_.pixelOffset = os::LoadLittleEndian<uint32_t>(bytes + 10);
        WriteTrace(2, "Bitmap file signature found\n");
    }

    // Info headers, OS/2 core headers and OS/2 2.x headers, read in their
    // whole size; fields that a short header leaves out are 0.
    void ReadInfoHeader()
    {
        uint64_t fieldBytes = gdi::DibHeaderFieldBytes(os::LoadLittleEndian<uint32_t>(source_.Peek(4)));
        std::optional<gdi::DibHeader> dib =
            gdi::ReadDibHeader(os::CByteReader(source_.Peek(fieldBytes), fieldBytes));
        if (!dib)
            ThrowDecodeError(PE_FORMAT_ERROR, "Bitmap decoder: BITMAPINFOHEADER has wrong size.");
        header_.dib = *dib;
        const uint8_t* whole = source_.Read(dib->size);
        WriteTrace(2, "Bitmap header is ok.\n");
        consumed_ = kFileHeaderSize + uint64_t {dib->size};

        // Longer headers (V2 to V5) carry the bit-field masks inside; the colour
        // table follows the whole header.
        masksRead_ = dib->size > gdi::kDibInfoHeaderSize &&
                     gdi::DibMasksOffset(dib->size, 3) == gdi::kDibInfoHeaderSize;
        if (masksRead_)
            ReadMasks(whole + gdi::kDibInfoHeaderSize);
    }

    // The red, green and blue masks at `bytes`, which hold them.
    void ReadMasks(const uint8_t* bytes) { header_.masks = *gdi::ReadDibMasks(os::CByteReader(bytes, 12), 0, 3); }

    void CheckHeader() const
    {
        static constexpr uint16_t kDepths[] = {1, 4, 8, 16, 24, 32};
        if (std::find(std::begin(kDepths), std::end(kDepths), header_.BitsPerPixel()) == std::end(kDepths))
            ThrowDecodeError(PE_FORMAT_ERROR, "Decoding bmp: Illegal bpp value.");
        int64_t rows = header_.dib.Rows();
        if (header_.Width() <= 0 || rows == 0)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Bitmap decoder: the picture size %d x %d is not positive.",
                                                         header_.Width(), header_.StoredHeight()));
        int destinationDepth = header_.BitsPerPixel() <= 8 && wantedDepth_ != 32 ? 8 : 32;
        if (header_.Width() > kMaxBitmapSide || rows > kMaxBitmapSide ||
            static_cast<int64_t>(header_.Width()) * rows * destinationDepth / 8 > kMaxBitmapBytes)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Bitmap decoder: the picture size %d x %lld is too large.",
                                                         header_.Width(), static_cast<long long>(rows)));
    }

    void ReadColorTableAndMasks()
    {
        if (header_.BitsPerPixel() <= 8) {
            WriteTrace(3, "Reading palette.\n");
            uint64_t entries = ColorTableEntries();
            uint64_t entrySize = header_.dib.Core() ? 3 : 4;
            const uint8_t* table = source_.Read(static_cast<size_t>(entries * entrySize));
            palette_ = std::make_unique<BgraPixel[]>(256);
            std::fill_n(palette_.get(), 256, BgraPixel {0, 0, 0, 255});
            for (size_t i = 0; i < std::min<uint64_t>(entries, 256); ++i) {
                const uint8_t* entry = table + entrySize * i;
                palette_[i] = {entry[0], entry[1], entry[2], 255};
            }
            consumed_ += entries * entrySize;
        } else if (header_.HasMasks() && !masksRead_) {
            ReadMasks(source_.Read(12));
            consumed_ += 12;
            if (header_.dib.compression == kAlphaBitFields) {
                source_.Read(4);
                consumed_ += 4;
            }
        }
    }

    // The colours-used count, or as many as the depth allows. Core headers
    // have no count: their table ends where the pixels start, if that comes
    // first.
    uint64_t ColorTableEntries() const
    {
        uint32_t used = header_.dib.colorsUsed;
        uint64_t entries = used != 0 ? used : uint64_t {1} << header_.BitsPerPixel();
        if (header_.dib.Core() && header_.pixelOffset > consumed_)
            entries = std::min<uint64_t>(entries, (header_.pixelOffset - consumed_) / 3);
        return entries;
    }

    void SkipToPixels()
    {
        if (header_.pixelOffset < consumed_)
            ThrowDecodeError(PE_FORMAT_ERROR, "Bitmap decoder: the pixel data offset points inside the headers.");
        source_.Read(header_.pixelOffset - consumed_);
    }

    bool IsRunLength() const
    {
        return (header_.BitsPerPixel() == 4 || header_.BitsPerPixel() == 8) && header_.dib.compression != 0;
    }

    int64_t RowDataBytes() const { return (static_cast<int64_t>(header_.Width()) * header_.BitsPerPixel() + 7) / 8; }
    int64_t RowStride() const { return (RowDataBytes() + 3) & ~int64_t {3}; }

    // A file whose rows are cut short is refused before the picture is allocated.
    // The last row's padding is not required.
    void CheckUncompressedDataPresent() const
    {
        if (IsRunLength())
            return;
        if (RowStride() * (header_.dib.Rows() - 1) + RowDataBytes() > source_.GetRemaining())
            ThrowEndOfFile();
    }

    void CreateBitmap()
    {
        ChooseDestinationDepth(header_.BitsPerPixel(), wantedDepth_);
        bitmap_.Create(header_.Width(), static_cast<int>(header_.dib.Rows()), wantedDepth_, false);
        if (wantedDepth_ == 8)
            bitmap_.SetPaletteEntries(palette_.get());
    }

    uint8_t* LineOfFileRow(int64_t fileRow) const
    {
        int64_t line = header_.dib.TopDown() ? fileRow : header_.dib.Rows() - 1 - fileRow;
        return bitmap_.GetLines()[line];
    }

    void DecodeRows()
    {
        if (IsRunLength()) {
            WriteTrace(2, header_.BitsPerPixel() == 8 ? "Decoding RLE8-compressed bitmap.\n"
                                                    : "Decoding RLE4-compressed bitmap.\n");
            DecodeRunLength();
            return;
        }
        switch (header_.BitsPerPixel()) {
        case 1: WriteTrace(2, "Decoding 1 bit per pixel bitmap.\n"); break;
        case 4: WriteTrace(2, "Decoding uncompressed 4 bit per pixel bitmap.\n"); break;
        case 8: WriteTrace(2, "Decoding uncompressed 8 bit per pixel bitmap.\n"); break;
        default: WriteTrace(2, "Decoding true-color bitmap.\n"); break;
        }
        int64_t stride = RowStride();
        int64_t rows = header_.dib.Rows();
        for (int64_t row = 0; row < rows; ++row) {
            // The check above guarantees the data; the last row may lack its padding.
            const uint8_t* data = source_.Read(static_cast<size_t>(row + 1 < rows ? stride : RowDataBytes()));
            DecodeRow(data, LineOfFileRow(row));
        }
    }

    void DecodeRow(const uint8_t* data, uint8_t* line) const
    {
        int width = header_.Width();
        auto* pixels = reinterpret_cast<BgraPixel*>(line);
        switch (header_.BitsPerPixel()) {
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
        gdi::DibChannels channels(SixteenBitMasks());
        for (int x = 0; x < header_.Width(); ++x)
            pixels[x] = ColorOf(channels, os::LoadLittleEndian<uint16_t>(data + 2 * x));
    }

    // Without compression 5-5-5; bit fields without masks are 5-6-5.
    gdi::DibMasks SixteenBitMasks() const
    {
        if (header_.dib.compression == 0)
            return {0x7C00, 0x03E0, 0x001F, 0};
        gdi::DibMasks masks = header_.masks;
        if (masks.red == 0 && masks.green == 0 && masks.blue == 0)
            masks = {0xF800, 0x07E0, 0x001F, 0};
        // 5-6-5 keeps the upper five of its six green bits, so its colours are
        // those of 5-5-5 (white is 248, 248, 248); other masks keep all their bits.
        if (masks.green == 0x07E0)
            masks.green = 0x07C0;
        return masks;
    }

    void DecodeRow32(const uint8_t* data, BgraPixel* pixels) const
    {
        const gdi::DibMasks& masks = header_.masks;
        bool standard = !header_.HasMasks() ||
                        (masks.red == 0x00FF0000 && masks.green == 0x0000FF00 && masks.blue == 0xFF) ||
                        (masks.red == 0 && masks.green == 0 && masks.blue == 0);
        if (standard) {
            // The four bytes as they stand; the fourth lands in the alpha byte.
            std::memcpy(pixels, data, 4 * static_cast<size_t>(header_.Width()));
            return;
        }
        gdi::DibChannels channels(masks);
        for (int x = 0; x < header_.Width(); ++x)
            pixels[x] = ColorOf(channels, os::LoadLittleEndian<uint32_t>(data + 4 * x));
    }

    void PutIndex(uint8_t* line, int x, int index) const
    {
        if (wantedDepth_ == 8)
            line[x] = static_cast<uint8_t>(index);
        else
            reinterpret_cast<BgraPixel*>(line)[x] = palette_[index];
    }

    // Runs, absolute runs and escapes, line by line; whatever reaches past
    // the line is dropped. Delta escapes move the position right and up; a
    // delta past the last line ends the picture, like the end of bitmap.
    // Pixels no code reaches keep their zero bytes: index 0, or black at 32
    // bits (filling them with index 0's colour would make a few bytes of
    // codes write a whole large picture).
    void DecodeRunLength()
    {
        CRunLengthInput input(source_);
        auto put = [this](int64_t x, int64_t row, uint8_t index) {
            PutIndex(LineOfFileRow(row), static_cast<int>(x), index);
        };
        gdi::WalkRunLength(input, header_.BitsPerPixel() == 4, header_.Width(), header_.dib.Rows(),
                           gdi::DeltaEscapes::Follow, put);
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
