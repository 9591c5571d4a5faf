#include "platform/framework/RecentFileList.h"

#include <algorithm>
#include <optional>

#include "platform/framework/ProfileStore.h"

namespace {

std::string EntryName(int index)
{
    return "File" + std::to_string(index + 1);
}

}  // namespace

void CRecentFileList::Add(const std::string& path)
{
    if (path.empty())
        return;
    entries_.erase(std::remove(entries_.begin(), entries_.end(), path), entries_.end());
    entries_.insert(entries_.begin(), path);
    if (static_cast<int>(entries_.size()) > size_)
        entries_.resize(static_cast<size_t>(size_));
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        entries_.erase(entries_.begin() + index);
}

void CRecentFileList::ReadList(const IProfileStore& profile)
{
    entries_.clear();
    for (int i = 0; i < size_; ++i) {
        std::optional<std::string> path = profile.GetString(kSection, EntryName(i));
        if (path && !path->empty() && std::find(entries_.begin(), entries_.end(), *path) == entries_.end())
            entries_.push_back(*path);
    }
}

void CRecentFileList::WriteList(IProfileStore& profile) const
{
    profile.RemoveSection(kSection);
    for (size_t i = 0; i < entries_.size(); ++i)
        profile.WriteString(kSection, EntryName(static_cast<int>(i)), entries_[i]);
    profile.Flush();
}
