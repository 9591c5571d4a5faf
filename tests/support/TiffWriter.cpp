#include "tests/support/TiffWriter.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "tests/support/ByteWriter.h"
#include "tests/support/TestPictures.h"
#include "tests/support/TiffBytes.h"

namespace {

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

void Check(int result, const char* what)
{
    if (result != 1)
        throw std::runtime_error(std::string("libtiff refused ") + what);
}

void SetTags(TIFF* tiff, const TiffImage& image)
{
    Check(TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, image.width), "the width");
    Check(TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, image.height), "the height");
    if (!image.omitSampleTags) {
        Check(TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, image.bitsPerSample), "BitsPerSample");
        Check(TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, image.samplesPerPixel), "SamplesPerPixel");
    }
    Check(TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, image.photometric), "the photometric interpretation");
    Check(TIFFSetField(tiff, TIFFTAG_COMPRESSION, image.compression), "the compression");
    Check(TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, image.planar), "the planar configuration");
    Check(TIFFSetField(tiff, TIFFTAG_ORIENTATION, image.orientation), "the orientation");
    if (image.sampleFormat != SAMPLEFORMAT_UINT)
        Check(TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, image.sampleFormat), "the sample format");
    if (image.sampleRange) {
        Check(TIFFSetField(tiff, TIFFTAG_SMINSAMPLEVALUE, (*image.sampleRange)[0]), "SMinSampleValue");
        Check(TIFFSetField(tiff, TIFFTAG_SMAXSAMPLEVALUE, (*image.sampleRange)[1]), "SMaxSampleValue");
    }
    if (image.extraSample) {
        uint16_t kinds[] = {*image.extraSample};
        Check(TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, kinds), "the extra sample");
    }
    if (!image.colorMap.empty()) {
        size_t count = image.colorMap.size() / 3;
        Check(TIFFSetField(tiff, TIFFTAG_COLORMAP, image.colorMap.data(), image.colorMap.data() + count,
                           image.colorMap.data() + 2 * count),
              "the colour map");
    }
    if (image.compression == COMPRESSION_JPEG) {
        Check(TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, 90), "the JPEG quality");
        if (image.photometric == PHOTOMETRIC_YCBCR) {
            Check(TIFFSetField(tiff, TIFFTAG_YCBCRSUBSAMPLING, image.ycbcrSubsampling, image.ycbcrSubsampling),
                  "the subsampling");
            Check(TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB), "the JPEG colour mode");
        }
    }
    if (image.tileWidth != 0) {
        Check(TIFFSetField(tiff, TIFFTAG_TILEWIDTH, image.tileWidth), "the tile width");
        Check(TIFFSetField(tiff, TIFFTAG_TILELENGTH, image.tileLength), "the tile length");
    } else {
        uint32_t rows = image.rowsPerStrip != 0 ? image.rowsPerStrip : TIFFDefaultStripSize(tiff, 0);
        Check(TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rows), "the rows per strip");
    }
}

int Planes(const TiffImage& image)
{
    return image.planar == PLANARCONFIG_SEPARATE ? image.samplesPerPixel : 1;
}

size_t RowBytes(const TiffImage& image)
{
    int samples = image.planar == PLANARCONFIG_SEPARATE ? 1 : image.samplesPerPixel;
    return (static_cast<size_t>(image.width) * samples * image.bitsPerSample + 7) / 8;
}

void WriteStrips(TIFF* tiff, const TiffImage& image)
{
    std::vector<uint8_t> row(RowBytes(image));
    for (int plane = 0; plane < Planes(image); ++plane)
        for (uint32_t y = 0; y < image.height; ++y) {
            size_t start = (static_cast<size_t>(plane) * image.height + y) * row.size();
            std::copy_n(image.pixels.begin() + static_cast<long>(start), row.size(), row.begin());
            Check(TIFFWriteScanline(tiff, row.data(), y, static_cast<uint16_t>(plane)) == 1, "a scanline");
        }
}

void WriteTiles(TIFF* tiff, const TiffImage& image)
{
    size_t pixelBytes = RowBytes(image) / image.width;
    size_t tileRowBytes = image.tileWidth * pixelBytes;
    std::vector<uint8_t> tile(tileRowBytes * image.tileLength);
    for (int plane = 0; plane < Planes(image); ++plane)
        for (uint32_t top = 0; top < image.height; top += image.tileLength)
            for (uint32_t left = 0; left < image.width; left += image.tileWidth) {
                std::fill(tile.begin(), tile.end(), 0);
                for (uint32_t y = top; y < std::min(image.height, top + image.tileLength); ++y) {
                    size_t start =
                        (static_cast<size_t>(plane) * image.height + y) * RowBytes(image) + left * pixelBytes;
                    size_t count = std::min<size_t>(image.width - left, image.tileWidth) * pixelBytes;
                    std::copy_n(image.pixels.begin() + static_cast<long>(start), count,
                                tile.begin() + static_cast<long>((y - top) * tileRowBytes));
                }
                Check(TIFFWriteTile(tiff, tile.data(), left, top, 0, static_cast<uint16_t>(plane)) > 0, "a tile");
            }
}

void WriteImage(TIFF* tiff, const TiffImage& image)
{
    if (image.pixels.size() < RowBytes(image) * image.height * Planes(image))
        throw std::runtime_error("WriteTiff: fewer pixels than the picture needs");
    SetTags(tiff, image);
    if (image.tileWidth != 0)
        WriteTiles(tiff, image);
    else
        WriteStrips(tiff, image);
    Check(TIFFWriteDirectory(tiff), "the directory");
}

}  // namespace

std::vector<uint8_t> WriteTiff(const TiffImage& image)
{
    std::vector<uint8_t> bytes;
    {
        std::unique_ptr<TIFF, TiffCloser> tiff(CreateTiffBytes(bytes, image.bigEndian, image.bigTiff));
        if (!tiff)
            throw std::runtime_error("libtiff cannot open the output");
        WriteImage(tiff.get(), image);
    }
    return bytes;
}

std::vector<uint8_t> FloatSamples(const std::vector<double>& samples, int bits)
{
    std::vector<uint8_t> bytes;
    for (double sample : samples) {
        uint8_t stored[8];
        auto single = static_cast<float>(sample);
        if (bits == 32)
            std::memcpy(stored, &single, 4);
        else
            std::memcpy(stored, &sample, 8);
        bytes.insert(bytes.end(), stored, stored + bits / 8);
    }
    return bytes;
}

std::vector<uint8_t> PackSamples(const std::vector<std::vector<uint32_t>>& rows, int bits)
{
    std::vector<uint8_t> packed;
    for (const auto& row : rows) {
        if (bits == 16 || bits == 32) {
            for (uint32_t value : row) {
                auto sample = static_cast<uint16_t>(value);
                uint8_t bytes[4];
                if (bits == 16)
                    std::memcpy(bytes, &sample, 2);
                else
                    std::memcpy(bytes, &value, 4);
                packed.insert(packed.end(), bytes, bytes + bits / 8);
            }
            continue;
        }
        std::vector<uint8_t> line((row.size() * static_cast<size_t>(bits) + 7) / 8, 0);
        size_t bit = 0;
        for (uint32_t value : row)
            for (int i = bits - 1; i >= 0; --i, ++bit)
                if ((value >> i) & 1)
                    line[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
        packed.insert(packed.end(), line.begin(), line.end());
    }
    return packed;
}

std::vector<std::vector<uint32_t>> RgbSamples(const std::vector<std::vector<uint32_t>>& rows, int alpha)
{
    std::vector<std::vector<uint32_t>> samples;
    for (const auto& row : rows) {
        std::vector<uint32_t> line;
        for (uint32_t pixel : row) {
            line.insert(line.end(), {pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF});
            if (alpha >= 0)
                line.push_back(static_cast<uint32_t>(alpha));
        }
        samples.push_back(std::move(line));
    }
    return samples;
}

TiffImage SceneTiff(uint32_t width, uint32_t height, uint16_t compression)
{
    TiffImage image;
    image.width = width;
    image.height = height;
    image.samplesPerPixel = 3;
    image.photometric = PHOTOMETRIC_RGB;
    image.compression = compression;
    image.rowsPerStrip = 16;
    image.pixels = PackSamples(RgbSamples(SceneRows(static_cast<int>(width), static_cast<int>(height))), 8);
    return image;
}

std::vector<uint8_t> WriteEps(const std::string& postscript, const std::vector<uint8_t>& tiff)
{
    auto psLength = static_cast<uint32_t>(postscript.size());
    ByteWriter eps;
    eps.Bytes({0xC5, 0xD0, 0xD3, 0xC6}).U32LE(30).U32LE(psLength);
    eps.U32LE(0).U32LE(0);  // no metafile preview
    eps.U32LE(30 + psLength).U32LE(static_cast<uint32_t>(tiff.size())).U16LE(0xFFFF);
    eps.Text(postscript).Bytes(tiff);
    return eps.Take();
}
