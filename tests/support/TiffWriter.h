#pragma once

#include <tiff.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A TIFF to write with libtiff: the tags the decoder reads and the pixels as
// they are stored before compression.
struct TiffImage {
    uint32_t width = 1;
    uint32_t height = 1;
    uint16_t bitsPerSample = 8;
    uint16_t samplesPerPixel = 1;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t compression = COMPRESSION_NONE;
    uint16_t planar = PLANARCONFIG_CONTIG;
    std::optional<uint16_t> extraSample;  // the last sample is alpha of this kind (EXTRASAMPLE_…)
    uint32_t rowsPerStrip = 0;            // 0: libtiff's choice
    uint32_t tileWidth = 0;               // non-zero: tiles of tileWidth x tileLength (8-bit multiples only)
    uint32_t tileLength = 0;
    std::vector<uint16_t> colorMap;  // 2^bitsPerSample reds, then greens, then blues
    uint16_t orientation = ORIENTATION_TOPLEFT;
    uint16_t ycbcrSubsampling = 2;   // horizontal and vertical, for JPEG-compressed YCbCr
    uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    std::optional<std::array<double, 2>> sampleRange;  // SMinSampleValue and SMaxSampleValue
    bool bigEndian = false;
    bool bigTiff = false;
    bool omitSampleTags = false;     // no BitsPerSample and SamplesPerPixel tags (1 and 1)
    // Rows top-down, each padded to whole bytes; 16-bit samples in host order.
    // With separate planes, one plane's rows after the other's.
    std::vector<uint8_t> pixels;
};

// Throws std::runtime_error when libtiff refuses.
std::vector<uint8_t> WriteTiff(const TiffImage& image);

// Packs one sample value per entry (rows top-down) into rows of `bits` bits per
// sample, most significant bits first; 16 and 32 bits are stored in host order.
std::vector<uint8_t> PackSamples(const std::vector<std::vector<uint32_t>>& rows, int bits);

// Floating-point samples of 32 or 64 bits in host order, one after the other.
std::vector<uint8_t> FloatSamples(const std::vector<double>& samples, int bits);

// The rows of 0xRRGGBB pixels as interleaved samples: red, green, blue (and alpha).
std::vector<std::vector<uint32_t>> RgbSamples(const std::vector<std::vector<uint32_t>>& rows, int alpha = -1);

// The colour scene of TestPictures as 8-bit RGB, in strips of 16 rows.
TiffImage SceneTiff(uint32_t width, uint32_t height, uint16_t compression);

// An EPS file as drawing programs save one with a preview: the 30-byte
// binary header, the PostScript, then the TIFF.
std::vector<uint8_t> WriteEps(const std::string& postscript, const std::vector<uint8_t>& tiff);
