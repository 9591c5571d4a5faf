#pragma once

#include <QPointF>
#include <QRectF>

#include <optional>
#include <vector>

#include "platform/metafile/PlaybackDC.h"
#include "platform/metafile/TextDecoding.h"

namespace metafile {

// One ExtTextOut call in logical coordinates.
struct TextCall {
    QPointF reference;
    std::vector<TextChar> chars;
    std::vector<double> dx;  // advance per input unit; empty: the font's own advances
    std::vector<double> dy;  // vertical offset per input unit (ETO_PDY); may be empty
    uint32_t options = 0;
    std::optional<QRectF> rect;  // for ETO_OPAQUE and ETO_CLIPPED
};

// Draws text as GDI does: the current font, text colour and alignment,
// characters at their advances, the opaque rectangle and clipping of the
// options, the background colour behind the text in the opaque mode, and
// the current position moved on when the alignment asks for it. Inside a
// path bracket the glyph outlines go into the path.
void DrawText(CPlaybackDC& dc, const TextCall& call);

}  // namespace metafile
