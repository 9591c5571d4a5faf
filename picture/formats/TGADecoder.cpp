#include "picture/formats/TGADecoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "picture/decoding/MemoryByteSource.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "platform/os/ByteOrder.h"

namespace {

constexpr int kPaletteSize = 256;
constexpr int kLongestPacket = 128;

enum TgaImageType : uint8_t {
    kColorMapped = 1,
    kTrueColor = 2,
    kGrey = 3,
    kRunLengthColorMapped = 9,
    kRunLengthTrueColor = 10,
    kRunLengthGrey = 11,
};

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 0;
    uint16_t firstEntry = 0;
    uint16_t mapLength = 0;
    uint8_t entrySize = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 0;
    uint8_t descriptor = 0;

    bool HasColorMap() const { return colorMapType != 0; }
    bool IsGrey() const { return imageType == kGrey || imageType == kRunLengthGrey; }
    bool IsColorMapped() const { return imageType == kColorMapped || imageType == kRunLengthColorMapped; }
    bool IsRunLength() const { return imageType >= kRunLengthColorMapped; }
    bool TopDown() const { return (descriptor & 0x20) != 0; }
    bool RightToLeft() const { return (descriptor & 0x10) != 0; }
    // The descriptor's low four bits count the alpha (attribute) bits of a pixel.
    int AlphaBits() const { return descriptor & 0x0F; }
};

bool IsOneOf(int value, std::initializer_list<int> allowed)
{
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

int BytesOf(int bits)
{
    return (bits + 7) / 8;
}

// How the bytes of one stored pixel become a colour.
enum class PixelLayout {
    kIndex,      // 8 bits: a palette entry
    kRgb15,      // 5-5-5, little-endian, alpha 255
    kArgb16,     // 5-5-5 and an attribute bit: alpha 0x80 when set, else 0
    kGreyAlpha,  // 16-bit greyscale: a grey byte, then an alpha byte
    kGreyX,      // 16-bit greyscale without alpha: the second byte is not used
    kBgr24,
    kBgra32,
    kBgrx32,     // 32 bits without alpha: the fourth byte is not used
};

PixelLayout LayoutOf(int bits, bool grey, bool alpha)
{
    switch (bits) {
    case 8: return PixelLayout::kIndex;
    case 15: return PixelLayout::kRgb15;
    case 16:
        if (grey)
            return alpha ? PixelLayout::kGreyAlpha : PixelLayout::kGreyX;
        return alpha ? PixelLayout::kArgb16 : PixelLayout::kRgb15;
    case 24: return PixelLayout::kBgr24;
    default: return alpha ? PixelLayout::kBgra32 : PixelLayout::kBgrx32;
    }
}

template <PixelLayout Layout>
BgraPixel PixelAt(const uint8_t* p, const BgraPixel* palette)
{
    if constexpr (Layout == PixelLayout::kIndex)
        return palette[p[0]];
    else if constexpr (Layout == PixelLayout::kRgb15)
        return Rgb555ToBgra(os::LoadLittleEndian<uint16_t>(p), 255);
    else if constexpr (Layout == PixelLayout::kArgb16)
        return Rgb555ToBgra(os::LoadLittleEndian<uint16_t>(p), (p[1] & 0x80) ? 0x80 : 0);
    else if constexpr (Layout == PixelLayout::kGreyAlpha)
        return {p[0], p[0], p[0], p[1]};
    else if constexpr (Layout == PixelLayout::kGreyX)
        return {p[0], p[0], p[0], 255};
    else if constexpr (Layout == PixelLayout::kBgr24 || Layout == PixelLayout::kBgrx32)
        return {p[0], p[1], p[2], 255};
    else
        return {p[0], p[1], p[2], p[3]};
}

template <PixelLayout Layout>
void ConvertPixels(const uint8_t* data, int count, BgraPixel* out, const BgraPixel* palette)
{
    constexpr int step = Layout == PixelLayout::kIndex                                       ? 1
                         : Layout == PixelLayout::kBgr24                                     ? 3
                         : Layout == PixelLayout::kBgra32 || Layout == PixelLayout::kBgrx32 ? 4
                                                                                             : 2;
    for (int i = 0; i < count; ++i, data += step)
        out[i] = PixelAt<Layout>(data, palette);
}

// `count` stored pixels of `layout` as colours.
void ConvertPixels(PixelLayout layout, const uint8_t* data, int count, BgraPixel* out, const BgraPixel* palette)
{
    switch (layout) {
    case PixelLayout::kIndex: ConvertPixels<PixelLayout::kIndex>(data, count, out, palette); break;
    case PixelLayout::kRgb15: ConvertPixels<PixelLayout::kRgb15>(data, count, out, palette); break;
    case PixelLayout::kArgb16: ConvertPixels<PixelLayout::kArgb16>(data, count, out, palette); break;
    case PixelLayout::kGreyAlpha: ConvertPixels<PixelLayout::kGreyAlpha>(data, count, out, palette); break;
    case PixelLayout::kGreyX: ConvertPixels<PixelLayout::kGreyX>(data, count, out, palette); break;
    case PixelLayout::kBgr24: ConvertPixels<PixelLayout::kBgr24>(data, count, out, palette); break;
    case PixelLayout::kBgra32: ConvertPixels<PixelLayout::kBgra32>(data, count, out, palette); break;
    case PixelLayout::kBgrx32: ConvertPixels<PixelLayout::kBgrx32>(data, count, out, palette); break;
    }
}

class TgaReader {
public:
    TgaReader(CPictureBitmap& bitmap, PaletteBuffer& palette, int& wantedDepth, CByteSource& source)
        : bitmap_(bitmap), palette_(palette), wantedDepth_(wantedDepth), source_(source)
    {
    }

    void Decode()
    {
        WriteTrace(2, "Decoding TGA.\n");
        ReadHeader();
        CheckHeader();
        source_.Skip(header_.idLength);
        ReadPalette();
        CheckPixelDataPresent();
        CreateBitmap();
        CWriteAccess access(bitmap_);
        DecodeRows();
    }

private:
    void ReadHeader()
    {
        header_.idLength = source_.ReadU8();
        header_.colorMapType = source_.ReadU8();
        header_.imageType = source_.ReadU8();
        header_.firstEntry = source_.ReadU16LE();
        header_.mapLength = source_.ReadU16LE();
        header_.entrySize = source_.ReadU8();
        source_.Skip(4);  // x and y origin
        header_.width = source_.ReadU16LE();
        header_.height = source_.ReadU16LE();
        header_.pixelDepth = source_.ReadU8();
        header_.descriptor = source_.ReadU8();
    }

    void CheckHeader() const
    {
        if (!IsOneOf(header_.imageType, {kColorMapped, kTrueColor, kGrey, kRunLengthColorMapped,
                                         kRunLengthTrueColor, kRunLengthGrey}))
            ThrowDecodeError(PE_FORMAT_ERROR, "Unknown TGA image type.");
        if (!IsOneOf(header_.pixelDepth, {8, 15, 16, 24, 32}))
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("TGA decoder: Illegal pixel depth %d.", header_.pixelDepth));
        if (header_.HasColorMap() && !IsOneOf(header_.entrySize, {15, 16, 24, 32}))
            ThrowDecodeError(PE_FORMAT_ERROR,
                             FormatText("TGA decoder: Illegal colour map entry size %d.", header_.entrySize));
        // Indices wider than a byte cannot select one of 256 palette entries.
        if (header_.IsColorMapped() && header_.pixelDepth != 8)
            ThrowDecodeError(PE_UNSUPPORTED_VARIANT,
                             FormatText("TGA decoder: Colour-mapped pixels of %d bits.", header_.pixelDepth));
        if (header_.width == 0 || header_.height == 0)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("TGA decoder: the picture size %d x %d is not positive.",
                                                         header_.width, header_.height));
    }

    // The palette starts as the grey ramp, which greyscale images and
    // colour-mapped images without a map keep. Map entries beyond 255 are read
    // and dropped; like every palette, the map is opaque.
    void ReadPalette()
    {
        palette_.reset(new (std::nothrow) BgraPixel[kPaletteSize]);
        if (palette_ == nullptr)
            ThrowDecodeError(PE_ALLOC_FAILED, "Out of memory for palette.");
        FillGreyRamp(palette_.get(), kPaletteSize);
        if (!header_.HasColorMap())
            return;
        int entryBytes = BytesOf(header_.entrySize);
        const uint8_t* map = source_.Read(static_cast<size_t>(header_.mapLength) * entryBytes);
        if (header_.IsGrey())
            return;
        int first = std::min<int>(header_.firstEntry, kPaletteSize);
        int count = std::clamp<int>(kPaletteSize - first, 0, header_.mapLength);
        ConvertPixels(LayoutOf(header_.entrySize, false, true), map, count, palette_.get() + first, nullptr);
        for (int i = first; i < first + count; ++i)
            palette_[i].alpha = 255;
    }

    // Refuses, before the bitmap is allocated, data too short for the picture:
    // uncompressed rows must all be there, and a run-length packet gives at
    // most 128 pixels.
    void CheckPixelDataPresent() const
    {
        int64_t pixels = static_cast<int64_t>(header_.width) * header_.height;
        int64_t pixelBytes = BytesOf(header_.pixelDepth);
        int64_t needed = header_.IsRunLength() ? (pixels + kLongestPacket - 1) / kLongestPacket * (1 + pixelBytes)
                                               : pixels * pixelBytes;
        if (needed > source_.GetRemaining())
            ThrowEndOfFile();
    }

    void CreateBitmap()
    {
        ChooseDestinationDepth(header_.pixelDepth, wantedDepth_);
        bool alpha = HasAlpha();
        bitmap_.Create(header_.width, header_.height, wantedDepth_, alpha && wantedDepth_ == 32);
        if (wantedDepth_ == 8)
            bitmap_.SetPaletteEntries(palette_.get());
        layout_ = LayoutOf(header_.pixelDepth, header_.IsGrey(), alpha);
        pixelBytes_ = BytesOf(header_.pixelDepth);
    }

    // A 16-bit pixel has alpha when the descriptor declares attribute bits;
    // spare bits are no alpha. The fourth byte of a 32-bit pixel is alpha
    // whatever the descriptor declares, as some writers declare no alpha bits
    // for a real mask, unless every pixel leaves it 0, as writers without
    // alpha do.
    bool HasAlpha() const
    {
        if (header_.pixelDepth == 32)
            return AnyFourthByteSet();
        return header_.pixelDepth == 16 && header_.AlphaBits() != 0;
    }

    // Walks the stored 32-bit pixels, through their run-length packets,
    // without taking them from the source.
    bool AnyFourthByteSet() const
    {
        CMemoryByteSource data;
        data.OpenMemory(source_.GetReadPointer(), static_cast<size_t>(source_.GetRemaining()));
        int64_t pixelsLeft = static_cast<int64_t>(header_.width) * header_.height;
        while (pixelsLeft > 0) {
            int64_t count = pixelsLeft;
            int64_t stored = pixelsLeft;
            if (header_.IsRunLength()) {
                uint8_t packetHeader = data.ReadU8();
                count = (packetHeader & 0x7F) + 1;
                stored = (packetHeader & 0x80) != 0 ? 1 : count;
            }
            const uint8_t* pixels = data.Read(static_cast<size_t>(stored) * 4);
            for (int64_t i = 0; i < stored; ++i)
                if (pixels[4 * i + 3] != 0)
                    return true;
            pixelsLeft -= count;
        }
        return false;
    }

    void DecodeRows()
    {
        int height = header_.height;
        for (int row = 0; row < height; ++row) {
            uint8_t* line = bitmap_.GetLines()[header_.TopDown() ? row : height - 1 - row];
            if (header_.IsRunLength())
                DecodeRunLengthRow(line);
            else
                PutPixels(line, 0, header_.width, source_.Read(static_cast<size_t>(header_.width) * pixelBytes_));
            if (header_.RightToLeft())
                Mirror(line);
        }
    }

    // A row stored right to left, once whole, is turned round.
    void Mirror(uint8_t* line) const
    {
        if (wantedDepth_ == 8)
            std::reverse(line, line + header_.width);
        else
            std::reverse(reinterpret_cast<BgraPixel*>(line), reinterpret_cast<BgraPixel*>(line) + header_.width);
    }

    // Packets continue from one row into the next.
    void DecodeRunLengthRow(uint8_t* line)
    {
        int x = 0;
        while (x < header_.width) {
            if (packetLeft_ == 0)
                StartPacket();
            int count = std::min(packetLeft_, header_.width - x);
            if (runValue_ != nullptr)
                RepeatPixel(line, x, count);
            else
                PutPixels(line, x, count, source_.Read(static_cast<size_t>(count) * pixelBytes_));
            x += count;
            packetLeft_ -= count;
        }
    }

    void StartPacket()
    {
        uint8_t packetHeader = source_.ReadU8();
        packetLeft_ = (packetHeader & 0x7F) + 1;
        runValue_ = (packetHeader & 0x80) != 0 ? source_.Read(pixelBytes_) : nullptr;
    }

    void PutPixels(uint8_t* line, int x, int count, const uint8_t* data) const
    {
        if (wantedDepth_ == 8)
            std::memcpy(line + x, data, static_cast<size_t>(count));
        else
            ConvertPixels(layout_, data, count, reinterpret_cast<BgraPixel*>(line) + x, palette_.get());
    }

    void RepeatPixel(uint8_t* line, int x, int count) const
    {
        if (wantedDepth_ == 8) {
            std::memset(line + x, runValue_[0], static_cast<size_t>(count));
            return;
        }
        BgraPixel pixel;
        ConvertPixels(layout_, runValue_, 1, &pixel, palette_.get());
        std::fill_n(reinterpret_cast<BgraPixel*>(line) + x, count, pixel);
    }

    CPictureBitmap& bitmap_;
    PaletteBuffer& palette_;
    int& wantedDepth_;
    CByteSource& source_;
    TgaHeader header_;
    PixelLayout layout_ = PixelLayout::kIndex;
    int pixelBytes_ = 1;
    int packetLeft_ = 0;
    const uint8_t* runValue_ = nullptr;  // the repeated pixel of a run packet; null in a literal packet
};

}  // namespace

void CTGADecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                              CByteSource& source)
{
    TgaReader(bitmap, paletteOut, wantedDepth, source).Decode();
}
