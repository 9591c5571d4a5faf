#pragma once

#include <memory>

#include "document/ThumbnailStore.h"

// The thumbnail store in the user's cache folder, which the viewer and the
// command-line tool hand their loads; null when there is none to open.
std::unique_ptr<IThumbnailStore> OpenUserThumbnailStore();
