#include "picture/formats/PCXDecoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "picture/bitmap/RowExpansion.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"

namespace {

constexpr uint8_t kManufacturer = 10;
constexpr uint8_t kRunLengthEncoding = 1;
constexpr uint8_t kPaletteMarker = 12;
constexpr int kHeaderColors = 16;
constexpr int kPaletteSize = 256;
constexpr int64_t kPaletteBytes = 3 * kPaletteSize;
constexpr int kLongestRun = 63;

// The 16 colours of the CGA (and of every later PC adapter's text modes),
// as 0xRRGGBB: black, blue, green, cyan, red, magenta, brown, light grey,
// and their bright forms.
constexpr uint32_t kCgaColors[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                     0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                     0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

struct PcxHeader {
    uint8_t manufacturer = 0;
    uint8_t version = 0;
    uint8_t encoding = 0;
    uint8_t bitsPerPixel = 0;
    uint16_t xMin = 0;
    uint16_t yMin = 0;
    uint16_t xMax = 0;
    uint16_t yMax = 0;
    uint8_t colors[3 * kHeaderColors] = {};  // red, green, blue per entry
    uint8_t planes = 0;
    uint16_t bytesPerLine = 0;

    int Width() const { return xMax - xMin + 1; }
    int Height() const { return yMax - yMin + 1; }
    uint64_t RowBytes() const { return uint64_t {planes} * bytesPerLine; }
    uint64_t ImageBytes() const { return RowBytes() * static_cast<uint64_t>(Height()); }
    bool IsTrueColor() const { return bitsPerPixel == 8 && planes == 3; }
    bool HasVgaPalette() const { return bitsPerPixel == 8 && planes == 1; }
    // Version 2 (2.8 with palette information) and 5 (3.0 and later) carry
    // palette information; CGA pictures are 2 bits in one plane.
    bool IsCgaFourColor() const
    {
        return bitsPerPixel == 2 && planes == 1 && (version == 2 || version == 5);
    }
};

BgraPixel RgbAt(const uint8_t* rgb)
{
    return OpaqueBgra(rgb[0], rgb[1], rgb[2]);
}

class PcxReader {
public:
    PcxReader(CPictureBitmap& bitmap, CByteSource& source) : bitmap_(bitmap), source_(source) {}

    void Decode()
    {
        WriteTrace(2, "Decoding PCX.\n");
        ReadHeader();
        CheckHeader();
        CheckEncodedDataPresent();
        bitmap_.Create(header_.Width(), header_.Height(), 32, false);
        AllocateImage();
        DecodeRunLength();
        ReadPalette();
        CWriteAccess access(bitmap_);
        ConvertRows();
    }

private:
    void ReadHeader()
    {
        header_.manufacturer = source_.ReadU8();
        header_.version = source_.ReadU8();
        header_.encoding = source_.ReadU8();
        header_.bitsPerPixel = source_.ReadU8();
        header_.xMin = source_.ReadU16LE();
        header_.yMin = source_.ReadU16LE();
        header_.xMax = source_.ReadU16LE();
        header_.yMax = source_.ReadU16LE();
        source_.Skip(4);  // resolution
        std::memcpy(header_.colors, source_.Read(sizeof header_.colors), sizeof header_.colors);
        source_.Skip(1);  // reserved
        header_.planes = source_.ReadU8();
        header_.bytesPerLine = source_.ReadU16LE();
        source_.Skip(60);
    }

    void CheckHeader() const
    {
        if (header_.manufacturer != kManufacturer)
            ThrowDecodeError(PE_WRONG_SIGNATURE, "Error decoding pcx: Not a PCX file.");
        if (header_.encoding != kRunLengthEncoding)
            ThrowDecodeError(PE_WRONG_SIGNATURE, "File has unknown encoding scheme.");
        int bits = header_.bitsPerPixel;
        int planes = header_.planes;
        if (bits == 1 && planes > 4)
            ThrowDecodeError(PE_FORMAT_ERROR, "Can't handle image with more than 4 planes.");
        bool packed = bits == 2 || bits == 4 || bits == 8;
        if (planes == 0 || (bits != 1 && !packed) || (packed && planes != 1 && planes != 3))
            ThrowDecodeError(PE_FORMAT_ERROR, "Can't handle bits per pixel image with planes.");
        if (planes > 1 && bits != 1 && !header_.IsTrueColor())
            ThrowDecodeError(PE_UNSUPPORTED_VARIANT, "Can't handle more than 1 bit per pixel.");
        if (header_.Width() <= 0 || header_.Height() <= 0)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Error decoding pcx: the picture size %d x %d is not positive.",
                                                         header_.Width(), header_.Height()));
        if (header_.bytesPerLine == 0)
            ThrowDecodeError(PE_FORMAT_ERROR, "Error decoding pcx: The rows have no bytes.");
    }

    // Two encoded bytes give at most 63 decoded ones; shorter data cannot
    // hold the picture, which is refused before anything is allocated.
    void CheckEncodedDataPresent() const
    {
        if (header_.ImageBytes() * 2 / kLongestRun > static_cast<uint64_t>(source_.GetRemaining()))
            ThrowEndOfFile();
    }

    void AllocateImage()
    {
        imageBytes_ = header_.ImageBytes();
        image_.reset(new (std::nothrow) uint8_t[imageBytes_]);
        if (image_ == nullptr)
            ThrowDecodeError(PE_ALLOC_FAILED, "Error decoding pcx: Out of memory for the decoded image.");
    }

    // A byte with both top bits set repeats the next byte (its low six bits
    // times); any other byte stands for itself. Runs cross rows and planes.
    void DecodeRunLength()
    {
        const uint8_t* data = source_.GetReadPointer();
        size_t available = static_cast<size_t>(source_.GetRemaining());
        size_t in = 0;
        uint64_t out = 0;
        uint8_t* image = image_.get();
        while (out < imageBytes_) {
            if (in == available)
                ThrowEndOfFile();
            uint8_t byte = data[in++];
            if ((byte & 0xC0) != 0xC0) {
                image[out++] = byte;
                continue;
            }
            if (in == available)
                ThrowEndOfFile();
            uint8_t value = data[in++];
            uint64_t count = byte & 0x3F;
            if (count > imageBytes_ - out)
                ThrowDecodeError(PE_UNSUPPORTED_VARIANT, "repeat count spans end of image.");
            std::memset(image + out, value, count);
            out += count;
        }
        source_.Skip(in);
    }

    void ReadPalette()
    {
        std::fill_n(palette_, kPaletteSize, OpaqueBgra(0, 0, 0));
        for (int i = 0; i < kHeaderColors; ++i)
            palette_[i] = RgbAt(header_.colors + 3 * i);
        if (header_.HasVgaPalette()) {
            ReadVgaPalette();
        } else if (header_.bitsPerPixel == 1 && header_.planes == 1) {
            palette_[0] = OpaqueBgra(0, 0, 0);
            palette_[1] = OpaqueBgra(255, 255, 255);
        } else if (header_.IsCgaFourColor() && (header_.colors[3] & 0x80) != 0) {
            ReadCgaPalette();
        }
    }

    // A CGA four-colour picture keeps the adapter's settings in the header
    // palette. The high nibble of byte 16 (the first palette byte) is the
    // background, index 0: one of the 16 CGA colours. Byte 19 (the second
    // entry's first byte) holds three flags in its top bits: bit 7, colour
    // burst, set for a colour picture (as PC Paintbrush writes it; ZSoft's
    // description gives the opposite sense, which its files contradict);
    // bit 6, the palette: 0 gives green,
    // red and brown, 1 cyan, magenta and light grey, for indices 1 to 3; bit
    // 5, intensity: the bright forms (light green, light red, yellow; light
    // cyan, light magenta, white). Without the colour-burst bit the header
    // holds the four colours as plain red, green and blue, as later versions
    // of PC Paintbrush store them.
    void ReadCgaPalette()
    {
        auto cga = [](int index) {
            uint32_t rgb = kCgaColors[index];
            return OpaqueBgra(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
        };
        uint8_t flags = header_.colors[3];
        int first = (flags & 0x40) != 0 ? 3 : 2;  // cyan or green
        int bright = (flags & 0x20) != 0 ? 8 : 0;
        palette_[0] = cga(header_.colors[0] >> 4);
        for (int i = 0; i < 3; ++i)
            palette_[1 + i] = cga(first + 2 * i + bright);
    }

    // The 256 colours follow a marker byte of 12 right after the image data,
    // or, in files with padding before them, sit in the last 769 bytes.
    void ReadVgaPalette()
    {
        int64_t paddedMarker = source_.GetSize() - (1 + kPaletteBytes);
        if (source_.ReadU8() != kPaletteMarker) {
            if (paddedMarker < source_.GetPosition())
                ThrowDecodeError(PE_UNSUPPORTED_VARIANT, "bad color map signature.");
            source_.Skip(static_cast<size_t>(paddedMarker - source_.GetPosition()));
            if (source_.ReadU8() != kPaletteMarker)
                ThrowDecodeError(PE_UNSUPPORTED_VARIANT, "bad color map signature.");
        }
        const uint8_t* colors = source_.Read(kPaletteBytes);
        for (int i = 0; i < kPaletteSize; ++i)
            palette_[i] = RgbAt(colors + 3 * i);
    }

    void ConvertRows()
    {
        int width = header_.Width();
        // Pixels beyond what a row's bytes hold are index 0: no row writes there.
        std::vector<uint8_t> indices(std::max<size_t>(width, size_t {header_.bytesPerLine} * 8));
        for (int y = 0; y < header_.Height(); ++y) {
            const uint8_t* row = image_.get() + header_.RowBytes() * static_cast<uint64_t>(y);
            auto* line = reinterpret_cast<BgraPixel*>(bitmap_.GetLines()[y]);
            if (header_.IsTrueColor()) {
                ConvertTrueColorRow(row, line);
                continue;
            }
            if (header_.planes == 1)
                UnpackIndexRow(indices.data(), row, PixelsInPlane(), header_.bitsPerPixel);
            else
                CombinePlanes(row, indices.data());
            for (int x = 0; x < width; ++x)
                line[x] = palette_[indices[x]];
        }
    }

    int PixelsInPlane() const
    {
        return std::min(header_.Width(), header_.bytesPerLine * 8 / header_.bitsPerPixel);
    }

    void ConvertTrueColorRow(const uint8_t* row, BgraPixel* line) const
    {
        int bytes = header_.bytesPerLine;
        int count = std::min(header_.Width(), bytes);
        for (int x = 0; x < count; ++x)
            line[x] = OpaqueBgra(row[x], row[bytes + x], row[2 * bytes + x]);
        std::fill(line + count, line + header_.Width(), OpaqueBgra(0, 0, 0));
    }

    // One bit per pixel in each plane; plane i gives bit i of the index.
    void CombinePlanes(const uint8_t* row, uint8_t* indices) const
    {
        int bytes = header_.bytesPerLine;
        std::fill_n(indices, bytes * 8, 0);
        for (int plane = 0; plane < header_.planes; ++plane) {
            const uint8_t* bits = row + plane * bytes;
            for (int x = 0; x < bytes * 8; ++x)
                indices[x] |= static_cast<uint8_t>(((bits[x >> 3] >> (7 - (x & 7))) & 1) << plane);
        }
    }

    CPictureBitmap& bitmap_;
    CByteSource& source_;
    PcxHeader header_;
    uint64_t imageBytes_ = 0;
    std::unique_ptr<uint8_t[]> image_;
    BgraPixel palette_[kPaletteSize];
};

}  // namespace

void CPCXDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& /*paletteOut*/, int& /*wantedDepth*/,
                              CByteSource& source)
{
    PcxReader(bitmap, source).Decode();
}
