#include "picture/formats/TIFFDecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "picture/bitmap/PlainBitmap.h"
#include "picture/bitmap/RowExpansion.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "picture/formats/TiffMemoryClient.h"
#include "picture/formats/TiffMessages.h"
#include "picture/formats/TiffReading.h"
#include "picture/formats/TiffSamples.h"

namespace {

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// One sample per pixel of up to 8 bits, in strips: indices into a palette
// built from the photometric interpretation.
class LoColorReader {
public:
    LoColorReader(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth, PaletteBuffer& palette)
        : tiff_(tiff), bitmap_(bitmap), wantedDepth_(wantedDepth), palette_(palette)
    {
    }

    void Decode()
    {
        ReadHeader();
        CheckHeader();
        CreateBitmap();
        BuildPalette();
        ReadRows();
        bitmap_.SetPaletteEntries(palette_.get());
    }

private:
    void ReadHeader()
    {
        width_ = FieldOr<uint32_t>(tiff_, TIFFTAG_IMAGEWIDTH, 0);
        height_ = FieldOr<uint32_t>(tiff_, TIFFTAG_IMAGELENGTH, 0);
        bitsPerSample_ = FieldOr<uint16_t>(tiff_, TIFFTAG_BITSPERSAMPLE, 1);
        photometric_ = FieldOr<uint16_t>(tiff_, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        depth_ = bitsPerSample_ == 1 ? 1 : 8;
        rowOrder_ = RowOrderOf(tiff_);
    }

    void CheckHeader() const
    {
        if (bitsPerSample_ == 0)
            ThrowDecodeError(PE_FORMAT_ERROR, "TIFF decoder: BitsPerSample is 0.");
        CheckTiffPictureSize(width_, height_, depth_);
    }

    void CreateBitmap()
    {
        if (wantedDepth_ == 0)
            wantedDepth_ = depth_;
        bitmap_.Create(static_cast<int>(width_), static_cast<int>(height_), depth_, false);
    }

    // Entries the picture does not use keep the grey ramp of a new bitmap.
    void BuildPalette()
    {
        palette_ = AllocateOrThrow<BgraPixel>(256, "Out of memory allocating TIFF palette.");
        FillGreyRamp(palette_.get(), 1 << depth_);
        int count = 1 << bitsPerSample_;
        switch (photometric_) {
        case PHOTOMETRIC_MINISWHITE:
            FillGreys(count, true);
            break;
        case PHOTOMETRIC_PALETTE:
            FillColorMap(count);
            break;
        case PHOTOMETRIC_MINISBLACK:
            FillGreys(count, false);
            break;
        default:
            // Shown as grey levels, so the picture stays recognisable.
            WriteTrace(2, "unexpected PhotometricInterpretation in CTIFFDecoder::DoLoColor()");
            FillGreys(count, false);
            break;
        }
    }

    void FillGreys(int count, bool minIsWhite)
    {
        int step = 255 / (count - 1);
        for (int i = 0; i < count; ++i) {
            auto grey = static_cast<uint8_t>(step * i);
            palette_[minIsWhite ? count - 1 - i : i] = OpaqueBgra(grey, grey, grey);
        }
    }

    // Colour maps hold 16-bit values, but some writers store 8-bit ones: a map
    // without any value above 255 is taken as 8-bit.
    void FillColorMap(int count)
    {
        uint16_t* red = nullptr;
        uint16_t* green = nullptr;
        uint16_t* blue = nullptr;
        if (!TIFFGetField(tiff_, TIFFTAG_COLORMAP, &red, &green, &blue))
            return;
        bool sixteenBit = false;
        for (int i = 0; i < count; ++i)
            sixteenBit = sixteenBit || red[i] > 255 || green[i] > 255 || blue[i] > 255;
        auto component = [sixteenBit](uint16_t value) {
            return static_cast<uint8_t>(sixteenBit ? value * 255 / 65535 : value);
        };
        for (int i = 0; i < count; ++i)
            palette_[i] = OpaqueBgra(component(red[i]), component(green[i]), component(blue[i]));
    }

    // A row that cannot be read later in the picture repeats the row before it.
    void ReadRows()
    {
        tmsize_t scanlineSize = TIFFScanlineSize(tiff_);
        if (scanlineSize <= 0)
            ThrowDecodeError(PE_UNSUPPORTED_VARIANT, TiffLibraryError("TIFF decoder: no scanline size."));
        uint64_t packedBytes = (static_cast<uint64_t>(width_) * bitsPerSample_ + 7) / 8;
        uint64_t bufferSize = std::max<uint64_t>(static_cast<uint64_t>(scanlineSize), packedBytes);
        std::unique_ptr<uint8_t[]> scanline =
            AllocateOrThrow<uint8_t>(bufferSize, "Out of memory allocating TIFF buffer.");
        CWriteAccess access(bitmap_);
        for (uint32_t row = 0; row < height_; ++row) {
            // Cleared, so that a row the codec leaves short ends in index 0, not in the row before.
            std::fill_n(scanline.get(), bufferSize, 0);
            bool read = ReadTiffRow(tiff_, scanline.get(), row, 0, height_);
            if (read || row == 0)
                StoreRow(scanline.get(), packedBytes, LineOf(row));
            else
                std::memcpy(LineOf(row), LineOf(row - 1), static_cast<size_t>(bitmap_.GetLineSize()));
        }
    }

    uint8_t* LineOf(uint32_t row) const { return bitmap_.GetLines()[rowOrder_.flipped ? height_ - 1 - row : row]; }

    void StoreRow(const uint8_t* scanline, uint64_t packedBytes, uint8_t* line) const
    {
        if (depth_ == 1 || bitsPerSample_ == 8)
            std::memcpy(line, scanline, packedBytes);
        else
            UnpackIndexRow(line, scanline, static_cast<int>(width_), bitsPerSample_);
        if (rowOrder_.mirrored)
            Mirror(line);
    }

    void Mirror(uint8_t* line) const
    {
        if (depth_ == 8) {
            std::reverse(line, line + width_);
            return;
        }
        std::vector<uint8_t> bits(line, line + (width_ + 7) / 8);
        for (uint32_t x = 0; x < width_; ++x) {
            uint32_t from = width_ - 1 - x;
            uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
            if ((bits[from / 8] >> (7 - from % 8)) & 1)
                line[x / 8] |= mask;
            else
                line[x / 8] &= static_cast<uint8_t>(~mask);
        }
    }

    TIFF* tiff_;
    CPictureBitmap& bitmap_;
    int& wantedDepth_;
    PaletteBuffer& palette_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint16_t bitsPerSample_ = 1;
    uint16_t photometric_ = PHOTOMETRIC_MINISBLACK;
    int depth_ = 8;
    TiffRowOrder rowOrder_;
};

// libtiff's RGBA image state, ended on every path once begun.
class RgbaImage {
public:
    explicit RgbaImage(TIFF* tiff)
    {
        // libtiff gives the reason for a refusal here in the message, not to the error handler.
        char message[1024] = "";
        if (!TIFFRGBAImageBegin(&image_, tiff, 0, message))
            ThrowDecodeError(PE_WRONG_SIGNATURE,
                             message[0] != '\0' ? std::string(message) + "\n" : TiffLibraryError(kTiffCannotRead));
        // libtiff cannot turn a picture stored turned by a quarter, and would
        // flip or mirror it instead; its rows are kept as stored.
        if (image_.orientation > ORIENTATION_BOTLEFT)
            image_.orientation = ORIENTATION_TOPLEFT;
    }
    ~RgbaImage() { TIFFRGBAImageEnd(&image_); }
    RgbaImage(const RgbaImage&) = delete;
    RgbaImage& operator=(const RgbaImage&) = delete;

    TIFFRGBAImage* operator->() { return &image_; }
    TIFFRGBAImage* Get() { return &image_; }

private:
    TIFFRGBAImage image_ {};
};

// The bitmap's own pixels as libtiff's raster (bottom row first, rows
// without gaps), when its rows lie that way, as a 32-bit DIB's do; else null.
uint32_t* BottomUpPixels(CPictureBitmap& bitmap)
{
    uint8_t* const* lines = bitmap.GetLines();
    int height = bitmap.GetHeight();
    uint8_t* bottom = lines[height - 1];
    auto stride = static_cast<size_t>(bitmap.GetWidth()) * 4;
    for (int line = 0; line < height; ++line)
        if (lines[line] != bottom + static_cast<size_t>(height - 1 - line) * stride)
            return nullptr;
    return reinterpret_cast<uint32_t*>(bottom);
}

// What each extra sample holds (EXTRASAMPLE_…); none when the tag is absent.
std::vector<uint16_t> ExtraSampleKinds(TIFF* tiff)
{
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || kinds == nullptr)
        return {};
    return {kinds, kinds + count};
}

// The kind of the first extra sample, the one libtiff's RGBA reader takes as
// alpha; unspecified when there is none.
uint16_t AlphaKind(TIFF* tiff)
{
    std::vector<uint16_t> kinds = ExtraSampleKinds(tiff);
    return kinds.empty() ? uint16_t {EXTRASAMPLE_UNSPECIFIED} : kinds[0];
}

// libtiff's RGBA reader premultiplies unassociated alpha, which loses the
// colour of transparent pixels and rounds the others; told that the alpha is
// associated, it hands the samples over as stored. Only the directory in
// memory changes.
void ReadAlphaAsStored(TIFF* tiff)
{
    std::vector<uint16_t> kinds = ExtraSampleKinds(tiff);
    kinds[0] = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(kinds.size()), kinds.data());
}

// Colours premultiplied by their alpha made straight again, rounded; a
// transparent pixel has no colour left.
void Unpremultiply(BgraPixel* pixels, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x) {
        BgraPixel& pixel = pixels[x];
        unsigned alpha = pixel.alpha;
        auto straight = [alpha](uint8_t colour) {
            return static_cast<uint8_t>(alpha == 0 ? 0 : std::min(255u, (colour * 255u + alpha / 2) / alpha));
        };
        pixel = {straight(pixel.blue), straight(pixel.green), straight(pixel.red), pixel.alpha};
    }
}

// Anything else: libtiff's RGBA reader fills a raster (bottom row first, red
// in the lowest byte) that becomes a 32-bit bitmap. Where the bitmap's rows
// lie as the raster's do, libtiff fills the bitmap itself. Alpha is kept
// straight, as the bitmap's alpha flag means it, whether the file stores it
// associated (premultiplied) or not.
class RgbaReader {
public:
    RgbaReader(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth)
        : tiff_(tiff), bitmap_(bitmap), wantedDepth_(wantedDepth)
    {
    }

    void Decode()
    {
        ChooseDestinationDepth(32, wantedDepth_);
        uint16_t alphaKind = AlphaKind(tiff_);
        if (alphaKind == EXTRASAMPLE_UNASSALPHA)
            ReadAlphaAsStored(tiff_);
        RgbaImage image(tiff_);
        uint32_t width = image->width;
        uint32_t height = image->height;
        CheckTiffPictureSize(width, height, 32);
        bitmap_.Create(static_cast<int>(width), static_cast<int>(height), 32, image->alpha != 0);
        CWriteAccess access(bitmap_);
        std::unique_ptr<uint32_t[]> ownRaster;
        uint32_t* raster = BottomUpPixels(bitmap_);
        if (raster == nullptr) {
            ownRaster = AllocateOrThrow<uint32_t>(static_cast<uint64_t>(width) * height,
                                                  "Out of memory allocating TIFF buffer.");
            raster = ownRaster.get();
        }
        if (!TIFFRGBAImageGet(image.Get(), raster, width, height))
            ThrowDecodeError(PE_WRONG_SIGNATURE, TiffLibraryError(kTiffCannotRead));
        bool premultiplied = image->alpha != 0 && alphaKind == EXTRASAMPLE_ASSOCALPHA;
        for (uint32_t line = 0; line < height; ++line) {
            uint8_t* pixels = bitmap_.GetLines()[line];
            StoreRow(raster + static_cast<uint64_t>(height - 1 - line) * width, width,
                     reinterpret_cast<uint32_t*>(pixels));
            if (premultiplied)
                Unpremultiply(reinterpret_cast<BgraPixel*>(pixels), width);
        }
    }

private:
    // Swaps red and blue: 0xAABBGGRR becomes 0xAARRGGBB, the word of a
    // BgraPixel. In place when the raster is the bitmap.
    static void StoreRow(const uint32_t* rgba, uint32_t width, uint32_t* line)
    {
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t value = rgba[x];
            line[x] = (value & 0xFF00FF00u) | (value >> 16 & 0xFFu) | (value & 0xFFu) << 16;
        }
    }

    TIFF* tiff_;
    CPictureBitmap& bitmap_;
    int& wantedDepth_;
};

// Whether libtiff's RGBA reader takes the picture; its reason when not. Some
// pictures (16-bit CMYK) pass its test and are refused when it begins.
bool RgbaReaderTakes(TIFF* tiff, std::string& reason)
{
    char message[1024] = "";
    TIFFRGBAImage image {};
    bool takes = TIFFRGBAImageOK(tiff, message) && TIFFRGBAImageBegin(&image, tiff, 0, message);
    if (takes)
        TIFFRGBAImageEnd(&image);
    reason = message;
    return takes;
}

}  // namespace

CTIFFDecoder::CTIFFDecoder()
{
    InstallTiffMessageHandlers();
}

void CTIFFDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                               CByteSource& source)
{
    // A failure quotes what libtiff said during this decode, not an earlier one.
    ClearTiffError();
    TiffHandle tiff(OpenTiffMemory(source.GetReadPointer(), static_cast<size_t>(source.GetRemaining())));
    if (!tiff)
        ThrowDecodeError(PE_WRONG_SIGNATURE, TiffLibraryError("TIFF decoder: libtiff cannot open the data."));
    DecodeTiff(bitmap, paletteOut, wantedDepth, source, tiff.get());
}

void CTIFFDecoder::DecodeTiff(CPictureBitmap& bitmap, PaletteBuffer& paletteOut, int& wantedDepth,
                              CByteSource& /*source*/, TIFF* tiff)
{
    uint16_t bitsPerSample = FieldOr<uint16_t>(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    uint16_t samplesPerPixel = FieldOr<uint16_t>(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    bool paletteTakes = samplesPerPixel == 1 && bitsPerSample <= 8 && !TIFFIsTiled(tiff);
    std::string refusal;
    if (paletteTakes && wantedDepth < 32) {
        DoLoColor(tiff, bitmap, wantedDepth, paletteOut);
    } else if (RgbaReaderTakes(tiff, refusal)) {
        DecodeRgba(tiff, bitmap, wantedDepth);
    } else if (paletteTakes) {
        // Greys of 3, 5, 6 or 7 bits, say: their palette gives the colours.
        CPlainBitmap indexed;
        DoLoColor(tiff, indexed, wantedDepth, paletteOut);
        bitmap.CopyFrom(indexed, 32);
    } else {
        DecodeTiffSamples(tiff, bitmap, wantedDepth, refusal);
    }
}

void CTIFFDecoder::DoLoColor(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth, PaletteBuffer& paletteOut)
{
    LoColorReader(tiff, bitmap, wantedDepth, paletteOut).Decode();
}

void CTIFFDecoder::DecodeRgba(TIFF* tiff, CPictureBitmap& bitmap, int& wantedDepth)
{
    RgbaReader(tiff, bitmap, wantedDepth).Decode();
}
