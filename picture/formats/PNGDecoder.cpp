#include "picture/formats/PNGDecoder.h"

#include <algorithm>

#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "picture/formats/PngSession.h"

namespace {

class PngReader {
public:
    PngReader(CPictureBitmap& bitmap, int& wantedDepth, CByteSource& source)
        : session_(source), bitmap_(bitmap), wantedDepth_(wantedDepth)
    {
    }

    void Decode()
    {
        header_ = session_.ReadHeader();
        PngTransforms transforms = ChooseDepthAndTransforms();
        size_t rowBytes = session_.Transform(transforms);
        CheckRowBytes(rowBytes);
        bitmap_.Create(static_cast<int>(header_.width), static_cast<int>(header_.height), wantedDepth_, hasAlpha_);
        if (wantedDepth_ == 8)
            FillPalette();
        CWriteAccess access(bitmap_);
        session_.ReadImage(bitmap_.GetLines());
        WriteTrace(3, "Decoding finished.\n");
    }

private:
    bool IsIndexed() const
    {
        return header_.colorType == PNG_COLOR_TYPE_GRAY || header_.colorType == PNG_COLOR_TYPE_PALETTE;
    }

    // Grey and palette images stay indices unless 32 bits are wanted; every
    // other colour type, and those at 32 bits, arrive as blue, green, red and
    // alpha (or 0xFF).
    PngTransforms ChooseDepthAndTransforms()
    {
        PngTransforms transforms;
        bool wants32 = wantedDepth_ == 32;
        switch (header_.colorType) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            transforms.grayToRgb = transforms.expand = wants32 || header_.colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
            break;
        case PNG_COLOR_TYPE_PALETTE: transforms.expand = wants32; break;
        case PNG_COLOR_TYPE_RGB:
        case PNG_COLOR_TYPE_RGB_ALPHA: break;
        default:
            ThrowDecodeError(PE_FORMAT_ERROR, FormatText("PNG decoder: unknown colour type %d.", header_.colorType));
        }
        hasAlpha_ = (header_.colorType & PNG_COLOR_MASK_ALPHA) != 0;
        ChooseDestinationDepth(IsIndexed() && !wants32 ? 8 : 32, wantedDepth_);
        if (wantedDepth_ == 32) {
            transforms.bgr = true;
            transforms.filler = !hasAlpha_;
        }
        transforms.strip16 = header_.bitDepth == 16;
        transforms.packing = header_.bitDepth < 8;
        return transforms;
    }

    // libpng writes whole rows into the bitmap's lines: they must be exactly
    // what the bitmap holds.
    void CheckRowBytes(size_t rowBytes) const
    {
        if (rowBytes != static_cast<size_t>(header_.width) * static_cast<size_t>(wantedDepth_ / 8))
            ThrowDecodeError(PE_FORMAT_ERROR, "PNG decoder: the rows do not fit the bitmap.");
    }

    void FillPalette()
    {
        BgraPixel* palette = bitmap_.GetPalette();
        if (header_.colorType == PNG_COLOR_TYPE_GRAY) {
            // 16-bit samples are cut to 8 bits.
            int count = 1 << std::min(header_.bitDepth, 8);
            for (int i = 0; i < count; ++i) {
                auto grey = static_cast<uint8_t>(i * 255 / (count - 1));
                palette[i] = OpaqueBgra(grey, grey, grey);
            }
            return;
        }
        std::vector<png_color> entries = session_.Palette();
        for (size_t i = 0; i < std::min<size_t>(entries.size(), 256); ++i)
            palette[i] = OpaqueBgra(entries[i].red, entries[i].green, entries[i].blue);
    }

    CPngSession session_;
    CPictureBitmap& bitmap_;
    int& wantedDepth_;
    PngHeader header_;
    bool hasAlpha_ = false;
};

}  // namespace

void CPNGDecoder::DecodeImage(CPictureBitmap& bitmap, PaletteBuffer& /*paletteOut*/, int& wantedDepth,
                              CByteSource& source)
{
    PngReader(bitmap, wantedDepth, source).Decode();
}
