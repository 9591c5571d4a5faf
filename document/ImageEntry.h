#pragma once

#include <memory>
#include <string>

#include "platform/gdi/DibSection.h"

// One picture of the collection: the full path of the file added, the name
// shown under its thumbnail (the last component of the path), and the
// 100 x 75 thumbnail of the picture's own depth and colour table.
struct ImageEntry {
    std::string path;
    std::string name;
    std::unique_ptr<gdi::CDibSection> thumbnail;
};
