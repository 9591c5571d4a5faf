#include "tests/support/PictureChecks.h"

#include <ostream>

#include "picture/decoding/TextException.h"

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

std::string Describe(const BgraPixel& pixel)
{
    return "(" + std::to_string(pixel.red) + ", " + std::to_string(pixel.green) + ", " + std::to_string(pixel.blue) +
           ", " + std::to_string(pixel.alpha) + ")";
}

void PrintTo(const BgraPixel& pixel, std::ostream* out)
{
    *out << Describe(pixel);
}
