// Decodes arbitrary bytes from memory at every wanted depth.

#include <cstddef>
#include <cstdint>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CAutoDecoder decoder;
    for (int depth : {0, 8, 32}) {
        CDibSectionBitmap bitmap;
        try {
            decoder.DecodeMemory(data, size, bitmap, depth);
        } catch (const CTextException&) {
        }
    }
    return 0;
}
