// Decodes arbitrary bytes as one format, without recognition, so every
// decoder is reached whatever its signature: the first byte's low four bits
// are the format's number (a number of no format decodes nothing), its next
// two the wanted depth; the rest is the file. LUMO_FUZZ_FORMAT, when set to a
// format's number, takes the place of the first byte's choice, so that a run
// spends all its time on one decoder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"

namespace {

const int kDepths[] = {0, 8, 32, 0};

// The format of LUMO_FUZZ_FORMAT, or PF_UNKNOWN when it is not set.
PictureFormat PinnedFormat()
{
    const char* pinned = std::getenv("LUMO_FUZZ_FORMAT");
    return pinned != nullptr ? static_cast<PictureFormat>(std::atoi(pinned)) : PF_UNKNOWN;
}

// The bytes in memory under a name of the caller's: enhanced metafiles are
// known by their name.
class CNamedMemorySource : public CByteSource {
public:
    CNamedMemorySource(const char* name, const uint8_t* data, size_t size) : CByteSource(nullptr)
    {
        SetData(data);
        Open(name, static_cast<int64_t>(size));
    }
    ~CNamedMemorySource() override { CNamedMemorySource::Close(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CAutoDecoder decoder;
    static const PictureFormat pinned = PinnedFormat();
    if (size == 0)
        return 0;
    auto format = pinned != PF_UNKNOWN ? pinned : static_cast<PictureFormat>(data[0] & 0x0F);
    if (FindFormatRow(format) == nullptr)
        return 0;
    int depth = kDepths[(data[0] >> 4) & 3];
    CNamedMemorySource source(format == PF_EMF ? "Mem.emf" : "Mem", data + 1, size - 1);
    CDibSectionBitmap bitmap;
    try {
        decoder.DecodeAs(format, source, bitmap, depth);
    } catch (const CTextException&) {
    }
    return 0;
}
