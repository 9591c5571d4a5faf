#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace os {

// What tells one state of a file from another without reading it: its path,
// size and time of last modification in nanoseconds.
struct FileStamp {
    std::string path;
    int64_t size = 0;
    int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at `path`; nothing for anything else or a
// file that cannot be examined.
std::optional<FileStamp> StampFile(const std::string& path);

}  // namespace os
