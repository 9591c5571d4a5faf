#include "picture/formats/PictQuickTime.h"

#include <algorithm>
#include <span>

#include "picture/bitmap/BgraPixel.h"
#include "picture/decoding/MemoryByteSource.h"
#include "picture/decoding/TextException.h"
#include "picture/formats/PictRows.h"
#include "platform/gdi/BitmapInfo.h"
#include "platform/gdi/DibCore.h"
#include "platform/os/ByteOrder.h"

namespace {

constexpr int kPaletteSize = 256;
constexpr const char* kUnrecognized = "PICT file contains unrecognized quicktime data.\n";

constexpr uint32_t FourCC(const char (&code)[5])
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) | static_cast<uint8_t>(code[3]);
}

// The bytes of the opcode's data that the file holds.
std::span<const uint8_t> PeekData(CByteSource& source, uint64_t length)
{
    size_t available = static_cast<size_t>(std::min<uint64_t>(length, static_cast<uint64_t>(source.GetRemaining())));
    return {source.Peek(available), available};
}

// The image description follows a version, the matrix, a matte and a mask;
// the image data follow the description.
struct QuickTimeImage {
    uint32_t codec = 0;
    int width = 0;
    int height = 0;
    int depth = 0;
    std::span<const uint8_t> data {};
    std::span<const uint8_t> colorTable {};  // behind the description's 86 bytes, when it has more
};

std::optional<QuickTimeImage> ReadImageDescription(std::span<const uint8_t> bytes)
{
    os::CByteReader data(bytes.data(), bytes.size());
    std::optional<uint32_t> matte = data.U32BE(38);
    std::optional<uint32_t> mask = data.U32BE(64);
    if (!matte || !mask)
        return std::nullopt;
    uint64_t at = 68 + uint64_t {*matte} + *mask;
    std::optional<uint32_t> descriptionSize = data.U32BE(at);
    std::optional<uint32_t> codec = data.U32BE(at + 4);
    std::optional<uint16_t> width = data.U16BE(at + 32);
    std::optional<uint16_t> height = data.U16BE(at + 34);
    std::optional<uint16_t> depth = data.U16BE(at + 82);
    if (!descriptionSize || !codec || !width || !height || !depth || at + *descriptionSize > bytes.size())
        return std::nullopt;
    QuickTimeImage image {*codec, *width, *height, *depth};
    constexpr uint32_t kDescriptionBytes = 86;
    if (*descriptionSize > kDescriptionBytes)
        image.colorTable = bytes.subspan(at + kDescriptionBytes, *descriptionSize - kDescriptionBytes);
    image.data = bytes.subspan(at + *descriptionSize);
    return image;
}

// How the rows of an uncompressed image lie: QuickTime's own ('raw ') are
// big-endian, top-down and unpadded; a Windows bitmap's ('WRLE') are
// little-endian (blue first), bottom-up and padded to whole 32-bit words.
struct RawRows {
    bool windows = false;
    int depth = 0;  // 8, 16, 24 or 32
    size_t stride = 0;
};

// The colour table behind the description is read as the pixmaps' are; 8-bit
// images without one are grey levels.
PaletteBuffer ColorsOf(const QuickTimeImage& image)
{
    if (image.depth == 8 && !image.colorTable.empty()) {
        CMemoryByteSource table;
        table.OpenMemory(image.colorTable.data(), image.colorTable.size());
        return ReadPictColorTable(table, false);
    }
    auto grey = std::make_unique<BgraPixel[]>(kPaletteSize);
    FillGreyRamp(grey.get(), kPaletteSize);
    return grey;
}

BgraPixel PixelOf(const uint8_t* p, const RawRows& rows, const BgraPixel* colors)
{
    switch (rows.depth) {
    case 8: return colors[p[0]];
    case 16: return Rgb555ToBgra(rows.windows ? os::LoadLittleEndian<uint16_t>(p) : os::LoadBigEndian<uint16_t>(p), 255);
    case 24: return rows.windows ? OpaqueBgra(p[2], p[1], p[0]) : OpaqueBgra(p[0], p[1], p[2]);
    default: return rows.windows ? OpaqueBgra(p[2], p[1], p[0]) : OpaqueBgra(p[1], p[2], p[3]);
    }
}

void CreateFor(const QuickTimeImage& image, int depth, const BgraPixel* colors, const PictQuickTimeTarget& target)
{
    if (image.width <= 0 || image.height <= 0)
        ThrowDecodeError(PE_FORMAT_ERROR, "Error decoding pict: QuickTime image of no size.");
    ChooseDestinationDepth(depth, target.wantedDepth);
    target.bitmap.Create(image.width, image.height, target.wantedDepth, false);
    if (target.wantedDepth == 8)
        target.bitmap.SetPaletteEntries(colors);
}

// Rows of 8-bit indices, or of colours at 16, 24 or 32 bits.
void DecodeRawRows(const QuickTimeImage& image, const RawRows& rows, const PictQuickTimeTarget& target)
{
    if (rows.stride * static_cast<size_t>(image.height) > image.data.size())
        ThrowEndOfFile();
    PaletteBuffer colors = ColorsOf(image);
    CreateFor(image, rows.depth, colors.get(), target);
    CPictureBitmap& bitmap = target.bitmap;
    size_t pixelBytes = static_cast<size_t>(rows.depth / 8);
    CWriteAccess access(bitmap);
    for (int y = 0; y < image.height; ++y) {
        int stored = rows.windows ? image.height - 1 - y : y;
        const uint8_t* row = image.data.data() + static_cast<size_t>(stored) * rows.stride;
        uint8_t* line = bitmap.GetLines()[y];
        if (target.wantedDepth == 8) {
            std::copy_n(row, image.width, line);
            continue;
        }
        auto* pixels = reinterpret_cast<BgraPixel*>(line);
        for (int x = 0; x < image.width; ++x, row += pixelBytes)
            pixels[x] = PixelOf(row, rows, colors.get());
    }
}

// QuickTime's uncompressed pixels: 8-bit indices (always at depth 40, which
// is 8-bit grey), 16-bit 5-5-5, 24-bit RGB or 32-bit ARGB.
void DecodeRaw(const QuickTimeImage& image, const PictQuickTimeTarget& target)
{
    int depth = image.depth == 40 ? 8 : image.depth;
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
        ThrowDecodeError(PE_UNSUPPORTED, kUnrecognized);
    DecodeRawRows(image, {false, depth, static_cast<size_t>(image.width) * static_cast<size_t>(depth / 8)}, target);
}

// Run-length codes for the rows bottom-up; pixels no code reaches keep index 0.
void DecodeRunLength8(const QuickTimeImage& image, const PictQuickTimeTarget& target)
{
    PaletteBuffer colors = ColorsOf(image);
    CreateFor(image, 8, colors.get(), target);
    CPictureBitmap& bitmap = target.bitmap;
    CWriteAccess access(bitmap);
    int width = image.width;
    int height = image.height;
    bool indices = target.wantedDepth == 8;
    auto put = [&](int64_t x, int64_t row, uint8_t index) {
        uint8_t* line = bitmap.GetLines()[height - 1 - row];
        if (indices)
            line[x] = index;
        else
            reinterpret_cast<BgraPixel*>(line)[x] = colors[index];
    };
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x)
            put(x, row, 0);
    gdi::CRunLengthCodes codes(image.data);
    gdi::WalkRunLength(codes, false, width, height, gdi::DeltaEscapes::Follow, put);
}

// A Windows bitmap without its headers: rows of 8, 16, 24 or 32 bits, or
// 8-bit run-length codes when the data are too short for the rows.
void DecodeWindowsBitmap(const QuickTimeImage& image, const PictQuickTimeTarget& target)
{
    int depth = image.depth;
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
        ThrowDecodeError(PE_UNSUPPORTED, kUnrecognized);
    RawRows rows {true, depth, static_cast<size_t>(gdi::DibStride(image.width, depth))};
    if (depth == 8 && rows.stride * static_cast<size_t>(image.height) > image.data.size())
        DecodeRunLength8(image, target);
    else
        DecodeRawRows(image, rows, target);
}

void DecodeEmbedded(CPictureDecoder* decoder, const QuickTimeImage& image, const PictQuickTimeTarget& target)
{
    if (decoder == nullptr)
        ThrowDecodeError(PE_UNSUPPORTED, kUnrecognized);
    CMemoryByteSource data;
    data.OpenMemory(image.data.data(), image.data.size());
    decoder->Decode(data, target.bitmap, target.callerDepth);
}

// False for the codecs left to the search for JPEG data.
bool DecodeDescribed(std::span<const uint8_t> data, const PictEmbeddedDecoders& decoders,
                     const PictQuickTimeTarget& target)
{
    std::optional<QuickTimeImage> image = ReadImageDescription(data);
    if (!image)
        return false;
    if (image->codec == FourCC("png "))
        DecodeEmbedded(decoders.png, *image, target);
    else if (image->codec == FourCC("tiff"))
        DecodeEmbedded(decoders.tiff, *image, target);
    else if (image->codec == FourCC("raw "))
        DecodeRaw(*image, target);
    else if (image->codec == FourCC("WRLE"))
        DecodeWindowsBitmap(*image, target);
    else
        return false;
    return true;
}

void DecodeJpegIn(CByteSource& source, uint64_t length, CPictureDecoder* jpeg, const PictQuickTimeTarget& target)
{
    size_t available = static_cast<size_t>(source.GetRemaining());
    os::CByteReader data(source.Peek(available), available);
    for (uint64_t offset = 0; offset < length; ++offset) {
        if (!data.Has(offset, 1))
            ThrowEndOfFile();
        if (data.U8(offset) == 0xFF && data.U8(offset + 1) == 0xD8 && data.U8(offset + 2) == 0xFF) {
            if (jpeg == nullptr)
                ThrowDecodeError(PE_UNSUPPORTED, "Library not compiled for PICT/JPEG.");
            source.Skip(static_cast<size_t>(offset));
            jpeg->Decode(source, target.bitmap, target.callerDepth);
            return;
        }
    }
    ThrowDecodeError(PE_UNSUPPORTED, kUnrecognized);
}

}  // namespace

void DecodePictQuickTime(CByteSource& source, uint64_t length, const PictEmbeddedDecoders& decoders,
                         const PictQuickTimeTarget& target)
{
    if (!DecodeDescribed(PeekData(source, length), decoders, target))
        DecodeJpegIn(source, length, decoders.jpeg, target);
}

// The description begins with a version word and a 3 x 3 matrix of 16.16
// numbers (the last column 2.30).
std::optional<PictRect> PictQuickTimeTranslation(CByteSource& source, uint64_t length)
{
    constexpr size_t kMatrixEnd = 2 + 9 * 4;
    std::span<const uint8_t> bytes = PeekData(source, length);
    if (bytes.size() < kMatrixEnd)
        return std::nullopt;
    os::CByteReader description(bytes.data(), kMatrixEnd);
    int32_t m[9];
    for (int i = 0; i < 9; ++i)
        m[i] = static_cast<int32_t>(description.U32BE(2 + 4 * i).value_or(0));
    constexpr int32_t kOne = 0x10000;
    constexpr int32_t kOneFract = 0x40000000;
    if (m[0] != kOne || m[1] != 0 || m[2] != 0 || m[3] != 0 || m[4] != kOne || m[5] != 0 || m[8] != kOneFract ||
        m[6] % kOne != 0 || m[7] % kOne != 0)
        return std::nullopt;
    PictRect corner;
    corner.left = static_cast<int16_t>(m[6] / kOne);
    corner.top = static_cast<int16_t>(m[7] / kOne);
    return corner;
}
