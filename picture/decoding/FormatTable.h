#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

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

// What a signature test sees: the file name ("" where there is none), the
// leading bytes (as many as there are, up to kDetectionBytes) and the size.
struct FormatSignature {
    std::string_view name;
    std::span<const uint8_t> header;
    int64_t size = 0;
};

class CFormatDecoders;
using DecoderFactory = std::unique_ptr<CPictureDecoder> (*)(CFormatDecoders& decoders);

// One format the library reads. Rows that share a factory share one decoder;
// a row without one names a format this build cannot decode.
struct FormatRow {
    PictureFormat format;
    bool (*matches)(const FormatSignature& signature);
    const char* traceText;
    DecoderFactory makeDecoder;
    // Moves the source from the file's start to the decoder's data; null
    // where the decoder reads the file from its start.
    void (*positionAtData)(CByteSource& source) = nullptr;
};

// Every format, in detection order: the first row whose test matches names
// the format.
std::span<const FormatRow> FormatTable();

// The row of `format`; null for PF_UNKNOWN and numbers of no format.
const FormatRow* FindFormatRow(PictureFormat format);

// The row of the first format whose test matches; null when none does.
const FormatRow* DetectFormatRow(const FormatSignature& signature);

// The number of leading bytes the signature tests look at.
inline constexpr size_t kDetectionBytes = 526;

// The decoders of the table's formats, each made when first wanted.
class CFormatDecoders {
public:
    // Null where the row has no decoder.
    CPictureDecoder* For(const FormatRow& row);
    CPictureDecoder* For(PictureFormat format);

private:
    std::vector<std::pair<DecoderFactory, std::unique_ptr<CPictureDecoder>>> made_;
};
