#include "platform/os/FolderListing.h"

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

#include "platform/os/CodePage.h"

namespace os {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Bytes compare as unsigned numbers, so that names beyond ASCII (whose UTF-8
// bytes are 0x80 and above) follow the ASCII ones.
bool ByteBefore(char a, char b)
{
    return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
}

bool FoldedBefore(char a, char b)
{
    return ByteBefore(FoldCase(a), FoldCase(b));
}

std::optional<FolderId> FolderIdOf(const struct stat& info)
{
    if (!S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderId {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

}  // namespace

bool ComesBefore(const std::string& a, const std::string& b)
{
    bool foldedLess = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), FoldedBefore);
    bool foldedGreater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), FoldedBefore);
    if (foldedLess || foldedGreater)
        return foldedLess;
    // Equal without case: the bytes themselves decide.
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), ByteBefore);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == kPathSeparator)
        return folder + name;
    return folder + kPathSeparator + name;
}

std::optional<FolderId> IdentifyFolder(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FolderIdOf(info);
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder)
{
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    while (const dirent* item = readdir(dir.get())) {
        std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        FolderEntry entry {name, false, {}};
        struct stat info {};
        // stat follows links: a link to a folder lists as a folder, a dangling link as a file.
        if (fstatat(dirfd(dir.get()), item->d_name, &info, 0) == 0) {
            if (std::optional<FolderId> id = FolderIdOf(info)) {
                entry.isFolder = true;
                entry.id = *id;
            }
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return ComesBefore(a.name, b.name); });
    return entries;
}

}  // namespace os
