#pragma once

#include <QRegion>

#include <optional>

#include "platform/metafile/ByteView.h"

namespace metafile {

// A region as enhanced metafiles store it (a RGNDATA block of rectangles);
// none when malformed or too large.
std::optional<QRegion> ReadRegionData(CByteView data);

// A region object as Windows metafiles store it (scans of x ranges); none
// when malformed or too large.
std::optional<QRegion> ReadWindowsRegion(CByteView data);

}  // namespace metafile
