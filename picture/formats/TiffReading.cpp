#include "picture/formats/TiffReading.h"

#include "picture/bitmap/PictureBitmap.h"
#include "picture/decoding/Trace.h"
#include "picture/formats/TiffMessages.h"

void CheckTiffPictureSize(uint32_t width, uint32_t height, int depth)
{
    if (width == 0 || height == 0)
        ThrowDecodeError(PE_FORMAT_ERROR, FormatText("TIFF decoder: the picture is %u x %u pixels.", width, height));
    if (!FitsBitmapLimits(width, height, depth))
        ThrowDecodeError(PE_FORMAT_ERROR,
                         FormatText("TIFF decoder: the picture size %u x %u is too large.", width, height));
}

std::string TiffLibraryError(const std::string& fallback)
{
    std::string error = LastTiffError();
    return error.empty() ? fallback + "\n" : error;
}

TiffRowOrder RowOrderOf(TIFF* tiff)
{
    uint16_t orientation = FieldOr<uint16_t>(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    return {orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT,
            orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT};
}

bool ReadTiffRow(TIFF* tiff, uint8_t* scanline, uint32_t row, uint16_t plane, uint32_t height)
{
    bool read = TIFFReadScanline(tiff, scanline, row, plane) != -1;
    if (!read && row < height / 3)
        ThrowDecodeError(PE_UNSUPPORTED_VARIANT,
                         TiffLibraryError(FormatText("TIFF decoder: row %u cannot be read.", row)));
    return read;
}
