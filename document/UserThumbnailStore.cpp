#include "document/UserThumbnailStore.h"

std::unique_ptr<IThumbnailStore> OpenUserThumbnailStore()
{
    // The one place where the persistent thumbnail cache is to be opened.
    // Until it is, loads decode every file.
    return nullptr;
}
