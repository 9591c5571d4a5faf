#include "picture/decoding/AutoDecoder.h"

#include <algorithm>
#include <array>
#include <optional>

#include "picture/decoding/MappedFileSource.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "picture/formats/BMPDecoder.h"
#include "picture/formats/GIFDecoder.h"
#include "picture/formats/JPEGDecoder.h"
#include "picture/formats/MetafileDecoder.h"
#include "picture/formats/PCXDecoder.h"
#include "picture/formats/PGMDecoder.h"
#include "picture/formats/PICTDecoder.h"
#include "picture/formats/PNGDecoder.h"
#include "picture/formats/TGADecoder.h"
#include "picture/formats/TIFFDecoder.h"
#include "platform/os/CodePage.h"

namespace {

// Bounds-checked views of the leading bytes.
class HeaderBytes {
public:
    explicit HeaderBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::optional<uint8_t> At(size_t offset) const
    {
        if (offset >= bytes_.size())
            return std::nullopt;
        return bytes_[offset];
    }
    bool Is(size_t offset, uint8_t value) const { return At(offset) == value; }
    bool Starts(std::initializer_list<uint8_t> values, size_t offset = 0) const
    {
        for (uint8_t value : values)
            if (!Is(offset++, value))
                return false;
        return true;
    }
    template <size_t N>
    bool IsOneOf(size_t offset, const std::array<uint8_t, N>& values) const
    {
        std::optional<uint8_t> value = At(offset);
        return value && std::find(values.begin(), values.end(), *value) != values.end();
    }
    bool IsNonZeroDword(size_t offset) const
    {
        if (offset + 4 > bytes_.size())
            return false;
        return bytes_[offset] | bytes_[offset + 1] | bytes_[offset + 2] | bytes_[offset + 3];
    }

private:
    std::span<const uint8_t> bytes_;
};

bool IsTga(const HeaderBytes& h)
{
    return h.IsOneOf(1, std::array<uint8_t, 2> {0, 1}) &&
           h.IsOneOf(2, std::array<uint8_t, 7> {0, 1, 2, 3, 9, 10, 11}) &&
           h.IsOneOf(7, std::array<uint8_t, 6> {0, 8, 15, 16, 24, 32}) &&
           h.IsOneOf(16, std::array<uint8_t, 5> {8, 15, 16, 24, 32});
}

bool IsPict(const HeaderBytes& h, int64_t size)
{
    // A 512-byte preamble, the picture size and the frame put the version opcode at 522.
    return size > 540 && (h.Starts({0x00, 0x11, 0x02, 0xFF}, 522) || h.Starts({0x00, 0x11, 0x01}, 522) ||
                          h.Starts({0x11, 0x01, 0x01, 0x00}, 522));
}

bool IsEpsWithTiffPreview(const HeaderBytes& h)
{
    return (h.Starts({0xC5, 0xD0, 0xD3, 0xC6}) || h.Starts({0xC6, 0xD3, 0xD0, 0xC5})) && h.IsNonZeroDword(20) &&
           h.IsNonZeroDword(24);
}

const char* TraceTextOf(PictureFormat format)
{
    switch (format) {
    case PF_BMP: return "Windows bitmap recognized.\n";
    case PF_PICT: return "Mac PICT recognized.\n";
    case PF_TGA: return "TGA file recognized.\n";
    case PF_TIFF: return "TIFF file recognized.\n";
    case PF_JPEG: return "JPEG file recognized.\n";
    case PF_PNG: return "PNG file recognized.\n";
    case PF_EPS_TIFF: return "TIFF preview in EPS file recognized.\n";
    case PF_WMF: return "WMF file recognized.\n";
    case PF_EMF: return "EMF file recognized.\n";
    case PF_PCX: return "PCX file recognized.\n";
    case PF_PGM: return "PGM file recognized.\n";
    case PF_GIF: return "GIF file recognized.\n";
    case PF_UNKNOWN: break;
    }
    return "";
}

uint32_t DwordAt(const uint8_t* bytes, size_t offset)
{
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes[offset + 2]) << 16) | (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

}  // namespace

// The decoders are made in this order, so that the JPEG decoder exists before
// the PICT decoder that hands it embedded JPEG data.
CAutoDecoder::CAutoDecoder()
    : bmpDecoder_(std::make_unique<CBMPDecoder>())
{
    // Created in the order BMP, TGA, TIFF, JPEG, PICT, PNG, metafile, PCX, PGM,
    // GIF: the PICT decoder uses the JPEG decoder.
    tgaDecoder_ = std::make_unique<CTGADecoder>();
    tiffDecoder_ = std::make_unique<CTIFFDecoder>();
    jpegDecoder_ = std::make_unique<CJPEGDecoder>();
    pictDecoder_ = std::make_unique<CPICTDecoder>(jpegDecoder_.get());
    pngDecoder_ = std::make_unique<CPNGDecoder>();
    metafileDecoder_ = std::make_unique<CMetafileDecoder>();
    pcxDecoder_ = std::make_unique<CPCXDecoder>();
    pgmDecoder_ = std::make_unique<CPGMDecoder>();
    gifDecoder_ = std::make_unique<CGIFDecoder>();
}

CAutoDecoder::~CAutoDecoder() = default;

PictureFormat CAutoDecoder::DetectFormat(std::span<const uint8_t> header, int64_t size)
{
    HeaderBytes h(header);
    if (h.Starts({'B', 'M'}))
        return PF_BMP;
    if (IsTga(h))
        return PF_TGA;
    if (h.Starts({'G', 'I', 'F', '8'}))
        return PF_GIF;
    if (h.Starts({0x49, 0x49, 0x2A, 0x00}) || h.Starts({0x4D, 0x4D, 0x00, 0x2A}))
        return PF_TIFF;
    if (IsPict(h, size))
        return PF_PICT;
    if (h.Starts({0xFF, 0xD8, 0xFF}))
        return PF_JPEG;
    if (h.Starts({0x89, 'P', 'N', 'G'}))
        return PF_PNG;
    if (IsEpsWithTiffPreview(h))
        return PF_EPS_TIFF;
    if (h.Starts({0x0A}) && h.Is(2, 0x01))
        return PF_PCX;
    if (h.Is(0, 'P') && (h.Is(1, '2') || h.Is(1, '5')))
        return PF_PGM;
    return PF_UNKNOWN;
}

PictureFormat CAutoDecoder::FormatOf(CByteSource& source)
{
    // Only the file name's extension counts: "pics.emf.d/photo.png" is a PNG
    // file. A memory block, named "Mem", has none.
    const char* name = source.GetName() != nullptr ? source.GetName() : "";
    if (os::HasExtension(name, "wmf"))
        return PF_WMF;
    if (os::HasExtension(name, "emf"))
        return PF_EMF;
    size_t available = static_cast<size_t>(std::min<int64_t>(source.GetRemaining(), kDetectionBytes));
    return DetectFormat({source.Peek(available), available}, source.GetSize());
}

PictureFormat CAutoDecoder::RecognizeFile(const char* path)
{
    CMappedFileSource source(nullptr);
    if (source.OpenFile(path) != PE_OK)
        return PF_UNKNOWN;
    try {
        return FormatOf(source);
    } catch (const CTextException&) {
        // The file became shorter than it was when opened.
        return PF_UNKNOWN;
    }
}

CPictureDecoder* CAutoDecoder::DecoderFor(PictureFormat format) const
{
    switch (format) {
    case PF_BMP: return bmpDecoder_.get();
    case PF_PICT: return pictDecoder_.get();
    case PF_TGA: return tgaDecoder_.get();
    case PF_TIFF:
    case PF_EPS_TIFF: return tiffDecoder_.get();
    case PF_JPEG: return jpegDecoder_.get();
    case PF_PNG: return pngDecoder_.get();
    case PF_WMF:
    case PF_EMF: return metafileDecoder_.get();
    case PF_PCX: return pcxDecoder_.get();
    case PF_PGM: return pgmDecoder_.get();
    case PF_GIF: return gifDecoder_.get();
    case PF_UNKNOWN: break;
    }
    return nullptr;
}

void CAutoDecoder::PositionAtEpsPreview(CByteSource& source) const
{
    // The EPS binary header: the TIFF preview's offset at 20 and its length at 24.
    const uint8_t* header = source.Peek(30);
    uint64_t offset = DwordAt(header, 20);
    uint64_t length = DwordAt(header, 24);
    if (offset < 30 || offset + length > static_cast<uint64_t>(source.GetRemaining()))
        ThrowDecodeError(PE_FORMAT_ERROR, "EPS file: the TIFF preview lies outside the file.");
    source.Read(static_cast<size_t>(offset));
}

CPictureDecoder& CAutoDecoder::DecoderAt(CByteSource& source) const
{
    PictureFormat format = FormatOf(source);
    if (format == PF_UNKNOWN)
        ThrowDecodeError(PE_UNKNOWN_FILE_TYPE, "Unknown file type.");
    WriteTrace(2, TraceTextOf(format));
    if (format == PF_EPS_TIFF)
        PositionAtEpsPreview(source);
    CPictureDecoder* decoder = DecoderFor(format);
    if (decoder == nullptr)
        ThrowDecodeError(PE_UNSUPPORTED, "Library not compiled for this file type.");
    return *decoder;
}

void CAutoDecoder::Decode(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth)
{
    CheckWantedDepth(wantedDepth);
    DecoderAt(source).Decode(source, bitmap, wantedDepth);
}

PictureSize CAutoDecoder::DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                                        PictureSize enough)
{
    CheckWantedDepth(wantedDepth);
    return DecoderAt(source).DecodeReduced(source, bitmap, wantedDepth, enough);
}
