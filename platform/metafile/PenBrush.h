#pragma once

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>

#include <optional>

#include "platform/metafile/DcState.h"

namespace metafile {

// A colour of a record: an RGB value or an index into the selected palette.
QColor ColorOf(gdi::ColorRef color, const DcState& state);

// The pen to stroke with in target pixels, or none for a null pen.
// `unitLength` is the length in target pixels of one logical unit along x.
std::optional<QPen> MakeStrokePen(const DcState& state, double unitLength);
// The target-pixel width of the current pen (1 for thin pens); 0 for a null pen.
int StrokeWidth(const LogPen& pen, double unitLength);

// The brush to fill with in target pixels, or none for a null brush. Hatches
// show the background colour between their lines in the opaque mode.
std::optional<QBrush> MakeFillBrush(const LogBrush& brush, const DcState& state);

// How the binary raster operation of the state mixes a colour with the
// target: whether anything is drawn, the composition mode, and the colour
// it forces (black and white operations).
struct MixMode {
    bool draws = true;
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    std::optional<QColor> forcedColor;
};
MixMode MixModeOf(int rop2);

}  // namespace metafile
