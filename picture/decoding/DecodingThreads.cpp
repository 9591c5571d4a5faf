#include "picture/decoding/DecodingThreads.h"

#include "platform/metafile/Metafile.h"

void PrepareDecodingThreads()
{
    metafile::PrepareTextDrawing();
}
