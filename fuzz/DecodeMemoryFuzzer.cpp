// Decodes arbitrary bytes from memory at every wanted depth, through the
// format-recognising decoder and as a Windows metafile (memory blocks are
// never taken for metafiles by recognition).

#include <cstddef>
#include <cstdint>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"
#include "picture/formats/MetafileDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CAutoDecoder decoder;
    static CMetafileDecoder metafileDecoder;
    for (int depth : {0, 8, 32}) {
        CPictureDecoder* const decoders[] = {&decoder, &metafileDecoder};
        for (CPictureDecoder* chosen : decoders) {
            CDibSectionBitmap bitmap;
            try {
                chosen->DecodeMemory(data, size, bitmap, depth);
            } catch (const CTextException&) {
            }
        }
    }
    return 0;
}
