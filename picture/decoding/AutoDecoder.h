#pragma once

#include <cstdint>
#include <span>

#include "picture/decoding/FormatTable.h"
#include "picture/decoding/PictureDecoder.h"

// The decoder the application uses for every picture: recognises the format
// by the rows of the format table (Windows metafiles by the name, everything
// else by the first bytes) and hands the data to that format's decoder,
// which it owns.
class CAutoDecoder : public CPictureDecoder {
public:
    CAutoDecoder();
    ~CAutoDecoder() override;

    void Decode(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth) override;
    PictureSize DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                              PictureSize enough) override;

    // Decodes the source as `format`, without recognition.
    void DecodeAs(PictureFormat format, CByteSource& source, CPictureBitmap& bitmap, int wantedDepth);

    // The format of data whose first bytes are `header` (as many as there are,
    // up to the 526 the tests look at) and whose total size is `size`.
    // A byte a test needs that is not there fails the test.
    static PictureFormat DetectFormat(std::span<const uint8_t> header, int64_t size);
    // The format Decode would take the file at `path` for, from its name and
    // first bytes alone, without decoding it; PF_UNKNOWN when it cannot be read.
    static PictureFormat RecognizeFile(const char* path);

    // The number of leading bytes DetectFormat looks at.
    static constexpr size_t kDetectionBytes = ::kDetectionBytes;

private:
    // The row whose signature the source's name and first bytes match; null for none.
    static const FormatRow* RowOf(CByteSource& source);
    // Recognises the format and hands over to DecoderAt.
    CPictureDecoder& DetectedDecoderAt(CByteSource& source);
    // Positions the source at the data of `row` and names its decoder.
    CPictureDecoder& DecoderAt(const FormatRow& row, CByteSource& source);

    CFormatDecoders decoders_;
};
