#include "tests/support/TiffReference.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct InputBytes {
    const std::vector<uint8_t>& bytes;
    uint64_t position = 0;
};

tmsize_t ReadBytes(thandle_t handle, void* data, tmsize_t count)
{
    auto* in = static_cast<InputBytes*>(handle);
    uint64_t available = in->position < in->bytes.size() ? in->bytes.size() - in->position : 0;
    uint64_t copied = std::min<uint64_t>(available, static_cast<uint64_t>(count));
    if (copied > 0)
        std::memcpy(data, in->bytes.data() + in->position, copied);
    in->position += copied;
    return static_cast<tmsize_t>(copied);
}

tmsize_t WriteNothing(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t SeekBytes(thandle_t handle, toff_t offset, int origin)
{
    auto* in = static_cast<InputBytes*>(handle);
    uint64_t base = origin == SEEK_CUR ? in->position : origin == SEEK_END ? in->bytes.size() : 0;
    in->position = base + offset;
    return in->position;
}

int CloseNothing(thandle_t)
{
    return 0;
}

toff_t SizeOfBytes(thandle_t handle)
{
    return static_cast<InputBytes*>(handle)->bytes.size();
}

// Mapped, as the decoder's own memory client is.
int MapBytes(thandle_t handle, void** base, toff_t* size)
{
    auto* in = static_cast<InputBytes*>(handle);
    *base = const_cast<uint8_t*>(in->bytes.data());
    *size = in->bytes.size();
    return in->bytes.empty() ? 0 : 1;
}

void UnmapNothing(thandle_t, void*, toff_t) {}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

bool ReadRgba(TIFF* tiff, TiffRgba& result)
{
    if (tiff == nullptr)
        return false;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &result.width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &result.height);
    result.pixels.resize(static_cast<size_t>(result.width) * result.height);
    return TIFFReadRGBAImageOriented(tiff, result.width, result.height, result.pixels.data(), ORIENTATION_TOPLEFT, 0);
}

TiffRgba ReadRgba(TIFF* tiff)
{
    TiffRgba result;
    if (!ReadRgba(tiff, result))
        return {};
    return result;
}

TIFF* OpenBytes(InputBytes& in)
{
    return TIFFClientOpen("reference", "r", &in, ReadBytes, WriteNothing, SeekBytes, CloseNothing, SizeOfBytes,
                          MapBytes, UnmapNothing);
}

}  // namespace

bool ReadTiffRgbaInto(const std::vector<uint8_t>& bytes, TiffRgba& result)
{
    InputBytes in {bytes};
    TiffHandle tiff(OpenBytes(in));
    return ReadRgba(tiff.get(), result);
}

TiffRgba ReadTiffRgba(const std::vector<uint8_t>& bytes)
{
    TiffRgba result;
    return ReadTiffRgbaInto(bytes, result) ? result : TiffRgba {};
}

TiffRgba ReadTiffRgbaFile(const std::string& path)
{
    TiffHandle tiff(TIFFOpen(path.c_str(), "r"));
    return ReadRgba(tiff.get());
}
