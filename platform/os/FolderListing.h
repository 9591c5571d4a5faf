#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace os {

// What makes a folder the same folder whatever path reaches it.
struct FolderId {
    uint64_t device = 0;
    uint64_t inode = 0;
    friend auto operator<=>(const FolderId&, const FolderId&) = default;
};

struct FolderEntry {
    std::string name;
    bool isFolder = false;  // a folder, or a symbolic link to one
    FolderId id;            // set for folders
};

// The entries of a folder, "." and ".." left out, hidden ones included, in
// name order: letters compared without case first, then byte by byte, bytes
// as unsigned numbers (names beyond ASCII follow ASCII ones), so the order is
// the same on every file system. Nothing when the folder cannot be listed.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

// The identity of the folder at `path` (links followed); nothing when it is no folder.
std::optional<FolderId> IdentifyFolder(const std::string& path);

// `folder` and `name` joined with the path separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// True when `a` comes before `b` in listing order.
bool ComesBefore(const std::string& a, const std::string& b);

}  // namespace os
