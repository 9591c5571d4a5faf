#include "platform/os/FileBuffer.h"

#include <algorithm>
#include <cerrno>
#include <span>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/FileContents.h"

namespace os {
namespace {

// Bytes read at a time: the data arrive while a decoder walks through them,
// and a file that is no picture costs one such read.
constexpr size_t kReadChunk = size_t {256} << 10;

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

CFileBuffer::~CFileBuffer()
{
    Close();
}

OpenError CFileBuffer::Open(const char* path)
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
    CMemoryBlock block = CMemoryBlock::Allocate(size);
    if (!block) {
        close(fd);
        return OpenError::OutOfMemory;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    fd_ = fd;
    block_ = std::move(block);
    size_ = size;
    loaded_ = 0;
    return OpenError::None;
}

void CFileBuffer::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    block_.Reset();
    size_ = 0;
    loaded_ = 0;
}

bool CFileBuffer::LoadMore(size_t end)
{
    end = std::min(end, size_);
    size_t target = std::min(size_, (end + kReadChunk - 1) / kReadChunk * kReadChunk);
    ssize_t got = ReadAt(fd_, {block_.Data() + loaded_, target - loaded_}, loaded_);
    if (got > 0)
        loaded_ += static_cast<size_t>(got);
    return loaded_ >= end;
}

}  // namespace os
