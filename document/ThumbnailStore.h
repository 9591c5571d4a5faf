#pragma once

#include <memory>

#include "platform/gdi/DibSection.h"
#include "platform/os/FileStamp.h"

// A store of thumbnails made before, asked before a file is decoded and told
// what came of it. It is an optimisation only: whatever it answers or fails
// to keep, the collection comes out the same. Calls may come from several
// threads at once.
class IThumbnailStore {
public:
    enum class Found { Nothing, Refused, Thumbnail };

    virtual ~IThumbnailStore() = default;
    // What was stored for exactly this state of the file: nothing, a file
    // that did not decode, or its thumbnail (then in `thumbnail`).
    virtual Found Find(const os::FileStamp& file, std::unique_ptr<gdi::CDibSection>& thumbnail) = 0;
    // Keeps the thumbnail made of the file in the state `file` names; null
    // when the file did not decode.
    virtual void Store(const os::FileStamp& file, const gdi::CDibSection* thumbnail) = 0;
    // Makes what was stored so far last beyond this process; called when a load ends.
    virtual void Flush() = 0;
};
