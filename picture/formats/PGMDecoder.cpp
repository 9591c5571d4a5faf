#include "picture/formats/PGMDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "platform/os/ByteOrder.h"

namespace {

constexpr uint32_t kLargestMaxval = 65535;
constexpr int kGreyLevels = 256;
// Numbers are not accumulated beyond this; larger ones are refused or clamped.
constexpr uint64_t kNumberCeiling = uint64_t {1} << 32;

bool IsWhiteSpace(uint8_t c)
{
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\v' || c == '\f';
}

bool IsDigit(uint8_t c)
{
    return c >= '0' && c <= '9';
}

struct PgmHeader {
    bool binary = false;
    uint64_t width = 0;
    uint64_t height = 0;
    uint64_t maxval = 0;

    int SampleBytes() const { return maxval > 255 ? 2 : 1; }
    uint64_t Samples() const { return width * height; }
};

class PgmReader {
public:
    PgmReader(CPictureBitmap& bitmap, PaletteBuffer& greyTable, int& wantedDepth, CByteSource& source)
        : bitmap_(bitmap), greyTable_(greyTable), wantedDepth_(wantedDepth), source_(source)
    {
    }

    void Decode()
    {
        WriteTrace(2, "Decoding PGM.\n");
        ReadMagic();
        ReadHeaderNumbers();
        CheckHeader();
        CheckSamplesPresent();
        CreateBitmap();
        BuildGreyTable();
        BuildScale();
        CWriteAccess access(bitmap_);
        if (header_.binary)
            DecodeBinaryRows();
        else
            DecodeAsciiRows();
    }

private:
    void ReadMagic()
    {
        const uint8_t* magic = source_.Read(2);
        if (magic[0] != 'P' || (magic[1] != '2' && magic[1] != '5'))
            ThrowDecodeError(PE_FORMAT_ERROR, "PGM decoder: Is not the correct identifier P5 or P2.");
        header_.binary = magic[1] == '5';
    }

    // Width, height and maximum grey value, with white space and comments
    // between them. The character ending the last number is consumed, so
    // binary samples start right after it.
    void ReadHeaderNumbers()
    {
        uint64_t* numbers[] = {&header_.width, &header_.height, &header_.maxval};
        current_ = source_.ReadU8();
        for (uint64_t* number : numbers) {
            SkipWhiteSpaceAndComments();
            *number = ReadNumber();
        }
    }

    void SkipWhiteSpaceAndComments()
    {
        for (;;) {
            if (current_ == '#') {
                while (current_ != '\n' && current_ != '\r')
                    current_ = source_.ReadU8();
            } else if (IsWhiteSpace(current_)) {
                current_ = source_.ReadU8();
            } else if (IsDigit(current_)) {
                return;
            } else {
                ThrowDecodeError(PE_FORMAT_ERROR,
                                 FormatText("PGM decoder: Unexpected character 0x%02x in the header.", current_));
            }
        }
    }

    // Accumulates digits from the current character on; the first character
    // that is not a digit becomes the current one. No digit gives 0.
    uint64_t ReadNumber()
    {
        uint64_t value = 0;
        while (IsDigit(current_)) {
            value = std::min(value * 10 + (current_ - '0'), kNumberCeiling);
            current_ = source_.ReadU8();
        }
        return value;
    }

    void CheckHeader() const
    {
        if (header_.width == 0 || header_.height == 0)
            ThrowDecodeError(PE_FORMAT_ERROR, "PGM decoder: The picture has no pixels.");
        if (header_.maxval == 0 || header_.maxval > kLargestMaxval)
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("PGM decoder: Maximum grey value %llu is not 1 to 65535.",
                                                         static_cast<unsigned long long>(header_.maxval)));
        if (header_.width > kMaxBitmapSide || header_.height > kMaxBitmapSide)
            ThrowDecodeError(PE_FORMAT_ERROR, "PGM decoder: The picture is too large.");
    }

    // Binary samples must all be there; an ASCII sample takes at least a digit.
    void CheckSamplesPresent() const
    {
        uint64_t needed = header_.Samples() * (header_.binary ? header_.SampleBytes() : 1);
        if (needed > static_cast<uint64_t>(source_.GetRemaining()))
            ThrowEndOfFile();
    }

    void CreateBitmap()
    {
        ChooseDestinationDepth(8, wantedDepth_);
        // An 8-bit bitmap keeps the grey ramp that Create installs.
        bitmap_.Create(static_cast<int>(header_.width), static_cast<int>(header_.height), wantedDepth_, false);
    }

    // The colours of 32-bit pixels, handed out with the decode.
    void BuildGreyTable()
    {
        greyTable_ = std::make_unique<BgraPixel[]>(kGreyLevels);
        for (int i = 0; i < kGreyLevels; ++i)
            greyTable_[i] = OpaqueBgra(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i));
    }

    // The grey level of every sample value: s x 255 / maxval, 255 above maxval.
    void BuildScale()
    {
        scale_.resize(header_.SampleBytes() == 2 ? kLargestMaxval + 1 : kGreyLevels);
        for (size_t s = 0; s < scale_.size(); ++s)
            scale_[s] = static_cast<uint8_t>(s > header_.maxval ? 255 : s * 255 / header_.maxval);
    }

    uint8_t GreyOf(uint64_t sample) const { return sample > header_.maxval ? 255 : scale_[sample]; }

    void DecodeBinaryRows()
    {
        int width = static_cast<int>(header_.width);
        std::vector<uint8_t> greys(static_cast<size_t>(width));
        for (int y = 0; y < bitmap_.GetHeight(); ++y) {
            const uint8_t* samples = source_.Read(static_cast<size_t>(width) * header_.SampleBytes());
            // An 8-bit bitmap takes the grey levels straight into its line.
            uint8_t* line = bitmap_.GetLines()[y];
            uint8_t* out = wantedDepth_ == 8 ? line : greys.data();
            ScaleSamples(samples, width, out);
            if (wantedDepth_ != 8)
                PutColors(greys.data(), line);
        }
    }

    void ScaleSamples(const uint8_t* samples, int width, uint8_t* greys) const
    {
        if (header_.SampleBytes() == 2) {
            for (int x = 0; x < width; ++x)
                greys[x] = scale_[os::LoadBigEndian<uint16_t>(samples + 2 * x)];
        } else if (header_.maxval == 255) {
            std::memcpy(greys, samples, static_cast<size_t>(width));
        } else {
            for (int x = 0; x < width; ++x)
                greys[x] = scale_[samples[x]];
        }
    }

    // Samples are decimal numbers between white space; a character that is
    // not a digit gives 0 and stays.
    void DecodeAsciiRows()
    {
        int width = static_cast<int>(header_.width);
        std::vector<uint8_t> greys(static_cast<size_t>(width));
        SkipWhiteSpace();
        for (int y = 0; y < bitmap_.GetHeight(); ++y) {
            for (int x = 0; x < width; ++x) {
                SkipWhiteSpace();
                greys[x] = GreyOf(ReadNumber());
            }
            PutRow(y, greys.data());
        }
    }

    void SkipWhiteSpace()
    {
        while (IsWhiteSpace(current_))
            current_ = source_.ReadU8();
    }

    void PutRow(int y, const uint8_t* greys) const
    {
        uint8_t* line = bitmap_.GetLines()[y];
        if (wantedDepth_ == 8)
            std::memcpy(line, greys, static_cast<size_t>(bitmap_.GetWidth()));
        else
            PutColors(greys, line);
    }

    void PutColors(const uint8_t* greys, uint8_t* line) const
    {
        auto* pixels = reinterpret_cast<BgraPixel*>(line);
        for (int x = 0; x < bitmap_.GetWidth(); ++x)
            pixels[x] = greyTable_[greys[x]];
    }

    CPictureBitmap& bitmap_;
    PaletteBuffer& greyTable_;
    int& wantedDepth_;
    CByteSource& source_;
    PgmHeader header_;
    uint8_t current_ = 0;  // the one-character look-ahead
    std::vector<uint8_t> scale_;
};

}  // namespace

void CPGMDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                              CByteSource& source)
{
    PgmReader(bitmap, paletteOut, wantedDepth, source).Decode();
}
