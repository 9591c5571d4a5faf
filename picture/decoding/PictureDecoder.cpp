#include "picture/decoding/PictureDecoder.h"

#include <new>
#include <stdexcept>

#include "picture/decoding/MappedFileSource.h"
#include "picture/decoding/MemoryByteSource.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"

namespace {

// Runs a whole decode. Memory that cannot be had anywhere in it (a copy of a
// name, a line table, a decoder's buffer) ends it as PE_ALLOC_FAILED rather
// than as an exception the callers do not expect.
template <typename Work>
void ReportingOutOfMemory(Work&& work)
{
    try {
        work();
    } catch (const std::bad_alloc&) {
        ThrowOutOfMemory();
    } catch (const std::length_error&) {
        ThrowOutOfMemory();
    }
}

// Opens the file, runs `decode` on it and closes it again.
template <typename Decode>
void DecodingFile(const char* path, CDecodeProgress* progress, Decode&& decode)
{
    ReportingOutOfMemory([&] {
        WriteTraceFormat(1, "--- Decoding file %s. ---\n", path);
        CMappedFileSource source(progress);
        if (int code = source.OpenFile(path); code != PE_OK)
            ThrowDecodeError(code, FormatText("Opening %s failed", path));
        decode(source);
        source.Close();
    });
}

}  // namespace

CPictureDecoder::~CPictureDecoder()
{
    SetTraceFile("");
}

void CPictureDecoder::DecodeFile(const char* path, CPictureBitmap& bitmap, int wantedDepth,
                                 CDecodeProgress* progress)
{
    DecodingFile(path, progress, [&](CByteSource& source) { Decode(source, bitmap, wantedDepth); });
}

PictureSize CPictureDecoder::DecodeFileReduced(const char* path, CPictureBitmap& bitmap, int wantedDepth,
                                               PictureSize enough)
{
    PictureSize size;
    DecodingFile(path, nullptr,
                 [&](CByteSource& source) { size = DecodeReduced(source, bitmap, wantedDepth, enough); });
    return size;
}

PictureSize CPictureDecoder::DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                                           PictureSize /*enough*/)
{
    Decode(source, bitmap, wantedDepth);
    return {bitmap.GetWidth(), bitmap.GetHeight()};
}

void CPictureDecoder::DecodeMemory(const uint8_t* data, size_t size, CPictureBitmap& bitmap, int wantedDepth,
                                   void* /*unused*/)
{
    ReportingOutOfMemory([&] {
        WriteTraceFormat(1, "--- Decoding from memory at %p. ---\n", static_cast<const void*>(data));
        CMemoryByteSource source;
        if (int code = source.OpenMemory(data, size); code != PE_OK)
            ThrowDecodeError(code,
                             FormatText("Reading from memory at %p failed", static_cast<const void*>(data)));
        Decode(source, bitmap, wantedDepth);
        source.Close();
    });
}

void CPictureDecoder::Decode(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth)
{
    CheckWantedDepth(wantedDepth);
    PaletteBuffer palette;
    DecodeImage(bitmap, palette, wantedDepth, source);
}

void CPictureDecoder::DecodeImage(CPictureBitmap& /*bitmap*/, PaletteBuffer& /*paletteOut*/, int& /*wantedDepth*/,
                                  CByteSource& /*source*/)
{
}

void ChooseDestinationDepth(int sourceDepth, int& wantedDepth)
{
    if (wantedDepth == 0)
        wantedDepth = sourceDepth <= 8 ? 8 : 32;
    else if (wantedDepth == 8 && sourceDepth > 8)
        wantedDepth = 32;
}

void CPictureDecoder::CheckWantedDepth(int wantedDepth)
{
    if (wantedDepth != 0 && wantedDepth != 8 && wantedDepth != 32)
        ThrowDecodeError(PE_FORMAT_ERROR, FormatText("Wanted depth %d is not 0, 8 or 32.", wantedDepth));
}
