#pragma once

#include "picture/decoding/ByteSource.h"
#include "platform/os/FileBuffer.h"

// A data source over a file. The bytes are read into memory of the source's
// own as the decoder comes to them, rather than mapped, so that another
// program changing the file meanwhile cannot bring the process down: a file
// cut short during the decode ends it with PE_END_OF_FILE.
class CMappedFileSource : public CByteSource {
public:
    explicit CMappedFileSource(CDecodeProgress* progress) : CByteSource(progress) {}
    ~CMappedFileSource() override;

    // 0, or the PictureError of the failure: 3 a folder on the way is missing,
    // 4 the file cannot be opened, 5 access denied or an empty file, 10 no
    // memory for the file's bytes.
    virtual int OpenFile(const char* path);
    void Close() override;

protected:
    int64_t LoadUpTo(int64_t end) override;

private:
    os::CFileBuffer file_;
};
