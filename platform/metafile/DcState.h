#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QPointF>
#include <QRegion>

#include <optional>

#include "platform/metafile/GdiConstants.h"
#include "platform/metafile/GdiObjects.h"
#include "platform/metafile/Mapping.h"

namespace metafile {

// The path being recorded between BeginPath and EndPath, in target pixels.
struct PathBracket {
    bool recording = false;  // between BeginPath and EndPath
    bool figureOpen = false;  // the next "To" call continues the last figure
    QPainterPath path;
};

// Everything SaveDC saves and RestoreDC brings back.
struct DcState {
    explicit DcState(const CMapping& initialMapping) : mapping(initialMapping) {}

    CMapping mapping;
    LogPen pen = std::get<LogPen>(*GetStockObject(gdi::BLACK_PEN));
    LogBrush brush = std::get<LogBrush>(*GetStockObject(gdi::WHITE_BRUSH));
    LogFont font = std::get<LogFont>(*GetStockObject(gdi::SYSTEM_FONT));
    ObjectPtr palette = GetStockObject(gdi::DEFAULT_PALETTE);
    int backgroundMode = gdi::OPAQUE;
    gdi::ColorRef backgroundColor = 0xFFFFFF;
    gdi::ColorRef textColor = 0x000000;
    uint32_t textAlign = 0;
    int textCharacterExtra = 0;  // logical units added after every character
    int fillMode = gdi::ALTERNATE;
    int rop2 = gdi::R2_COPYPEN;
    int stretchMode = gdi::BLACKONWHITE;
    QPointF position;  // the current position, logical
    bool clockwiseArcs = false;
    double miterLimit = 10;
    QPoint brushOrigin;
    std::optional<QRegion> clip;        // target pixels; none: the whole picture
    std::optional<QRegion> metaRegion;  // target pixels; none: the whole picture
    PathBracket path;

    // The selected palette's colours (the default palette's when it has none).
    const LogPalette& Palette() const
    {
        const auto* selected = palette ? std::get_if<LogPalette>(palette.get()) : nullptr;
        return selected != nullptr && !selected->entries.empty() ? *selected : DefaultPalette();
    }
};

}  // namespace metafile
