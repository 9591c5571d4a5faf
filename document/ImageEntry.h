#pragma once

#include <memory>
#include <string>

#include "platform/gdi/DibSection.h"

// One picture of the collection: the full path of the file added, the name
// shown under its thumbnail (the last component of the path), and the
// 100 x 75 thumbnail of the picture's own depth and colour table. Entries
// made from the same file in one load share one thumbnail.
struct ImageEntry {
    std::string path;
    std::string name;
    std::shared_ptr<const gdi::CDibSection> thumbnail;
};
