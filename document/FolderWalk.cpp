#include "document/FolderWalk.h"

#include <optional>
#include <set>

#include "platform/os/FolderListing.h"

namespace {

class FolderWalker {
public:
    FolderWalker(bool recursive, const std::function<void(const std::string&)>& onFile)
        : recursive_(recursive), onFile_(onFile)
    {
    }

    void Walk(const std::string& folder)
    {
        std::optional<std::vector<os::FolderEntry>> entries = os::ListFolder(folder);
        if (!entries)
            return;
        for (const os::FolderEntry& entry : *entries) {
            std::string path = os::JoinPath(folder, entry.name);
            if (!entry.isFolder)
                onFile_(path);
            else if (recursive_ && entered_.insert(entry.id).second)
                Walk(path);
        }
    }

    void Enter(const os::FolderId& id) { entered_.insert(id); }

private:
    bool recursive_;
    const std::function<void(const std::string&)>& onFile_;
    std::set<os::FolderId> entered_;
};

}  // namespace

void WalkFolder(const std::string& folder, bool recursive, const std::function<void(const std::string&)>& onFile)
{
    std::optional<os::FolderId> top = os::IdentifyFolder(folder);
    if (!top)
        return;
    FolderWalker walker(recursive, onFile);
    walker.Enter(*top);
    walker.Walk(folder);
}
