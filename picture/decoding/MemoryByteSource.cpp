#include "picture/decoding/MemoryByteSource.h"

#include "picture/decoding/PictureError.h"

CMemoryByteSource::~CMemoryByteSource()
{
    CMemoryByteSource::Close();
}

int CMemoryByteSource::OpenMemory(const uint8_t* data, size_t size)
{
    SetData(data);
    Open("Mem", static_cast<int64_t>(size));
    return PE_OK;
}
