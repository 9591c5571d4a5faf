#include "document/FolderWalk.h"

#include <optional>
#include <set>

#include "platform/os/FolderListing.h"

namespace {

class FolderWalker {
public:
    FolderWalker(bool recursive, const std::function<bool(const std::string&)>& onFile)
        : recursive_(recursive), onFile_(onFile)
    {
    }

    // False when `onFile` ended the walk.
    bool Walk(const std::string& folder)
    {
        std::optional<std::vector<os::FolderEntry>> entries = os::ListFolder(folder);
        if (!entries)
            return true;
        for (const os::FolderEntry& entry : *entries) {
            std::string path = os::JoinPath(folder, entry.name);
            bool goOn = true;
            if (!entry.isFolder)
                goOn = onFile_(path);
            else if (recursive_ && entered_.insert(entry.id).second)
                goOn = Walk(path);
            if (!goOn)
                return false;
        }
        return true;
    }

    void Enter(const os::FolderId& id) { entered_.insert(id); }

private:
    bool recursive_;
    const std::function<bool(const std::string&)>& onFile_;
    std::set<os::FolderId> entered_;
};

}  // namespace

bool WalkFolder(const std::string& folder, bool recursive, const std::function<bool(const std::string&)>& onFile)
{
    std::optional<os::FolderId> top = os::IdentifyFolder(folder);
    if (!top)
        return true;
    FolderWalker walker(recursive, onFile);
    walker.Enter(*top);
    return walker.Walk(folder);
}
