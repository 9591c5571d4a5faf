#include "document/UserThumbnailStore.h"

#include "document/ThumbnailCache.h"

std::unique_ptr<IThumbnailStore> OpenUserThumbnailStore()
{
    std::string file = CThumbnailCache::DefaultFile();
    if (file.empty())
        return nullptr;
    return std::make_unique<CThumbnailCache>(file);
}
