#include "picture/formats/TiffSamples.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include "picture/bitmap/BgraPixel.h"
#include "picture/bitmap/PictureBitmap.h"
#include "picture/decoding/PictureDecoder.h"
#include "picture/formats/TiffReading.h"

namespace {

// Scales one kind of sample to 8 bits: unsigned integers from 0, signed ones
// from their smallest value (black) up, floating-point ones from 0 to 1, or
// over SMinSampleValue to SMaxSampleValue when the file gives them; values
// beyond the range are clamped.
class SampleScale {
public:
    SampleScale(TIFF* tiff, uint16_t format, uint16_t bits)
    {
        double levels = std::ldexp(1.0, bits) - 1;
        if (format == SAMPLEFORMAT_INT) {
            low_ = -std::ldexp(1.0, bits - 1);
            span_ = levels;
        } else if (format == SAMPLEFORMAT_IEEEFP) {
            double low = 0;
            double high = 0;
            if (TIFFGetField(tiff, TIFFTAG_SMINSAMPLEVALUE, &low) &&
                TIFFGetField(tiff, TIFFTAG_SMAXSAMPLEVALUE, &high) && high > low && std::isfinite(high - low)) {
                low_ = low;
                span_ = high - low;
            }
        } else {
            span_ = levels;
        }
    }

    uint8_t Of(double value) const
    {
        double unit = (value - low_) / span_;
        if (!(unit > 0))  // NaN too
            return 0;
        return unit >= 1 ? 255 : static_cast<uint8_t>(unit * 255 + 0.5);
    }

private:
    double low_ = 0;
    double span_ = 1;
};

// Reads the samples into a 32-bit bitmap, each pixel's colour samples
// scaled to 8 bits.
class SampleReader {
public:
    SampleReader(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth, std::string refusal)
        : tiff_(tiff), bitmap_(bitmap), wantedDepth_(wantedDepth), refusal_(std::move(refusal))
    {
    }

    void Decode()
    {
        ReadHeader();
        CheckHeader();
        ChooseDestinationDepth(32, wantedDepth_);
        bitmap_.Create(static_cast<int>(width_), static_cast<int>(height_), 32, false);
        ReadRows();
    }

private:
    void ReadHeader()
    {
        width_ = FieldOr<uint32_t>(tiff_, TIFFTAG_IMAGEWIDTH, 0);
        height_ = FieldOr<uint32_t>(tiff_, TIFFTAG_IMAGELENGTH, 0);
        bits_ = FieldOr<uint16_t>(tiff_, TIFFTAG_BITSPERSAMPLE, 1);
        samples_ = FieldOr<uint16_t>(tiff_, TIFFTAG_SAMPLESPERPIXEL, 1);
        format_ = FieldOr<uint16_t>(tiff_, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
        photometric_ = FieldOr<uint16_t>(tiff_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        planes_ = FieldOr<uint16_t>(tiff_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == PLANARCONFIG_SEPARATE;
        rowOrder_ = RowOrderOf(tiff_);
    }

    // The colour samples of a pixel: grey, RGB or CMYK; 0 for what is not converted here.
    int ColorSamples() const
    {
        switch (photometric_) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE: return 1;
        case PHOTOMETRIC_RGB: return 3;
        case PHOTOMETRIC_SEPARATED: return 4;
        default: return 0;
        }
    }

    bool SamplesConvertible() const
    {
        if (format_ == SAMPLEFORMAT_IEEEFP)
            return bits_ == 32 || bits_ == 64;
        return (format_ == SAMPLEFORMAT_UINT || format_ == SAMPLEFORMAT_INT) && bits_ >= 1 && bits_ <= 32;
    }

    // What neither reader takes is refused as the RGBA reader refuses it.
    // Extra samples beyond a few (alpha and the like) would only make the
    // rows read large.
    void CheckHeader() const
    {
        constexpr int kMostSamples = 8;
        if (TIFFIsTiled(tiff_) || !SamplesConvertible() || ColorSamples() == 0 || samples_ < ColorSamples() ||
            samples_ > kMostSamples)
            ThrowDecodeError(PE_WRONG_SIGNATURE,
                             refusal_.empty() ? TiffLibraryError(kTiffCannotRead) : refusal_ + "\n");
        CheckTiffPictureSize(width_, height_, 32);
    }

    // Samples interleaved come in one pass over the rows; samples in planes
    // in one pass per plane, as codecs read a plane's strips front to back.
    // Each pixel first holds its colour samples scaled to 8 bits in its four
    // bytes, then becomes a colour.
    void ReadRows()
    {
        CWriteAccess access(bitmap_);
        if (planes_) {
            for (int c = 0; c < ColorSamples(); ++c)
                ReadPlane(c, c + 1, c);
        } else {
            ReadPlane(0, ColorSamples(), 0);
        }
        for (uint32_t row = 0; row < height_; ++row) {
            auto* line = reinterpret_cast<BgraPixel*>(LineOf(row));
            for (uint32_t x = 0; x < width_; ++x)
                line[x] = ColorOf(reinterpret_cast<const uint8_t*>(line + x));
            if (rowOrder_.mirrored)
                std::reverse(line, line + width_);
        }
    }

    // Colour samples `first` to `end` - 1 from `plane`. A row that cannot be
    // read ends the decode in the first third of the picture, and repeats
    // the row before it later.
    void ReadPlane(int first, int end, int plane)
    {
        int stride = planes_ ? 1 : samples_;
        uint64_t bufferSize = std::max<uint64_t>(std::max<tmsize_t>(TIFFScanlineSize(tiff_), 0),
                                                 (uint64_t {width_} * stride * bits_ + 7) / 8);
        std::unique_ptr<uint8_t[]> scanline =
            AllocateOrThrow<uint8_t>(bufferSize, "Out of memory allocating TIFF buffer.");
        SampleScale scale(tiff_, format_, bits_);
        for (uint32_t row = 0; row < height_; ++row) {
            std::fill_n(scanline.get(), bufferSize, 0);
            bool read = ReadTiffRow(tiff_, scanline.get(), row, static_cast<uint16_t>(plane), height_);
            uint8_t* line = LineOf(row);
            const uint8_t* before = row > 0 ? LineOf(row - 1) : nullptr;
            for (uint32_t x = 0; x < width_; ++x)
                for (int c = first; c < end; ++c)
                    line[4 * x + c] = read || before == nullptr
                                          ? scale.Of(SampleAt(scanline.get(), uint64_t {x} * stride + c - first))
                                          : before[4 * x + c];
        }
    }

    uint8_t* LineOf(uint32_t row) const { return bitmap_.GetLines()[rowOrder_.flipped ? height_ - 1 - row : row]; }

    // Sample `index` of a row as libtiff hands it over: whole bytes of 8 to
    // 64 bits in the machine's order, other sizes packed, most significant
    // bits first.
    double SampleAt(const uint8_t* row, uint64_t index) const
    {
        if (format_ == SAMPLEFORMAT_IEEEFP) {
            if (bits_ == 32) {
                float value;
                std::memcpy(&value, row + 4 * index, 4);
                return value;
            }
            double value;
            std::memcpy(&value, row + 8 * index, 8);
            return value;
        }
        uint32_t value = 0;
        if (bits_ % 8 == 0) {
            std::memcpy(&value, row + index * (bits_ / 8), bits_ / 8u);  // little-endian machines
        } else {
            uint64_t bit = index * bits_;
            for (int i = 0; i < bits_; ++i, ++bit)
                value = value << 1 | ((row[bit / 8] >> (7 - bit % 8)) & 1u);
        }
        if (format_ == SAMPLEFORMAT_INT && bits_ < 32 && (value >> (bits_ - 1)) != 0)
            return static_cast<double>(value) - std::ldexp(1.0, bits_);
        if (format_ == SAMPLEFORMAT_INT && bits_ == 32)
            return static_cast<int32_t>(value);
        return value;
    }

    // Grey (black or white at 0), RGB, or CMYK inks as libtiff's RGBA reader
    // converts them: red = (255 - C) x (255 - K) / 255.
    BgraPixel ColorOf(const uint8_t* samples) const
    {
        switch (photometric_) {
        case PHOTOMETRIC_MINISBLACK: return OpaqueBgra(samples[0], samples[0], samples[0]);
        case PHOTOMETRIC_MINISWHITE: {
            auto grey = static_cast<uint8_t>(255 - samples[0]);
            return OpaqueBgra(grey, grey, grey);
        }
        case PHOTOMETRIC_RGB: return OpaqueBgra(samples[0], samples[1], samples[2]);
        default: {
            int paper = 255 - samples[3];
            auto ink = [paper](uint8_t value) { return static_cast<uint8_t>(paper * (255 - value) / 255); };
            return OpaqueBgra(ink(samples[0]), ink(samples[1]), ink(samples[2]));
        }
        }
    }

    TIFF* tiff_;
    CPictureBitmap& bitmap_;
    int& wantedDepth_;
    std::string refusal_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint16_t bits_ = 1;
    uint16_t samples_ = 1;
    uint16_t format_ = SAMPLEFORMAT_UINT;
    uint16_t photometric_ = PHOTOMETRIC_MINISBLACK;
    bool planes_ = false;
    TiffRowOrder rowOrder_;
};

}  // namespace

void DecodeTiffSamples(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth, const std::string& refusal)
{
    SampleReader(tiff, bitmap, wantedDepth, refusal).Decode();
}
