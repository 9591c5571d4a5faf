#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "picture/decoding/PictureDecoder.h"

enum PictureFormat : int {
    PF_UNKNOWN = 0,
    PF_BMP = 1,
    PF_PICT = 2,
    PF_TGA = 3,
    PF_TIFF = 4,
    PF_JPEG = 5,
    PF_PNG = 6,
    PF_EPS_TIFF = 7,
    PF_WMF = 8,
    PF_EMF = 9,
    PF_PCX = 10,
    PF_PGM = 11,
    PF_GIF = 12,
};

// The decoder the application uses for every picture: recognises the format
// (Windows metafiles by the name, everything else by the first bytes) and hands
// the data to the decoder of that format, which it owns.
class CAutoDecoder : public CPictureDecoder {
public:
    CAutoDecoder();
    ~CAutoDecoder() override;

    void Decode(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth) override;
    PictureSize DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                              PictureSize enough) override;

    // The format of data whose first bytes are `header` (as many as there are,
    // up to the 526 the tests look at) and whose total size is `size`.
    // A byte a test needs that is not there fails the test.
    static PictureFormat DetectFormat(std::span<const uint8_t> header, int64_t size);
    // The format Decode would take the file at `path` for, from its name and
    // first bytes alone, without decoding it; PF_UNKNOWN when it cannot be read.
    static PictureFormat RecognizeFile(const char* path);

    // The number of leading bytes DetectFormat looks at.
    static constexpr size_t kDetectionBytes = 526;

private:
    // Recognises the format, positions the source at its data and names the decoder.
    CPictureDecoder& DecoderAt(CByteSource& source) const;
    static PictureFormat FormatOf(CByteSource& source);
    CPictureDecoder* DecoderFor(PictureFormat format) const;
    void PositionAtEpsPreview(CByteSource& source) const;

    // Owned format decoders; null where a format is not part of this build.
    std::unique_ptr<CPictureDecoder> bmpDecoder_;
    std::unique_ptr<CPictureDecoder> pictDecoder_;
    std::unique_ptr<CPictureDecoder> tgaDecoder_;
    std::unique_ptr<CPictureDecoder> tiffDecoder_;
    std::unique_ptr<CPictureDecoder> jpegDecoder_;
    std::unique_ptr<CPictureDecoder> pngDecoder_;
    std::unique_ptr<CPictureDecoder> metafileDecoder_;
    std::unique_ptr<CPictureDecoder> pcxDecoder_;
    std::unique_ptr<CPictureDecoder> pgmDecoder_;
    std::unique_ptr<CPictureDecoder> gifDecoder_;
};
