#pragma once

#include <memory>
#include <string>
#include <vector>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/PictureDecoder.h"
#include "picture/decoding/PictureError.h"

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

// For readable failure messages: "(r, g, b, a)".
std::string Describe(const BgraPixel& pixel);
void PrintTo(const BgraPixel& pixel, std::ostream* out);
