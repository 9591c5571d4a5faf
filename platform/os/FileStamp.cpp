#include "platform/os/FileStamp.h"

#include <sys/stat.h>

namespace os {

std::optional<FileStamp> StampFile(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    int64_t modifiedNs = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return FileStamp {path, static_cast<int64_t>(status.st_size), modifiedNs};
}

}  // namespace os
