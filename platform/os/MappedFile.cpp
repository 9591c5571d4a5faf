#include "platform/os/MappedFile.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {
namespace {

bool FolderExists(const std::string& folder)
{
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentFolder(const char* path)
{
    std::string text(path);
    size_t slash = text.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return text.substr(0, slash);
}

OpenError ErrorFromErrno(int error, const char* path)
{
    switch (error) {
    case ENOTDIR:
        return OpenError::PathNotFound;
    case ENOENT:
        return FolderExists(ParentFolder(path)) ? OpenError::OpenFailed : OpenError::PathNotFound;
    case EACCES:
    case EPERM:
        return OpenError::AccessDenied;
    default:
        return OpenError::OpenFailed;
    }
}

}  // namespace

CMappedFile::~CMappedFile()
{
    Close();
}

OpenError CMappedFile::Open(const char* path)
{
    Close();
    // Non-blocking, so that opening a FIFO or a device never waits.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return ErrorFromErrno(errno, path);

    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        close(fd);
        return OpenError::AccessDenied;
    }
    size_t size = static_cast<size_t>(info.st_size);
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (view == MAP_FAILED)
        return OpenError::AccessDenied;
    madvise(view, size, MADV_SEQUENTIAL);

    data_ = static_cast<const uint8_t*>(view);
    size_ = size;
    return OpenError::None;
}

void CMappedFile::Close()
{
    if (data_ != nullptr)
        munmap(const_cast<uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace os
