#include "picture/decoding/FormatTable.h"

#include <algorithm>
#include <array>
#include <optional>

#include "picture/decoding/TextException.h"
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
#include "platform/os/ByteOrder.h"
#include "platform/os/CodePage.h"

namespace {

// Tests on the leading bytes; a byte a test needs that is not there fails it.
class HeaderBytes {
public:
    explicit HeaderBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool Is(size_t offset, uint8_t value) const { return bytes_.U8(offset) == value; }
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
        std::optional<uint8_t> value = bytes_.U8(offset);
        return value && std::find(values.begin(), values.end(), *value) != values.end();
    }
    bool IsNonZeroDword(size_t offset) const { return bytes_.U32LE(offset).value_or(0) != 0; }

private:
    os::CByteReader bytes_;
};

// Only the file name's extension counts: "pics.emf.d/photo.png" is a PNG
// file. A memory block, named "Mem", has none.
bool IsWmf(const FormatSignature& s)
{
    return os::HasExtension(s.name, "wmf");
}

bool IsEmf(const FormatSignature& s)
{
    return os::HasExtension(s.name, "emf");
}

bool IsBmp(const FormatSignature& s)
{
    return HeaderBytes(s.header).Starts({'B', 'M'});
}

bool IsTga(const FormatSignature& s)
{
    HeaderBytes h(s.header);
    return h.IsOneOf(1, std::array<uint8_t, 2> {0, 1}) &&
           h.IsOneOf(2, std::array<uint8_t, 7> {0, 1, 2, 3, 9, 10, 11}) &&
           h.IsOneOf(7, std::array<uint8_t, 6> {0, 8, 15, 16, 24, 32}) &&
           h.IsOneOf(16, std::array<uint8_t, 5> {8, 15, 16, 24, 32});
}

bool IsGif(const FormatSignature& s)
{
    return HeaderBytes(s.header).Starts({'G', 'I', 'F', '8'});
}

// Classic TIFF (version 42), or BigTIFF (version 43, then the offset size 8
// and a zero word).
bool IsTiff(const FormatSignature& s)
{
    HeaderBytes h(s.header);
    return h.Starts({0x49, 0x49, 0x2A, 0x00}) || h.Starts({0x4D, 0x4D, 0x00, 0x2A}) ||
           h.Starts({0x49, 0x49, 0x2B, 0x00, 0x08, 0x00, 0x00, 0x00}) ||
           h.Starts({0x4D, 0x4D, 0x00, 0x2B, 0x00, 0x08, 0x00, 0x00});
}

bool IsPict(const FormatSignature& s)
{
    return s.size > 540 && IsPictHeaderAt(s.header, 512);
}

// Pictures taken out of archives and resource forks lack the preamble.
bool IsBarePict(const FormatSignature& s)
{
    return IsBarePictHeader(s.header);
}

bool IsJpeg(const FormatSignature& s)
{
    return HeaderBytes(s.header).Starts({0xFF, 0xD8, 0xFF});
}

bool IsPng(const FormatSignature& s)
{
    return HeaderBytes(s.header).Starts({0x89, 'P', 'N', 'G'});
}

bool IsEpsWithTiffPreview(const FormatSignature& s)
{
    HeaderBytes h(s.header);
    return (h.Starts({0xC5, 0xD0, 0xD3, 0xC6}) || h.Starts({0xC6, 0xD3, 0xD0, 0xC5})) && h.IsNonZeroDword(20) &&
           h.IsNonZeroDword(24);
}

bool IsPcx(const FormatSignature& s)
{
    HeaderBytes h(s.header);
    return h.Starts({0x0A}) && h.Is(2, 0x01);
}

bool IsPgm(const FormatSignature& s)
{
    HeaderBytes h(s.header);
    return h.Is(0, 'P') && (h.Is(1, '2') || h.Is(1, '5'));
}

void PositionAtEpsPreview(CByteSource& source)
{
    // The EPS binary header: the TIFF preview's offset at 20 and its length at 24.
    const uint8_t* header = source.Peek(28);
    uint64_t offset = os::LoadLittleEndian<uint32_t>(header + 20);
    uint64_t length = os::LoadLittleEndian<uint32_t>(header + 24);
    if (offset < 30 || offset + length > static_cast<uint64_t>(source.GetRemaining()))
        ThrowDecodeError(PE_FORMAT_ERROR, "EPS file: the TIFF preview lies outside the file.");
    source.Read(static_cast<size_t>(offset));
}

template <typename Decoder>
std::unique_ptr<CPictureDecoder> Make(CFormatDecoders& /*decoders*/)
{
    return std::make_unique<Decoder>();
}

// The PICT decoder hands embedded JPEG, PNG and TIFF images to their decoders.
std::unique_ptr<CPictureDecoder> MakePict(CFormatDecoders& decoders)
{
    return std::make_unique<CPICTDecoder>(
        PictEmbeddedDecoders {decoders.For(PF_JPEG), decoders.For(PF_PNG), decoders.For(PF_TIFF)});
}

// Metafiles are known by their name alone, so they come first.
const FormatRow kFormats[] = {
    {PF_WMF, IsWmf, "WMF file recognized.\n", Make<CMetafileDecoder>},
    {PF_EMF, IsEmf, "EMF file recognized.\n", Make<CMetafileDecoder>},
    {PF_BMP, IsBmp, "Windows bitmap recognized.\n", Make<CBMPDecoder>},
    {PF_TGA, IsTga, "TGA file recognized.\n", Make<CTGADecoder>},
    {PF_GIF, IsGif, "GIF file recognized.\n", Make<CGIFDecoder>},
    {PF_TIFF, IsTiff, "TIFF file recognized.\n", Make<CTIFFDecoder>},
    {PF_PICT, IsPict, "Mac PICT recognized.\n", MakePict},
    {PF_JPEG, IsJpeg, "JPEG file recognized.\n", Make<CJPEGDecoder>},
    {PF_PNG, IsPng, "PNG file recognized.\n", Make<CPNGDecoder>},
    {PF_EPS_TIFF, IsEpsWithTiffPreview, "TIFF preview in EPS file recognized.\n", Make<CTIFFDecoder>,
     PositionAtEpsPreview},
    {PF_PCX, IsPcx, "PCX file recognized.\n", Make<CPCXDecoder>},
    {PF_PGM, IsPgm, "PGM file recognized.\n", Make<CPGMDecoder>},
    // Its signature is weaker than any other, so it is tested last.
    {PF_PICT, IsBarePict, "Mac PICT recognized.\n", MakePict},
};

}  // namespace

std::span<const FormatRow> FormatTable()
{
    return kFormats;
}

const FormatRow* FindFormatRow(PictureFormat format)
{
    for (const FormatRow& row : kFormats)
        if (row.format == format)
            return &row;
    return nullptr;
}

const FormatRow* DetectFormatRow(const FormatSignature& signature)
{
    for (const FormatRow& row : kFormats)
        if (row.matches(signature))
            return &row;
    return nullptr;
}

CPictureDecoder* CFormatDecoders::For(const FormatRow& row)
{
    if (row.makeDecoder == nullptr)
        return nullptr;
    for (auto& [factory, decoder] : made_)
        if (factory == row.makeDecoder)
            return decoder.get();
    std::unique_ptr<CPictureDecoder> decoder = row.makeDecoder(*this);
    made_.emplace_back(row.makeDecoder, std::move(decoder));
    return made_.back().second.get();
}

CPictureDecoder* CFormatDecoders::For(PictureFormat format)
{
    const FormatRow* row = FindFormatRow(format);
    return row != nullptr ? For(*row) : nullptr;
}
