#pragma once

#include <string>
#include <vector>

class IProfileStore;

// The recently used files, most recent first, at most `size` of them, kept in
// the profile's section "Recent File List" as "File1", "File2" ….
class CRecentFileList {
public:
    static constexpr int kDefaultSize = 10;
    static constexpr const char* kSection = "Recent File List";

    explicit CRecentFileList(int size = kDefaultSize) : size_(size) {}

    // Puts `path` first; an equal entry further down is dropped.
    void Add(const std::string& path);
    void Remove(int index);
    const std::vector<std::string>& GetEntries() const { return entries_; }
    int GetSize() const { return size_; }

    void ReadList(const IProfileStore& profile);
    void WriteList(IProfileStore& profile) const;

private:
    int size_;
    std::vector<std::string> entries_;
};
