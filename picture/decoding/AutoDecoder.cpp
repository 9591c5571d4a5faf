#include "picture/decoding/AutoDecoder.h"

#include <algorithm>

#include "picture/decoding/MappedFileSource.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"

CAutoDecoder::CAutoDecoder() = default;

CAutoDecoder::~CAutoDecoder() = default;

PictureFormat CAutoDecoder::DetectFormat(std::span<const uint8_t> header, int64_t size)
{
    const FormatRow* row = DetectFormatRow({"", header, size});
    return row != nullptr ? row->format : PF_UNKNOWN;
}

const FormatRow* CAutoDecoder::RowOf(CByteSource& source)
{
    size_t available = static_cast<size_t>(std::min<int64_t>(source.GetRemaining(), kDetectionBytes));
    const char* name = source.GetName() != nullptr ? source.GetName() : "";
    return DetectFormatRow({name, {source.Peek(available), available}, source.GetSize()});
}

PictureFormat CAutoDecoder::RecognizeFile(const char* path)
{
    CMappedFileSource source(nullptr);
    if (source.OpenFile(path) != PE_OK)
        return PF_UNKNOWN;
    try {
        const FormatRow* row = RowOf(source);
        return row != nullptr ? row->format : PF_UNKNOWN;
    } catch (const CTextException&) {
        // The file became shorter than it was when opened.
        return PF_UNKNOWN;
    }
}

CPictureDecoder& CAutoDecoder::DetectedDecoderAt(CByteSource& source)
{
    const FormatRow* row = RowOf(source);
    if (row == nullptr)
        ThrowDecodeError(PE_UNKNOWN_FILE_TYPE, "Unknown file type.");
    WriteTrace(2, row->traceText);
    return DecoderAt(*row, source);
}

CPictureDecoder& CAutoDecoder::DecoderAt(const FormatRow& row, CByteSource& source)
{
    if (row.positionAtData != nullptr)
        row.positionAtData(source);
    CPictureDecoder* decoder = decoders_.For(row);
    if (decoder == nullptr)
        ThrowDecodeError(PE_UNSUPPORTED, "Library not compiled for this file type.");
    return *decoder;
}

void CAutoDecoder::Decode(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth)
{
    CheckWantedDepth(wantedDepth);
    DetectedDecoderAt(source).Decode(source, bitmap, wantedDepth);
}

PictureSize CAutoDecoder::DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                                        PictureSize enough)
{
    CheckWantedDepth(wantedDepth);
    return DetectedDecoderAt(source).DecodeReduced(source, bitmap, wantedDepth, enough);
}

void CAutoDecoder::DecodeAs(PictureFormat format, CByteSource& source, CPictureBitmap& bitmap, int wantedDepth)
{
    CheckWantedDepth(wantedDepth);
    const FormatRow* row = FindFormatRow(format);
    if (row == nullptr)
        ThrowDecodeError(PE_UNKNOWN_FILE_TYPE, "Unknown file type.");
    DecoderAt(*row, source).Decode(source, bitmap, wantedDepth);
}
