#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/PictureDecoder.h"
#include "picture/decoding/PictureError.h"
#include "tests/support/BareDecoders.h"
#include "tests/support/TiffReference.h"

// The outcome of one decode: the bitmap, or the error's code and text.
struct DecodeResult {
    std::unique_ptr<CDibSectionBitmap> bitmap = std::make_unique<CDibSectionBitmap>();
    int code = 0;
    std::string text;
    bool Ok() const { return code == 0; }
};

DecodeResult DecodeBytes(CPictureDecoder& decoder, const std::vector<uint8_t>& bytes, int wantedDepth = 0);
DecodeResult DecodeFileAt(CPictureDecoder& decoder, const std::string& path, int wantedDepth = 0,
                          CDecodeProgress* progress = nullptr);

// Records every fraction reported; when `stopAt` is set, the call of that
// number (from 1) throws CTextException(kStoppedByProgress, "stopped").
struct ProgressRecorder : CDecodeProgress {
    void OnProgress(double fraction) override;
    std::vector<double> fractions;
    size_t stopAt = 0;
};
constexpr int kStoppedByProgress = 99;

// The palette index at (x, y) of a 1 or 8-bit bitmap, counted from the top.
int IndexAt(const CPictureBitmap& bitmap, int x, int y);
// The colour at (x, y): the pixel of a 32-bit bitmap, the palette entry otherwise.
BgraPixel ColorAt(const CPictureBitmap& bitmap, int x, int y);

// Expects the colour (and alpha) of every pixel to lie within `tolerance` of
// `expected`(x, y); pixels for which it gives nothing are not compared. The
// first few differences are reported with `what`.
using ExpectedColor = std::function<std::optional<BgraPixel>(int x, int y)>;
void ExpectColors(const CPictureBitmap& bitmap, const ExpectedColor& expected, int tolerance, const std::string& what);

// Expects the size of libtiff's reading and every pixel within `tolerance` of
// it; the straight colours of a bitmap with alpha are premultiplied first, as
// libtiff's RGBA reader gives them.
void ExpectSameAsTiffReference(const CPictureBitmap& bitmap, const TiffRgba& reference, int tolerance,
                               const std::string& what);

// Expects every pixel to be what libtiff's RGBA reader, the TIFF decoder's
// conversion, makes of the ink of a bare JPEG decode stored as a CMYK TIFF
// (inverted first when the JPEG file has Adobe's marker).
void ExpectInkConvertedAsTiff(const CPictureBitmap& bitmap, const BarePicture& cmyk, const std::string& what);

// For readable failure messages: "(r, g, b, a)".
std::string Describe(const BgraPixel& pixel);
void PrintTo(const BgraPixel& pixel, std::ostream* out);
