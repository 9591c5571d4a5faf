#pragma once

#include <cstddef>
#include <cstdint>

namespace os {

// Why a file could not be opened, in the terms the picture library reports.
enum class OpenError {
    None,
    PathNotFound,   // a folder on the way is missing or is not a folder
    OpenFailed,     // the file itself is missing, or another failure
    AccessDenied,   // no permission, not a regular file, or nothing to map
};

// A whole file mapped read-only into memory. The view stays valid until Close
// or destruction.
class CMappedFile {
public:
    CMappedFile() = default;
    ~CMappedFile();
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    OpenError Open(const char* path);
    void Close();

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    bool IsOpen() const { return data_ != nullptr; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace os
