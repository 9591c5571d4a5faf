#pragma once

// The project's QuickDraw player: the drawing opcodes of a Macintosh picture
// (PICT) played into 32-bit pixels, with the raster images the caller decoded
// drawn in their turn. The caller walks the opcodes (it knows their lengths
// and decodes their pixels); the player draws. This header is plain C++; the
// drawing behind it is the metafile player's device context.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/metafile/Metafile.h"

namespace metafile {

// A raster image of the picture, decoded by the caller: rows top first, each
// pixel 0xAARRGGBB (alpha is not used).
struct QuickDrawImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    MetaRect source;       // the part drawn, in the image's pixels
    MetaRect destination;  // where it goes, in the picture's coordinates
    uint16_t mode = 0;     // QuickDraw transfer mode
};

// One opcode as the caller walked it: where its data lie in the picture's
// bytes (everything after the opcode, length words included) and, for raster
// opcodes and pixel patterns, the image the caller decoded from them.
struct QuickDrawOpcode {
    uint16_t opcode = 0;
    size_t data = 0;
    size_t size = 0;
    int image = -1;  // an index into QuickDrawPicture::images, or -1
};

struct QuickDrawPicture {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    MetaRect frame;   // the picture frame, which gives the picture's size
    MetaRect source;  // the coordinates that fill the frame; empty: the frame's own
    std::vector<QuickDrawOpcode> opcodes;
    std::vector<QuickDrawImage> images;
};

// Plays the picture onto a 32-bit picture of the frame's size over white (one
// pixel per point, 72 dpi) and hands the rows to `sink`. False, with nothing
// handed over, when no drawing surface of that size can be made.
bool PlayQuickDraw(const QuickDrawPicture& picture, const RowSink& sink);

}  // namespace metafile
