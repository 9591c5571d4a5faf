#pragma once

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/metafile/GdiConstants.h"
#include "platform/metafile/Metafile.h"

namespace metafile {

struct LogPen {
    uint32_t style = gdi::PS_SOLID;  // style, end cap, join and type bits
    int32_t width = 0;               // logical units; 0 draws one device pixel wide
    gdi::ColorRef color = 0;
    bool extended = false;           // made by ExtCreatePen: dashes at any width
    std::vector<double> userDashes;  // PS_USERSTYLE: on, off, on, ...
};

struct LogBrush {
    uint32_t style = gdi::BS_SOLID;
    gdi::ColorRef color = 0;
    uint32_t hatch = gdi::HS_HORIZONTAL;
    QImage pattern;           // pattern brushes
    bool monochrome = false;  // pattern bits 0 take the text colour, 1 the background colour
};

struct LogFont {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;  // tenths of a degree, counter-clockwise
    int32_t weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = gdi::ANSI_CHARSET;
    uint8_t pitchAndFamily = 0;
    std::u16string faceName;
};

struct LogPalette {
    std::vector<PaletteColor> entries;
};

// A region object of a Windows metafile, in logical units.
struct LogRegion {
    QRegion region;
};

// std::monostate: an object whose record could not be read. It keeps its
// slot, so that later indices still name the objects they meant, and
// selecting it changes nothing.
using GdiObject = std::variant<std::monostate, LogPen, LogBrush, LogFont, LogPalette, LogRegion>;
using ObjectPtr = std::shared_ptr<GdiObject>;

// The objects GDI keeps ready: brushes, pens, fonts and the default palette.
ObjectPtr GetStockObject(uint32_t index);
// The twenty colours of the default palette.
const LogPalette& DefaultPalette();

// The objects a metafile creates, by index. Enhanced metafiles name the
// slot of every object; Windows metafiles fill the lowest free slot.
// Indices with the stock flag (0x80000000) name stock objects.
class CObjectTable {
public:
    explicit CObjectTable(uint32_t slotCount);

    void Put(uint32_t index, ObjectPtr object);
    // The slot taken, or none when the table is full.
    std::optional<uint32_t> PutInLowestFreeSlot(ObjectPtr object);
    ObjectPtr Get(uint32_t index) const;
    void Delete(uint32_t index);

private:
    std::vector<ObjectPtr> slots_;
};

}  // namespace metafile
