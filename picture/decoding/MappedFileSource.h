#pragma once

#include "picture/decoding/ByteSource.h"
#include "platform/os/MappedFile.h"

// A data source over a file mapped read-only into memory.
class CMappedFileSource : public CByteSource {
public:
    explicit CMappedFileSource(CDecodeProgress* progress) : CByteSource(progress) {}
    ~CMappedFileSource() override;

    // 0, or the PictureError of the failure: 3 a folder on the way is missing,
    // 4 the file cannot be opened, 5 access denied or nothing to map.
    virtual int OpenFile(const char* path);
    void Close() override;

private:
    os::CMappedFile file_;
};
