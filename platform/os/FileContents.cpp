#include "platform/os/FileContents.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/os/CodePage.h"

namespace os {
namespace {

// Closes a descriptor on every path; Release hands it back for a checked close.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }
    int Release()
    {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

int WriteAll(int fd, std::span<const uint8_t> bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<size_t>(written);
    }
    return 0;
}

// The file a path finally names: a link is replaced by its target.
std::string ResolveLink(const std::string& path)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// A name for the new file in the target's folder, hidden and unique.
std::string TemporaryPattern(const std::string& target)
{
    size_t nameAt = target.find_last_of(kPathSeparator);
    std::string folder = nameAt == std::string::npos ? "" : target.substr(0, nameAt + 1);
    std::string name = nameAt == std::string::npos ? target : target.substr(nameAt + 1);
    return folder + "." + name + ".XXXXXX";
}

mode_t PermissionsFor(const std::string& target)
{
    struct stat info {};
    if (stat(target.c_str(), &info) == 0)
        return info.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

int WriteTemporary(const std::string& target, std::span<const uint8_t> bytes, std::string& temporary)
{
    temporary = TemporaryPattern(target);
    FileDescriptor fd(mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        temporary.clear();
        return errno;
    }
    if (int error = WriteAll(fd.Get(), bytes); error != 0)
        return error;
    if (fchmod(fd.Get(), PermissionsFor(target)) != 0 || fsync(fd.Get()) != 0)
        return errno;
    // Some file systems report a full disk only when the file is closed.
    if (close(fd.Release()) != 0)
        return errno;
    return 0;
}

}  // namespace

ssize_t ReadAt(int fd, std::span<uint8_t> buffer, uint64_t offset)
{
    size_t done = 0;
    while (done < buffer.size()) {
        ssize_t got = pread(fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

int ReadFileContents(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno;
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return EACCES;
    if (static_cast<uint64_t>(info.st_size) > maxBytes)
        return EFBIG;
    bytes.resize(static_cast<size_t>(info.st_size));
    ssize_t got = ReadAt(fd.Get(), bytes, 0);
    if (got < 0)
        return errno;
    bytes.resize(static_cast<size_t>(got));  // the file may have shrunk since fstat
    return 0;
}

int ReplaceFileContents(const std::string& path, std::span<const uint8_t> bytes)
{
    std::string target = ResolveLink(path);
    std::string temporary;
    int error = WriteTemporary(target, bytes, temporary);
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0 && !temporary.empty())
        unlink(temporary.c_str());
    return error;
}

}  // namespace os
