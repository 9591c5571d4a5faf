#include "tests/support/TiffReference.h"

#include <tiffio.h>

#include <memory>

#include "tests/support/TiffBytes.h"

namespace {

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

bool ReadRgba(TIFF* tiff, TiffRgba& result)
{
    if (tiff == nullptr)
        return false;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &result.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &result.height);
    result.pixels.resize(static_cast<size_t>(result.width) * result.height);
    return TIFFReadRGBAImageOriented(tiff, result.width, result.height, result.pixels.data(), ORIENTATION_TOPLEFT, 0);
}

TiffRgba ReadRgba(TIFF* tiff)
{
    TiffRgba result;
    if (!ReadRgba(tiff, result))
        return {};
    return result;
}

}  // namespace

bool ReadTiffRgbaInto(const std::vector<uint8_t>& bytes, TiffRgba& result)
{
    TiffHandle tiff(OpenTiffBytes(bytes));
    return ReadRgba(tiff.get(), result);
}

TiffRgba ReadTiffRgba(const std::vector<uint8_t>& bytes)
{
    TiffRgba result;
    return ReadTiffRgbaInto(bytes, result) ? result : TiffRgba {};
}

TiffRgba ReadTiffRgbaFile(const std::string& path)
{
    TiffHandle tiff(TIFFOpen(path.c_str(), "r"));
    return ReadRgba(tiff.get());
}

BgraPixel TiffRgba::ColorAt(int x, int y) const
{
    uint32_t value = pixels[static_cast<size_t>(y) * width + static_cast<size_t>(x)];
    return {static_cast<uint8_t>(TIFFGetB(value)), static_cast<uint8_t>(TIFFGetG(value)),
            static_cast<uint8_t>(TIFFGetR(value)), static_cast<uint8_t>(TIFFGetA(value))};
}
