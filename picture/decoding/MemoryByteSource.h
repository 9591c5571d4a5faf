#pragma once

#include "picture/decoding/ByteSource.h"

// A data source over a block of memory the caller owns; it must outlive the decode.
class CMemoryByteSource : public CByteSource {
public:
    CMemoryByteSource() : CByteSource(nullptr) {}
    ~CMemoryByteSource() override;

    // Always succeeds (0). The source is named "Mem".
    virtual int OpenMemory(const uint8_t* data, size_t size);
};
