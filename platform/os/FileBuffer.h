#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/os/MemoryBlock.h"

namespace os {

// Why a file could not be opened, in the terms the picture library reports.
enum class OpenError {
    None,
    PathNotFound,  // a folder on the way is missing or is not a folder
    OpenFailed,    // the file itself is missing, or another failure
    AccessDenied,  // no permission, not a regular file, or nothing in it
    OutOfMemory,   // no memory to hold the file's bytes
};

// A whole file's bytes in memory of its own, read from the file as far as
// they are wanted. Unlike a mapping of the file, the memory stays readable
// whatever another program does to the file meanwhile: bytes that the file
// no longer holds when they are wanted are reported missing. Trying a large
// file that turns out to be no picture reads only its first bytes.
class CFileBuffer {
public:
    CFileBuffer() = default;
    ~CFileBuffer();
    CFileBuffer(const CFileBuffer&) = delete;
    CFileBuffer& operator=(const CFileBuffer&) = delete;

    // Takes the file's size as it is now and makes room for that many bytes;
    // reads nothing yet.
    OpenError Open(const char* path);
    void Close();

    // Reads the file at least up to byte `end` (Size() at most). False when
    // the file has become shorter than that since it was opened, or cannot be read.
    bool Load(size_t end) { return end <= loaded_ || LoadMore(end); }

    // The size the file had when it was opened; the bytes are valid up to Loaded().
    const uint8_t* Data() const { return block_.Data(); }
    size_t Size() const { return size_; }
    size_t Loaded() const { return loaded_; }
    bool IsOpen() const { return fd_ >= 0; }

private:
    bool LoadMore(size_t end);

    int fd_ = -1;
    CMemoryBlock block_;
    size_t size_ = 0;
    size_t loaded_ = 0;
};

}  // namespace os
