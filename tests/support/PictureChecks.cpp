#include "tests/support/PictureChecks.h"

#include <algorithm>
#include <cstdlib>
#include <ostream>

#include <gtest/gtest.h>

#include "picture/bitmap/PlainBitmap.h"
#include "picture/decoding/TextException.h"
#include "tests/support/TiffWriter.h"

DecodeResult DecodeBytes(CPictureDecoder& decoder, const std::vector<uint8_t>& bytes, int wantedDepth)
{
    DecodeResult result;
    try {
        decoder.DecodeMemory(bytes.data(), bytes.size(), *result.bitmap, wantedDepth);
    } catch (const CTextException& error) {
        result.code = error.GetCode();
        result.text = error.GetText();
    }
    return result;
}

DecodeResult DecodeFileAt(CPictureDecoder& decoder, const std::string& path, int wantedDepth,
                          CDecodeProgress* progress)
{
    DecodeResult result;
    try {
        decoder.DecodeFile(path.c_str(), *result.bitmap, wantedDepth, progress);
    } catch (const CTextException& error) {
        result.code = error.GetCode();
        result.text = error.GetText();
    }
    return result;
}

void ProgressRecorder::OnProgress(double fraction)
{
    fractions.push_back(fraction);
    if (fractions.size() == stopAt)
        throw CTextException(kStoppedByProgress, "stopped");
}

int IndexAt(const CPictureBitmap& bitmap, int x, int y)
{
    const uint8_t* line = bitmap.GetLines()[y];
    if (bitmap.GetBitsPerPixel() == 1)
        return (line[x / 8] >> (7 - x % 8)) & 1;
    return line[x];
}

BgraPixel ColorAt(const CPictureBitmap& bitmap, int x, int y)
{
    if (bitmap.GetBitsPerPixel() == 32)
        return reinterpret_cast<const BgraPixel*>(bitmap.GetLines()[y])[x];
    return bitmap.GetPalette()[IndexAt(bitmap, x, y)];
}

void ExpectColors(const CPictureBitmap& bitmap, const ExpectedColor& expected, int tolerance, const std::string& what)
{
    auto near = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
    int mismatches = 0;
    for (int y = 0; y < bitmap.GetHeight() && mismatches < 3; ++y)
        for (int x = 0; x < bitmap.GetWidth() && mismatches < 3; ++x) {
            std::optional<BgraPixel> wanted = expected(x, y);
            BgraPixel actual = ColorAt(bitmap, x, y);
            if (wanted && !(near(actual.red, wanted->red) && near(actual.green, wanted->green) &&
                            near(actual.blue, wanted->blue) && near(actual.alpha, wanted->alpha))) {
                ++mismatches;
                ADD_FAILURE() << what << " at (" << x << ", " << y << "): " << Describe(actual) << " instead of "
                              << Describe(*wanted);
            }
        }
}

namespace {

// A copy of a bitmap with straight alpha whose colours are premultiplied by
// their alpha, rounded as libtiff's RGBA reader rounds them.
std::unique_ptr<CPlainBitmap> Premultiplied(const CPictureBitmap& bitmap)
{
    auto copy = std::make_unique<CPlainBitmap>();
    copy->Create(bitmap.GetWidth(), bitmap.GetHeight(), 32, true);
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x) {
            BgraPixel pixel = ColorAt(bitmap, x, y);
            auto times = [&](uint8_t colour) { return static_cast<uint8_t>((colour * pixel.alpha + 127) / 255); };
            reinterpret_cast<BgraPixel*>(copy->GetLines()[y])[x] =
                BgraPixel {times(pixel.blue), times(pixel.green), times(pixel.red), pixel.alpha};
        }
    return copy;
}

}  // namespace

void ExpectSameAsTiffReference(const CPictureBitmap& bitmap, const TiffRgba& reference, int tolerance,
                               const std::string& what)
{
    if (reference.width != static_cast<uint32_t>(bitmap.GetWidth()) ||
        reference.height != static_cast<uint32_t>(bitmap.GetHeight())) {
        ADD_FAILURE() << what << ": " << bitmap.GetWidth() << " x " << bitmap.GetHeight() << " instead of "
                      << reference.width << " x " << reference.height;
        return;
    }
    // libtiff's RGBA reader gives premultiplied colours, where the bitmap's alpha is straight.
    std::unique_ptr<CPlainBitmap> premultiplied = bitmap.GetAlphaFlag() ? Premultiplied(bitmap) : nullptr;
    ExpectColors(
        premultiplied ? *premultiplied : bitmap,
        [&](int x, int y) -> std::optional<BgraPixel> { return reference.ColorAt(x, y); }, tolerance, what);
}

void ExpectInkConvertedAsTiff(const CPictureBitmap& bitmap, const BarePicture& cmyk, const std::string& what)
{
    TiffImage ink;
    ink.width = static_cast<uint32_t>(cmyk.width);
    ink.height = static_cast<uint32_t>(cmyk.height);
    ink.samplesPerPixel = 4;
    ink.photometric = PHOTOMETRIC_SEPARATED;
    ink.pixels = cmyk.pixels;
    if (cmyk.jpegColours.adobeMarker)
        std::transform(ink.pixels.begin(), ink.pixels.end(), ink.pixels.begin(), [](uint8_t v) { return 255 - v; });
    ExpectSameAsTiffReference(bitmap, ReadTiffRgba(WriteTiff(ink)), 0, what);
}

std::string Describe(const BgraPixel& pixel)
{
    return "(" + std::to_string(pixel.red) + ", " + std::to_string(pixel.green) + ", " + std::to_string(pixel.blue) +
           ", " + std::to_string(pixel.alpha) + ")";
}

void PrintTo(const BgraPixel& pixel, std::ostream* out)
{
    *out << Describe(pixel);
}
