#pragma once

// The boundary between the metafile front (loading and headers, plain C++)
// and the player that draws with Qt's painter. The player is linked in, or,
// where the build makes it a module, loaded from that module the first time
// a metafile is drawn, so programs that never draw one never load Qt's GUI
// library.

#include <cstddef>
#include <cstdint>

#include "platform/metafile/Metafile.h"
#include "platform/metafile/QuickDraw.h"

namespace metafile {

// A loaded metafile as the player reads it.
struct PlaybackSource {
    bool enhanced = false;
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    EnhancedHeader header;
    MetaRect initialWindow;     // Windows metafiles: the window until the records set one
    uint32_t objectSlots = 0;   // Windows metafiles: the object table's size
};

struct PlayerEntry {
    // As CMetafile::Render.
    bool (*render)(const PlaybackSource& source, int width, int height, const RowSink& sink);
    // As PrepareTextDrawing.
    void (*prepareTextDrawing)();
    // As PlayQuickDraw.
    bool (*playQuickDraw)(const QuickDrawPicture& picture, const RowSink& sink);
};

// The player's QuickDraw drawing, which PlayQuickDraw reaches through Player().
bool DrawQuickDraw(const QuickDrawPicture& picture, const RowSink& sink);

// The player, linked in or loaded from its module; null when the module
// cannot be loaded.
const PlayerEntry* Player();

}  // namespace metafile

// The player's entry, found in the module by this name.
extern "C" const metafile::PlayerEntry* lumo_metafile_player();
